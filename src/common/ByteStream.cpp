#include "common/ByteStream.h"

#include "common/Cp936.h"

#include <QtEndian>
#include <cstring>

namespace scada {

void ByteReader::need(qsizetype n) const
{
    if (n < 0 || m_pos + n > m_data.size())
        throw EReadError(QStringLiteral("Stream read error"));
}

void ByteReader::seek(qsizetype pos)
{
    if (pos < 0 || pos > m_data.size())
        throw EReadError(QStringLiteral("Stream read error"));
    m_pos = pos;
}

uint8_t ByteReader::u8()
{
    need(1);
    return static_cast<uint8_t>(m_data[m_pos++]);
}

uint16_t ByteReader::u16()
{
    need(2);
    auto v = qFromLittleEndian<uint16_t>(m_data.constData() + m_pos);
    m_pos += 2;
    return v;
}

uint32_t ByteReader::u32()
{
    need(4);
    auto v = qFromLittleEndian<uint32_t>(m_data.constData() + m_pos);
    m_pos += 4;
    return v;
}

double ByteReader::f64()
{
    need(8);
    auto bits = qFromLittleEndian<uint64_t>(m_data.constData() + m_pos);
    m_pos += 8;
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

float ByteReader::f32()
{
    uint32_t bits = u32();
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

uint16_t ByteReader::u16be()
{
    need(2);
    auto v = qFromBigEndian<uint16_t>(m_data.constData() + m_pos);
    m_pos += 2;
    return v;
}

uint32_t ByteReader::u32be()
{
    need(4);
    auto v = qFromBigEndian<uint32_t>(m_data.constData() + m_pos);
    m_pos += 4;
    return v;
}

QByteArray ByteReader::bytes(qsizetype n)
{
    need(n);
    QByteArray b = m_data.mid(m_pos, n);
    m_pos += n;
    return b;
}

void ByteReader::skip(qsizetype n)
{
    need(n);
    m_pos += n;
}

int ByteReader::peek(qsizetype offset) const
{
    qsizetype p = m_pos + offset;
    if (p < 0 || p >= m_data.size())
        return -1;
    return static_cast<uint8_t>(m_data[p]);
}

QString ByteReader::string()
{
    uint16_t n = u16();
    QByteArray raw = bytes(n);
    u8(); // terminating 0
    return fromCp936(raw);
}

QStringList ByteReader::stringList()
{
    uint16_t count = u16();
    QStringList lines;
    if (count == 0) {
        u8();
        return lines;
    }
    for (;;) {
        uint16_t n = u16();
        lines << fromCp936(bytes(n));
        if (u8() == 0)
            break;
    }
    return lines;
}

void ByteWriter::u16(uint16_t v)
{
    char b[2];
    qToLittleEndian(v, b);
    m_data.append(b, 2);
}

void ByteWriter::u32(uint32_t v)
{
    char b[4];
    qToLittleEndian(v, b);
    m_data.append(b, 4);
}

void ByteWriter::f64(double v)
{
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    char b[8];
    qToLittleEndian(bits, b);
    m_data.append(b, 8);
}

void ByteWriter::f32(float v)
{
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    u32(bits);
}

void ByteWriter::u16be(uint16_t v)
{
    char b[2];
    qToBigEndian(v, b);
    m_data.append(b, 2);
}

void ByteWriter::u32be(uint32_t v)
{
    char b[4];
    qToBigEndian(v, b);
    m_data.append(b, 4);
}

void ByteWriter::string(const QString &s)
{
    QByteArray raw = toCp936(s);
    if (raw.size() > 0xFFFF)
        raw.truncate(0xFFFF);
    u16(static_cast<uint16_t>(raw.size()));
    m_data.append(raw);
    u8(0);
}

void ByteWriter::stringList(const QStringList &lines)
{
    const qsizetype count = qMin<qsizetype>(lines.size(), 0xFFFF);
    u16(static_cast<uint16_t>(count));
    if (count == 0) {
        u8(0);
        return;
    }
    for (qsizetype i = 0; i < count; ++i) {
        QByteArray raw = toCp936(lines[i]);
        if (raw.size() > 0xFFFF)
            raw.truncate(0xFFFF);
        u16(static_cast<uint16_t>(raw.size()));
        m_data.append(raw);
        u8(i + 1 < count ? 13 : 0);
    }
}

void ByteWriter::patchU32(qsizetype pos, uint32_t v)
{
    qToLittleEndian(v, m_data.data() + pos);
}

} // namespace scada
