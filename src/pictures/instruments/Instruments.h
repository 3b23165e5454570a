#pragma once
// The instrument controls of picture instrument objects: switches, gauges,
// a knob, displays and LEDs, drawn with QPainter and scaled to their size.
//
// Every control keeps its settings (the properties below plus appearance
// values such as colours, labels and fonts) in one QVariantMap that is the
// instrument object's settings block; ApplySettings/Settings move them
// between the object and the control.

#include <QColor>
#include <QFont>
#include <QVariantMap>
#include <QWidget>

class QPainter;

namespace scada {

class TfrIoCompView;

enum TiBorderStyle { ibsNone = 0, ibsRaised = 1, ibsLowered = 2 };
enum TiSegmentDirection { idLeft = 0, idRight = 1, idUp = 2, idDown = 3 };

class TiInstrument : public QWidget {
    Q_OBJECT
public:
    TiInstrument(int kind, QWidget *parent = nullptr);

    int Kind() const { return m_kind; }

    int Tag() const { return m_tag; }
    void setTag(int t) { m_tag = t; }
    double Position() const { return m_position; }
    // Sets the position (a value outside the range shows at its end);
    // emits positionChanged when it changes.
    void setPosition(double v);
    double PositionMin() const { return m_min; }
    void setPositionMin(double v);
    double PositionMax() const { return m_max; }
    void setPositionMax(double v);
    double Value() const { return m_value; }
    void setValue(double v);
    bool Active() const { return m_active; }
    void setActive(bool on);
    int Precision() const { return m_precision; }
    void setPrecision(int p);
    QString UnitsText() const { return m_units; }
    void setUnitsText(const QString &t);
    int BorderStyle() const { return m_borderStyle; }
    void setBorderStyle(int s);
    int TickLabelPrecision() const { return m_tickPrecision; }
    void setTickLabelPrecision(int p);
    int PositionDisplayPrecision() const { return m_displayPrecision; }
    void setPositionDisplayPrecision(int p);
    bool ShowPostionDisplay() const { return m_showDisplay; }
    void setShowPostionDisplay(bool on);
    int SectionCount() const { return m_sectionCount; }
    void setSectionCount(int n);
    int SegmentDirection() const { return m_direction; }
    void setSegmentDirection(int d);
    double SectionEnd1() const { return m_sectionEnd1; }
    void setSectionEnd1(double v) { m_sectionEnd1 = v; }
    double SectionEnd2() const { return m_sectionEnd2; }
    void setSectionEnd2(double v) { m_sectionEnd2 = v; }
    // OPC items bound to the control; this system has no OPC client, so it
    // stays 0 unless a stored setting says otherwise.
    int OPCItemCount() const { return m_opcItems; }
    void setOPCItemCount(int n) { m_opcItems = n; }

    // The text a digital display shows: the value with Precision decimals.
    QString ValueText() const;

    // Appearance values: colours ("...Color" keys, 0x00BBGGRR numbers),
    // texts and fonts; missing keys give the control's defaults.
    QColor LookColor(const QString &key, const QColor &fallback) const;
    QString LookText(const QString &key, const QString &fallback) const;
    QVariant Look(const QString &key) const { return m_look.value(key); }
    void SetLook(const QString &key, const QVariant &value);

    // Takes over stored settings (unknown keys are kept for Settings()).
    void ApplySettings(const QVariantMap &settings);
    // The settings to store: every property and appearance value.
    QVariantMap Settings() const;

    // Paints the control into r of any painter (also used by the designer).
    virtual void Draw(QPainter &p, const QRect &r) const = 0;

signals:
    void clicked();
    void mouseDown(Qt::MouseButton button, const QPoint &pos);
    void mouseUp(Qt::MouseButton button, const QPoint &pos);
    void positionChanged(double position);
    // The operator let go of the control after moving it.
    void positionChangeFinished(double position);

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    // Called at the end of ApplySettings.
    virtual void SettingsApplied() {}
    // Position range as a fraction 0..1 of the current position.
    double Fraction() const;
    void DrawBorder(QPainter &p, QRect &r) const;
    QFont ScaledFont(const QRect &r, double share, const QString &key = QStringLiteral("Font")) const;

    bool m_pressed = false;

private:
    int m_kind;
    int m_tag = 0;
    double m_position = 0;
    double m_min = 0;
    double m_max = 100;
    double m_value = 0;
    bool m_active = false;
    int m_precision = 2;
    QString m_units;
    int m_borderStyle = ibsNone;
    int m_tickPrecision = 0;
    int m_displayPrecision = 0;
    bool m_showDisplay = false;
    int m_sectionCount = 1;
    int m_direction = idRight;
    double m_sectionEnd1 = 0;
    double m_sectionEnd2 = 0;
    int m_opcItems = 0;
    QVariantMap m_look;
};

// Kind 0: a rocker that shows on (Active) or off. A click only reports
// itself: the rocker follows its point through the refresh.
class TiSwitchRocker : public TiInstrument {
    Q_OBJECT
public:
    explicit TiSwitchRocker(QWidget *parent = nullptr);
    void Draw(QPainter &p, const QRect &r) const override;
};

// Kind 1: a rotary switch with PositionMax + 1 positions (0 = first).
class TiSwitchRotary : public TiInstrument {
    Q_OBJECT
public:
    explicit TiSwitchRotary(QWidget *parent = nullptr);
    void Draw(QPainter &p, const QRect &r) const override;
};

// Kind 2: a gauge over a logarithmic scale with decade ticks and labels.
class TiAngularLogGauge : public TiInstrument {
    Q_OBJECT
public:
    explicit TiAngularLogGauge(QWidget *parent = nullptr);
    void Draw(QPainter &p, const QRect &r) const override;
};

// Kind 3: a knob turned with the mouse, with an optional position display.
class TiKnob : public TiInstrument {
    Q_OBJECT
public:
    explicit TiKnob(QWidget *parent = nullptr);
    void Draw(QPainter &p, const QRect &r) const override;
    // The position a press or drag at pos selects.
    double PositionAt(const QPoint &pos) const;

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    bool m_moved = false;
};

class TiTank : public TiInstrument {
    Q_OBJECT
public:
    explicit TiTank(QWidget *parent = nullptr);
    void Draw(QPainter &p, const QRect &r) const override;
};

class TiSevenSegmentAnalog : public TiInstrument {
    Q_OBJECT
public:
    explicit TiSevenSegmentAnalog(QWidget *parent = nullptr);
    void Draw(QPainter &p, const QRect &r) const override;
};

class TiOdometer : public TiInstrument {
    Q_OBJECT
public:
    explicit TiOdometer(QWidget *parent = nullptr);
    void Draw(QPainter &p, const QRect &r) const override;
};

class TiThermometer : public TiInstrument {
    Q_OBJECT
public:
    explicit TiThermometer(QWidget *parent = nullptr);
    void Draw(QPainter &p, const QRect &r) const override;
};

// Kind 8: an XY plot on a chart; AddXY appends a point. Stored points
// (setting "Points": a list of [x, y] pairs) are plotted when it loads.
class TiXYPlot : public TiInstrument {
    Q_OBJECT
public:
    explicit TiXYPlot(QWidget *parent = nullptr);
    void Draw(QPainter &p, const QRect &r) const override;
    void AddXY(double x, double y);
    int PointCount() const;

protected:
    void resizeEvent(QResizeEvent *e) override;
    void SettingsApplied() override;

private:
    QWidget *m_view = nullptr; // the chart view
    void *m_series = nullptr;  // its line series
};

// Kind 9: a bar of LED segments lit in proportion to Position / PositionMax.
class TiLedBar : public TiInstrument {
    Q_OBJECT
public:
    explicit TiLedBar(QWidget *parent = nullptr);
    void Draw(QPainter &p, const QRect &r) const override;
    int SegmentCount() const;
    int LitSegments() const;
};

class TiLedRound : public TiInstrument {
    Q_OBJECT
public:
    explicit TiLedRound(QWidget *parent = nullptr);
    void Draw(QPainter &p, const QRect &r) const override;
};

// Kind 11: a framed digital display of Value with Precision decimals and
// UnitsText.
class TiAnalogDisplay : public TiInstrument {
    Q_OBJECT
public:
    explicit TiAnalogDisplay(QWidget *parent = nullptr);
    void Draw(QPainter &p, const QRect &r) const override;
};

// The control of an instrument kind (nullptr for a kind outside 0..11).
TiInstrument *CreateInstrument(int kind, QWidget *parent = nullptr);
// The control of an instrument object: its kind with the object's settings
// and size.
TiInstrument *CreateInstrument(const TfrIoCompView &obj, QWidget *parent = nullptr);
// Lets instrument objects paint with their controls' look where no control
// exists (designer, previews, prints).
void InstallInstrumentPainter();

} // namespace scada
