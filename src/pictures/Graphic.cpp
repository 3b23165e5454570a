#include "pictures/Graphic.h"

#include "common/ByteStream.h"
#include "common/Errors.h"

#include <QBuffer>
#include <QPainter>
#include <QSvgRenderer>
#include <QtEndian>
#include <cstdlib>

extern "C" {
#include <emf2svg.h>
}

namespace scada {

namespace {
uint32_t le32(const QByteArray &b, qsizetype at)
{
    if (at < 0 || at + 4 > b.size())
        return 0;
    return qFromLittleEndian<uint32_t>(b.constData() + at);
}
int32_t lei32(const QByteArray &b, qsizetype at) { return static_cast<int32_t>(le32(b, at)); }

void put32(QByteArray &b, uint32_t v)
{
    char c[4];
    qToLittleEndian(v, c);
    b.append(c, 4);
}
void put16(QByteArray &b, uint16_t v)
{
    char c[2];
    qToLittleEndian(v, c);
    b.append(c, 2);
}
// The record chain of an enhanced metafile: every record at least 8 bytes,
// a multiple of 4 and inside the data, the last one the end record. Only a
// sound chain is handed to the renderer.
bool emfRecordsSound(const QByteArray &b)
{
    qsizetype at = 0;
    while (at + 8 <= b.size()) {
        const uint32_t type = le32(b, at);
        const uint32_t size = le32(b, at + 4);
        if (size < 8 || size % 4 != 0 || qsizetype(size) > b.size() - at)
            return false;
        if (type == 14) // EMR_EOF
            return true;
        if (type == 0 || type > 122)
            return false;
        at += size;
    }
    return false;
}
} // namespace

Graphic::Graphic() = default;
Graphic::Graphic(Kind kind, QByteArray bytes) : m_kind(kind), m_bytes(std::move(bytes)) {}
Graphic::Graphic(const Graphic &other) : m_kind(other.m_kind), m_bytes(other.m_bytes) {}
Graphic &Graphic::operator=(const Graphic &other)
{
    if (this != &other) {
        m_kind = other.m_kind;
        m_bytes = other.m_bytes;
        m_decoded = false;
        m_image = QImage();
        m_svg.reset();
    }
    return *this;
}
Graphic::~Graphic() = default;

Graphic Graphic::fromImage(const QImage &img) { return Graphic(Bitmap, encodeBmp(img)); }

const char *Graphic::kindName() const
{
    switch (m_kind) {
    case Bitmap: return "bitmap";
    case Metafile: return "metafile";
    case Icon: return "icon";
    default: return "none";
    }
}

void Graphic::decode() const
{
    if (m_decoded)
        return;
    m_decoded = true;
    if (isEmpty())
        return;
    if (m_kind == Bitmap) {
        m_image.loadFromData(m_bytes, "BMP");
    } else if (m_kind == Icon) {
        m_image.loadFromData(m_bytes, "ICO");
    } else if (m_kind == Metafile) {
        if (le32(m_bytes, 0) != 1 || le32(m_bytes, 40) != 0x464D4520 || !emfRecordsSound(m_bytes))
            return;
        const int w = lei32(m_bytes, 16) - lei32(m_bytes, 8) + 1;
        const int h = lei32(m_bytes, 20) - lei32(m_bytes, 12) + 1;
        if (w <= 0 || h <= 0 || w > 100000 || h > 100000)
            return;
        m_emfSize = QSize(w, h);
        generatorOptions opts{};
        char ns[] = "";
        opts.nameSpace = ns;
        opts.verbose = false;
        opts.emfplus = true;
        opts.svgDelimiter = true;
        opts.imgWidth = w;
        opts.imgHeight = h;
        char *out = nullptr;
        size_t outLen = 0;
        QByteArray copy = m_bytes;
        if (emf2svg(copy.data(), size_t(copy.size()), &out, &outLen, &opts) && out) {
            auto r = std::make_unique<QSvgRenderer>(QByteArray(out, qsizetype(outLen)));
            if (r->isValid())
                m_svg = std::move(r);
        }
        std::free(out);
    }
}

bool Graphic::isValid() const
{
    decode();
    return !m_image.isNull() || m_svg != nullptr || (m_kind == Metafile && m_emfSize.isValid());
}

QSize Graphic::size() const
{
    decode();
    if (!m_image.isNull())
        return m_image.size();
    if (m_kind == Metafile && m_emfSize.isValid())
        return m_emfSize;
    return {};
}

void Graphic::draw(QPainter &p, const QRectF &target) const
{
    decode();
    if (!m_image.isNull())
        p.drawImage(target, m_image);
    else if (m_svg)
        m_svg->render(&p, target);
}

QImage Graphic::toImage() const
{
    decode();
    if (!m_image.isNull())
        return m_image;
    QSize s = size();
    if (s.isEmpty())
        return {};
    QImage img(s, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    draw(p, QRectF(QPointF(0, 0), QSizeF(s)));
    return img;
}

bool peekEmfHeader(const ByteReader &r)
{
    const QByteArray h = r.peekBytes(52);
    return h.size() == 52 && le32(h, 0) == 1 && h.mid(40, 4) == " EMF";
}

bool peekBmpHeader(const ByteReader &r) { return r.peekBytes(2) == "BM"; }

QByteArray readEmf(ByteReader &r)
{
    if (!peekEmfHeader(r))
        throw EReadError(QStringLiteral("Invalid metafile"));
    const QByteArray h = r.peekBytes(52);
    const uint32_t n = le32(h, 48);
    if (n < 52 || qsizetype(n) > r.remaining())
        throw EReadError(QStringLiteral("Invalid metafile length"));
    return r.bytes(qsizetype(n));
}

QByteArray readBmp(ByteReader &r)
{
    const QByteArray h = r.peekBytes(14);
    if (h.size() < 14 || !h.startsWith("BM"))
        throw EReadError(QStringLiteral("Bitmap image is not valid"));
    const uint32_t n = le32(h, 2);
    if (n < 14 + 12 || qsizetype(n) > r.remaining())
        throw EReadError(QStringLiteral("Bitmap image is not valid"));
    return r.bytes(qsizetype(n));
}

QByteArray encodeBmp(const QImage &src)
{
    const QImage img = src.convertToFormat(QImage::Format_RGB32);
    const int w = img.width(), h = img.height();
    const int stride = ((w * 3) + 3) & ~3;
    const uint32_t bits = uint32_t(stride) * uint32_t(h);
    QByteArray b;
    b.reserve(54 + int(bits));
    b.append("BM");
    put32(b, 54 + bits);
    put32(b, 0);
    put32(b, 54);
    put32(b, 40);
    put32(b, uint32_t(w));
    put32(b, uint32_t(h));
    put16(b, 1);
    put16(b, 24);
    put32(b, 0);
    put32(b, bits);
    put32(b, 3780);
    put32(b, 3780);
    put32(b, 0);
    put32(b, 0);
    for (int y = h - 1; y >= 0; --y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        qsizetype start = b.size();
        for (int x = 0; x < w; ++x) {
            b.append(char(qBlue(line[x])));
            b.append(char(qGreen(line[x])));
            b.append(char(qRed(line[x])));
        }
        while (b.size() - start < stride)
            b.append('\0');
    }
    return b;
}

namespace Emf {

namespace {
QByteArray header(int width, int height, uint32_t totalBytes, uint32_t records)
{
    const int w = qMax(1, width), h = qMax(1, height);
    QByteArray b;
    put32(b, 1);   // EMR_HEADER
    put32(b, 108); // header size
    put32(b, 0);
    put32(b, 0);
    put32(b, uint32_t(w - 1));
    put32(b, uint32_t(h - 1));
    // frame in 0.01 mm at 96 pixels per inch
    put32(b, 0);
    put32(b, 0);
    put32(b, uint32_t(w * 2540 / 96));
    put32(b, uint32_t(h * 2540 / 96));
    put32(b, 0x464D4520); // " EMF"
    put32(b, 0x10000);
    put32(b, totalBytes);
    put32(b, records);
    put16(b, 1); // handles
    put16(b, 0);
    put32(b, 0); // description
    put32(b, 0);
    put32(b, 0); // palette entries
    put32(b, 1024); // reference device in pixels
    put32(b, 768);
    put32(b, 271); // and millimetres
    put32(b, 203);
    put32(b, 0); // pixel format
    put32(b, 0);
    put32(b, 0); // OpenGL
    put32(b, 270933);
    put32(b, 203200);
    return b;
}

QByteArray eof()
{
    QByteArray b;
    put32(b, 14);
    put32(b, 20);
    put32(b, 0);
    put32(b, 16);
    put32(b, 20);
    return b;
}
} // namespace

QByteArray blank(int width, int height)
{
    const QByteArray end = eof();
    return header(width, height, uint32_t(108 + end.size()), 2) + end;
}

QByteArray fromImage(const QImage &src, int width, int height)
{
    const QImage img = src.convertToFormat(QImage::Format_RGB32);
    const QByteArray bmp = encodeBmp(img);
    const QByteArray info = bmp.mid(14, 40);
    const QByteArray bits = bmp.mid(54);
    const int w = qMax(1, width), h = qMax(1, height);
    QByteArray rec;
    const uint32_t size = 80 + uint32_t(info.size()) + uint32_t(bits.size());
    put32(rec, 81); // EMR_STRETCHDIBITS
    put32(rec, size);
    put32(rec, 0);
    put32(rec, 0);
    put32(rec, uint32_t(w - 1));
    put32(rec, uint32_t(h - 1));
    put32(rec, 0); // xDest, yDest
    put32(rec, 0);
    put32(rec, 0); // xSrc, ySrc
    put32(rec, 0);
    put32(rec, uint32_t(img.width()));
    put32(rec, uint32_t(img.height()));
    put32(rec, 80); // offBmiSrc
    put32(rec, uint32_t(info.size()));
    put32(rec, 80 + uint32_t(info.size()));
    put32(rec, uint32_t(bits.size()));
    put32(rec, 0);          // DIB_RGB_COLORS
    put32(rec, 0x00CC0020); // SRCCOPY
    put32(rec, uint32_t(w));
    put32(rec, uint32_t(h));
    rec += info;
    rec += bits;
    const QByteArray end = eof();
    return header(width, height, uint32_t(108 + rec.size() + end.size()), 3) + rec + end;
}

} // namespace Emf

} // namespace scada
