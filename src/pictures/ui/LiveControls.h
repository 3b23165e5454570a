#pragma once
// The live controls of a loaded picture: one animated-GIF control per GIF
// object and one chart control per run chart object, and their refresh from
// the point model.

#include "acquisition/PointModel.h"
#include "pictures/PictureObjects.h"

#include <QLabel>
#include <QPointer>
#include <QtCharts/QChartView>

class QMovie;

namespace scada {

class GifControl : public QLabel {
    Q_OBJECT
public:
    explicit GifControl(QWidget *parent = nullptr);
    ~GifControl() override;

    int Tag = 0;
    // A control whose object keeps running; the refresh never stops it.
    bool Opaque = false;

    // Loads a GIF; false (and the control stays empty) when it is missing
    // or unreadable.
    bool LoadFromFile(const QString &path);
    bool IsEmpty() const { return m_movie == nullptr; }
    bool Animate() const { return m_animate; }
    void SetAnimate(bool on);
    int Speed() const;
    QMovie *Movie() const { return m_movie; }

private:
    QMovie *m_movie = nullptr;
    bool m_animate = false;
};

class ChartControl : public QChartView {
    Q_OBJECT
public:
    explicit ChartControl(QWidget *parent = nullptr);
    int Tag = 0;
    // Options kept from the object; the chart is drawn flat.
    bool View3D = false;
    bool View3DWalls = false;
    // Series in creation order; each carries its channel in the "Tag"
    // property.
    QList<QAbstractSeries *> Series() const;
    // Keeps the axes around the data after a refresh.
    void FitAxes();
};

// Makes the GIF control of obj as a child of parent: the GIF is
// giflibFolder/GifFile; a missing or unreadable GIF leaves the control empty.
GifControl *CreateGifControl(const TfrGifView &obj, QWidget *parent, const QString &giflibFolder);
// Makes the chart control of obj and its series from the bound unit of
// points (no series when the binding names no unit or points is null).
ChartControl *CreateChartControl(const TfrRunChartView &obj, QWidget *parent, const PointModel *points);

// Starts and stops the GIFs that follow their digital point.
void RefreshGifControls(const QList<GifControl *> &gifs, const PointModel &points);
// Adds the current values of unit position u to its charts: a line series
// holding more than 1000 points starts again from empty.
void RefreshCharts(const QList<ChartControl *> &charts, const PointModel &points, int u);

} // namespace scada
