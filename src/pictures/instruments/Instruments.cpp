#include "pictures/instruments/Instruments.h"

#include "common/Colour.h"
#include "pictures/PictureObjects.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <QVBoxLayout>
#include <cmath>

namespace scada {

namespace {
constexpr double kPi = 3.14159265358979323846;

QColor darker(const QColor &c, int f = 160) { return c.darker(f); }

// The angle (degrees, Qt convention: 0 = 3 o'clock, counter-clockwise) of
// fraction f on a dial that starts at 225 degrees and sweeps 270 clockwise.
double dialAngle(double f) { return 225.0 - 270.0 * std::clamp(f, 0.0, 1.0); }

QPointF onCircle(const QPointF &c, double radius, double degrees)
{
    const double a = degrees * kPi / 180.0;
    return {c.x() + radius * std::cos(a), c.y() - radius * std::sin(a)};
}

QString fixed(double v, int decimals) { return QString::number(v, 'f', std::clamp(decimals, 0, 10)); }

QRectF square(const QRect &r)
{
    const double s = std::min(r.width(), r.height());
    return QRectF(r.x() + (r.width() - s) / 2.0, r.y() + (r.height() - s) / 2.0, s, s);
}

void drawPointer(QPainter &p, const QPointF &c, double radius, double angle, const QColor &colour)
{
    QPainterPath path;
    path.moveTo(onCircle(c, radius, angle));
    path.lineTo(onCircle(c, radius * 0.06, angle + 90));
    path.lineTo(onCircle(c, radius * 0.12, angle + 180));
    path.lineTo(onCircle(c, radius * 0.06, angle - 90));
    path.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(path);
    p.setBrush(Qt::darkGray);
    p.drawEllipse(c, radius * 0.08, radius * 0.08);
}

// Seven segments a..g of each digit.
const uint8_t kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};

void drawSevenSegments(QPainter &p, const QRectF &cell, QChar ch, const QColor &on, const QColor &off)
{
    uint8_t bits = 0;
    if (ch.isDigit())
        bits = kSegments[ch.digitValue()];
    else if (ch == QLatin1Char('-'))
        bits = 0x40;
    const double w = cell.width() * 0.75, h = cell.height() * 0.9;
    const double x = cell.x() + cell.width() * 0.1, y = cell.y() + cell.height() * 0.05;
    const double t = std::max(1.5, std::min(w, h) * 0.14);
    const QRectF segs[7] = {
        {x + t, y, w - 2 * t, t},                 // a
        {x + w - t, y + t, t, h / 2 - 1.5 * t},   // b
        {x + w - t, y + h / 2 + t / 2, t, h / 2 - 1.5 * t}, // c
        {x + t, y + h - t, w - 2 * t, t},         // d
        {x, y + h / 2 + t / 2, t, h / 2 - 1.5 * t}, // e
        {x, y + t, t, h / 2 - 1.5 * t},           // f
        {x + t, y + h / 2 - t / 2, w - 2 * t, t}, // g
    };
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 7; ++i) {
        p.setBrush((bits >> i) & 1 ? on : off);
        p.drawRoundedRect(segs[i], t / 3, t / 3);
    }
}
} // namespace

// ---- base -------------------------------------------------------------------

TiInstrument::TiInstrument(int kind, QWidget *parent) : QWidget(parent), m_kind(kind)
{
    setObjectName(InstrumentClassName(kind));
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    resize(80, 80);
}

void TiInstrument::setPosition(double v)
{
    if (!std::isfinite(v))
        return;
    if (v == m_position)
        return;
    m_position = v;
    update();
    emit positionChanged(v);
}

void TiInstrument::setPositionMin(double v)
{
    if (std::isfinite(v) && v != m_min) {
        m_min = v;
        update();
    }
}

void TiInstrument::setPositionMax(double v)
{
    if (std::isfinite(v) && v != m_max) {
        m_max = v;
        update();
    }
}

void TiInstrument::setValue(double v)
{
    if (std::isfinite(v) && v != m_value) {
        m_value = v;
        update();
    }
}

void TiInstrument::setActive(bool on)
{
    if (on != m_active) {
        m_active = on;
        update();
    }
}

void TiInstrument::setPrecision(int p) { m_precision = std::clamp(p, 0, 10), update(); }
void TiInstrument::setUnitsText(const QString &t) { m_units = t, update(); }
void TiInstrument::setBorderStyle(int s) { m_borderStyle = s, update(); }
void TiInstrument::setTickLabelPrecision(int p) { m_tickPrecision = std::clamp(p, 0, 10), update(); }
void TiInstrument::setPositionDisplayPrecision(int p) { m_displayPrecision = std::clamp(p, 0, 10), update(); }
void TiInstrument::setShowPostionDisplay(bool on) { m_showDisplay = on, update(); }
void TiInstrument::setSectionCount(int n) { m_sectionCount = std::max(0, n), update(); }
void TiInstrument::setSegmentDirection(int d) { m_direction = d, update(); }

QString TiInstrument::ValueText() const { return fixed(m_value, m_precision); }

double TiInstrument::Fraction() const
{
    if (!(m_max > m_min))
        return 0;
    return std::clamp((m_position - m_min) / (m_max - m_min), 0.0, 1.0);
}

QColor TiInstrument::LookColor(const QString &key, const QColor &fallback) const
{
    const QVariant v = m_look.value(key);
    if (!v.isValid())
        return fallback;
    bool ok = false;
    const qlonglong n = v.toLongLong(&ok);
    if (!ok)
        return fallback;
    const QColor c = toQColor(uint32_t(n));
    return c.isValid() ? c : fallback;
}

QString TiInstrument::LookText(const QString &key, const QString &fallback) const
{
    const QVariant v = m_look.value(key);
    return v.isValid() ? v.toString() : fallback;
}

void TiInstrument::SetLook(const QString &key, const QVariant &value)
{
    m_look.insert(key, value);
    update();
}

void TiInstrument::ApplySettings(const QVariantMap &s)
{
    auto num = [&](const char *k, double fallback) {
        bool ok = false;
        const double v = s.value(QLatin1String(k)).toDouble(&ok);
        return ok && std::isfinite(v) ? v : fallback;
    };
    auto integer = [&](const char *k, int fallback) { return int(num(k, fallback)); };
    m_look = s;
    for (const char *k : {"Tag", "Position", "PositionMin", "PositionMax", "Value", "Active", "Precision",
                          "UnitsText", "BorderStyle", "TickLabelPrecision", "PositionDisplayPrecision",
                          "ShowPostionDisplay", "SectionCount", "SegmentDirection", "SectionEnd1",
                          "SectionEnd2", "OPCItemCount", "Left", "Top", "Width", "Height"})
        m_look.remove(QLatin1String(k));
    m_tag = integer("Tag", m_tag);
    m_min = num("PositionMin", m_min);
    m_max = num("PositionMax", m_max);
    m_position = num("Position", m_position);
    m_value = num("Value", m_value);
    if (s.contains(QStringLiteral("Active")))
        m_active = s.value(QStringLiteral("Active")).toBool();
    m_precision = std::clamp(integer("Precision", m_precision), 0, 10);
    if (s.contains(QStringLiteral("UnitsText")))
        m_units = s.value(QStringLiteral("UnitsText")).toString();
    const QVariant border = s.value(QStringLiteral("BorderStyle"));
    if (border.typeId() == QMetaType::QString) {
        const QString b = border.toString();
        m_borderStyle = b == QLatin1String("ibsRaised") ? ibsRaised : b == QLatin1String("ibsLowered") ? ibsLowered : ibsNone;
    } else if (border.isValid()) {
        m_borderStyle = border.toInt();
    }
    m_tickPrecision = std::clamp(integer("TickLabelPrecision", m_tickPrecision), 0, 10);
    m_displayPrecision = std::clamp(integer("PositionDisplayPrecision", m_displayPrecision), 0, 10);
    if (s.contains(QStringLiteral("ShowPostionDisplay")))
        m_showDisplay = s.value(QStringLiteral("ShowPostionDisplay")).toBool();
    m_sectionCount = std::max(0, integer("SectionCount", m_sectionCount));
    const QVariant dir = s.value(QStringLiteral("SegmentDirection"));
    if (dir.typeId() == QMetaType::QString) {
        const QString d = dir.toString();
        m_direction = d == QLatin1String("idLeft") ? idLeft : d == QLatin1String("idUp") ? idUp
                    : d == QLatin1String("idDown") ? idDown : idRight;
    } else if (dir.isValid()) {
        m_direction = dir.toInt();
    }
    m_sectionEnd1 = num("SectionEnd1", m_sectionEnd1);
    m_sectionEnd2 = num("SectionEnd2", m_sectionEnd2);
    m_opcItems = std::max(0, integer("OPCItemCount", m_opcItems));
    const int w = integer("Width", 0), h = integer("Height", 0);
    if (w > 0 && h > 0 && w < 10000 && h < 10000)
        resize(w, h);
    SettingsApplied();
    update();
}

QVariantMap TiInstrument::Settings() const
{
    QVariantMap s = m_look;
    s.insert(QStringLiteral("Tag"), m_tag);
    s.insert(QStringLiteral("Position"), m_position);
    s.insert(QStringLiteral("PositionMin"), m_min);
    s.insert(QStringLiteral("PositionMax"), m_max);
    s.insert(QStringLiteral("Value"), m_value);
    s.insert(QStringLiteral("Active"), m_active);
    s.insert(QStringLiteral("Precision"), m_precision);
    s.insert(QStringLiteral("UnitsText"), m_units);
    s.insert(QStringLiteral("BorderStyle"), m_borderStyle);
    s.insert(QStringLiteral("TickLabelPrecision"), m_tickPrecision);
    s.insert(QStringLiteral("PositionDisplayPrecision"), m_displayPrecision);
    s.insert(QStringLiteral("ShowPostionDisplay"), m_showDisplay);
    s.insert(QStringLiteral("SectionCount"), m_sectionCount);
    s.insert(QStringLiteral("SegmentDirection"), m_direction);
    s.insert(QStringLiteral("SectionEnd1"), m_sectionEnd1);
    s.insert(QStringLiteral("SectionEnd2"), m_sectionEnd2);
    s.insert(QStringLiteral("OPCItemCount"), m_opcItems);
    s.insert(QStringLiteral("Width"), width());
    s.insert(QStringLiteral("Height"), height());
    return s;
}

void TiInstrument::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    Draw(p, rect());
}

void TiInstrument::mousePressEvent(QMouseEvent *e)
{
    m_pressed = true;
    emit mouseDown(e->button(), e->position().toPoint());
}

void TiInstrument::mouseReleaseEvent(QMouseEvent *e)
{
    const bool wasPressed = m_pressed;
    m_pressed = false;
    emit mouseUp(e->button(), e->position().toPoint());
    if (wasPressed && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        emit clicked();
}

void TiInstrument::DrawBorder(QPainter &p, QRect &r) const
{
    if (m_borderStyle == ibsNone)
        return;
    const QColor light(255, 255, 255), dark(128, 128, 128);
    const QColor tl = m_borderStyle == ibsRaised ? light : dark;
    const QColor br = m_borderStyle == ibsRaised ? dark : light;
    for (int i = 0; i < 2; ++i) {
        const QRect b = r.adjusted(i, i, -i - 1, -i - 1);
        p.setPen(tl);
        p.drawLine(b.topLeft(), b.topRight());
        p.drawLine(b.topLeft(), b.bottomLeft());
        p.setPen(br);
        p.drawLine(b.bottomLeft(), b.bottomRight());
        p.drawLine(b.topRight(), b.bottomRight());
    }
    r.adjust(2, 2, -2, -2);
}

QFont TiInstrument::ScaledFont(const QRect &r, double share, const QString &key) const
{
    QFont f(LookText(key + QStringLiteral("Name"), QStringLiteral("Arial")));
    f.setPixelSize(std::max(6, int(std::min(r.width(), r.height()) * share)));
    f.setBold(m_look.value(key + QStringLiteral("Bold")).toBool());
    return f;
}

// ---- kind 0: rocker -----------------------------------------------------------

TiSwitchRocker::TiSwitchRocker(QWidget *parent) : TiInstrument(0, parent) { resize(40, 70); }

void TiSwitchRocker::Draw(QPainter &p, const QRect &rr) const
{
    QRect r = rr.adjusted(1, 1, -1, -1);
    const QColor frame = LookColor(QStringLiteral("BackGroundColor"), QColor(60, 60, 60));
    const QColor on = LookColor(QStringLiteral("ActiveColor"), QColor(220, 40, 40));
    const QColor off = LookColor(QStringLiteral("InactiveColor"), QColor(200, 200, 200));
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(frame);
    p.drawRoundedRect(r, 4, 4);
    const QRect face = r.adjusted(r.width() / 8, r.height() / 12, -r.width() / 8, -r.height() / 12);
    const int half = face.height() / 2;
    const QRect top(face.left(), face.top(), face.width(), half);
    const QRect bottom(face.left(), face.top() + half, face.width(), face.height() - half);
    // the pressed half is sunk (darker), the other stands out
    const bool active = Active();
    p.setBrush(active ? on : darker(off, 120));
    p.drawRect(top);
    p.setBrush(active ? darker(on, 140) : off);
    p.drawRect(bottom);
    p.setFont(ScaledFont(r, 0.22));
    p.setPen(active ? Qt::white : Qt::black);
    p.drawText(top, Qt::AlignCenter, LookText(QStringLiteral("OnText"), QStringLiteral("I")));
    p.setPen(Qt::black);
    p.drawText(bottom, Qt::AlignCenter, LookText(QStringLiteral("OffText"), QStringLiteral("O")));
}

// ---- kind 1: rotary -----------------------------------------------------------

TiSwitchRotary::TiSwitchRotary(QWidget *parent) : TiInstrument(1, parent)
{
    setPositionMax(1);
    resize(80, 80);
}

void TiSwitchRotary::Draw(QPainter &p, const QRect &rr) const
{
    const QRectF sq = square(rr).adjusted(2, 2, -2, -2);
    const QPointF c = sq.center();
    const double radius = sq.width() / 2;
    const int positions = std::max(2, int(std::lround(PositionMax())) + 1);
    const int current = std::clamp(int(std::lround(Position())), 0, positions - 1);
    p.setFont(ScaledFont(rr, 0.13));
    const QStringList labels = LookText(QStringLiteral("Labels"), QStringLiteral("OFF,ON")).split(QLatin1Char(','));
    const double spread = 90.0;
    auto angleOf = [&](int i) { return 90.0 + spread / 2 - spread * i / (positions - 1); };
    for (int i = 0; i < positions; ++i) {
        const double a = angleOf(i);
        p.setPen(i == current ? LookColor(QStringLiteral("ActiveColor"), QColor(200, 0, 0)) : QColor(Qt::black));
        const QPointF at = onCircle(c, radius * 0.78, a);
        const QString text = i < labels.size() ? labels[i] : QString::number(i);
        p.drawText(QRectF(at.x() - radius * 0.4, at.y() - radius * 0.14, radius * 0.8, radius * 0.28), Qt::AlignCenter,
                   text);
    }
    const double body = radius * 0.55;
    QRadialGradient g(c - QPointF(body / 3, body / 3), body * 1.5);
    const QColor knob = LookColor(QStringLiteral("KnobColor"), QColor(90, 90, 90));
    g.setColorAt(0, knob.lighter(170));
    g.setColorAt(1, knob);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(g);
    p.drawEllipse(c, body, body);
    // the bar across the knob points at the chosen position
    const double a = angleOf(current);
    p.setPen(QPen(LookColor(QStringLiteral("PointerColor"), QColor(240, 240, 240)), std::max(2.0, body * 0.2),
                  Qt::SolidLine, Qt::RoundCap));
    p.drawLine(onCircle(c, body * 0.9, a), onCircle(c, body * 0.9, a + 180));
    p.setBrush(LookColor(QStringLiteral("ActiveColor"), QColor(200, 0, 0)));
    p.setPen(Qt::NoPen);
    p.drawEllipse(onCircle(c, body * 0.7, a), body * 0.1, body * 0.1);
}

// ---- kind 2: log gauge ----------------------------------------------------------

TiAngularLogGauge::TiAngularLogGauge(QWidget *parent) : TiInstrument(2, parent)
{
    setPositionMin(1);
    setPositionMax(1000);
    setPosition(1);
    resize(150, 150);
}

void TiAngularLogGauge::Draw(QPainter &p, const QRect &rr) const
{
    const QRectF sq = square(rr).adjusted(2, 2, -2, -2);
    const QPointF c = sq.center();
    const double radius = sq.width() / 2;
    const double lo = std::max(1e-6, PositionMin());
    const double hi = std::max(lo * 10, PositionMax());
    const double llo = std::log10(lo), lhi = std::log10(hi);
    auto frac = [&](double v) { return (std::log10(std::max(v, lo)) - llo) / (lhi - llo); };
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(LookColor(QStringLiteral("BackGroundColor"), QColor(245, 245, 240)));
    p.drawEllipse(c, radius, radius);
    p.setPen(QPen(LookColor(QStringLiteral("ScaleColor"), Qt::black), std::max(1.0, radius / 60)));
    p.drawArc(QRectF(c.x() - radius * 0.8, c.y() - radius * 0.8, radius * 1.6, radius * 1.6), -45 * 16, 270 * 16);
    p.setFont(ScaledFont(rr, 0.075));
    // decade ticks with labels, minor ticks 2..9 between them
    const int firstDecade = int(std::floor(llo)), lastDecade = int(std::ceil(lhi));
    for (int d = firstDecade; d <= lastDecade; ++d) {
        for (int m = 1; m <= 9; ++m) {
            const double v = m * std::pow(10.0, d);
            if (v < lo * 0.999 || v > hi * 1.001)
                continue;
            const double a = dialAngle(frac(v));
            const bool major = m == 1;
            p.drawLine(onCircle(c, radius * 0.8, a), onCircle(c, radius * (major ? 0.66 : 0.73), a));
            if (major) {
                const QPointF at = onCircle(c, radius * 0.52, a);
                p.drawText(QRectF(at.x() - radius * 0.25, at.y() - radius * 0.08, radius * 0.5, radius * 0.16),
                           Qt::AlignCenter, fixed(v, TickLabelPrecision()));
            }
        }
    }
    p.drawText(QRectF(c.x() - radius * 0.5, c.y() + radius * 0.35, radius, radius * 0.2), Qt::AlignCenter,
               LookText(QStringLiteral("Title"), UnitsText()));
    drawPointer(p, c, radius * 0.78, dialAngle(frac(Position())),
                LookColor(QStringLiteral("PointerColor"), QColor(200, 0, 0)));
}

// ---- kind 3: knob ---------------------------------------------------------------

TiKnob::TiKnob(QWidget *parent) : TiInstrument(3, parent) { resize(110, 120); }

void TiKnob::Draw(QPainter &p, const QRect &rr) const
{
    QRect r = rr;
    const int displayHeight = ShowPostionDisplay() ? std::max(12, r.height() / 6) : 0;
    const QRect dial(r.left(), r.top(), r.width(), r.height() - displayHeight);
    const QRectF sq = square(dial).adjusted(2, 2, -2, -2);
    const QPointF c = sq.center();
    const double radius = sq.width() / 2;
    // labels shrink with their length so wide ranges stay readable
    const int labelChars = int(std::max(fixed(PositionMin(), TickLabelPrecision()).size(),
                                        fixed(PositionMax(), TickLabelPrecision()).size()));
    QFont labelFont = ScaledFont(dial, 0.08);
    if (labelChars > 4)
        labelFont.setPixelSize(std::max(6, labelFont.pixelSize() * 4 / labelChars));
    p.setFont(labelFont);
    p.setPen(QPen(Qt::black, 1));
    const int ticks = 10;
    for (int i = 0; i <= ticks; ++i) {
        const double f = double(i) / ticks;
        const double a = dialAngle(f);
        p.drawLine(onCircle(c, radius * 0.78, a), onCircle(c, radius * 0.70, a));
        if (i % 2 == 0) {
            const QPointF at = onCircle(c, radius * 0.9, a);
            const double v = PositionMin() + f * (PositionMax() - PositionMin());
            p.drawText(QRectF(at.x() - radius * 0.3, at.y() - radius * 0.08, radius * 0.6, radius * 0.16),
                       Qt::AlignCenter, fixed(v, TickLabelPrecision()));
        }
    }
    const double body = radius * 0.62;
    const QColor knob = LookColor(QStringLiteral("KnobColor"), QColor(70, 80, 95));
    QRadialGradient g(c - QPointF(body / 3, body / 3), body * 1.6);
    g.setColorAt(0, knob.lighter(180));
    g.setColorAt(1, knob);
    p.setBrush(g);
    p.drawEllipse(c, body, body);
    const double a = dialAngle(Fraction());
    p.setPen(QPen(LookColor(QStringLiteral("IndicatorColor"), QColor(255, 220, 0)), std::max(2.0, body * 0.12),
                  Qt::SolidLine, Qt::RoundCap));
    p.drawLine(onCircle(c, body * 0.3, a), onCircle(c, body * 0.9, a));
    if (displayHeight > 0) {
        const QRect box(r.left() + r.width() / 6, r.bottom() - displayHeight + 1, r.width() * 2 / 3, displayHeight - 1);
        p.setPen(Qt::black);
        p.setBrush(Qt::white);
        p.drawRect(box);
        QFont f = ScaledFont(box, 0.75, QStringLiteral("DisplayFont"));
        f.setPixelSize(std::max(6, int(box.height() * 0.75)));
        p.setFont(f);
        p.drawText(box, Qt::AlignCenter, fixed(Position(), PositionDisplayPrecision()));
    }
}

double TiKnob::PositionAt(const QPoint &pos) const
{
    const int displayHeight = ShowPostionDisplay() ? std::max(12, height() / 6) : 0;
    const QPointF c = square(QRect(0, 0, width(), height() - displayHeight)).center();
    double a = std::atan2(-(pos.y() - c.y()), pos.x() - c.x()) * 180.0 / kPi; // -180..180
    // dial angle 225 (min) clockwise to -45 (max)
    double sweep = 225.0 - a;
    if (sweep < 0)
        sweep += 360;
    if (sweep > 270)
        sweep = sweep > 315 ? 0 : 270; // the gap at the bottom snaps to the nearer end
    return PositionMin() + sweep / 270.0 * (PositionMax() - PositionMin());
}

void TiKnob::mousePressEvent(QMouseEvent *e)
{
    m_moved = false;
    TiInstrument::mousePressEvent(e);
}

void TiKnob::mouseMoveEvent(QMouseEvent *e)
{
    if (!m_pressed || !(e->buttons() & Qt::LeftButton))
        return;
    m_moved = true;
    setPosition(PositionAt(e->position().toPoint()));
}

void TiKnob::mouseReleaseEvent(QMouseEvent *e)
{
    const bool moved = m_moved && e->button() == Qt::LeftButton;
    m_moved = false;
    TiInstrument::mouseReleaseEvent(e);
    if (moved)
        emit positionChangeFinished(Position());
}

// ---- kind 4: tank ---------------------------------------------------------------

TiTank::TiTank(QWidget *parent) : TiInstrument(4, parent) { resize(80, 120); }

void TiTank::Draw(QPainter &p, const QRect &rr) const
{
    const QRectF r = QRectF(rr).adjusted(2, 2, -2, -2);
    const double cap = std::min(r.height() * 0.12, r.width() * 0.25);
    const QRectF body(r.left(), r.top() + cap / 2, r.width(), r.height() - cap);
    QLinearGradient shell(body.topLeft(), body.topRight());
    const QColor tank = LookColor(QStringLiteral("TankColor"), QColor(170, 175, 185));
    shell.setColorAt(0, tank.darker(130));
    shell.setColorAt(0.4, tank.lighter(130));
    shell.setColorAt(1, tank.darker(150));
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(shell);
    p.drawRect(body);
    p.drawEllipse(QRectF(r.left(), r.top(), r.width(), cap));
    p.drawEllipse(QRectF(r.left(), r.bottom() - cap, r.width(), cap));
    const double f = Fraction();
    const QRectF inner = body.adjusted(r.width() * 0.12, 0, -r.width() * 0.12, 0);
    const QRectF level(inner.left(), inner.bottom() - inner.height() * f, inner.width(), inner.height() * f);
    QLinearGradient liquid(level.topLeft(), level.topRight());
    const QColor fill = LookColor(QStringLiteral("LiquidColor"), QColor(30, 110, 220));
    liquid.setColorAt(0, fill.darker(120));
    liquid.setColorAt(0.5, fill.lighter(130));
    liquid.setColorAt(1, fill.darker(130));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40, 60));
    p.drawRect(inner);
    p.setBrush(liquid);
    p.drawRect(level);
    p.setPen(Qt::black);
    p.setFont(ScaledFont(rr, 0.12));
    p.drawText(inner, Qt::AlignCenter, fixed(Position(), Precision()) + UnitsText());
}

// ---- kind 5: seven segments ----------------------------------------------------

TiSevenSegmentAnalog::TiSevenSegmentAnalog(QWidget *parent) : TiInstrument(5, parent)
{
    setPrecision(1);
    resize(120, 40);
}

void TiSevenSegmentAnalog::Draw(QPainter &p, const QRect &rr) const
{
    QRect r = rr;
    p.fillRect(r, LookColor(QStringLiteral("BackGroundColor"), Qt::black));
    DrawBorder(p, r);
    const int digits = std::max(1, int(LookText(QStringLiteral("DigitCount"), QStringLiteral("5")).toInt()));
    QString text = fixed(Value(), Precision());
    const int dot = text.indexOf(QLatin1Char('.'));
    QString plain = text;
    plain.remove(QLatin1Char('.'));
    if (plain.size() < digits)
        plain = QString(digits - plain.size(), QLatin1Char(' ')) + plain;
    const int dotAt = dot < 0 ? -1 : plain.size() - (text.size() - dot - 1) - 1; // digit before the point
    const double cell = double(r.width() - 4) / plain.size();
    const QColor on = LookColor(QStringLiteral("SegmentOnColor"), QColor(255, 40, 30));
    const QColor off = LookColor(QStringLiteral("SegmentOffColor"), QColor(50, 10, 10));
    for (int i = 0; i < plain.size(); ++i) {
        const QRectF c(r.left() + 2 + i * cell, r.top() + 2, cell, r.height() - 4);
        drawSevenSegments(p, c, plain[i], on, off);
        if (i == dotAt) {
            const double d = std::max(2.0, cell * 0.1);
            p.setBrush(on);
            p.drawEllipse(QRectF(c.right() - d * 1.3, c.bottom() - d * 1.5, d, d));
        }
    }
}

// ---- kind 6: odometer ----------------------------------------------------------

TiOdometer::TiOdometer(QWidget *parent) : TiInstrument(6, parent)
{
    setPrecision(1);
    resize(120, 32);
}

void TiOdometer::Draw(QPainter &p, const QRect &rr) const
{
    QRect r = rr;
    p.fillRect(r, LookColor(QStringLiteral("BackGroundColor"), QColor(40, 40, 40)));
    DrawBorder(p, r);
    const int whole = std::max(1, int(LookText(QStringLiteral("DigitCount"), QStringLiteral("6")).toInt()));
    const int decimals = Precision();
    const double v = std::fabs(Value());
    QString text = fixed(v, decimals);
    text.remove(QLatin1Char('.'));
    const int total = whole + decimals;
    text = text.right(total).rightJustified(total, QLatin1Char('0'));
    const double cell = double(r.width() - 2) / total;
    QFont f = ScaledFont(r, 0.7);
    f.setPixelSize(std::max(6, int(r.height() * 0.65)));
    f.setBold(true);
    p.setFont(f);
    // the lowest wheel turns continuously: its next digit rolls in
    const double scaled = v * std::pow(10.0, decimals);
    const double roll = scaled - std::floor(scaled);
    for (int i = 0; i < total; ++i) {
        const QRectF c(r.left() + 1 + i * cell, r.top() + 1, cell - 1, r.height() - 2);
        const bool fraction = i >= whole;
        QLinearGradient g(c.topLeft(), c.bottomLeft());
        const QColor base = fraction ? LookColor(QStringLiteral("DecimalColor"), QColor(200, 30, 30)) : QColor(250, 250, 250);
        g.setColorAt(0, base.darker(160));
        g.setColorAt(0.5, base);
        g.setColorAt(1, base.darker(160));
        p.fillRect(c, g);
        p.setPen(fraction ? Qt::white : Qt::black);
        p.save();
        p.setClipRect(c);
        const double shift = i == total - 1 ? roll * c.height() : 0;
        p.drawText(c.translated(0, -shift), Qt::AlignCenter, QString(text[i]));
        if (shift > 0)
            p.drawText(c.translated(0, c.height() - shift), Qt::AlignCenter,
                       QString::number((text[i].digitValue() + 1) % 10));
        p.restore();
    }
}

// ---- kind 7: thermometer -------------------------------------------------------

TiThermometer::TiThermometer(QWidget *parent) : TiInstrument(7, parent) { resize(50, 150); }

void TiThermometer::Draw(QPainter &p, const QRect &rr) const
{
    const QRectF r = QRectF(rr).adjusted(2, 2, -2, -2);
    const double tubeW = std::max(4.0, r.width() * 0.22);
    const double bulb = tubeW * 2.2;
    const double cx = r.left() + r.width() * 0.35;
    const QRectF tube(cx - tubeW / 2, r.top(), tubeW, r.height() - bulb * 0.9);
    const QColor mercury = LookColor(QStringLiteral("IndicatorColor"), QColor(220, 20, 20));
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(tube, tubeW / 2, tubeW / 2);
    const double f = Fraction();
    const QRectF column(tube.left() + 2, tube.bottom() - (tube.height() - 2) * f, tube.width() - 4,
                        (tube.height() - 2) * f + tubeW);
    p.setPen(Qt::NoPen);
    p.setBrush(mercury);
    p.drawRect(column);
    p.setPen(QPen(Qt::black, 1));
    p.drawEllipse(QPointF(cx, r.bottom() - bulb / 2), bulb / 2, bulb / 2);
    p.setFont(ScaledFont(rr, 0.12));
    for (int i = 0; i <= 5; ++i) {
        const double y = tube.bottom() - (tube.height() - tubeW / 2) * i / 5.0;
        p.drawLine(QPointF(tube.right() + 2, y), QPointF(tube.right() + 6, y));
        const double v = PositionMin() + (PositionMax() - PositionMin()) * i / 5.0;
        p.drawText(QRectF(tube.right() + 7, y - 7, r.right() - tube.right() - 7, 14), Qt::AlignLeft | Qt::AlignVCenter,
                   fixed(v, TickLabelPrecision()));
    }
}

// ---- kind 8: XY plot -----------------------------------------------------------

TiXYPlot::TiXYPlot(QWidget *parent) : TiInstrument(8, parent)
{
    auto *chart = new QChart;
    chart->legend()->hide();
    chart->setMargins(QMargins(2, 2, 2, 2));
    auto *series = new QLineSeries;
    chart->addSeries(series);
    auto *ax = new QValueAxis, *ay = new QValueAxis;
    ax->setRange(0, 100);
    ay->setRange(0, 100);
    chart->addAxis(ax, Qt::AlignBottom);
    chart->addAxis(ay, Qt::AlignLeft);
    series->attachAxis(ax);
    series->attachAxis(ay);
    auto *view = new QChartView(chart, this);
    view->setObjectName(QStringLiteral("XYPlotChart"));
    view->setRenderHint(QPainter::Antialiasing);
    m_view = view;
    m_series = series;
    resize(200, 150);
}

void TiXYPlot::resizeEvent(QResizeEvent *e)
{
    TiInstrument::resizeEvent(e);
    if (m_view)
        m_view->setGeometry(rect());
}

void TiXYPlot::AddXY(double x, double y)
{
    auto *series = static_cast<QLineSeries *>(m_series);
    series->append(x, y);
    auto *chart = static_cast<QChartView *>(m_view)->chart();
    const auto axes = chart->axes();
    double x0 = x, x1 = x, y0 = y, y1 = y;
    for (const QPointF &pt : series->points()) {
        x0 = std::min(x0, pt.x()), x1 = std::max(x1, pt.x());
        y0 = std::min(y0, pt.y()), y1 = std::max(y1, pt.y());
    }
    for (QAbstractAxis *a : axes) {
        if (a->orientation() == Qt::Horizontal)
            a->setRange(x0, x1 > x0 ? x1 : x0 + 1);
        else
            a->setRange(y0, y1 > y0 ? y1 : y0 + 1);
    }
}

void TiXYPlot::SettingsApplied()
{
    static_cast<QLineSeries *>(m_series)->clear();
    const QVariantList points = Look(QStringLiteral("Points")).toList();
    for (const QVariant &pt : points) {
        const QVariantList xy = pt.toList();
        bool okX = false, okY = false;
        if (xy.size() == 2) {
            const double x = xy[0].toDouble(&okX), y = xy[1].toDouble(&okY);
            if (okX && okY && std::isfinite(x) && std::isfinite(y))
                AddXY(x, y);
        }
    }
}

int TiXYPlot::PointCount() const { return static_cast<QLineSeries *>(m_series)->count(); }

void TiXYPlot::Draw(QPainter &p, const QRect &rr) const
{
    // the designer's still picture: a frame with axes and a grid
    const QRectF r = QRectF(rr).adjusted(1, 1, -1, -1);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(LookColor(QStringLiteral("BackGroundColor"), Qt::white));
    p.drawRect(r);
    const QRectF plot = r.adjusted(r.width() * 0.12, r.height() * 0.08, -r.width() * 0.05, -r.height() * 0.15);
    p.setPen(QPen(QColor(210, 210, 210), 1, Qt::DotLine));
    for (int i = 1; i < 5; ++i) {
        p.drawLine(QPointF(plot.left() + plot.width() * i / 5, plot.top()),
                   QPointF(plot.left() + plot.width() * i / 5, plot.bottom()));
        p.drawLine(QPointF(plot.left(), plot.top() + plot.height() * i / 5),
                   QPointF(plot.right(), plot.top() + plot.height() * i / 5));
    }
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(plot.bottomLeft(), plot.bottomRight());
    p.drawLine(plot.bottomLeft(), plot.topLeft());
}

// ---- kind 9: LED bar -----------------------------------------------------------

TiLedBar::TiLedBar(QWidget *parent) : TiInstrument(9, parent)
{
    setSegmentDirection(idRight);
    resize(150, 24);
}

int TiLedBar::SegmentCount() const
{
    return std::max(1, LookText(QStringLiteral("SegmentCount"), QStringLiteral("20")).toInt());
}

int TiLedBar::LitSegments() const
{
    if (!(PositionMax() > PositionMin()))
        return 0;
    return int(std::floor(Fraction() * SegmentCount() + 1e-9));
}

void TiLedBar::Draw(QPainter &p, const QRect &rr) const
{
    QRect r = rr;
    p.fillRect(r, LookColor(QStringLiteral("BackGroundColor"), QColor(20, 20, 20)));
    DrawBorder(p, r);
    const int n = SegmentCount();
    const int lit = LitSegments();
    const bool horizontal = SegmentDirection() == idRight || SegmentDirection() == idLeft;
    const double span = (horizontal ? r.width() : r.height()) - 2.0;
    const double step = span / n;
    const QColor on = LookColor(QStringLiteral("SectionColor1"), QColor(40, 230, 40));
    const QColor off = LookColor(QStringLiteral("OffColor"), QColor(30, 60, 30));
    p.setPen(Qt::NoPen);
    for (int i = 0; i < n; ++i) {
        int slot = i;
        if (SegmentDirection() == idLeft || SegmentDirection() == idUp)
            slot = n - 1 - i;
        QRectF seg = horizontal ? QRectF(r.left() + 1 + slot * step + 1, r.top() + 2, step - 2, r.height() - 4)
                                : QRectF(r.left() + 2, r.top() + 1 + slot * step + 1, r.width() - 4, step - 2);
        p.setBrush(i < lit ? on : off);
        p.drawRect(seg);
    }
}

// ---- kind 10: round LED --------------------------------------------------------

TiLedRound::TiLedRound(QWidget *parent) : TiInstrument(10, parent) { resize(30, 30); }

void TiLedRound::Draw(QPainter &p, const QRect &rr) const
{
    const QRectF sq = square(rr).adjusted(1, 1, -1, -1);
    const QColor on = LookColor(QStringLiteral("ActiveColor"), QColor(0, 230, 0));
    const QColor off = LookColor(QStringLiteral("InactiveColor"), QColor(0, 80, 0));
    const QColor c = Active() ? on : off;
    QRadialGradient g(sq.center() - QPointF(sq.width() / 5, sq.height() / 5), sq.width() * 0.7);
    g.setColorAt(0, c.lighter(Active() ? 190 : 130));
    g.setColorAt(1, c);
    p.setPen(QPen(QColor(60, 60, 60), std::max(1.0, sq.width() / 15)));
    p.setBrush(g);
    p.drawEllipse(sq);
}

// ---- kind 11: analog display ---------------------------------------------------

TiAnalogDisplay::TiAnalogDisplay(QWidget *parent) : TiInstrument(11, parent) { resize(100, 30); }

void TiAnalogDisplay::Draw(QPainter &p, const QRect &rr) const
{
    QRect r = rr;
    p.fillRect(r, LookColor(QStringLiteral("BackGroundColor"), Qt::white));
    DrawBorder(p, r);
    QFont f = ScaledFont(r, 0.6);
    f.setPixelSize(std::max(6, int(r.height() * 0.6)));
    p.setFont(f);
    p.setPen(LookColor(QStringLiteral("FontColor"), Qt::black));
    p.drawText(r.adjusted(3, 0, -3, 0), Qt::AlignRight | Qt::AlignVCenter, ValueText() + UnitsText());
}

// ---- factory -------------------------------------------------------------------

TiInstrument *CreateInstrument(int kind, QWidget *parent)
{
    switch (kind) {
    case 0: return new TiSwitchRocker(parent);
    case 1: return new TiSwitchRotary(parent);
    case 2: return new TiAngularLogGauge(parent);
    case 3: return new TiKnob(parent);
    case 4: return new TiTank(parent);
    case 5: return new TiSevenSegmentAnalog(parent);
    case 6: return new TiOdometer(parent);
    case 7: return new TiThermometer(parent);
    case 8: return new TiXYPlot(parent);
    case 9: return new TiLedBar(parent);
    case 10: return new TiLedRound(parent);
    case 11: return new TiAnalogDisplay(parent);
    default: return nullptr;
    }
}

TiInstrument *CreateInstrument(const TfrIoCompView &obj, QWidget *parent)
{
    TiInstrument *w = CreateInstrument(obj.InstrumentKind, parent);
    if (!w)
        return nullptr;
    w->ApplySettings(obj.Instrument);
    if (obj.Width > 0 && obj.Height > 0)
        w->resize(obj.Width, obj.Height);
    return w;
}

void InstallInstrumentPainter()
{
    TfrIoCompView::SetInstrumentPainter([](QPainter &p, const TfrIoCompView &obj, const QRect &r) {
        std::unique_ptr<TiInstrument> w(CreateInstrument(obj.InstrumentKind, nullptr));
        if (!w)
            return;
        w->ApplySettings(obj.Instrument);
        p.save();
        p.setRenderHint(QPainter::Antialiasing);
        w->Draw(p, r);
        p.restore();
    });
}

} // namespace scada
