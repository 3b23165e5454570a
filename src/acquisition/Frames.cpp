#include "acquisition/Frames.h"

#include <QString>
#include <algorithm>
#include <cstring>

namespace scada {

uint8_t FrameChecksum(const uint8_t *frame)
{
    unsigned sum = 0;
    for (int i = 0; i < kFrameSize - 1; ++i)
        sum += frame[i];
    return uint8_t(sum & 0xFF);
}

void SealFrame(Frame &f)
{
    f[25] = FrameChecksum(f);
}

uint8_t ToBcd(int v)
{
    if (v < 0 || v >= 100)
        return 0;
    return uint8_t((v / 10) * 16 + v % 10);
}

int FromBcd(uint8_t b)
{
    return (b / 16) * 10 + (b % 16);
}

static Frame header(uint8_t address, uint8_t cmd)
{
    Frame f{};
    f[0] = kFrameStart;
    f[1] = address;
    f[2] = cmd;
    return f;
}

Frame BuildReadDataFrame(uint8_t address, bool modem)
{
    Frame f{};
    if (modem)
        f.fill(0x20);
    f[0] = kFrameStart;
    f[1] = address;
    f[2] = Cmd::ReadData;
    SealFrame(f);
    return f;
}

Frame BuildSwitchFrame(uint8_t address, uint8_t mask, uint8_t bits)
{
    Frame f = header(address, Cmd::SwitchOutput);
    f[3] = mask;
    f[4] = bits;
    SealFrame(f);
    return f;
}

Frame BuildSetClockFrame(const QDateTime &when)
{
    Frame f = header(kBroadcast, Cmd::SetClock);
    const QDate d = when.date();
    const QTime t = when.time();
    f[3] = ToBcd(t.second());
    f[4] = ToBcd(t.minute());
    f[5] = ToBcd(t.hour());
    f[6] = ToBcd(d.day());
    f[7] = ToBcd(d.month());
    f[8] = ToBcd(d.dayOfWeek() % 7); // Qt: 1 = Monday .. 7 = Sunday
    f[9] = ToBcd(d.year() - 2000);
    SealFrame(f);
    return f;
}

Frame BuildProgramAccessFrame(uint8_t address, bool begin)
{
    Frame f = header(address, Cmd::ProgramAccess);
    f[3] = begin ? 0xFF : 0x00;
    SealFrame(f);
    return f;
}

Frame BuildReadRecordFrame(uint8_t address, int recordPosition, int blockPosition)
{
    Frame f = header(address, Cmd::ReadRecord);
    if (blockPosition >= 0)
        f[3] = uint8_t(blockPosition);
    const int a = RecordAddress(recordPosition);
    f[23] = uint8_t((a >> 8) & 0xFF);
    f[24] = uint8_t(a & 0xFF);
    SealFrame(f);
    return f;
}

Frame BuildWriteRecordFrame(const Frame &record, int recordPosition)
{
    Frame f = record;
    f[2] = Cmd::WriteRecord;
    const int a = RecordAddress(recordPosition);
    f[23] = uint8_t((a >> 8) & 0xFF);
    f[24] = uint8_t(a & 0xFF);
    SealFrame(f);
    return f;
}

QByteArray toBytes(const Frame &f)
{
    return QByteArray(reinterpret_cast<const char *>(f.data()), kFrameSize);
}

Frame frameFrom(const QByteArray &bytes)
{
    Frame f{};
    std::memcpy(f.data(), bytes.constData(), std::min<size_t>(bytes.size(), kFrameSize));
    return f;
}

QString HexText(const uint8_t *bytes, int n)
{
    static const char digits[] = "0123456789ABCDEF";
    QString s;
    s.reserve(n * 3);
    for (int i = 0; i < n; ++i) {
        s += QLatin1Char(digits[bytes[i] >> 4]);
        s += QLatin1Char(digits[bytes[i] & 15]);
        s += QLatin1Char(' ');
    }
    return s;
}

} // namespace scada
