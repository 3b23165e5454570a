#include "DemoPictures.h"

#include "common/Errors.h"
#include "pictures/PictureFile.h"
#include "pictures/PictureTreeFile.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <QtEndian>
#include <cmath>

namespace scadactl {

using namespace scada;

namespace {

constexpr double kPi = 3.14159265358979323846;

bool save(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile f(path);
    if (f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.commit())
        return true;
    if (error)
        *error = QStringLiteral("cannot write %1").arg(path);
    return false;
}

// ---- sounds ------------------------------------------------------------------

// 16-bit mono PCM at 8 kHz.
QByteArray wav(const QList<QPair<double, double>> &tones) // (frequency, seconds)
{
    const int rate = 8000;
    QByteArray pcm;
    for (const auto &[freq, seconds] : tones) {
        const int n = int(rate * seconds);
        for (int i = 0; i < n; ++i) {
            const double t = double(i) / rate;
            // soft start and end of each tone, beeping twice a second
            const double envelope = std::min(1.0, std::min(i, n - i) / 400.0) * (std::fmod(t, 0.5) < 0.35 ? 1 : 0.15);
            const auto s = qint16(9000 * envelope * std::sin(2 * kPi * freq * t));
            char b[2];
            qToLittleEndian(s, b);
            pcm.append(b, 2);
        }
    }
    QByteArray out("RIFF");
    auto u32 = [&](quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        out.append(b, 4);
    };
    auto u16 = [&](quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        out.append(b, 2);
    };
    u32(36 + quint32(pcm.size()));
    out.append("WAVEfmt ");
    u32(16);
    u16(1);
    u16(1);
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    out.append("data");
    u32(quint32(pcm.size()));
    return out + pcm;
}

// ---- GIF animations ------------------------------------------------------------

// A GIF89a writer for small palette images: 7-bit codes packed as 8-bit
// LZW codes with a clear code before the code table would grow, so no
// compression state is needed.
class GifWriter {
public:
    explicit GifWriter(QList<QRgb> palette) : m_palette(std::move(palette)) {}

    QByteArray write(const QList<QImage> &frames, int delayCs) const
    {
        const int w = frames.first().width(), h = frames.first().height();
        QByteArray g("GIF89a");
        le16(g, w);
        le16(g, h);
        g.append(char(0xF6)); // global table of 128 colours
        g.append(char(0));
        g.append(char(0));
        for (int i = 0; i < 128; ++i) {
            const QRgb c = i < m_palette.size() ? m_palette[i] : qRgb(0, 0, 0);
            g.append(char(qRed(c))).append(char(qGreen(c))).append(char(qBlue(c)));
        }
        g.append("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
        for (const QImage &frame : frames) {
            g.append("\x21\xF9\x04\x04", 4);
            le16(g, delayCs);
            g.append(char(0)).append(char(0));
            g.append(char(0x2C));
            le16(g, 0);
            le16(g, 0);
            le16(g, w);
            le16(g, h);
            g.append(char(0));
            g.append(char(7)); // minimum code size
            QByteArray codes;
            int sinceClear = 0;
            codes.append(char(128));
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    if (sinceClear == 120) {
                        codes.append(char(128));
                        sinceClear = 0;
                    }
                    codes.append(char(nearest(frame.pixel(x, y))));
                    ++sinceClear;
                }
            codes.append(char(129));
            for (int i = 0; i < codes.size(); i += 255) {
                const QByteArray block = codes.mid(i, 255);
                g.append(char(block.size()));
                g.append(block);
            }
            g.append(char(0));
        }
        g.append(char(0x3B));
        return g;
    }

private:
    static void le16(QByteArray &b, int v) { b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); }
    int nearest(QRgb c) const
    {
        int best = 0, bestD = INT_MAX;
        for (int i = 0; i < m_palette.size(); ++i) {
            const QRgb p = m_palette[i];
            const int d = std::abs(qRed(c) - qRed(p)) + std::abs(qGreen(c) - qGreen(p)) + std::abs(qBlue(c) - qBlue(p));
            if (d < bestD)
                best = i, bestD = d;
        }
        return best;
    }
    QList<QRgb> m_palette;
};

const QList<QRgb> kGifPalette = {qRgb(255, 255, 255), qRgb(0, 0, 0),      qRgb(40, 90, 200), qRgb(150, 150, 160),
                                 qRgb(230, 60, 40),    qRgb(40, 180, 60), qRgb(250, 210, 40), qRgb(90, 90, 100)};

// A pump: a casing with a turning impeller.
QByteArray pumpGif()
{
    QList<QImage> frames;
    for (int f = 0; f < 8; ++f) {
        QImage img(48, 48, QImage::Format_RGB32);
        img.fill(kGifPalette[0]);
        QPainter p(&img);
        p.setPen(QPen(QColor(kGifPalette[1]), 2));
        p.setBrush(QColor(kGifPalette[3]));
        p.drawEllipse(QRect(6, 6, 36, 36));
        p.setBrush(QColor(kGifPalette[2]));
        p.drawRect(QRect(38, 18, 10, 12));
        p.setPen(QPen(QColor(kGifPalette[5]), 4));
        for (int k = 0; k < 3; ++k) {
            const double a = (f * 15 + k * 120) * kPi / 180;
            p.drawLine(QPointF(24, 24), QPointF(24 + 14 * std::cos(a), 24 - 14 * std::sin(a)));
        }
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(kGifPalette[1]));
        p.drawEllipse(QPointF(24, 24), 3, 3);
        frames << img;
    }
    return GifWriter(kGifPalette).write(frames, 8);
}

// A flashing alarm beacon.
QByteArray beaconGif()
{
    QList<QImage> frames;
    for (int f = 0; f < 4; ++f) {
        QImage img(32, 32, QImage::Format_RGB32);
        img.fill(kGifPalette[0]);
        QPainter p(&img);
        p.setPen(QPen(QColor(kGifPalette[1]), 1));
        p.setBrush(QColor(kGifPalette[7]));
        p.drawRect(QRect(6, 24, 20, 6));
        p.setBrush(QColor(f % 2 ? kGifPalette[4] : kGifPalette[6]));
        p.drawChord(QRect(8, 6, 16, 36), 0, 180 * 16);
        if (f % 2) {
            p.setPen(QPen(QColor(kGifPalette[4]), 2));
            p.drawLine(2, 8, 6, 12);
            p.drawLine(30, 8, 26, 12);
        }
        frames << img;
    }
    return GifWriter(kGifPalette).write(frames, 30);
}

// ---- picture objects -------------------------------------------------------------

struct Pic {
    PictureDocument doc;
    Pic()
    {
        doc.PageWidth = 2800;  // 1008 pixels
        doc.PageHeight = 2000; // 720 pixels
        doc.BackColor = 0xF0E8E0;
    }
    template <class T> T *add(int code, int x, int y, int w, int h, int unit = 1, int point = 1)
    {
        T *o = doc.AddAs<T>(code);
        o->Left = x, o->Top = y, o->Width = w, o->Height = h;
        o->BindStation = 1, o->BindUnit = uint16_t(unit), o->BindPoint = uint16_t(point);
        return o;
    }
    TfrMemoView *text(int x, int y, int w, int h, const QString &t, int size = 9, bool bold = false,
                      uint32_t colour = clBlack, uint32_t back = clNone)
    {
        auto *m = add<TfrMemoView>(gtMemo, x, y, w, h);
        m->Lines = QStringList{t};
        m->Font.FontSize = size;
        m->Font.FontStyle = bold ? 1 : 0;
        m->Font.FontColor = colour;
        m->BackColor = back;
        return m;
    }
    // An analog value with its lamp, its name and unit.
    void analog(int x, int y, int unit, int point, const QString &name, const QString &units)
    {
        text(x, y, 80, 18, name);
        auto *m = add<TfrMemoView>(gtMemo, x + 80, y, 80, 18, unit, point);
        m->LampMode = 1;
        m->LampShape = 4; // a plain read-out, without the lamp
        m->Lines = QStringList{QStringLiteral("   0.00")};
        m->BackColor = 0x202020;
        m->Font.FontColor = 0x00FF00;
        m->Font.FontName = QStringLiteral("Courier New");
        m->Border = 15;
        m->Alignment = 1;
        text(x + 164, y, 50, 18, units);
    }
    void lamp(int x, int y, int unit, int point, const QString &name, uint8_t shape = 1)
    {
        auto *l = add<TfrYxView>(gtYx, x, y, 18, 18, unit, point);
        l->Shape = shape;
        text(x + 22, y, 90, 18, name);
    }
    void pipe(int x, int y, int w, int h)
    {
        auto *l = add<TfrLineView>(gtLine, x, y, w, h);
        l->BorderWidth = 4;
        l->BorderColor = 0xC08040; // steel blue
    }
    void panel(int x, int y, int w, int h, const QString &title)
    {
        auto *s = add<TfrNewShapeView>(gtNewShape, x, y, w, h);
        s->ShapeKind = 3;
        text(x + 8, y + 4, w - 16, 18, title, 10, true, 0x800000);
    }
    TfrFtuView *unitSymbol(int x, int y, int unit, const QString &name)
    {
        auto *f = add<TfrFtuView>(gtFtu, x, y, 56, 40, unit);
        f->Border = 15;
        text(x - 12, y + 42, 80, 16, name, 8, true)->Alignment = 2;
        return f;
    }
    TfrIoCompView *instrument(int kind, int x, int y, int w, int h, int unit, int point, QVariantMap settings = {})
    {
        auto *o = add<TfrIoCompView>(gtIoComp, x, y, w, h, unit, point);
        o->InstrumentKind = uint16_t(kind);
        settings.insert(QStringLiteral("Width"), w);
        settings.insert(QStringLiteral("Height"), h);
        o->Instrument = settings;
        return o;
    }
    TfrHotView *hot(int x, int y, int w, int h, const QString &caption, const QString &target)
    {
        auto *o = add<TfrHotView>(gtHot, x, y, w, h);
        o->Lines = QStringList{caption};
        o->TargetPicture = target;
        o->Font.FontColor = 0xFF0000;
        o->Font.FontStyle = 4; // underline
        return o;
    }
    void runChart(int x, int y, int w, int h, int unit, int channels)
    {
        auto *c = add<TfrRunChartView>(gtRunChart, x, y, w, h, unit);
        c->ChartKind = 0;
        c->Show3D = 0;
        for (int i = 0; i < channels; ++i)
            c->ChannelShown[i] = 1;
    }
    TfrGifView *gif(int x, int y, int w, int h, int unit, int point, const QString &file, bool keepRunning = false)
    {
        auto *g = add<TfrGifView>(gtGif, x, y, w, h, unit, point);
        g->GifFile = file;
        g->KeepRunning = keepRunning ? 1 : 0;
        return g;
    }
};

QImage logo()
{
    QImage img(120, 48, QImage::Format_RGB32);
    img.fill(QColor(20, 70, 140));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(120, 200, 255));
    p.setPen(Qt::NoPen);
    QPainterPath drop;
    drop.moveTo(24, 6);
    drop.cubicTo(34, 20, 38, 28, 38, 32);
    drop.cubicTo(38, 40, 31, 44, 24, 44);
    drop.cubicTo(17, 44, 10, 40, 10, 32);
    drop.cubicTo(10, 28, 14, 20, 24, 6);
    p.drawPath(drop);
    // waves beside the drop (no text: the tool runs without a font database)
    p.setPen(QPen(QColor(120, 200, 255), 3));
    p.setBrush(Qt::NoBrush);
    for (int k = 0; k < 3; ++k) {
        QPainterPath wave;
        const int y = 14 + k * 10;
        wave.moveTo(48, y);
        for (int x = 48; x < 112; x += 16)
            wave.cubicTo(x + 4, y - 5, x + 12, y + 5, x + 16, y);
        p.drawPath(wave);
    }
    return img;
}

QImage valveSymbol()
{
    QImage img(64, 40, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(QColor(200, 200, 210));
    p.drawPolygon(QPolygon({QPoint(4, 8), QPoint(32, 22), QPoint(4, 36)}));
    p.drawPolygon(QPolygon({QPoint(60, 8), QPoint(32, 22), QPoint(60, 36)}));
    p.drawLine(32, 22, 32, 4);
    p.drawRect(24, 0, 16, 5);
    return img;
}

// Unit positions (1-based in bindings): 1 Intake, 2 PumpA, 3 PumpB,
// 4 Reservoir, 5 Feeder (not polled), 6 Substation.
PictureDocument mainPicture()
{
    Pic p;
    p.text(0, 0, 1008, 40, QStringLiteral("Riverside Water Works - Overview"), 18, true, clWhite, 0x803000)->Alignment = 2;
    auto *logoPic = p.add<TfrPictureView>(gtPicture, 880, 46, 120, 48);
    logoPic->Picture = Graphic::fromImage(logo());

    // units along the process line
    p.pipe(60, 128, 880, 0);
    p.unitSymbol(40, 100, 1, QStringLiteral("Intake"));
    p.unitSymbol(240, 100, 2, QStringLiteral("PumpA"));
    p.unitSymbol(400, 100, 3, QStringLiteral("PumpB"));
    p.unitSymbol(600, 100, 4, QStringLiteral("Reservoir"));
    p.unitSymbol(780, 100, 6, QStringLiteral("Substation"));
    p.unitSymbol(920, 100, 5, QStringLiteral("Feeder"));
    p.gif(320, 100, 48, 48, 2, 3, QStringLiteral("pump.gif"));
    p.gif(480, 100, 48, 48, 3, 3, QStringLiteral("pump.gif"));
    auto *valve = p.add<TfrWmfView>(gtWmf, 150, 108, 64, 40, 1, 1);
    valve->Metafile = Graphic(Graphic::Metafile, Emf::fromImage(valveSymbol(), 64, 40));

    // intake panel
    p.panel(10, 190, 330, 190, QStringLiteral("Intake"));
    p.analog(20, 216, 1, 1, QStringLiteral("Flow"), QStringLiteral("m3/h"));
    p.analog(20, 240, 1, 2, QStringLiteral("River level"), QStringLiteral("m"));
    p.analog(20, 264, 1, 3, QStringLiteral("Pressure"), QStringLiteral("bar"));
    p.analog(20, 288, 1, 4, QStringLiteral("Turbidity"), QStringLiteral("NTU"));
    p.lamp(20, 316, 1, 5, QStringLiteral("Screen run"));
    p.lamp(20, 338, 1, 6, QStringLiteral("Screen fault"));
    p.lamp(180, 316, 1, 7, QStringLiteral("Gate open"));
    p.lamp(180, 338, 1, 13, QStringLiteral("Pump 1"));
    auto *ym = p.add<TfrYmView>(gtYm, 120, 358, 120, 18, 1, 1);
    ym->Border = 15;
    ym->BackColor = 0xFFFFFF;
    ym->LampShape = 4; // the count alone
    p.text(20, 358, 100, 18, QStringLiteral("Energy (kWh)"));

    // pumps panel
    p.panel(350, 190, 300, 190, QStringLiteral("Booster pumps"));
    p.analog(360, 216, 2, 1, QStringLiteral("A current"), QStringLiteral("A"));
    p.analog(360, 240, 2, 2, QStringLiteral("A speed"), QStringLiteral("rpm"));
    p.analog(360, 264, 3, 1, QStringLiteral("B current"), QStringLiteral("A"));
    p.analog(360, 288, 3, 2, QStringLiteral("B speed"), QStringLiteral("rpm"));
    p.lamp(360, 316, 2, 3, QStringLiteral("A running"));
    p.lamp(360, 338, 2, 4, QStringLiteral("A tripped"));
    p.lamp(500, 316, 3, 3, QStringLiteral("B running"));
    p.lamp(500, 338, 3, 4, QStringLiteral("B tripped"));

    // reservoir and substation
    p.panel(660, 190, 340, 190, QStringLiteral("Reservoir and power"));
    p.instrument(4, 670, 216, 70, 150, 4, 1, {{"PositionMax", 12}, {"UnitsText", " m"}, {"Precision", 1}});
    p.analog(750, 216, 4, 2, QStringLiteral("Chlorine"), QStringLiteral("mg/l"));
    p.analog(750, 240, 4, 4, QStringLiteral("Outflow"), QStringLiteral("m3/h"));
    p.analog(750, 264, 6, 1, QStringLiteral("Bus voltage"), QStringLiteral("kV"));
    p.analog(750, 288, 6, 2, QStringLiteral("Load"), QStringLiteral("MW"));
    p.lamp(750, 316, 4, 7, QStringLiteral("Overflow"));
    p.lamp(750, 338, 6, 4, QStringLiteral("CB1 closed"));
    p.gif(900, 310, 32, 32, 4, 7, QStringLiteral("beacon.gif"));

    // trend, gauge and seven-segment display
    p.runChart(10, 390, 500, 250, 1, 4);
    p.instrument(2, 520, 390, 200, 200, 1, 1,
                 {{"PositionMin", 10}, {"PositionMax", 10000}, {"Title", "Flow m3/h"}, {"Position", 10}});
    p.text(730, 390, 270, 18, QStringLiteral("Header pressure (bar)"), 9, true);
    p.instrument(5, 730, 410, 160, 50, 1, 3, {{"Precision", 1}, {"DigitCount", 5}});
    p.text(730, 470, 270, 18, QStringLiteral("Intake flow total"), 9, true);
    p.instrument(6, 730, 490, 180, 34, 1, 1, {{"Precision", 1}, {"DigitCount", 6}});

    // navigation
    p.hot(730, 550, 120, 20, QStringLiteral("Pump station >>"), QStringLiteral("Pumps.pic"));
    p.hot(730, 576, 120, 20, QStringLiteral("Reservoir >>"), QStringLiteral("Reservoir.pic"));
    auto *sound = p.add<TfrVideoView>(gtVideo, 960, 650, 32, 32);
    sound->SoundFile = QStringLiteral("Welcome.wav");
    sound->PlayCount = 1;
    p.add<TfrOLEView>(gtOle, 900, 650, 40, 32);
    p.text(10, 650, 700, 18, QStringLiteral("Right-click a lamp, value or unit for its menu; hover for details."), 8,
           false, 0x606060);
    return std::move(p.doc);
}

PictureDocument pumpsPicture()
{
    Pic p;
    p.text(0, 0, 1008, 40, QStringLiteral("Booster Pump Station"), 18, true, clWhite, 0x306000)->Alignment = 2;
    p.hot(900, 50, 100, 20, QStringLiteral("<< Overview"), QStringLiteral("Main.pic"));
    p.pipe(40, 150, 700, 0);
    p.gif(160, 126, 48, 48, 2, 3, QStringLiteral("pump.gif"));
    p.gif(420, 126, 48, 48, 3, 3, QStringLiteral("pump.gif"));
    p.unitSymbol(40, 60, 2, QStringLiteral("PumpA"));
    p.unitSymbol(300, 60, 3, QStringLiteral("PumpB"));
    p.unitSymbol(560, 60, 1, QStringLiteral("Intake"));

    p.panel(10, 200, 480, 250, QStringLiteral("Pump A"));
    p.analog(20, 226, 2, 1, QStringLiteral("Current"), QStringLiteral("A"));
    p.analog(20, 250, 2, 2, QStringLiteral("Speed"), QStringLiteral("rpm"));
    p.lamp(20, 278, 2, 3, QStringLiteral("Running"));
    p.lamp(20, 300, 2, 4, QStringLiteral("Tripped"));
    p.text(250, 226, 110, 18, QStringLiteral("Start output"));
    p.instrument(1, 250, 246, 90, 90, 2, 7, {{"Labels", "OFF,ON"}});
    p.text(360, 226, 120, 18, QStringLiteral("Trip run time"));
    p.instrument(9, 360, 250, 120, 22, 2, 4, {{"Tag", 1}, {"SegmentCount", 18}});
    p.text(360, 290, 120, 18, QStringLiteral("Trip timer (min)"));
    p.instrument(11, 360, 310, 110, 28, 2, 1);
    p.instrument(10, 20, 330, 30, 30, 2, 3, {{"Active", true}});
    p.text(56, 336, 150, 18, QStringLiteral("Control power"));

    p.panel(500, 200, 500, 250, QStringLiteral("Intake pumps and settings"));
    p.text(510, 226, 90, 18, QStringLiteral("Pump 1"));
    p.instrument(0, 510, 246, 44, 76, 1, 13);
    p.text(570, 226, 90, 18, QStringLiteral("Pump 3"));
    p.instrument(0, 570, 246, 44, 76, 1, 15);
    p.text(640, 226, 160, 18, QStringLiteral("Turbidity limit (V)"));
    p.instrument(3, 640, 246, 120, 140, 1, 3, {{"PositionMax", 10}});
    p.text(780, 226, 200, 18, QStringLiteral("Screen wash counter"));
    p.instrument(3, 780, 246, 120, 140, 1, 2, {{"PositionMax", 999999}});
    p.text(780, 396, 120, 18, QStringLiteral("Count"));
    p.instrument(11, 830, 396, 120, 26, 1, 2);

    p.runChart(10, 460, 990, 220, 2, 2);
    return std::move(p.doc);
}

PictureDocument reservoirPicture()
{
    Pic p;
    p.text(0, 0, 1008, 40, QStringLiteral("Clear Water Reservoir"), 18, true, clWhite, 0x805000)->Alignment = 2;
    p.hot(20, 150, 100, 20, QStringLiteral("<< Overview"), QStringLiteral("Main.pic"));
    p.pipe(96, 80, 74, 0);
    p.unitSymbol(40, 60, 4, QStringLiteral("Reservoir"));
    auto *round = p.add<TfrNewShapeView>(gtNewShape, 150, 60, 360, 340);
    round->ShapeKind = 1;
    p.instrument(4, 170, 80, 140, 300, 4, 1, {{"PositionMax", 12}, {"UnitsText", " m"}, {"Precision", 1}});
    p.pipe(310, 360, 200, 0);
    p.lamp(330, 80, 4, 9, QStringLiteral("Inlet open"));
    p.lamp(330, 102, 4, 10, QStringLiteral("Outlet open"));
    p.lamp(330, 124, 4, 7, QStringLiteral("Overflow"));
    p.lamp(330, 146, 4, 8, QStringLiteral("Low level"));
    p.text(330, 180, 160, 18, QStringLiteral("Water temperature"));
    p.instrument(7, 330, 200, 60, 180, 4, 3, {{"PositionMin", 0}, {"PositionMax", 30}});
    auto *ellipse = p.add<TfrNewShapeView>(gtNewShape, 420, 220, 60, 60);
    ellipse->ShapeKind = 2;
    p.text(425, 240, 50, 18, QStringLiteral("Mixer"))->Alignment = 2;

    p.panel(520, 60, 480, 200, QStringLiteral("Water quality"));
    p.analog(530, 86, 4, 2, QStringLiteral("Chlorine"), QStringLiteral("mg/l"));
    p.analog(530, 110, 4, 6, QStringLiteral("pH"), QStringLiteral("pH"));
    p.analog(530, 134, 4, 4, QStringLiteral("Outflow"), QStringLiteral("m3/h"));
    p.analog(530, 158, 4, 5, QStringLiteral("Inflow"), QStringLiteral("m3/h"));
    p.text(530, 190, 160, 18, QStringLiteral("Outflow total"));
    p.instrument(6, 700, 186, 180, 30, 4, 4, {{"Precision", 1}});
    p.text(530, 224, 160, 18, QStringLiteral("Dosing counter"));
    p.instrument(11, 700, 220, 120, 28, 4, 1);

    // the reservoir's stored volume curve: volume (1000 m3) against level (m)
    QVariantList curve;
    for (int i = 0; i <= 24; ++i) {
        const double level = i * 0.5;
        curve << QVariant(QVariantList{level, std::round((2.0 * level + 0.08 * level * level) * 100) / 100});
    }
    p.text(520, 270, 480, 18, QStringLiteral("Volume (1000 m3) against level (m)"), 9, true);
    p.instrument(8, 520, 290, 480, 200, 4, 1, {{"Points", curve}});
    p.runChart(10, 500, 990, 200, 4, 6);
    return std::move(p.doc);
}

} // namespace

bool WriteDemoPictures(const QString &dir, QString *error)
{
    QDir plant(dir);
    if (!plant.mkpath(QStringLiteral("giflib")) || !plant.mkpath(QStringLiteral("Sound"))) {
        if (error)
            *error = QStringLiteral("cannot create the picture folders in %1").arg(dir);
        return false;
    }
    try {
        WritePictureFile(plant.filePath(QStringLiteral("Main.pic")), mainPicture());
        WritePictureFile(plant.filePath(QStringLiteral("Pumps.pic")), pumpsPicture());
        WritePictureFile(plant.filePath(QStringLiteral("Reservoir.pic")), reservoirPicture());
        TreeNodes tree = PictureTreeSkeleton({QStringLiteral("Riverside")});
        TreeNode &pictures = tree[0].children[0].children[0];
        for (const char *name : {"Main.pic", "Pumps.pic", "Reservoir.pic"})
            pictures.children.push_back(TreeNode{QString::fromLatin1(name), {}});
        SaveTreeFile(plant.filePath(QStringLiteral("TreeView")), tree);
    } catch (const ScadaError &e) {
        if (error)
            *error = e.message();
        return false;
    }
    // the alarm sound: 5-second segments a digital point's sound positions
    // select (0 alarm on, 1 alarm off, then two spare tones)
    return save(plant.filePath(QStringLiteral("giflib/pump.gif")), pumpGif(), error)
        && save(plant.filePath(QStringLiteral("giflib/beacon.gif")), beaconGif(), error)
        && save(plant.filePath(QStringLiteral("Sound.wav")), wav({{880, 5}, {440, 5}, {660, 5}, {550, 5}}), error)
        && save(plant.filePath(QStringLiteral("Sound/Welcome.wav")), wav({{523, 0.3}, {659, 0.3}, {784, 0.6}}), error);
}

} // namespace scadactl
