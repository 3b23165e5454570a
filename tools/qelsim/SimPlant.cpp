#include "SimPlant.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace qelsim {

uint8_t Generator::valueAt(long n) const
{
    double v = a;
    switch (kind) {
    case Constant:
        break;
    case Ramp: {
        const double span = b - a;
        if (c == 0 || span == 0)
            break;
        const long steps = long(std::floor(span / c)) + 1;
        v = a + c * double(n % (steps > 0 ? steps : 1));
        break;
    }
    case Sine:
        v = a + b * std::sin(2 * M_PI * double(n) / (c > 0 ? c : 1));
        break;
    }
    if (v < 0)
        v = 0;
    if (v > 255)
        v = 255;
    return uint8_t(std::lround(v));
}

SimUnit *SimPlant::unit(uint8_t address)
{
    for (SimUnit &u : units)
        if (u.address == address)
            return &u;
    return nullptr;
}

SimUnit *SimPlant::unitByPhone(const QString &phone)
{
    if (phone.isEmpty())
        return nullptr;
    for (SimUnit &u : units)
        if (u.phone == phone)
            return &u;
    return nullptr;
}

static bool parseGenerator(const QJsonValue &v, Generator *g)
{
    if (v.isDouble()) {
        g->kind = Generator::Constant;
        g->a = v.toDouble();
        return true;
    }
    const QJsonObject o = v.toObject();
    auto three = [](const QJsonValue &x, Generator *g) {
        const QJsonArray a = x.toArray();
        if (a.size() != 3)
            return false;
        g->a = a[0].toDouble();
        g->b = a[1].toDouble();
        g->c = a[2].toDouble();
        return true;
    };
    if (o.contains("ramp")) {
        g->kind = Generator::Ramp;
        return three(o["ramp"], g);
    }
    if (o.contains("sine")) {
        g->kind = Generator::Sine;
        return three(o["sine"], g);
    }
    return false;
}

bool SimPlant::fromJson(const QByteArray &json, SimPlant *plant, QString *error)
{
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &pe);
    if (doc.isNull() || !doc.isObject()) {
        *error = pe.error != QJsonParseError::NoError ? pe.errorString() : QStringLiteral("not a JSON object");
        return false;
    }
    const QJsonObject root = doc.object();
    SimPlant p;
    p.replyDelayMs = root.value("replyDelayMs").toInt(10);
    for (const QJsonValue &uv : root.value("units").toArray()) {
        const QJsonObject o = uv.toObject();
        SimUnit u;
        const int address = o.value("address").toInt(-1);
        if (address < 0 || address > 254) {
            *error = QStringLiteral("unit address missing or out of 0..254");
            return false;
        }
        u.address = uint8_t(address);
        u.size = uint8_t(o.value("size").toInt(1));
        u.analogMask = uint16_t(o.value("analogMask").toInt(0));
        const QJsonArray analog = o.value("analog").toArray();
        for (int i = 0; i < analog.size() && i < 12; ++i)
            if (!parseGenerator(analog[i], &u.analog[size_t(i)])) {
                *error = QStringLiteral("unit %1: bad analog generator %2").arg(address).arg(i);
                return false;
            }
        u.byte5 = uint8_t(o.value("byte5").toInt());
        u.byte6 = uint8_t(o.value("byte6").toInt());
        u.outputs = uint8_t(o.value("outputs").toInt());
        for (const QJsonValue &tv : o.value("toggles").toArray()) {
            const QJsonObject t = tv.toObject();
            Toggle tg{t.value("byte").toInt(5), t.value("bit").toInt(), std::max(1, t.value("every").toInt(1))};
            if ((tg.byte != 5 && tg.byte != 6 && tg.byte != 19) || tg.bit < 0 || tg.bit > 7) {
                *error = QStringLiteral("unit %1: toggles name byte 5, 6 or 19 and bit 0..7").arg(address);
                return false;
            }
            u.toggles.append(tg);
        }
        for (const QJsonValue &rv : o.value("program").toArray()) {
            const QJsonObject r = rv.toObject();
            ProgramRecord rec;
            rec.type = uint8_t(r.value("type").toInt());
            const QJsonArray d = r.value("data").toArray();
            for (int i = 0; i < d.size() && i < 7; ++i)
                rec.data[size_t(i)] = uint8_t(d[i].toInt());
            u.program.append(rec);
        }
        u.silent = o.value("silent").toBool();
        u.noise = QByteArray::fromHex(o.value("noise").toString().toLatin1());
        u.split = o.value("split").toBool();
        u.badChecksum = o.value("badChecksum").toBool();
        u.refuseWrites = o.value("refuseWrites").toBool();
        u.ignoreSwitch = o.value("ignoreSwitch").toBool();
        u.phone = o.value("phone").toString();
        if (p.unit(u.address)) {
            *error = QStringLiteral("unit address %1 used twice").arg(address);
            return false;
        }
        p.units.append(u);
    }
    const QJsonObject modem = root.value("modem").toObject();
    p.modem.connectDelayMs = modem.value("connectDelayMs").toInt(p.modem.connectDelayMs);
    p.modem.guardMs = modem.value("guardMs").toInt(p.modem.guardMs);
    if (p.modem.connectDelayMs < 0 || p.modem.guardMs < 0) {
        *error = QStringLiteral("modem delays must not be negative");
        return false;
    }
    *plant = p;
    return true;
}

} // namespace qelsim
