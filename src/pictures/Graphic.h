#pragma once
// Graphics held by picture objects: bitmaps (BMP files), enhanced metafiles
// (EMF, rendered through libemf2svg and Qt Svg) and icons (ICO files). A
// graphic keeps the bytes it was read from, so a picture written back holds
// exactly the image it was read with; decoding for painting is done on demand.

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <memory>

class QPainter;
class QSvgRenderer;

namespace scada {

class ByteReader;

class Graphic {
public:
    enum Kind : uint8_t { None = 0, Bitmap = 1, Metafile = 2, Icon = 3 };

    Graphic();
    Graphic(Kind kind, QByteArray bytes);
    Graphic(const Graphic &other);
    Graphic &operator=(const Graphic &other);
    ~Graphic();

    // A bitmap graphic holding img as a 24-bit BMP file.
    static Graphic fromImage(const QImage &img);

    Kind kind() const { return m_kind; }
    const QByteArray &bytes() const { return m_bytes; }
    bool isEmpty() const { return m_kind == None || m_bytes.isEmpty(); }
    const char *kindName() const;

    // Natural size in pixels (0x0 when empty or undecodable).
    QSize size() const;
    // Decodes the graphic; false when its bytes are not a valid image.
    bool isValid() const;
    // Draws the graphic stretched into target.
    void draw(QPainter &p, const QRectF &target) const;
    // The graphic rendered into an image of its natural size (bitmaps and
    // icons decoded, metafiles rendered).
    QImage toImage() const;

    bool operator==(const Graphic &o) const { return m_kind == o.m_kind && m_bytes == o.m_bytes; }

private:
    void decode() const;
    Kind m_kind = None;
    QByteArray m_bytes;
    mutable bool m_decoded = false;
    mutable QImage m_image;
    mutable std::unique_ptr<QSvgRenderer> m_svg;
    mutable QSize m_emfSize;
};

// Signatures read ahead of an optional image.
bool peekEmfHeader(const ByteReader &r);
bool peekBmpHeader(const ByteReader &r);
// Reads an EMF whose header gives its total length; throws EReadError on a
// malformed header.
QByteArray readEmf(ByteReader &r);
// Reads a BMP file whose header gives its total length.
QByteArray readBmp(ByteReader &r);
// A BMP file (24-bit, bottom-up) holding img.
QByteArray encodeBmp(const QImage &img);

// A small writer of enhanced metafiles: a header, optionally one
// StretchDIBits record drawing an image over the whole frame, and the end
// record.
namespace Emf {
QByteArray blank(int width, int height);
QByteArray fromImage(const QImage &img, int width, int height);
} // namespace Emf

} // namespace scada
