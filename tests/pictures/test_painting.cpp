// Painting of picture objects into images, checked pixel by pixel where the
// rules matter.
#include "common/ByteStream.h"
#include "pictures/PictureFile.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using namespace scada;

namespace {

const QColor kCanvas(255, 0, 255); // magenta: never painted by an object

QImage canvas(int w = 200, int h = 150)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(kCanvas);
    return img;
}

QImage paint(TfrView &v, QImage img = canvas())
{
    QPainter p(&img);
    v.Paint(p);
    return img;
}

QColor px(const QImage &img, int x, int y) { return img.pixelColor(x, y); }

bool untouched(const QImage &img)
{
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y) != kCanvas)
                return false;
    return true;
}

// Pixels of the given colour inside r.
int count(const QImage &img, const QRect &r, const QColor &c)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (img.pixelColor(x, y) == c)
                ++n;
    return n;
}

// The horizontal extent of dark (text) pixels inside r.
std::pair<int, int> inkColumns(const QImage &img, const QRect &r)
{
    int lo = INT_MAX, hi = INT_MIN;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (qGray(img.pixel(x, y)) < 128) {
                lo = qMin(lo, x);
                hi = qMax(hi, x);
            }
    return {lo, hi};
}

template <class T> void place(T &v, int l, int t, int w, int h)
{
    v.Left = l;
    v.Top = t;
    v.Width = w;
    v.Height = h;
}

} // namespace

TEST(PictureGeometry, PaintingRectangleAndGapsFollowTheBorder)
{
    struct Case {
        int width;
        uint16_t border;
        DRect rect;
        int gapX, gapY;
    } cases[] = {
        {1, 0, {10, 20, 41, 61}, 2, 1},
        {1, 0xF, {10, 20, 41, 61}, 2, 1},
        {3, 0xF, {11, 21, 39, 59}, 4, 2}, // round(1.5) = 2
        {5, 0xF, {12, 22, 39, 59}, 4, 2}, // round(2.5) = 2, halves to even
        {4, 1, {10, 20, 39, 61}, 4, 2},   // round(1.5) on the left is not applied
        {4, 8, {10, 22, 41, 61}, 4, 2},
    };
    for (const auto &c : cases) {
        TfrMemoView m;
        place(m, 10, 20, 30, 40);
        m.BorderWidth = c.width;
        m.Border = c.border;
        m.ComputeGaps();
        EXPECT_EQ(m.PaintRect, c.rect) << c.width << "/" << c.border;
        EXPECT_EQ(m.GapX, c.gapX);
        EXPECT_EQ(m.GapY, c.gapY);
    }
}

TEST(PicturePainting, MemoWithoutBackColourIsPaintedOnWhite)
{
    TfrMemoView m;
    place(m, 10, 10, 50, 20);
    const QImage img = paint(m);
    EXPECT_EQ(px(img, 10, 10), QColor(Qt::white));
    EXPECT_EQ(px(img, 60, 30), QColor(Qt::white));
    EXPECT_EQ(px(img, 61, 31), kCanvas);
    m.BackColor = 0xFF0000; // blue
    EXPECT_EQ(px(paint(m), 30, 20), QColor(0, 0, 255));
}

TEST(PicturePainting, LineNormalisesItself)
{
    struct Case {
        int w, h;
        int wantW, wantH;
        uint16_t wantBorder;
        QPoint onLine;
    } cases[] = {{100, 3, 100, 0, 8, {60, 20}}, {3, 100, 0, 100, 4, {10, 70}}};
    for (const auto &c : cases) {
        TfrLineView l;
        place(l, 10, 20, c.w, c.h);
        l.BorderColor = 0x0000FF;
        const QImage img = paint(l);
        EXPECT_EQ(l.Width, c.wantW);
        EXPECT_EQ(l.Height, c.wantH);
        EXPECT_EQ(l.Border, c.wantBorder);
        EXPECT_EQ(px(img, c.onLine.x(), c.onLine.y()), QColor(255, 0, 0));
        EXPECT_EQ(count(img, img.rect(), QColor(Qt::white)), 0) << "a line paints no background";
    }
}

TEST(PicturePainting, BorderSidesAndDiagonals)
{
    TfrMemoView m;
    place(m, 20, 20, 40, 40);
    m.BackColor = 0xFFFFFF;
    m.BorderColor = 0xFF0000;
    const QColor blue(0, 0, 255);
    m.Border = 200;
    m.TfrView::ComputeGaps();
    {
        QImage img = canvas();
        QPainter p(&img);
        m.Canvas = &p;
        m.PaintBorder();
        p.end();
        EXPECT_EQ(px(img, 30, 30), blue);
        EXPECT_NE(px(img, 50, 30), blue);
    }
    m.Border = 201;
    {
        QImage img = canvas();
        QPainter p(&img);
        m.Canvas = &p;
        m.PaintBorder();
        p.end();
        EXPECT_EQ(px(img, 50, 30), blue);
        EXPECT_NE(px(img, 30, 30), blue);
    }
    m.Border = 1 | 2; // right and bottom
    {
        QImage img = canvas();
        QPainter p(&img);
        m.Canvas = &p;
        m.PaintBorder();
        p.end();
        EXPECT_EQ(px(img, 60, 40), blue);
        EXPECT_EQ(px(img, 40, 60), blue);
        EXPECT_NE(px(img, 20, 40), blue);
        EXPECT_NE(px(img, 40, 20), blue);
    }
}

TEST(PicturePainting, DigitalLampShapes)
{
    TfrYxView y;
    place(y, 10, 10, 40, 30);
    y.BackColor = 0xFF0000; // blue background
    y.Shape = 1;
    y.State = 1;
    EXPECT_EQ(px(paint(y), 30, 25), QColor(255, 0, 0));
    y.State = 0;
    const QImage off = paint(y);
    EXPECT_EQ(px(off, 30, 25), QColor(0, 255, 0));
    EXPECT_EQ(px(off, 10, 20), QColor(128, 128, 128)) << "sunken edge shadow on the left";
    y.Shape = 2;
    const QImage ellipse = paint(y);
    EXPECT_EQ(px(ellipse, 30, 25), QColor(0, 255, 0));
    EXPECT_EQ(px(ellipse, 11, 11), QColor(0, 0, 255)) << "corner outside the ellipse";
    y.Shape = 3;
    const QImage none = paint(y);
    EXPECT_EQ(count(none, QRect(10, 10, 41, 31), QColor(0, 0, 255)), 41 * 31);
}

TEST(PicturePainting, StateLampOfMemoAndPulse)
{
    TfrMemoView m;
    place(m, 10, 10, 40, 20);
    m.LampMode = 1;
    // shape 0: a = b = 10, lamp over x 25..35, y 20..30
    EXPECT_EQ(px(paint(m), 30, 25), QColor(0, 255, 0));
    m.LampOn = true;
    EXPECT_EQ(px(paint(m), 30, 25), QColor(255, 0, 0));
    EXPECT_EQ(px(paint(m), 30, 15), QColor(Qt::white)) << "above the lamp";
    m.LampShape = 4;
    m.Lines = {"12.5"};
    const QImage noLamp = paint(m);
    EXPECT_EQ(count(noLamp, noLamp.rect(), QColor(255, 0, 0)), 0);
    EXPECT_EQ(count(noLamp, noLamp.rect(), QColor(0, 255, 0)), 0);
    EXPECT_NE(inkColumns(noLamp, QRect(10, 10, 41, 21)).first, INT_MAX) << "the value text is shown";

    TfrYmView ym;
    place(ym, 10, 10, 40, 20);
    ym.LampShape = 2; // a = 10, b = 20: x 20..40
    const QImage pulse = paint(ym);
    EXPECT_EQ(px(pulse, 22, 25), QColor(0, 255, 0));
    EXPECT_EQ(px(pulse, 18, 25), QColor(Qt::white));
}

TEST(PicturePainting, UnitSymbolCircleColours)
{
    TfrFtuView f;
    place(f, 10, 10, 60, 40);
    f.BackColor = 0xFFFFFF;
    struct Case {
        int state;
        QColor want;
    } cases[] = {{0, QColor(128, 128, 128)}, {1, QColor(0, 255, 0)}, {2, QColor(255, 0, 0)}};
    for (const auto &c : cases) {
        f.UnitState = c.state;
        const QImage img = paint(f);
        EXPECT_EQ(px(img, 10 + 30, 10 + 20), c.want) << c.state;
    }
    // the symbol is combined with the background by AND
    QImage sym(4, 4, QImage::Format_RGB32);
    sym.fill(QColor(0, 255, 255));
    f.Symbol = Graphic::fromImage(sym);
    f.BackColor = 0x00FFFF; // yellow (255, 255, 0)
    EXPECT_EQ(px(paint(f), 15, 15), QColor(0, 255, 0));
}

TEST(PicturePainting, HotSpotWithEmptyCaptionIsInvisible)
{
    TfrHotView h;
    place(h, 10, 10, 60, 20);
    h.TargetPicture = "Next.pic";
    EXPECT_TRUE(untouched(paint(h)));
    h.Lines = {"Next"};
    const QImage img = paint(h);
    EXPECT_FALSE(untouched(img));
    EXPECT_NE(inkColumns(img, QRect(10, 10, 61, 21)).first, INT_MAX);
}

TEST(PicturePainting, SoundObjectReadFromAFilePaintsNothing)
{
    TfrVideoView s;
    place(s, 10, 10, 32, 32);
    s.SoundFile = "a.wav";
    EXPECT_FALSE(untouched(paint(s))) << "a new sound object shows its icon";
    ByteWriter w;
    s.WriteStream(w);
    ByteReader r(w.data());
    TfrVideoView back;
    back.ReadStream(r, 24);
    EXPECT_TRUE(untouched(paint(back)));
}

TEST(PicturePainting, MemoTextAlignmentAndRotation)
{
    TfrMemoView m;
    place(m, 0, 0, 180, 40);
    m.Lines = {"Ab"};
    const QRect box(0, 0, 181, 41);
    m.Alignment = 0;
    const auto left = inkColumns(paint(m), box);
    m.Alignment = 1;
    const auto right = inkColumns(paint(m), box);
    m.Alignment = 2;
    const auto centre = inkColumns(paint(m), box);
    EXPECT_LT(left.second, 60);
    EXPECT_GT(right.first, 120);
    EXPECT_GT(centre.first, 60);
    EXPECT_LT(centre.second, 120);

    // rotated text: taller than wide
    TfrMemoView r;
    place(r, 0, 0, 40, 140);
    r.Lines = {"Rotated"};
    r.Alignment = 4;
    const QImage img = paint(r);
    int top = INT_MAX, bottom = INT_MIN;
    for (int y = 0; y <= 140; ++y)
        for (int x = 0; x <= 40; ++x)
            if (qGray(img.pixel(x, y)) < 128) {
                top = qMin(top, y);
                bottom = qMax(bottom, y);
            }
    const auto cols = inkColumns(img, QRect(0, 0, 41, 141));
    EXPECT_GT(bottom - top, 2 * (cols.second - cols.first));

    // word wrap puts the words on separate lines
    TfrMemoView w;
    place(w, 0, 0, 60, 100);
    w.Lines = {"Wwwww Wwwww Wwwww"};
    const QImage wrapped = paint(w);
    int rowsWithInk = 0;
    for (int y = 0; y <= 100; ++y)
        if (inkColumns(wrapped, QRect(0, y, 61, 1)).first != INT_MAX)
            ++rowsWithInk;
    w.Options = 0;
    const QImage single = paint(w);
    int rowsSingle = 0;
    for (int y = 0; y <= 100; ++y)
        if (inkColumns(single, QRect(0, y, 61, 1)).first != INT_MAX)
            ++rowsSingle;
    EXPECT_GT(rowsWithInk, 2 * rowsSingle);
}

TEST(PicturePainting, ShapesAndPanels)
{
    TfrNewShapeView s;
    place(s, 20, 20, 100, 40);
    s.Border = 0xF;
    s.BorderColor = 0xFF0000;
    s.BackColor = 0x00FF00;
    s.ShapeKind = 1;
    EXPECT_EQ(s.CornerSize(), 10);
    const QImage rounded = paint(s);
    EXPECT_EQ(s.Border, 0) << "the border is cleared by painting";
    EXPECT_NE(px(rounded, 20, 20), QColor(0, 0, 255)) << "corner cut off";
    EXPECT_EQ(px(rounded, 30, 20), QColor(0, 0, 255));
    EXPECT_EQ(px(rounded, 70, 40), QColor(0, 255, 0));
    s.ShapeKind = 0;
    EXPECT_EQ(px(paint(s), 20, 20), QColor(0, 0, 255));

    // panel 5 is framed only from 25 high on
    s.ShapeKind = 5;
    s.Height = 20;
    const QImage flat = paint(s);
    EXPECT_EQ(count(flat, QRect(20, 20, 101, 21), QColor(179, 179, 179)), 101 * 21);
    s.Height = 30;
    const QImage framed = paint(s);
    EXPECT_NE(px(framed, 20, 20), QColor(179, 179, 179));
    EXPECT_EQ(px(framed, 70, 45), QColor(179, 179, 179));
}

TEST(PicturePainting, GraphicsAndPlaceholders)
{
    QImage red(8, 8, QImage::Format_RGB32);
    red.fill(Qt::red);

    TfrWmfView w;
    place(w, 10, 10, 60, 40);
    EXPECT_LT(count(paint(w), QRect(10, 10, 61, 41), QColor(Qt::white)), 61 * 41) << "\"No Wmf!\" text";
    w.Metafile = Graphic(Graphic::Metafile, Emf::fromImage(red, 60, 40));
    const QImage wmf = paint(w);
    EXPECT_EQ(px(wmf, 40, 30), QColor(255, 0, 0)) << "metafile rendered";

    TfrPictureView p;
    place(p, 10, 10, 60, 40);
    p.Options = 1; // stretched
    p.Picture = Graphic::fromImage(red);
    EXPECT_EQ(px(paint(p), 65, 45), QColor(255, 0, 0));
    p.Options = 2; // natural size, centred
    const QImage centred = paint(p);
    EXPECT_EQ(px(centred, 40, 30), QColor(255, 0, 0));
    EXPECT_EQ(px(centred, 12, 12), QColor(Qt::white));

    TfrGifView g;
    place(g, 0, 0, 40, 40);
    QImage wide(20, 10, QImage::Format_RGB32);
    wide.fill(Qt::blue);
    g.StillImage = Graphic::fromImage(wide);
    g.Options = 4 | 2;
    g.ComputeGaps();
    // width by the height factor, height by the width factor, then centred
    EXPECT_EQ(g.ImageTarget(), QRect(-19, 10, 80, 20));
    g.Options = 0;
    EXPECT_EQ(px(paint(g), 20, 35), QColor(0, 0, 255));

    TfrRunChartView c;
    place(c, 10, 10, 50, 30);
    EXPECT_TRUE(untouched(paint(c))) << "no background, empty snapshot";
    c.Snapshot = Graphic(Graphic::Metafile, Emf::fromImage(red, 50, 30));
    EXPECT_EQ(px(paint(c), 35, 25), QColor(255, 0, 0));

    TfrIoCompView io;
    place(io, 10, 10, 60, 30);
    io.HasInstrument = false;
    EXPECT_NE(inkColumns(paint(io), QRect(10, 10, 61, 31)).first, INT_MAX) << "\"No Meter!\"";
    TfrOLEView ole;
    place(ole, 10, 10, 60, 30);
    EXPECT_NE(inkColumns(paint(ole), QRect(10, 10, 61, 31)).first, INT_MAX) << "\"[OLE]\"";
}

TEST(PicturePainting, ExtremeStoredValuesPaintWithoutHarmAndStayStored)
{
    for (int code : {0, 1, 5, 6, 7, 8, 9, 10, 11, 12, 13, 20, 40}) {
        auto v = CreateObject(code);
        v->Left = INT32_MAX;
        v->Top = INT32_MIN;
        v->Width = INT32_MAX;
        v->Height = -5;
        v->BorderWidth = INT32_MAX;
        v->Border = 0xF;
        v->Lines = {"x"};
        if (auto m = dynamic_cast<TfrMemoView *>(v.get()))
            m->Font.FontSize = INT32_MAX;
        QImage img = canvas(50, 50);
        QPainter p(&img);
        v->Paint(p);
        p.end();
        EXPECT_EQ(v->Left, INT32_MAX) << code;
        EXPECT_EQ(v->Top, INT32_MIN) << code;
        EXPECT_EQ(v->Width, INT32_MAX) << code;
        EXPECT_EQ(v->BorderWidth, INT32_MAX) << code;
    }
}

TEST(PictureGeometry, ClipRegionCoversObjectBorderAndMargin)
{
    TfrMemoView m;
    place(m, 10, 20, 30, 40);
    m.BorderWidth = 4;
    struct Case {
        uint16_t border;
        bool enlarged;
        QRect want;
    } cases[] = {
        {0, false, QRect(QPoint(10, 20), QPoint(40, 60))},
        {0xF, false, QRect(QPoint(8, 18), QPoint(42, 62))},
        {0xF, true, QRect(QPoint(-2, 8), QPoint(52, 72))},
    };
    for (const auto &c : cases) {
        m.Border = c.border;
        EXPECT_EQ(m.ClipRegion(c.enlarged), QRegion(c.want)) << c.border << c.enlarged;
    }
    TfrLineView l;
    place(l, 10, 20, 50, 0);
    l.BorderWidth = 3;
    const QRegion r = l.ClipRegion(false);
    EXPECT_TRUE(r.contains(QPoint(35, 20)));
    EXPECT_TRUE(r.contains(QPoint(35, 21)));
    EXPECT_FALSE(r.contains(QPoint(35, 25)));
}

TEST(PicturePainting, DamagedMetafilesNeverBreakPainting)
{
    QImage red(8, 8, QImage::Format_RGB32);
    red.fill(Qt::red);
    const QByteArray emf = Emf::fromImage(red, 30, 20);
    TfrWmfView w;
    place(w, 0, 0, 30, 20);
    for (qsizetype at = 0; at < emf.size(); at += 3) {
        QByteArray bad = emf;
        bad[at] = char(bad[at] ^ 0x5A);
        w.Metafile = Graphic(Graphic::Metafile, bad);
        paint(w, canvas(40, 30));
    }
    // a record running past the end is not rendered
    QByteArray cut = emf;
    cut.chop(24);
    w.Metafile = Graphic(Graphic::Metafile, cut);
    EXPECT_NE(px(paint(w), 15, 10), QColor(255, 0, 0));
}
