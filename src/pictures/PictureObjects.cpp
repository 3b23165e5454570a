#include "pictures/PictureObjects.h"

#include "common/ByteStream.h"
#include "common/Cp936.h"
#include "pictures/InstrumentStream.h"

#include <QFont>
#include <QFontMetrics>
#include <QJsonArray>
#include <QPainter>
#include <QPainterPath>
#include <QPaintEngine>
#include <atomic>
#include <cfenv>
#include <cmath>

namespace scada {

int roundEven(double v) { return int(std::nearbyint(v)); }

namespace {

// ---- record helpers -------------------------------------------------------

QString readStr(ByteReader &r, int version)
{
    if (version >= 23)
        return r.string();
    QByteArray raw;
    for (;;) {
        uint8_t c = r.u8();
        if (c == 0)
            break;
        raw.append(char(c));
    }
    return fromCp936(raw);
}

QStringList readList(ByteReader &r, int version)
{
    if (version >= 23)
        return r.stringList();
    QStringList lines;
    QByteArray cur;
    for (;;) {
        uint8_t c = r.u8();
        if (c == 0)
            break;
        if (c == 13) {
            lines << fromCp936(cur);
            cur.clear();
        } else {
            cur.append(char(c));
        }
    }
    // an empty text after the last separator is no line
    if (!cur.isEmpty())
        lines << fromCp936(cur);
    return lines;
}

void readFont(ByteReader &r, int version, FontAttrs &f, bool withName = true)
{
    if (withName)
        f.FontName = readStr(r, version);
    f.FontSize = r.i32();
    f.FontStyle = r.u16();
    f.FontColor = r.u32();
}

QJsonValue colour(uint32_t v) { return qint64(v); }

QJsonObject graphicJson(const Graphic &g)
{
    return QJsonObject{{"kind", g.isEmpty() ? "none" : g.kindName()}, {"bytes", g.bytes().size()}};
}

void fontJson(QJsonObject &o, const FontAttrs &f)
{
    o["FontName"] = f.FontName;
    o["FontSize"] = f.FontSize;
    o["FontStyle"] = f.FontStyle;
    o["FontColor"] = colour(f.FontColor);
    o["FontCharset"] = f.FontCharset;
}

// ---- painting helpers -----------------------------------------------------

QColor paintColour(uint32_t v) { return toQColor(v); }

void fillRect(QPainter &p, const QRect &r, uint32_t colour)
{
    QColor c = isNone(colour) ? QColor(Qt::white) : paintColour(colour);
    p.fillRect(r, c);
}

QPen solidPen(uint32_t colour, int width)
{
    QColor c = isNone(colour) ? QColor(Qt::black) : paintColour(colour);
    QPen pen(c);
    pen.setWidth(qMax(1, width));
    pen.setStyle(Qt::SolidLine);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

// A platform shape over (l, t)-(r, b) with exclusive right and bottom,
// outlined with a 1-pixel pen.
QRect shapeRect(int l, int t, int r, int b) { return QRect(l, t, qMax(0, r - l - 1), qMax(0, b - t - 1)); }

void drawTextAt(QPainter &p, int x, int y, const QString &text)
{
    p.drawText(QRect(x, y, 10000, 10000), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
}

QFont arial8()
{
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(11);
    return f;
}

// The icon of an object without its picture: a small framed page.
void drawEmptyPictureIcon(QPainter &p, int x, int y)
{
    p.save();
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawRect(x, y, 14, 12);
    p.setPen(QPen(QColor(0, 128, 0), 1));
    p.drawLine(x + 2, y + 10, x + 6, y + 5);
    p.drawLine(x + 6, y + 5, x + 9, y + 8);
    p.drawLine(x + 9, y + 8, x + 12, y + 4);
    p.restore();
}

// The sound icon: a loudspeaker drawn into r.
void drawSoundIcon(QPainter &p, const QRectF &r)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(64, 64, 64));
    const qreal w = r.width(), h = r.height();
    QPolygonF speaker;
    speaker << QPointF(r.left() + w * 0.1, r.top() + h * 0.35) << QPointF(r.left() + w * 0.3, r.top() + h * 0.35)
            << QPointF(r.left() + w * 0.55, r.top() + h * 0.1) << QPointF(r.left() + w * 0.55, r.top() + h * 0.9)
            << QPointF(r.left() + w * 0.3, r.top() + h * 0.65) << QPointF(r.left() + w * 0.1, r.top() + h * 0.65);
    p.drawPolygon(speaker);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(r.left() + w * 0.45, r.top() + h * 0.3, w * 0.3, h * 0.4), -60 * 16, 120 * 16);
    p.drawArc(QRectF(r.left() + w * 0.4, r.top() + h * 0.15, w * 0.5, h * 0.7), -60 * 16, 120 * 16);
    p.restore();
}

// The state lamp of the memo in analog mode and of the pulse object.
void paintLamp(QPainter &p, const TfrView &v, int shape, bool on)
{
    if (shape >= 4)
        return;
    const int W = v.Width, H = v.Height;
    int a, b;
    if (shape == 0 || shape == 1) {
        a = b = roundEven(qMin(W, H) / 2.0);
    } else {
        a = roundEven(H / 2.0);
        b = roundEven(W / 2.0);
    }
    const int l = v.Left + roundEven((W - b) / 2.0);
    const int r = v.Left + roundEven((W + b) / 2.0);
    const int t = v.Top + a;
    const int bt = v.Top + H;
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(on ? QColor(255, 0, 0) : QColor(0, 255, 0));
    const QRect rect = shapeRect(l, t, r, bt);
    if (shape == 1 || shape == 3)
        p.drawEllipse(rect);
    else
        p.drawRect(rect);
}

// The sunken 3-D edge around (l, t, r, b).
void paintSunkenEdge(QPainter &p, int l, int t, int r, int b)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(toQColor(systemColour(SysBtnShadow)), 1));
    p.drawLine(l, b, l, t);
    p.drawLine(l, t, r + 1, t);
    p.setPen(QPen(toQColor(systemColour(SysBtnHighlight)), 1));
    p.drawLine(r + 1, t, r + 1, b + 1);
    p.drawLine(r + 1, b + 1, l, b + 1);
}

// ---- memo text ------------------------------------------------------------

QStringList wrapLines(const QStringList &lines, const QFontMetrics &fm, int width, bool wrap)
{
    QStringList src = lines;
    if (!src.isEmpty() && src.last() == QStringLiteral("\x01"))
        src.removeLast();
    bool hasOne = false;
    for (const QString &l : src)
        if (l.contains(QChar(1)))
            hasOne = true;
    if (!wrap || hasOne || width <= 0)
        return src;
    QStringList out;
    for (const QString &line : src) {
        if (fm.horizontalAdvance(line) <= width || !line.contains(' ')) {
            out << line;
            continue;
        }
        const QStringList words = line.split(' ');
        QString cur;
        for (const QString &w : words) {
            QString cand = cur.isEmpty() ? w : cur + ' ' + w;
            if (!cur.isEmpty() && fm.horizontalAdvance(cand) > width) {
                out << cur;
                cur = w;
            } else {
                cur = cand;
            }
        }
        out << cur;
    }
    return out;
}

struct LaidLine {
    QString text;
    bool lastOfParagraph;
};

// Lays the memo's text out in a box of boxW x boxH whose origin is the
// object's corner, drawing in the painter's current coordinates.
void drawMemoText(QPainter &p, const TfrMemoView &m, int boxW, int boxH)
{
    QFont font = m.Font.toQFont();
    p.setFont(font);
    p.setPen(isNone(m.Font.FontColor) ? QColor(Qt::black) : toQColor(m.Font.FontColor));
    const QFontMetrics fm(font);
    const int avail = boxW - 2 * m.GapX;
    // paragraphs with their wrapped lines
    QList<LaidLine> laid;
    QStringList src = m.Lines;
    if (!src.isEmpty() && src.last() == QStringLiteral("\x01"))
        src.removeLast();
    for (const QString &para : src) {
        const QStringList parts = wrapLines({para}, fm, avail, (m.Options & 2) != 0 && !m.Lines.join(QString()).contains(QChar(1)));
        for (int i = 0; i < parts.size(); ++i)
            laid.append({parts[i], i == parts.size() - 1});
    }
    const int lineH = fm.height() + 2;
    const int blockH = int(laid.size()) * lineH;
    int y = m.GapY;
    const int vAlign = m.Alignment & 0x18;
    if (vAlign == 8)
        y += (boxH - blockH) / 2;
    else if (vAlign == 16)
        y += boxH - blockH;
    const int hAlign = m.Alignment & 3;
    for (const LaidLine &ln : laid) {
        const int tw = fm.horizontalAdvance(ln.text);
        if (hAlign == 3 && !ln.lastOfParagraph && ln.text.contains(' ')) {
            const QStringList words = ln.text.split(' ');
            int wordsW = 0;
            for (const QString &w : words)
                wordsW += fm.horizontalAdvance(w);
            const double gap = double(avail - wordsW) / double(words.size() - 1);
            double x = m.GapX;
            for (const QString &w : words) {
                drawTextAt(p, int(std::lround(x)), y, w);
                x += fm.horizontalAdvance(w) + gap;
            }
        } else {
            int x = m.GapX;
            if (hAlign == 1)
                x = boxW - m.GapX - tw;
            else if (hAlign == 2)
                x = (boxW - tw) / 2;
            drawTextAt(p, x, y, ln.text);
        }
        y += lineH;
    }
}

std::atomic<int> g_nextObjectId{1};
TfrIoCompView::InstrumentPainter &instrumentPainter()
{
    static TfrIoCompView::InstrumentPainter painter;
    return painter;
}

} // namespace

QFont FontAttrs::toQFont() const
{
    QFont f(FontName);
    f.setPixelSize(qBound(1, roundEven(qBound(-10000, FontSize, 10000) * 96.0 / 72.0), 1000));
    f.setItalic(FontStyle & 1);
    f.setBold(FontStyle & 2);
    f.setUnderline(FontStyle & 4);
    return f;
}

// ---- TfrView --------------------------------------------------------------

TfrView::TfrView(uint8_t typeCode, const QString &baseName) : TypeCode(typeCode), BaseName(baseName) {}
TfrView::~TfrView() = default;

void TfrView::CopyFrom(const TfrView &o)
{
    ObjectName = o.ObjectName;
    BindStation = o.BindStation;
    BindUnit = o.BindUnit;
    BindPoint = o.BindPoint;
    Left = o.Left;
    Top = o.Top;
    Width = o.Width;
    Height = o.Height;
    Options = o.Options;
    Border = o.Border;
    BorderWidth = o.BorderWidth;
    BorderColor = o.BorderColor;
    BorderStyle = o.BorderStyle;
    KeepRunning = o.KeepRunning;
    BackColor = o.BackColor;
    FormatCode = o.FormatCode;
    FormatText = o.FormatText;
    Lines = o.Lines;
    ScriptLines = o.ScriptLines;
    Shown = o.Shown;
    LayoutVersion = o.LayoutVersion;
}

std::unique_ptr<TfrView> TfrView::Clone() const
{
    auto c = CreateObject(TypeCode);
    if (c)
        c->CopyFrom(*this);
    return c;
}

void TfrView::ComputeGaps()
{
    m_saved = {Left, Top, Width, Height, BorderWidth};
    m_haveSaved = true;
    // painting works on a bounded copy of the geometry (restored by
    // RestoreCoords), so no stored value can overflow the arithmetic below
    constexpr int32_t kLimit = 1 << 22;
    Left = qBound(-kLimit, Left, kLimit);
    Top = qBound(-kLimit, Top, kLimit);
    Width = qBound(-kLimit, Width, kLimit);
    Height = qBound(-kLimit, Height, kLimit);
    BorderWidth = qBound(0, BorderWidth, 1000);
    const int w = BorderWidth;
    const int half = roundEven(w / 2.0);
    const int inner = roundEven((w - 1) / 2.0);
    PaintRect.right = Left + Width - ((Border & 1) ? half : 0) + 1;
    PaintRect.bottom = Top + Height - ((Border & 2) ? half : 0) + 1;
    PaintRect.left = Left + ((Border & 4) ? inner : 0);
    PaintRect.top = Top + ((Border & 8) ? inner : 0);
    GapX = half + 2;
    GapY = half / 2 + 1;
}

void TfrView::RestoreCoords()
{
    if (!m_haveSaved)
        return;
    Left = m_saved.Left;
    Top = m_saved.Top;
    Width = m_saved.Width;
    Height = m_saved.Height;
    BorderWidth = m_saved.BorderWidth;
}

void TfrView::BeginPaint(QPainter &canvas)
{
    Canvas = &canvas;
    canvas.save();
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setRenderHint(QPainter::TextAntialiasing, true);
    ComputeGaps();
}

void TfrView::EndPaint()
{
    RestoreCoords();
    if (Canvas)
        Canvas->restore();
    // the painter belongs to the caller and may end with this paint: keep
    // no pointer to it
    Canvas = nullptr;
}

void TfrView::PaintBackground()
{
    if (!Canvas)
        return;
    Canvas->setBackgroundMode(Qt::OpaqueMode);
    fillRect(*Canvas, PaintRect.toQRect(), BackColor);
}

void TfrView::PaintBorder()
{
    if (!Canvas)
        return;
    QPainter &p = *Canvas;
    p.setPen(solidPen(BorderColor, BorderWidth));
    p.setBrush(Qt::NoBrush);
    const int R = Left + Width, B = Top + Height;
    if (Border == 200) {
        p.drawLine(Left, Top, R, B);
        return;
    }
    if (Border == 201) {
        p.drawLine(Left, B, R, Top);
        return;
    }
    if ((Border & 0xF) == 0xF) {
        p.drawRect(QRect(Left, Top, Width, Height));
        return;
    }
    if (Border & 1)
        p.drawLine(R, Top, R, B);
    if (Border & 4)
        p.drawLine(Left, Top, Left, B);
    if (Border & 2)
        p.drawLine(Left, B, R, B);
    if (Border & 8)
        p.drawLine(Left, Top, R, Top);
}

QRegion TfrView::ClipRegion(bool enlarged) const
{
    const int half = BorderWidth / 2;
    int l = Left - ((Border & 4) ? half : 0);
    int t = Top - ((Border & 8) ? half : 0);
    int r = Left + Width + 1 + ((Border & 1) ? half : 0);
    int b = Top + Height + 1 + ((Border & 2) ? half : 0);
    if (enlarged) {
        l -= 10;
        t -= 10;
        r += 10;
        b += 10;
    }
    return QRegion(QRect(l, t, r - l, b - t));
}

bool TfrView::Contains(const QPoint &p) const
{
    return p.x() > Left && p.x() < Left + Width && p.y() > Top && p.y() < Top + Height;
}

void TfrView::ReadStream(ByteReader &r, int version)
{
    if (version >= 23)
        ObjectName = r.string();
    else
        ObjectName = BaseName;
    BindStation = r.u16();
    BindUnit = r.u16();
    BindPoint = r.u16();
    Left = r.i32();
    Top = r.i32();
    Width = r.i32();
    Height = r.i32();
    Options = r.u16();
    Border = r.u16();
    BorderWidth = r.i32();
    BorderColor = r.u32();
    BorderStyle = r.u8();
    KeepRunning = r.u8();
    BackColor = r.u32();
    FormatCode = r.i32();
    FormatText = readStr(r, version);
    Lines = readList(r, version);
    if (version >= 23) {
        ScriptLines = r.stringList();
        Shown = r.u16();
    }
    if (version >= 24)
        LayoutVersion = r.u8();
}

void TfrView::WriteStream(ByteWriter &w) const
{
    w.string(ObjectName);
    w.u16(BindStation);
    w.u16(BindUnit);
    w.u16(BindPoint);
    w.i32(Left);
    w.i32(Top);
    w.i32(Width);
    w.i32(Height);
    w.u16(Options);
    w.u16(Border);
    w.i32(BorderWidth);
    w.u32(BorderColor);
    w.u8(BorderStyle);
    w.u8(KeepRunning);
    w.u32(BackColor);
    w.i32(FormatCode);
    w.string(FormatText);
    w.stringList(Lines);
    w.stringList(ScriptLines);
    w.u16(Shown);
    w.u8(kCurrentLayout);
}

QJsonObject TfrView::StoredAttributes() const
{
    QJsonObject o;
    o["typeCode"] = TypeCode;
    o["class"] = ClassName();
    o["ObjectName"] = ObjectName;
    o["BindStation"] = BindStation;
    o["BindUnit"] = BindUnit;
    o["BindPoint"] = BindPoint;
    o["Left"] = Left;
    o["Top"] = Top;
    o["Width"] = Width;
    o["Height"] = Height;
    o["Options"] = Options;
    o["Border"] = Border;
    o["BorderWidth"] = BorderWidth;
    o["BorderColor"] = colour(BorderColor);
    o["BorderStyle"] = BorderStyle;
    o["KeepRunning"] = KeepRunning;
    o["BackColor"] = colour(BackColor);
    o["FormatCode"] = FormatCode;
    o["FormatText"] = FormatText;
    o["Lines"] = QJsonArray::fromStringList(Lines);
    o["ScriptLines"] = QJsonArray::fromStringList(ScriptLines);
    o["Shown"] = Shown;
    o["LayoutVersion"] = LayoutVersion;
    return o;
}

// ---- TfrMemoView ----------------------------------------------------------

TfrMemoView::TfrMemoView() : TfrView(gtMemo, QStringLiteral("Memo")) { Options = 2; }

void TfrMemoView::CopyFrom(const TfrView &other)
{
    TfrView::CopyFrom(other);
    if (auto o = dynamic_cast<const TfrMemoView *>(&other)) {
        Font = o->Font;
        Alignment = o->Alignment;
        LampMode = o->LampMode;
        LampShape = o->LampShape;
        ExtraLines = o->ExtraLines;
        HighlightStyle = o->HighlightStyle;
        HighlightFontColor = o->HighlightFontColor;
        HighlightBackColor = o->HighlightBackColor;
        HighlightCondition = o->HighlightCondition;
    }
}

void TfrMemoView::ReadStream(ByteReader &r, int version)
{
    TfrView::ReadStream(r, version);
    readFont(r, version, Font);
    Alignment = r.i32();
    Font.FontCharset = r.u16();
    if (version < 23)
        Font.FontCharset = 1;
    LampMode = r.u8();
    LampShape = r.u8();
    ExtraLines = readList(r, version);
    HighlightStyle = r.u16();
    HighlightFontColor = r.u32();
    HighlightBackColor = r.u32();
    HighlightCondition = readStr(r, version);
    if (version == 21)
        Options |= 2;
}

void TfrMemoView::WriteStream(ByteWriter &w) const
{
    TfrView::WriteStream(w);
    w.string(Font.FontName);
    w.i32(Font.FontSize);
    w.u16(Font.FontStyle);
    w.u32(Font.FontColor);
    w.i32(Alignment);
    w.u16(Font.FontCharset);
    w.u8(LampMode);
    w.u8(LampShape);
    w.stringList(ExtraLines);
    w.u16(HighlightStyle);
    w.u32(HighlightFontColor);
    w.u32(HighlightBackColor);
    w.string(HighlightCondition);
}

QJsonObject TfrMemoView::StoredAttributes() const
{
    QJsonObject o = TfrView::StoredAttributes();
    fontJson(o, Font);
    o["Alignment"] = Alignment;
    o["LampMode"] = LampMode;
    o["LampShape"] = LampShape;
    o["ExtraLines"] = QJsonArray::fromStringList(ExtraLines);
    o["HighlightStyle"] = HighlightStyle;
    o["HighlightFontColor"] = colour(HighlightFontColor);
    o["HighlightBackColor"] = colour(HighlightBackColor);
    o["HighlightCondition"] = HighlightCondition;
    return o;
}

void TfrMemoView::Paint(QPainter &canvas)
{
    BeginPaint(canvas);
    PaintBackground();
    if (!Lines.isEmpty()) {
        canvas.save();
        canvas.setClipRect(PaintRect.toQRect());
        if (Alignment & 4) {
            // turned by 90 degrees, running upwards: the box's width runs
            // along the object's height
            canvas.translate(Left, Top + Height);
            canvas.rotate(-90);
            drawMemoText(canvas, *this, Height, Width);
        } else {
            canvas.translate(Left, Top);
            drawMemoText(canvas, *this, Width, Height);
        }
        canvas.restore();
    }
    if (LampMode == 1)
        paintLamp(canvas, *this, LampShape, LampOn);
    EndPaint();
}

// ---- TfrPictureView -------------------------------------------------------

TfrPictureView::TfrPictureView() : TfrView(gtPicture, QStringLiteral("Picture")) { Options = 5; }

void TfrPictureView::CopyFrom(const TfrView &other)
{
    TfrView::CopyFrom(other);
    if (auto o = dynamic_cast<const TfrPictureView *>(&other))
        Picture = o->Picture;
}

namespace {
// Graphic kind, end position, the graphic; the reader always continues at
// the end position, also when the graphic is not valid.
Graphic readPositionedGraphic(ByteReader &r)
{
    const uint8_t kind = r.u8();
    const uint32_t end = r.u32();
    const qsizetype start = r.pos();
    if (qsizetype(end) < start || qsizetype(end) > r.size())
        throw EStreamLost(QStringLiteral("Invalid graphic end position"));
    QByteArray bytes = r.bytes(qsizetype(end) - start);
    if (kind == Graphic::None)
        return {};
    bool ok = false;
    if (kind == Graphic::Bitmap)
        ok = bytes.startsWith("BM") && bytes.size() >= 26;
    else if (kind == Graphic::Icon)
        ok = bytes.size() >= 6 && bytes.startsWith(QByteArray("\x00\x00\x01\x00", 4));
    else if (kind == Graphic::Metafile)
        ok = (bytes.size() >= 52 && bytes.mid(40, 4) == " EMF") || bytes.startsWith("\xD7\xCD\xC6\x9A");
    if (!ok)
        throw EReadError(QStringLiteral("Invalid graphic"));
    return Graphic(Graphic::Kind(kind), bytes);
}

void writePositionedGraphic(ByteWriter &w, const Graphic &g)
{
    w.u8(g.isEmpty() ? 0 : g.kind());
    const qsizetype at = w.size();
    w.u32(0);
    if (!g.isEmpty())
        w.bytes(g.bytes());
    w.patchU32(at, uint32_t(w.size()));
}

// Draws a graphic as the picture object does.
void drawPlaced(QPainter &p, const TfrView &v, const Graphic &g)
{
    const QRect pr = v.PaintRect.toQRect();
    if (v.Options & 1) {
        g.draw(p, pr);
        return;
    }
    QSize s = g.size();
    QRect target(pr.topLeft(), s);
    if (v.Options & 2)
        target.moveTopLeft(QPoint(pr.left() + (pr.width() - s.width()) / 2, pr.top() + (pr.height() - s.height()) / 2));
    p.save();
    p.setClipRect(pr);
    g.draw(p, target);
    p.restore();
}

void drawPlaceholder(QPainter &p, const TfrView &v, const QString &text)
{
    p.setFont(arial8());
    p.setPen(Qt::black);
    drawTextAt(p, v.Left + 20, v.Top + 3, text);
    drawEmptyPictureIcon(p, v.Left + 1, v.Top + 2);
}
} // namespace

void TfrPictureView::ReadStream(ByteReader &r, int version)
{
    TfrView::ReadStream(r, version);
    Picture = readPositionedGraphic(r);
}

void TfrPictureView::WriteStream(ByteWriter &w) const
{
    TfrView::WriteStream(w);
    writePositionedGraphic(w, Picture);
}

QJsonObject TfrPictureView::StoredAttributes() const
{
    QJsonObject o = TfrView::StoredAttributes();
    o["Graphic"] = graphicJson(Picture);
    return o;
}

void TfrPictureView::Paint(QPainter &canvas)
{
    BeginPaint(canvas);
    PaintBackground();
    if (!Picture.isEmpty() && Picture.isValid())
        drawPlaced(canvas, *this, Picture);
    else
        drawPlaceholder(canvas, *this, QStringLiteral("No Picture!"));
    PaintBorder();
    EndPaint();
}

// ---- TfrLineView ----------------------------------------------------------

TfrLineView::TfrLineView() : TfrView(gtLine, QStringLiteral("Line")) { Border = 4; }

void TfrLineView::Normalise()
{
    if (Height < Width) {
        Height = 0;
        Border = 8;
    } else {
        Width = 0;
        Border = 4;
    }
}

void TfrLineView::Paint(QPainter &canvas)
{
    Normalise();
    BeginPaint(canvas);
    PaintBorder();
    EndPaint();
}

QRegion TfrLineView::ClipRegion(bool enlarged) const
{
    const int half = qMax(1, BorderWidth / 2 + 1);
    QRect r = Height == 0 ? QRect(Left, Top - half, Width + 1, 2 * half) : QRect(Left - half, Top, 2 * half, Height + 1);
    if (enlarged)
        r.adjust(-10, -10, 10, 10);
    return QRegion(r);
}

// ---- TfrYxView ------------------------------------------------------------

TfrYxView::TfrYxView() : TfrView(gtYx, QStringLiteral("YX")) { Options = 5; }

void TfrYxView::CopyFrom(const TfrView &other)
{
    TfrView::CopyFrom(other);
    if (auto o = dynamic_cast<const TfrYxView *>(&other)) {
        Shape = o->Shape;
        OnColor = o->OnColor;
        OffColor = o->OffColor;
    }
}

void TfrYxView::ReadStream(ByteReader &r, int version)
{
    TfrView::ReadStream(r, version);
    if (version >= 24) {
        Shape = r.u8();
        OnColor = r.u32();
        OffColor = r.u32();
    }
}

void TfrYxView::WriteStream(ByteWriter &w) const
{
    TfrView::WriteStream(w);
    w.u8(Shape);
    w.u32(OnColor);
    w.u32(OffColor);
}

QJsonObject TfrYxView::StoredAttributes() const
{
    QJsonObject o = TfrView::StoredAttributes();
    o["Shape"] = Shape;
    o["OnColor"] = colour(OnColor);
    o["OffColor"] = colour(OffColor);
    return o;
}

void TfrYxView::Paint(QPainter &canvas)
{
    BeginPaint(canvas);
    PaintBackground();
    const uint32_t fill = State ? OnColor : OffColor;
    canvas.setBrush(isNone(fill) ? QBrush(Qt::NoBrush) : QBrush(toQColor(fill)));
    canvas.setPen(QPen(Qt::black, 1));
    const DRect &pr = PaintRect;
    if (Shape == 1) {
        canvas.drawRect(shapeRect(pr.left, pr.top, pr.right, pr.bottom));
        paintSunkenEdge(canvas, pr.left, pr.top, pr.right, pr.bottom);
    } else if (Shape == 2) {
        canvas.drawEllipse(shapeRect(pr.left, pr.top, pr.right, pr.bottom));
    }
    EndPaint();
}

// ---- TfrHotView -----------------------------------------------------------

TfrHotView::TfrHotView() : TfrView(gtHot, QStringLiteral("Hot")) { Options = 2; }

void TfrHotView::CopyFrom(const TfrView &other)
{
    TfrView::CopyFrom(other);
    if (auto o = dynamic_cast<const TfrHotView *>(&other)) {
        Font = o->Font;
        TargetPicture = o->TargetPicture;
    }
}

void TfrHotView::ReadStream(ByteReader &r, int version)
{
    TfrView::ReadStream(r, version);
    Font.FontName = readStr(r, version);
    TargetPicture = readStr(r, version);
    readFont(r, version, Font, false);
    Font.FontCharset = r.u16();
    if (version < 23)
        Font.FontCharset = 1;
    if (version == 21)
        Options |= 2;
}

void TfrHotView::WriteStream(ByteWriter &w) const
{
    TfrView::WriteStream(w);
    w.string(Font.FontName);
    w.string(TargetPicture);
    w.i32(Font.FontSize);
    w.u16(Font.FontStyle);
    w.u32(Font.FontColor);
    w.u16(Font.FontCharset);
}

QJsonObject TfrHotView::StoredAttributes() const
{
    QJsonObject o = TfrView::StoredAttributes();
    fontJson(o, Font);
    o["TargetPicture"] = TargetPicture;
    return o;
}

void TfrHotView::Paint(QPainter &canvas)
{
    BeginPaint(canvas);
    const QString caption = Caption();
    if (!caption.isEmpty()) {
        PaintBackground();
        canvas.setFont(Font.toQFont());
        canvas.setPen(isNone(Font.FontColor) ? QColor(Qt::black) : toQColor(Font.FontColor));
        drawTextAt(canvas, Left, Top, caption);
    }
    EndPaint();
}

// ---- TfrIoCompView --------------------------------------------------------

QString InstrumentClassName(int kind)
{
    static const char *names[] = {"TiSwitchRocker", "TiSwitchRotary", "TiAngularLogGauge", "TiKnob",
                                  "TiTank", "TiSevenSegmentAnalog", "TiOdometer", "TiThermometer",
                                  "TiXYPlot", "TiLedBar", "TiLedRound", "TiAnalogDisplay"};
    if (kind < 0 || kind > 11)
        return {};
    return QString::fromLatin1(names[kind]);
}

TfrIoCompView::TfrIoCompView() : TfrView(gtIoComp, QStringLiteral("IoComp")) {}

void TfrIoCompView::SetInstrumentPainter(InstrumentPainter painter) { instrumentPainter() = std::move(painter); }

void TfrIoCompView::CopyFrom(const TfrView &other)
{
    TfrView::CopyFrom(other);
    if (auto o = dynamic_cast<const TfrIoCompView *>(&other)) {
        InstrumentKind = o->InstrumentKind;
        HasInstrument = o->HasInstrument;
        Instrument = o->Instrument;
    }
}

void TfrIoCompView::ReadStream(ByteReader &r, int version)
{
    TfrView::ReadStream(r, version);
    InstrumentKind = r.u16();
    InstrumentBlock block = ReadInstrumentBlock(r);
    HasInstrument = block.present;
    Instrument = block.properties;
}

void TfrIoCompView::WriteStream(ByteWriter &w) const
{
    TfrView::WriteStream(w);
    w.u16(InstrumentKind);
    WriteInstrumentBlock(w, HasInstrument, Instrument);
}

QJsonObject TfrIoCompView::StoredAttributes() const
{
    QJsonObject o = TfrView::StoredAttributes();
    o["InstrumentKind"] = InstrumentKind;
    if (HasInstrument) {
        QJsonObject props;
        for (auto it = Instrument.cbegin(); it != Instrument.cend(); ++it) {
            if (it.value().typeId() == QMetaType::QByteArray)
                props[it.key()] = QJsonObject{{"kind", "binary"}, {"bytes", it.value().toByteArray().size()}};
            else
                props[it.key()] = QJsonValue::fromVariant(it.value());
        }
        o["Instrument"] = QJsonObject{{"class", InstrumentClassName(InstrumentKind)}, {"properties", props}};
    } else {
        o["Instrument"] = QJsonValue::Null;
    }
    return o;
}

void TfrIoCompView::Paint(QPainter &canvas)
{
    BeginPaint(canvas);
    PaintBackground();
    const bool known = HasInstrument && !InstrumentClassName(InstrumentKind).isEmpty();
    if (known) {
        const QRect r(Left, Top, Width, Height);
        try {
            if (instrumentPainter()) {
                instrumentPainter()(canvas, *this, r);
            } else {
                canvas.setPen(QPen(Qt::gray, 1));
                canvas.setBrush(Qt::NoBrush);
                canvas.drawRect(r.adjusted(0, 0, -1, -1));
                canvas.setFont(arial8());
                canvas.setPen(Qt::black);
                canvas.drawText(r, Qt::AlignCenter, InstrumentClassName(InstrumentKind));
            }
        } catch (...) {
            // an instrument that fails to paint is left as it is
        }
    } else {
        canvas.setFont(arial8());
        canvas.setPen(Qt::black);
        drawTextAt(canvas, Left, Top, QStringLiteral("No Meter!"));
    }
    EndPaint();
}

// ---- TfrFtuView -----------------------------------------------------------

TfrFtuView::TfrFtuView() : TfrView(gtFtu, QStringLiteral("Ftu")) { Options = 2; }

void TfrFtuView::CopyFrom(const TfrView &other)
{
    TfrView::CopyFrom(other);
    if (auto o = dynamic_cast<const TfrFtuView *>(&other)) {
        OnlineColor = o->OnlineColor;
        OfflineColor = o->OfflineColor;
        ErrorColor = o->ErrorColor;
        Symbol = o->Symbol;
    }
}

void TfrFtuView::ReadStream(ByteReader &r, int version)
{
    TfrView::ReadStream(r, version);
    bool hasSymbol;
    if (version >= 24) {
        OnlineColor = r.u32();
        OfflineColor = r.u32();
        ErrorColor = r.u32();
        hasSymbol = r.u8() == 1;
    } else {
        hasSymbol = peekBmpHeader(r);
    }
    Symbol = hasSymbol ? Graphic(Graphic::Bitmap, readBmp(r)) : Graphic();
    if (version == 21)
        Options |= 2;
}

void TfrFtuView::WriteStream(ByteWriter &w) const
{
    TfrView::WriteStream(w);
    w.u32(OnlineColor);
    w.u32(OfflineColor);
    w.u32(ErrorColor);
    const bool has = !Symbol.isEmpty();
    w.u8(has ? 1 : 0);
    if (has)
        w.bytes(Symbol.kind() == Graphic::Bitmap ? Symbol.bytes() : encodeBmp(Symbol.toImage()));
}

QJsonObject TfrFtuView::StoredAttributes() const
{
    QJsonObject o = TfrView::StoredAttributes();
    o["OnlineColor"] = colour(OnlineColor);
    o["OfflineColor"] = colour(OfflineColor);
    o["ErrorColor"] = colour(ErrorColor);
    o["Symbol"] = graphicJson(Symbol);
    return o;
}

void TfrFtuView::Paint(QPainter &canvas)
{
    BeginPaint(canvas);
    PaintBackground();
    const DRect &pr = PaintRect;
    if (!Symbol.isEmpty()) {
        const QImage img = Symbol.toImage();
        if (!img.isNull()) {
            QRectF target = pr.toQRect();
            if (Options & 4) {
                const double k = qMin(double(Width) / img.width(), double(Height) / img.height());
                QSizeF s(img.width() * k, img.height() * k);
                QPointF at = target.topLeft();
                if (Options & 2)
                    at += QPointF((target.width() - s.width()) / 2, (target.height() - s.height()) / 2);
                target = QRectF(at, s);
            }
            canvas.save();
            if (canvas.paintEngine() && canvas.paintEngine()->type() == QPaintEngine::Raster)
                canvas.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
            canvas.drawImage(target, img);
            canvas.restore();
        }
    }
    PaintBorder();
    const int cx = Left + roundEven(pr.width() / 2.0);
    const int cy = Top + roundEven(pr.height() / 2.0);
    const uint32_t c = UnitState == 1 ? OnlineColor : UnitState == 2 ? ErrorColor : OfflineColor;
    canvas.setPen(QPen(Qt::black, 1));
    canvas.setBrush(isNone(c) ? QBrush(Qt::NoBrush) : QBrush(toQColor(c)));
    canvas.drawEllipse(shapeRect(cx - 8, cy - 8, cx + 8, cy + 8));
    paintSunkenEdge(canvas, pr.left, pr.top, pr.right - 1, pr.bottom - 1);
    EndPaint();
}

// ---- TfrWmfView -----------------------------------------------------------

TfrWmfView::TfrWmfView() : TfrView(gtWmf, QStringLiteral("Wmf")) { Options = 5; }

void TfrWmfView::CopyFrom(const TfrView &other)
{
    TfrView::CopyFrom(other);
    if (auto o = dynamic_cast<const TfrWmfView *>(&other))
        Metafile = o->Metafile;
}

void TfrWmfView::ReadStream(ByteReader &r, int version)
{
    TfrView::ReadStream(r, version);
    Graphic g = readPositionedGraphic(r);
    Metafile = g.isEmpty() ? Graphic() : Graphic(Graphic::Metafile, g.bytes());
}

void TfrWmfView::WriteStream(ByteWriter &w) const
{
    TfrView::WriteStream(w);
    writePositionedGraphic(w, Metafile.isEmpty() ? Graphic() : Graphic(Graphic::Metafile, Metafile.bytes()));
}

QJsonObject TfrWmfView::StoredAttributes() const
{
    QJsonObject o = TfrView::StoredAttributes();
    o["Metafile"] = graphicJson(Metafile);
    return o;
}

void TfrWmfView::Paint(QPainter &canvas)
{
    BeginPaint(canvas);
    PaintBackground();
    if (Metafile.isEmpty()) {
        drawPlaceholder(canvas, *this, QStringLiteral("No Wmf!"));
        EndPaint();
        return;
    }
    Metafile.draw(canvas, PaintRect.toQRect());
    PaintBorder();
    EndPaint();
}

// ---- TfrVideoView ---------------------------------------------------------

TfrVideoView::TfrVideoView() : TfrView(gtVideo, QStringLiteral("Video")) { Options = 2; }

void TfrVideoView::CopyFrom(const TfrView &other)
{
    TfrView::CopyFrom(other);
    if (auto o = dynamic_cast<const TfrVideoView *>(&other)) {
        SoundFile = o->SoundFile;
        ReservedValue = o->ReservedValue;
        PlayCount = o->PlayCount;
    }
}

void TfrVideoView::ReadStream(ByteReader &r, int version)
{
    TfrView::ReadStream(r, version);
    SoundFile = r.string();
    ReservedValue = r.i32();
    PlayCount = r.i32();
    IconShown = false;
}

void TfrVideoView::WriteStream(ByteWriter &w) const
{
    TfrView::WriteStream(w);
    w.string(SoundFile);
    w.i32(ReservedValue);
    w.i32(PlayCount);
}

QJsonObject TfrVideoView::StoredAttributes() const
{
    QJsonObject o = TfrView::StoredAttributes();
    o["SoundFile"] = SoundFile;
    o["ReservedValue"] = ReservedValue;
    o["PlayCount"] = PlayCount;
    return o;
}

void TfrVideoView::Paint(QPainter &canvas)
{
    BeginPaint(canvas);
    if (IconShown) {
        PaintBackground();
        QRectF target = PaintRect.toQRect();
        if (Options & 4) {
            const qreal side = qMin(target.width(), target.height());
            QPointF at = target.topLeft();
            if (Options & 2)
                at += QPointF((target.width() - side) / 2, (target.height() - side) / 2);
            target = QRectF(at, QSizeF(side, side));
        }
        drawSoundIcon(canvas, target);
        PaintBorder();
    }
    EndPaint();
}

// ---- TfrYmView ------------------------------------------------------------

TfrYmView::TfrYmView() : TfrView(gtYm, QString::fromUtf8("遥脉")) { Options = 2; }

void TfrYmView::CopyFrom(const TfrView &other)
{
    TfrView::CopyFrom(other);
    if (auto o = dynamic_cast<const TfrYmView *>(&other)) {
        Font = o->Font;
        ReservedFlag = o->ReservedFlag;
        LampShape = o->LampShape;
    }
}

void TfrYmView::ReadStream(ByteReader &r, int version)
{
    TfrView::ReadStream(r, version);
    readFont(r, version, Font);
    Font.FontCharset = r.u16();
    if (version < 23)
        Font.FontCharset = 1;
    ReservedFlag = r.u8();
    LampShape = r.u8();
    if (version == 21)
        Options |= 2;
}

void TfrYmView::WriteStream(ByteWriter &w) const
{
    TfrView::WriteStream(w);
    w.string(Font.FontName);
    w.i32(Font.FontSize);
    w.u16(Font.FontStyle);
    w.u32(Font.FontColor);
    w.u16(Font.FontCharset);
    w.u8(ReservedFlag);
    w.u8(LampShape);
}

QJsonObject TfrYmView::StoredAttributes() const
{
    QJsonObject o = TfrView::StoredAttributes();
    fontJson(o, Font);
    o["ReservedFlag"] = ReservedFlag;
    o["LampShape"] = LampShape;
    return o;
}

void TfrYmView::Paint(QPainter &canvas)
{
    BeginPaint(canvas);
    PaintBackground();
    if (!Lines.isEmpty()) {
        canvas.setFont(Font.toQFont());
        canvas.setPen(isNone(Font.FontColor) ? QColor(Qt::black) : toQColor(Font.FontColor));
        drawTextAt(canvas, Left, Top, Lines.first());
    }
    paintLamp(canvas, *this, LampShape, LampOn);
    EndPaint();
}

// ---- TfrOLEView -----------------------------------------------------------

TfrOLEView::TfrOLEView() : TfrView(gtOle, QStringLiteral("Ole")) { Options = 1; }

void TfrOLEView::ReadStream(ByteReader &r, int version)
{
    TfrView::ReadStream(r, version);
    if (r.u8() != 0)
        throw EStreamLost(QStringLiteral("Embedded OLE objects are not supported"));
}

void TfrOLEView::WriteStream(ByteWriter &w) const
{
    TfrView::WriteStream(w);
    w.u8(0);
}

void TfrOLEView::Paint(QPainter &canvas)
{
    BeginPaint(canvas);
    SizeChanged();
    PaintBackground();
    canvas.setFont(arial8());
    canvas.setPen(Qt::black);
    drawTextAt(canvas, Left + 2, Top + 2, QStringLiteral("[OLE]"));
    PaintBorder();
    EndPaint();
}

// ---- TfrRunChartView ------------------------------------------------------

TfrRunChartView::TfrRunChartView() : TfrView(gtRunChart, QStringLiteral("RunChart"))
{
    Options |= 0x8000;
    const uint32_t defaults[12] = {255,      65280,    0xFFFF,   0xFF0000,
                                   0xFFFF00, systemColour(1), systemColour(3), systemColour(24),
                                   0xFF00FF, 0x800080, 0x800000, 0x8080};
    std::copy(std::begin(defaults), std::end(defaults), ChannelColors);
}

void TfrRunChartView::CopyFrom(const TfrView &other)
{
    TfrView::CopyFrom(other);
    if (auto o = dynamic_cast<const TfrRunChartView *>(&other)) {
        ChartKind = o->ChartKind;
        Show3D = o->Show3D;
        ShowWalls = o->ShowWalls;
        ShowLegend = o->ShowLegend;
        ShowAxis = o->ShowAxis;
        ShowMarks = o->ShowMarks;
        MultiColor = o->MultiColor;
        std::copy(std::begin(o->ChannelColors), std::end(o->ChannelColors), ChannelColors);
        std::copy(std::begin(o->ChannelShown), std::end(o->ChannelShown), ChannelShown);
        ChartBackColor = o->ChartBackColor;
        GridColor = o->GridColor;
        Snapshot = o->Snapshot;
    }
}

void TfrRunChartView::ReadStream(ByteReader &r, int version)
{
    TfrView::ReadStream(r, version);
    ChartKind = r.u8();
    Show3D = r.u8();
    ShowWalls = r.u8();
    ShowLegend = r.u8();
    ShowAxis = r.u8();
    ShowMarks = r.u8();
    MultiColor = r.u8();
    for (auto &c : ChannelColors)
        c = r.u32();
    for (auto &s : ChannelShown)
        s = r.u8();
    ChartBackColor = r.u32();
    GridColor = r.u32();
    // records written without a confirmed editor lack the snapshot
    Snapshot = peekEmfHeader(r) ? Graphic(Graphic::Metafile, readEmf(r)) : Graphic();
}

void TfrRunChartView::WriteStream(ByteWriter &w) const
{
    TfrView::WriteStream(w);
    w.u8(ChartKind);
    w.u8(Show3D);
    w.u8(ShowWalls);
    w.u8(ShowLegend);
    w.u8(ShowAxis);
    w.u8(ShowMarks);
    w.u8(MultiColor);
    for (auto c : ChannelColors)
        w.u32(c);
    for (auto s : ChannelShown)
        w.u8(s);
    w.u32(ChartBackColor);
    w.u32(GridColor);
    // never a record without its snapshot: an empty one is written blank
    const bool emf = !Snapshot.isEmpty() && Snapshot.bytes().size() >= 52 && Snapshot.bytes().mid(40, 4) == " EMF";
    w.bytes(emf ? Snapshot.bytes() : Emf::blank(Width, Height));
}

QJsonObject TfrRunChartView::StoredAttributes() const
{
    QJsonObject o = TfrView::StoredAttributes();
    o["ChartKind"] = ChartKind;
    o["Show3D"] = Show3D;
    o["ShowWalls"] = ShowWalls;
    o["ShowLegend"] = ShowLegend;
    o["ShowAxis"] = ShowAxis;
    o["ShowMarks"] = ShowMarks;
    o["MultiColor"] = MultiColor;
    QJsonArray colours, shown;
    for (int i = 0; i < 12; ++i) {
        colours.append(colour(ChannelColors[i]));
        shown.append(ChannelShown[i]);
    }
    o["ChannelColors"] = colours;
    o["ChannelShown"] = shown;
    o["ChartBackColor"] = colour(ChartBackColor);
    o["GridColor"] = colour(GridColor);
    o["Snapshot"] = graphicJson(Snapshot);
    return o;
}

void TfrRunChartView::Paint(QPainter &canvas)
{
    BeginPaint(canvas);
    if (!Snapshot.isEmpty())
        Snapshot.draw(canvas, PaintRect.toQRect());
    PaintBorder();
    EndPaint();
}

// ---- TfrGifView -----------------------------------------------------------

TfrGifView::TfrGifView() : TfrView(gtGif, QStringLiteral("Gif")) { Options = 2; }

void TfrGifView::CopyFrom(const TfrView &other)
{
    TfrView::CopyFrom(other);
    if (auto o = dynamic_cast<const TfrGifView *>(&other)) {
        StillImage = o->StillImage;
        GifFile = o->GifFile;
    }
}

void TfrGifView::ReadStream(ByteReader &r, int version)
{
    TfrView::ReadStream(r, version);
    StillImage = peekBmpHeader(r) ? Graphic(Graphic::Bitmap, readBmp(r)) : Graphic();
    GifFile = r.string();
    if (version == 21)
        Options |= 2;
}

void TfrGifView::WriteStream(ByteWriter &w) const
{
    TfrView::WriteStream(w);
    if (!StillImage.isEmpty() && StillImage.kind() == Graphic::Bitmap && StillImage.bytes().startsWith("BM")) {
        w.bytes(StillImage.bytes());
    } else {
        // never a record without its image: an empty one is written as a
        // white bitmap of the object's size
        QImage img(qMax(1, Width), qMax(1, Height), QImage::Format_RGB32);
        img.fill(Qt::white);
        w.bytes(encodeBmp(img));
    }
    w.string(GifFile);
}

QJsonObject TfrGifView::StoredAttributes() const
{
    QJsonObject o = TfrView::StoredAttributes();
    o["StillImage"] = graphicJson(StillImage);
    o["GifFile"] = GifFile;
    return o;
}

QRect TfrGifView::ImageTarget() const
{
    const QRect pr = PaintRect.toQRect();
    const QSize s = StillImage.size();
    if (!(Options & 4) || s.isEmpty())
        return pr;
    const int w = roundEven(double(s.width()) * Height / s.height());
    const int h = roundEven(double(s.height()) * Width / s.width());
    QRect r(pr.left(), pr.top(), w, h);
    if (Options & 2)
        r.translate((pr.width() - w) / 2, (pr.height() - h) / 2);
    return r;
}

void TfrGifView::Paint(QPainter &canvas)
{
    BeginPaint(canvas);
    PaintBackground();
    if (!StillImage.isEmpty())
        StillImage.draw(canvas, ImageTarget());
    PaintBorder();
    EndPaint();
}

// ---- TfrNewShapeView ------------------------------------------------------

TfrNewShapeView::TfrNewShapeView() : TfrView(gtNewShape, QStringLiteral("Shape")) {}

void TfrNewShapeView::CopyFrom(const TfrView &other)
{
    TfrView::CopyFrom(other);
    if (auto o = dynamic_cast<const TfrNewShapeView *>(&other))
        ShapeKind = o->ShapeKind;
}

void TfrNewShapeView::ReadStream(ByteReader &r, int version)
{
    TfrView::ReadStream(r, version);
    ShapeKind = r.u8();
}

void TfrNewShapeView::WriteStream(ByteWriter &w) const
{
    TfrView::WriteStream(w);
    w.u8(ShapeKind);
}

QJsonObject TfrNewShapeView::StoredAttributes() const
{
    QJsonObject o = TfrView::StoredAttributes();
    o["ShapeKind"] = ShapeKind;
    return o;
}

namespace {
// A raised grey panel: fill, then when large enough a bevel of one-pixel
// lines, lighter along the top and left, darker along the bottom and right.
void paintPanel(QPainter &p, const QRect &r, int fill, int minW, int minH, bool band, bool corners)
{
    p.fillRect(r, QColor(fill, fill, fill));
    if (r.width() < minW || r.height() < minH)
        return;
    const int light[5] = {255, 240, 228, 216, 204};
    const int dark[5] = {64, 96, 128, 144, 160};
    for (int i = 0; i < 5; ++i) {
        const int l = r.left() + i, t = r.top() + i, rr = r.right() - i, b = r.bottom() - i;
        if (rr <= l || b <= t)
            break;
        p.setPen(QColor(light[i], light[i], light[i]));
        p.drawLine(l, t, rr, t);
        p.drawLine(l, t, l, b);
        p.setPen(QColor(dark[i], dark[i], dark[i]));
        p.drawLine(l, b, rr, b);
        p.drawLine(rr, t, rr, b);
    }
    if (band) {
        for (int i = 0; i < 4; ++i) {
            const int y = r.top() + 8 + 3 * i;
            if (y >= r.bottom() - 5)
                break;
            p.setPen(QColor(fill - 40, fill - 40, fill - 40));
            p.drawLine(r.left() + 6, y, r.right() - 6, y);
            p.setPen(QColor(qMin(255, fill + 40), qMin(255, fill + 40), qMin(255, fill + 40)));
            p.drawLine(r.left() + 6, y + 1, r.right() - 6, y + 1);
        }
    }
    if (corners) {
        p.setPen(QColor(fill - 60, fill - 60, fill - 60));
        p.drawPoint(r.topRight());
        p.drawPoint(r.bottomLeft());
    }
}
} // namespace

void TfrNewShapeView::Paint(QPainter &canvas)
{
    Border = 0;
    BeginPaint(canvas);
    fillRect(canvas, PaintRect.toQRect(), clNone);
    const QRect objectRect(Left, Top, Width + 1, Height + 1);
    if (ShapeKind <= 2) {
        canvas.setPen(solidPen(BorderColor, roundEven(BorderWidth)));
        canvas.setBrush(isNone(BackColor) ? QBrush(Qt::NoBrush) : QBrush(toQColor(BackColor)));
        const QRect r = shapeRect(Left, Top, Left + Width + 1, Top + Height + 1);
        if (ShapeKind == 0) {
            canvas.drawRect(r);
        } else if (ShapeKind == 1) {
            const qreal radius = CornerSize() / 2.0;
            canvas.drawRoundedRect(r, radius, radius);
        } else {
            canvas.drawEllipse(r);
        }
    } else {
        switch (ShapeKind) {
        case 3: paintPanel(canvas, objectRect, 191, 10, 10, false, false); break;
        case 4: paintPanel(canvas, objectRect, 179, 10, 10, false, false); break;
        case 5: paintPanel(canvas, objectRect, 179, 6, 25, true, false); break;
        case 6: paintPanel(canvas, objectRect, 179, 10, 10, false, true); break;
        case 7: paintPanel(canvas, objectRect, 191, 10, 25, true, false); break;
        default: break;
        }
    }
    EndPaint();
}

// ---- factory --------------------------------------------------------------

std::unique_ptr<TfrView> CreateObject(int typeCode)
{
    std::unique_ptr<TfrView> v;
    switch (typeCode) {
    case gtMemo: v = std::make_unique<TfrMemoView>(); break;
    case gtPicture: v = std::make_unique<TfrPictureView>(); break;
    case gtLine: v = std::make_unique<TfrLineView>(); break;
    case gtYx: v = std::make_unique<TfrYxView>(); break;
    case gtHot: v = std::make_unique<TfrHotView>(); break;
    case gtRunChart: v = std::make_unique<TfrRunChartView>(); break;
    case gtIoComp: v = std::make_unique<TfrIoCompView>(); break;
    case gtFtu: v = std::make_unique<TfrFtuView>(); break;
    case gtGif: v = std::make_unique<TfrGifView>(); break;
    case gtNewShape: v = std::make_unique<TfrNewShapeView>(); break;
    case gtWmf: v = std::make_unique<TfrWmfView>(); break;
    case gtVideo: v = std::make_unique<TfrVideoView>(); break;
    case gtYm: v = std::make_unique<TfrYmView>(); break;
    case gtOle: v = std::make_unique<TfrOLEView>(); break;
    default: return nullptr;
    }
    v->ObjectId = g_nextObjectId++;
    return v;
}

bool IsPictureTypeCode(int c)
{
    return c == 0 || c == 1 || (c >= 4 && c <= 13) || c == 20 || c == 40;
}

QString UniqueName(const QString &baseName, const std::vector<const TfrView *> &objects)
{
    for (int n = 1; n <= 10000; ++n) {
        const QString name = baseName + QString::number(n);
        bool used = false;
        for (const TfrView *o : objects)
            if (o && o->ObjectName == name) {
                used = true;
                break;
            }
        if (!used)
            return name;
    }
    return {};
}

} // namespace scada
