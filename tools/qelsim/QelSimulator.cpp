#include "QelSimulator.h"

#include <QTimer>

namespace qelsim {

namespace {
constexpr int kFrame = 26;
constexpr uint8_t kStart = 0xAA;

uint8_t checksum(const QByteArray &f)
{
    unsigned s = 0;
    for (int i = 0; i < kFrame - 1; ++i)
        s += uint8_t(f[i]);
    return uint8_t(s & 0xFF);
}

QByteArray frame(uint8_t address, uint8_t code)
{
    QByteArray f(kFrame, '\0');
    f[0] = char(kStart);
    f[1] = char(address);
    f[2] = char(code);
    return f;
}

void seal(QByteArray &f)
{
    f[25] = char(checksum(f));
}
} // namespace

QelSimulator::QelSimulator(SimPlant plant, QObject *parent) : QObject(parent), m_plant(std::move(plant)) {}

QString QelSimulator::hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QByteArray QelSimulator::ackReply(uint8_t address)
{
    QByteArray f = frame(address, 0xFD);
    seal(f);
    return f;
}

QByteArray QelSimulator::dataReply(SimUnit &u)
{
    QByteArray f = frame(u.address, 0x09);
    f[3] = char(u.analogMask & 0xFF);
    f[4] = char(u.analogMask >> 8);
    f[5] = char(u.byte5);
    f[6] = char(u.byte6);
    for (int i = 0; i < 12; ++i)
        f[18 - i] = char(u.analog[size_t(i)].valueAt(u.replies));
    f[19] = char(u.outputs);
    seal(f);
    if (u.badChecksum)
        f[25] = char(uint8_t(f[25]) + 1);
    ++u.replies;
    for (const Toggle &t : std::as_const(u.toggles)) {
        if (u.replies % t.every != 0)
            continue;
        uint8_t &b = t.byte == 5 ? u.byte5 : t.byte == 6 ? u.byte6 : u.outputs;
        b ^= uint8_t(1u << t.bit);
    }
    return f;
}

void QelSimulator::receive(const QByteArray &bytes)
{
    m_buffer += bytes;
    for (;;) {
        const qsizetype start = m_buffer.indexOf(char(kStart));
        if (start < 0) {
            m_buffer.clear();
            return;
        }
        m_buffer.remove(0, start);
        if (m_buffer.size() < kFrame)
            return;
        const QByteArray f = m_buffer.left(kFrame);
        m_buffer.remove(0, kFrame);
        emit frameReceived(f);
        emit logLine(QStringLiteral("RX ") + hex(f));
        for (const Chunk &c : respond(f)) {
            const QByteArray out = c.bytes;
            QTimer::singleShot(c.delayMs, this, [this, out] {
                emit logLine(QStringLiteral("TX ") + hex(out));
                emit transmit(out);
            });
        }
    }
}

QList<Chunk> QelSimulator::respond(const QByteArray &f)
{
    QList<Chunk> out;
    if (f.size() != kFrame || uint8_t(f[0]) != kStart || uint8_t(f[25]) != checksum(f))
        return out; // a unit ignores a damaged request
    const uint8_t address = uint8_t(f[1]);
    const uint8_t code = uint8_t(f[2]);
    if (address == 0xFF) {
        if (code == 0x07) {
            auto bcd = [&](int i) { return (uint8_t(f[i]) >> 4) * 10 + (uint8_t(f[i]) & 15); };
            const QDateTime t(QDate(2000 + bcd(9), bcd(7), bcd(6)), QTime(bcd(5), bcd(4), bcd(3)));
            for (SimUnit &u : m_plant.units)
                u.clock = t;
        }
        return out;
    }
    SimUnit *u = m_plant.unit(address);
    if (!u || u->silent || (m_reachable != -1 && m_reachable != address))
        return out;

    QByteArray reply;
    switch (code) {
    case 0x09:
        reply = dataReply(*u);
        break;
    case 0x13: {
        if (u->ignoreSwitch)
            return out;
        const uint8_t mask = uint8_t(f[3]);
        u->outputs = uint8_t((u->outputs & ~mask) | (uint8_t(f[4]) & mask));
        reply = ackReply(address);
        break;
    }
    case 0x0B:
        u->programAccess = uint8_t(f[3]) == 0xFF;
        reply = ackReply(address);
        break;
    case 0x0E:
    case 0x0D: {
        const int recAddress = (uint8_t(f[23]) << 8) | uint8_t(f[24]);
        const int k = (recAddress - 32) / 20;
        if (recAddress < 32 || (recAddress - 32) % 20 != 0)
            return out;
        if (code == 0x0D && u->refuseWrites) {
            reply = frame(address, 0xFE);
            seal(reply);
            break;
        }
        if (code == 0x0D) {
            while (u->program.size() <= k)
                u->program.append(ProgramRecord());
            ProgramRecord &rec = u->program[k];
            rec.type = uint8_t(f[4]);
            for (int i = 0; i < 7; ++i)
                rec.data[size_t(i)] = uint8_t(f[5 + i]);
            for (int i = 0; i < 11; ++i)
                rec.rest[size_t(i)] = uint8_t(f[12 + i]);
            reply = ackReply(address);
            break;
        }
        reply = frame(address, 0x0E);
        if (k < u->program.size()) {
            const ProgramRecord &rec = u->program[k];
            reply[4] = char(rec.type);
            for (int i = 0; i < 7; ++i)
                reply[5 + i] = char(rec.data[size_t(i)]);
            for (int i = 0; i < 11; ++i)
                reply[12 + i] = char(rec.rest[size_t(i)]);
        } else {
            reply[4] = char(0xFF);
        }
        reply[23] = f[23];
        reply[24] = f[24];
        seal(reply);
        break;
    }
    default:
        return out;
    }

    int t = m_plant.replyDelayMs;
    if (!u->noise.isEmpty()) {
        out.append({t, u->noise});
        t += kNoiseGapMs;
    }
    if (u->split) {
        out.append({t, reply.left(10)});
        out.append({t + kSplitGapMs, reply.mid(10, 10)});
        out.append({t + 2 * kSplitGapMs, reply.mid(20)});
    } else {
        out.append({t, reply});
    }
    return out;
}

QString QelSimulator::command(const QString &line)
{
    const QStringList w = line.simplified().split(' ', Qt::SkipEmptyParts);
    if (w.isEmpty())
        return QStringLiteral("error: empty command");
    const QString cmd = w[0].toLower();
    auto num = [](const QString &s, bool *ok) {
        return s.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? s.mid(2).toInt(ok, 16) : s.toInt(ok);
    };
    if (cmd == QLatin1String("status")) {
        QStringList parts;
        for (const SimUnit &u : std::as_const(m_plant.units))
            parts << QStringLiteral("%1:%2%3 b5=%4 b6=%5 out=%6")
                         .arg(u.address)
                         .arg(u.size == 1 ? "20" : "10")
                         .arg(u.silent ? " silent" : "")
                         .arg(u.byte5, 2, 16, QLatin1Char('0'))
                         .arg(u.byte6, 2, 16, QLatin1Char('0'))
                         .arg(u.outputs, 2, 16, QLatin1Char('0'));
        return parts.join(QStringLiteral("; "));
    }
    bool ok = false;
    if (cmd == QLatin1String("delay") && w.size() == 2) {
        const int ms = num(w[1], &ok);
        if (!ok || ms < 0)
            return QStringLiteral("error: delay needs milliseconds");
        m_plant.replyDelayMs = ms;
        return QStringLiteral("ok");
    }
    if (w.size() < 3)
        return QStringLiteral("error: unknown or incomplete command");
    const int address = num(w[1], &ok);
    SimUnit *u = ok ? m_plant.unit(uint8_t(address)) : nullptr;
    if (!ok || address < 0 || address > 254 || !u)
        return QStringLiteral("error: no unit with address %1").arg(w[1]);
    auto onOff = [&](const QString &s, bool *flag) {
        if (s == QLatin1String("on") || s == QLatin1String("1"))
            *flag = true;
        else if (s == QLatin1String("off") || s == QLatin1String("0"))
            *flag = false;
        else
            return QStringLiteral("error: on or off");
        return QStringLiteral("ok");
    };
    if (cmd == QLatin1String("silence"))
        return onOff(w[2], &u->silent);
    if (cmd == QLatin1String("split"))
        return onOff(w[2], &u->split);
    if (cmd == QLatin1String("badsum"))
        return onOff(w[2], &u->badChecksum);
    if (cmd == QLatin1String("refuse"))
        return onOff(w[2], &u->refuseWrites);
    if (cmd == QLatin1String("noack"))
        return onOff(w[2], &u->ignoreSwitch);
    if (cmd == QLatin1String("noise")) {
        if (w[2] == QLatin1String("off")) {
            u->noise.clear();
            return QStringLiteral("ok");
        }
        const QByteArray bytes = QByteArray::fromHex(w.mid(2).join(QString()).toLatin1());
        if (bytes.isEmpty())
            return QStringLiteral("error: noise needs hex bytes");
        u->noise = bytes;
        return QStringLiteral("ok");
    }
    if (cmd == QLatin1String("input") && w.size() == 5) {
        bool ok1, ok2, ok3;
        const int byte = num(w[2], &ok1), bit = num(w[3], &ok2), v = num(w[4], &ok3);
        if (!ok1 || !ok2 || !ok3 || (byte != 5 && byte != 6 && byte != 19) || bit < 0 || bit > 7 || v < 0 || v > 1)
            return QStringLiteral("error: input ADDR 5|6|19 BIT 0|1");
        uint8_t &b = byte == 5 ? u->byte5 : byte == 6 ? u->byte6 : u->outputs;
        b = v ? uint8_t(b | (1u << bit)) : uint8_t(b & ~(1u << bit));
        return QStringLiteral("ok");
    }
    if (cmd == QLatin1String("analog") && w.size() == 4) {
        bool ok1, ok2;
        const int ch = num(w[2], &ok1), v = num(w[3], &ok2);
        if (!ok1 || !ok2 || ch < 0 || ch > 11 || v < 0 || v > 255)
            return QStringLiteral("error: analog ADDR 0..11 0..255");
        u->analog[size_t(ch)] = Generator{Generator::Constant, double(v), 0, 0};
        return QStringLiteral("ok");
    }
    return QStringLiteral("error: unknown or incomplete command");
}

} // namespace qelsim
