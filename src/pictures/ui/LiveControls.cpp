#include "pictures/ui/LiveControls.h"

#include "common/Colour.h"

#include <QFileInfo>
#include <QMovie>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

namespace scada {

namespace {
const TFtuRec *unitAt(const PointModel &points, int station, int unit)
{
    if (station < 0 || station >= int(points.stations.size()))
        return nullptr;
    const auto &units = points.stations[size_t(station)].units;
    if (unit < 0 || unit >= int(units.size()))
        return nullptr;
    return &units[size_t(unit)];
}

QColor seriesColour(uint32_t c) { return isNone(c) ? QColor(Qt::black) : toQColor(c); }
} // namespace

// ---- GIF ------------------------------------------------------------------

GifControl::GifControl(QWidget *parent) : QLabel(parent)
{
    setScaledContents(true);
    setAttribute(Qt::WA_TranslucentBackground);
}

GifControl::~GifControl() = default;

bool GifControl::LoadFromFile(const QString &path)
{
    delete m_movie;
    m_movie = nullptr;
    m_animate = false;
    if (!QFileInfo(path).isFile())
        return false;
    auto *movie = new QMovie(path, QByteArray(), this);
    if (!movie->isValid() || !movie->jumpToFrame(0)) {
        delete movie;
        return false;
    }
    m_movie = movie;
    setMovie(m_movie);
    return true;
}

void GifControl::SetAnimate(bool on)
{
    if (!m_movie) {
        m_animate = false;
        return;
    }
    if (on == m_animate)
        return;
    m_animate = on;
    if (on) {
        if (m_movie->state() == QMovie::Paused)
            m_movie->setPaused(false);
        else
            m_movie->start();
    } else if (m_movie->state() == QMovie::Running) {
        m_movie->setPaused(true);
    }
}

int GifControl::Speed() const { return m_movie ? m_movie->speed() : 0; }

GifControl *CreateGifControl(const TfrGifView &obj, QWidget *parent, const QString &giflibFolder)
{
    auto *c = new GifControl(parent);
    c->setObjectName(obj.ObjectName);
    c->Tag = (obj.BindStation - 1) * 65535 + (obj.BindUnit - 1) * 255 + (obj.BindPoint - 1);
    c->setGeometry(obj.Left, obj.Top, obj.Width, obj.Height);
    c->Opaque = false;
    if (c->LoadFromFile(giflibFolder + QLatin1Char('/') + obj.GifFile)) {
        c->Movie()->setSpeed(60);
        c->SetAnimate(obj.KeepRunning != 0);
        c->Opaque = obj.KeepRunning != 0;
    }
    c->show();
    return c;
}

void RefreshGifControls(const QList<GifControl *> &gifs, const PointModel &points)
{
    for (GifControl *g : gifs) {
        if (!g || g->Opaque)
            continue;
        const PointRef ref = DecodeReference(g->Tag);
        const TFtuRec *unit = unitAt(points, ref.station, ref.unit);
        if (!unit || ref.item < 0 || ref.item >= int(unit->yx.size()))
            continue;
        const bool on = unit->yx[size_t(ref.item)].state;
        if (g->Animate() != on)
            g->SetAnimate(on);
    }
}

// ---- charts ---------------------------------------------------------------

ChartControl::ChartControl(QWidget *parent) : QChartView(parent) { setRenderHint(QPainter::Antialiasing, false); }

QList<QAbstractSeries *> ChartControl::Series() const { return chart()->series(); }

void ChartControl::FitAxes()
{
    double maxX = 10, minY = 0, maxY = 1;
    bool any = false;
    for (QAbstractSeries *s : chart()->series()) {
        if (auto line = qobject_cast<QLineSeries *>(s)) {
            maxX = qMax(maxX, double(line->count()));
            for (const QPointF &p : line->points()) {
                minY = any ? qMin(minY, p.y()) : qMin(0.0, p.y());
                maxY = any ? qMax(maxY, p.y()) : qMax(1.0, p.y());
                any = true;
            }
        } else if (auto bars = qobject_cast<QBarSeries *>(s)) {
            for (QBarSet *set : bars->barSets())
                for (int i = 0; i < set->count(); ++i) {
                    minY = qMin(minY, set->at(i));
                    maxY = qMax(maxY, set->at(i));
                }
        }
    }
    for (QAbstractAxis *a : chart()->axes(Qt::Vertical))
        if (auto v = qobject_cast<QValueAxis *>(a))
            v->setRange(minY, maxY + (maxY - minY) * 0.05);
    for (QAbstractAxis *a : chart()->axes(Qt::Horizontal))
        if (auto v = qobject_cast<QValueAxis *>(a))
            v->setRange(0, maxX);
}

ChartControl *CreateChartControl(const TfrRunChartView &obj, QWidget *parent, const PointModel *points)
{
    auto *c = new ChartControl(parent);
    c->setObjectName(obj.ObjectName);
    c->setGeometry(obj.Left, obj.Top, obj.Width, obj.Height);
    c->Tag = (obj.BindStation - 1) * 65535 + (obj.BindUnit - 1) * 255 + obj.ChartKind;
    c->View3D = obj.Show3D;
    c->View3DWalls = obj.ShowWalls;
    QChart *chart = c->chart();
    chart->legend()->setVisible(obj.ShowLegend != 0);
    chart->setBackgroundBrush(seriesColour(obj.ChartBackColor));
    chart->setMargins(QMargins(2, 2, 2, 2));

    const TFtuRec *unit = points ? unitAt(*points, obj.BindStation - 1, obj.BindUnit - 1) : nullptr;
    const int n = unit ? (unit->channels() == 20 ? 12 : 6) : 0;
    QStringList categories;
    QList<QBarSeries *> barSeries;
    QList<QLineSeries *> lineSeries;
    for (int i = 0; i < n; ++i) {
        const TYcRec &yc = unit->yc[size_t(i)];
        if (yc.kind != QLatin1String("Yc") || !obj.ChannelShown[i])
            continue;
        const QColor colour = seriesColour(obj.ChannelColors[i]);
        if (obj.ChartKind == 0) {
            auto *s = new QLineSeries(chart);
            s->setProperty("Tag", i);
            s->setName(yc.name);
            s->setColor(colour);
            lineSeries << s;
        } else if (obj.ChartKind == 2) {
            auto *s = new QBarSeries(chart);
            s->setProperty("Tag", i);
            s->setProperty("X", i * 50);
            s->setProperty("BarIndex", int(barSeries.size()));
            auto *set = new QBarSet(yc.name);
            set->setColor(colour);
            s->append(set);
            categories << yc.name;
            barSeries << s;
        }
    }
    // one bar per series, side by side: series k holds its value at index k
    for (QBarSeries *s : barSeries) {
        QBarSet *set = s->barSets().first();
        for (int k = 0; k < categories.size(); ++k)
            set->append(0);
    }
    for (QLineSeries *s : lineSeries)
        chart->addSeries(s);
    for (QBarSeries *s : barSeries)
        chart->addSeries(s);

    QAbstractAxis *bottom;
    if (obj.ChartKind == 2) {
        auto *axis = new QBarCategoryAxis(chart);
        axis->append(categories);
        bottom = axis;
    } else {
        bottom = new QValueAxis(chart);
    }
    auto *left = new QValueAxis(chart);
    const QColor grid = seriesColour(obj.GridColor);
    for (QAbstractAxis *a : {bottom, static_cast<QAbstractAxis *>(left)}) {
        a->setGridLineColor(grid);
        a->setVisible(obj.ShowAxis != 0);
    }
    bottom->setLabelsVisible(true);
    chart->addAxis(bottom, Qt::AlignBottom);
    chart->addAxis(left, Qt::AlignLeft);
    for (QAbstractSeries *s : chart->series()) {
        s->attachAxis(bottom);
        s->attachAxis(left);
    }
    c->FitAxes();
    c->show();
    return c;
}

void RefreshCharts(const QList<ChartControl *> &charts, const PointModel &points, int u)
{
    for (ChartControl *c : charts) {
        if (!c || (c->Tag % 65535) / 255 != u)
            continue;
        const int station = c->Tag / 65535;
        const int kind = c->Tag % 255;
        const TFtuRec *unit = unitAt(points, station, u);
        if (!unit || (kind != 0 && kind != 2))
            continue;
        for (QAbstractSeries *s : c->Series()) {
            const int channel = s->property("Tag").toInt();
            if (channel < 0 || channel >= int(unit->yc.size()))
                continue;
            const double value = unit->yc[size_t(channel)].value;
            if (kind == 0) {
                auto *line = qobject_cast<QLineSeries *>(s);
                if (!line)
                    continue;
                if (line->count() > 1000)
                    line->clear();
                line->append(line->count(), value);
            } else if (auto *bars = qobject_cast<QBarSeries *>(s)) {
                QBarSet *set = bars->barSets().value(0);
                const int at = s->property("BarIndex").toInt();
                if (set && at < set->count())
                    set->replace(at, value);
            }
        }
        c->FitAxes();
    }
}

} // namespace scada
