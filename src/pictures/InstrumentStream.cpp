#include "pictures/InstrumentStream.h"

#include "common/ByteStream.h"
#include "common/Colour.h"
#include "common/Cp936.h"

#include <QDataStream>
#include <QIODevice>
#include <cmath>
#include <cstring>

namespace scada {

namespace {

constexpr uint32_t kMaxBlock = 64 * 1024 * 1024;

enum ValueType : uint8_t {
    vaNull = 0, vaList, vaInt8, vaInt16, vaInt32, vaExtended, vaString, vaIdent, vaFalse, vaTrue,
    vaBinary, vaSet, vaLString, vaNil, vaCollection, vaSingle, vaCurrency, vaDate, vaWString,
    vaInt64, vaUTF8String, vaDouble
};

QString shortString(ByteReader &r)
{
    const uint8_t n = r.u8();
    return fromCp936(r.bytes(n));
}

// An 80-bit extended float, little-endian.
double extended(ByteReader &r)
{
    const QByteArray b = r.bytes(10);
    uint64_t mant;
    std::memcpy(&mant, b.constData(), 8);
    const uint16_t se = uint16_t(uint8_t(b[8])) | uint16_t(uint8_t(b[9])) << 8;
    const int exp = se & 0x7FFF;
    const bool neg = se & 0x8000;
    if (exp == 0 && mant == 0)
        return neg ? -0.0 : 0.0;
    const double v = std::ldexp(double(mant), exp - 16383 - 63);
    return neg ? -v : v;
}

int depthGuard = 0;

QVariant readValue(ByteReader &r);

void readProperties(ByteReader &r, QVariantMap *into)
{
    for (;;) {
        const QString name = shortString(r);
        if (name.isEmpty())
            return;
        QVariant v = readValue(r);
        if (into)
            into->insert(name, v);
    }
}

QVariant readValue(ByteReader &r)
{
    if (++depthGuard > 64) {
        depthGuard = 0;
        throw EReadError(QStringLiteral("Component stream nested too deeply"));
    }
    struct Leave {
        ~Leave() { --depthGuard; }
    } leave;
    const uint8_t t = r.u8();
    switch (t) {
    case vaNull:
    case vaNil: return {};
    case vaList: {
        QVariantList list;
        while (r.peek() != vaNull) {
            if (r.peek() < 0)
                throw EReadError(QStringLiteral("Truncated component stream"));
            list << readValue(r);
        }
        r.u8();
        return list;
    }
    case vaInt8: return int(r.i8());
    case vaInt16: return int(r.i16());
    case vaInt32: return int(r.i32());
    case vaExtended: return extended(r);
    case vaString:
    case vaIdent: {
        const QString s = shortString(r);
        if (t == vaIdent && s.startsWith(QStringLiteral("cl"))) {
            static const QVariantMap colours{{"clBlack", 0x000000}, {"clMaroon", 0x000080}, {"clGreen", 0x008000},
                                             {"clOlive", 0x008080}, {"clNavy", 0x800000},   {"clPurple", 0x800080},
                                             {"clTeal", 0x808000},  {"clGray", 0x808080},   {"clSilver", 0xC0C0C0},
                                             {"clRed", 0x0000FF},   {"clLime", 0x00FF00},   {"clYellow", 0x00FFFF},
                                             {"clBlue", 0xFF0000},  {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00},
                                             {"clWhite", 0xFFFFFF}, {"clNone", int(clNone)}};
            if (colours.contains(s))
                return colours.value(s);
        }
        return s;
    }
    case vaFalse: return false;
    case vaTrue: return true;
    case vaBinary: {
        const uint32_t n = r.u32();
        if (qsizetype(n) > r.remaining())
            throw EReadError(QStringLiteral("Truncated component stream"));
        return r.bytes(qsizetype(n));
    }
    case vaSet: {
        QStringList items;
        for (;;) {
            const QString s = shortString(r);
            if (s.isEmpty())
                break;
            items << s;
        }
        return items;
    }
    case vaLString:
    case vaUTF8String: {
        const uint32_t n = r.u32();
        if (qsizetype(n) > r.remaining())
            throw EReadError(QStringLiteral("Truncated component stream"));
        const QByteArray b = r.bytes(qsizetype(n));
        return t == vaUTF8String ? QString::fromUtf8(b) : fromCp936(b);
    }
    case vaCollection: {
        QVariantList items;
        while (r.peek() != vaNull) {
            if (r.peek() < 0)
                throw EReadError(QStringLiteral("Truncated component stream"));
            const int next = r.peek();
            if (next == vaInt8 || next == vaInt16 || next == vaInt32)
                readValue(r);
            if (r.u8() != vaList)
                throw EReadError(QStringLiteral("Malformed collection in component stream"));
            QVariantMap item;
            readProperties(r, &item);
            items << item;
        }
        r.u8();
        return items;
    }
    case vaSingle: return double(r.f32());
    case vaCurrency: {
        const int64_t v = int64_t(r.u32()) | (int64_t(r.u32()) << 32);
        return double(v) / 10000.0;
    }
    case vaDate:
    case vaDouble: return r.f64();
    case vaWString: {
        const uint32_t n = r.u32();
        if (qsizetype(n) * 2 > r.remaining())
            throw EReadError(QStringLiteral("Truncated component stream"));
        const QByteArray b = r.bytes(qsizetype(n) * 2);
        return QString::fromUtf16(reinterpret_cast<const char16_t *>(b.constData()), n);
    }
    case vaInt64: {
        const uint64_t lo = r.u32();
        const uint64_t hi = r.u32();
        return qlonglong(lo | (hi << 32));
    }
    default: throw EReadError(QStringLiteral("Unknown value type %1 in component stream").arg(t));
    }
}

void readComponent(ByteReader &r, QVariantMap *root, int depth)
{
    if (depth > 32)
        throw EReadError(QStringLiteral("Component stream nested too deeply"));
    const int first = r.peek();
    if (first < 0)
        throw EReadError(QStringLiteral("Truncated component stream"));
    if ((first & 0xF0) == 0xF0) {
        r.u8();
        if (first & 0x02) // child position
            readValue(r);
    }
    const QString className = shortString(r);
    const QString name = shortString(r);
    if (root) {
        root->insert(QStringLiteral("ClassName"), className);
        root->insert(QStringLiteral("Name"), name);
    }
    readProperties(r, root);
    while (r.peek() != 0) {
        if (r.peek() < 0)
            throw EReadError(QStringLiteral("Truncated component stream"));
        readComponent(r, nullptr, depth + 1);
    }
    r.u8();
}

} // namespace

QVariantMap ReadComponentStream(ByteReader &r)
{
    if (r.peekBytes(4) != "TPF0")
        throw EReadError(QStringLiteral("Not a component stream"));
    r.skip(4);
    QVariantMap props;
    depthGuard = 0;
    readComponent(r, &props, 0);
    return props;
}

InstrumentBlock ReadInstrumentBlock(ByteReader &r)
{
    InstrumentBlock b;
    if (r.peekBytes(4) == "TPF0") {
        b.properties = ReadComponentStream(r);
        b.present = true;
        return b;
    }
    const uint32_t n = r.u32();
    if (n == 0)
        return b;
    if (n > kMaxBlock || qsizetype(n) > r.remaining())
        throw EReadError(QStringLiteral("Invalid instrument settings length"));
    QByteArray data = r.bytes(qsizetype(n));
    QDataStream s(data);
    s.setVersion(QDataStream::Qt_6_4);
    s >> b.properties;
    if (s.status() != QDataStream::Ok)
        throw EReadError(QStringLiteral("Invalid instrument settings"));
    b.present = true;
    return b;
}

void WriteInstrumentBlock(ByteWriter &w, bool present, const QVariantMap &properties)
{
    if (!present) {
        w.u32(0);
        return;
    }
    QByteArray data;
    {
        QDataStream s(&data, QIODevice::WriteOnly);
        s.setVersion(QDataStream::Qt_6_4);
        s << properties;
    }
    w.u32(uint32_t(data.size()));
    w.bytes(data);
}

} // namespace scada
