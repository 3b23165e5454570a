#pragma once
// The picture on display: its surface "PaintBox1" inside the scroll box,
// the live object list with the controls made for its objects, and the ways
// a picture is opened (main picture, chosen file, hot spots) with the
// picture sound.

#include "acquisition/PointModel.h"
#include "common/Errors.h"
#include "pictures/PictureFile.h"

#include <QObject>
#include <QLineEdit>
#include <QPointer>
#include <QScrollArea>
#include <QSet>
#include <QWidget>
#include <functional>

class QIODevice;
class QPainter;
class QLineEdit;
class QScrollArea;

namespace scada {

class ChartControl;
class GifControl;
class PictureSoundPlayer;
class Prompt;
class TimerService;

// What the picture needs from the main window.
struct PictureEnvironment {
    QString ProgramDir;
    Prompt *prompt = nullptr;
    QScrollArea *ScrollBox1 = nullptr;  // takes the surface as its widget
    QLineEdit *Edit1 = nullptr;         // the name of the picture on display
    TimerService *timers = nullptr;     // its "Timer4" is switched off while loading
    PictureSoundPlayer *soundPlayer = nullptr;
    const PointModel *points = nullptr; // bindings of charts and GIFs
    // Hot spots react only while a station is loaded (unset: always).
    std::function<bool()> stationLoaded;
    // Called at the end of every load (clears the switch-pending flag).
    std::function<void()> afterLoad;
    // Makes the live control of an instrument object (child of the surface).
    std::function<QWidget *(TfrIoCompView &, QWidget *surface)> setupInstrument;
    // Reports errors the program-wide handler shows (unset: prompt->error).
    std::function<void(const ScadaError &)> reportError;
};

class LivePicture;

// Paints the objects that have no control of their own (GIFs and
// instruments are shown by their controls) in list order, those outside
// exposed excepted. An object whose paint throws is reported to failed with
// its list index, and painting goes on with the next.
void PaintObjects(QPainter &p, const ObjectList &objects, const QRegion &exposed,
                  const std::function<void(int index)> &failed);

// The open dialog of the "..." button and of the tree's "Append" and
// "Insert": pictures (*.pic) starting in startDir; empty when cancelled.
QString ChoosePictureFile(QWidget *parent, const QString &startDir);

class PictureSurface : public QWidget {
    Q_OBJECT
public:
    explicit PictureSurface(LivePicture *picture, QWidget *parent = nullptr);

signals:
    void pressed(const QPoint &pos, Qt::MouseButton button);
    void moved(const QPoint &pos);

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;

private:
    LivePicture *m_picture;
};

class LivePicture : public QObject {
    Q_OBJECT
public:
    explicit LivePicture(PictureEnvironment env, QObject *parent = nullptr);
    ~LivePicture() override;

    PictureSurface *PaintBox1() const { return m_surface; }
    const ObjectList &Objects() const { return m_doc.Objects; }
    const PictureDocument &Document() const { return m_doc; }
    // The file version read last.
    int FileVersion() const { return m_doc.Version; }
    // The live controls of the picture on display, in file order.
    QList<GifControl *> GifControls() const;
    QList<ChartControl *> Charts() const;
    QList<QWidget *> InstrumentControls() const;
    QString SoundFolder() const;
    QString GifLibraryFolder() const;

    // Replaces the picture on display with the picture in data. Records that
    // fail show "Object[n] Load Error!". A header that cannot be read throws
    // EReadError and the previous picture stays.
    void LoadAllObject(const QByteArray &data);
    void LoadAllObject(QIODevice &file);
    // Opens "Main.pic" of the program directory; false (with "not found the
    // file " + path) when it is missing.
    bool LoadMainPicture();
    // Opens a picture chosen by the operator; false (with "The file : %s is
    // not exit!") when it is missing.
    bool OpenPictureFile(const QString &path);
    // The "..." button after its dialog: an empty path (cancelled) does nothing.
    void OpenChosenPicture(const QString &chosen);
    // Opens a picture without the picture sound (the picture tree).
    bool OpenPictureQuietly(const QString &path);
    // Plays the first sound object whose file exists in the sound folder.
    bool PlayPictureSound();
    // A left press at pos: the first hot spot strictly containing pos takes
    // it. Returns true when a hot spot was hit.
    bool HotSpotPress(const QPoint &pos);
    // Frees the objects and controls (shutdown).
    void Clear();

    void RefreshGifControls();
    void RefreshCharts(int unitPosition);

    // Paints the objects of the live list that have no control of their
    // own (not GIFs, not instruments) in list order, those outside exposed
    // excepted. An object that fails to paint shows "Object[i] on Draw"
    // once per loaded picture (after the paint) and the rest are painted.
    void PaintPicture(QPainter &p, const QRegion &exposed);

signals:
    void pictureLoaded();

private:
    bool loadFile(const QString &path);
    void report(const ScadaError &e);
    PictureEnvironment m_env;
    PictureDocument m_doc;
    QPointer<PictureSurface> m_surface;
    QPointer<QScrollArea> m_scroll;
    QPointer<QLineEdit> m_edit;
    // guarded: the window may free the surface, and its controls with it
    QList<QPointer<GifControl>> m_gifs;
    QList<QPointer<ChartControl>> m_charts;
    QList<QPointer<QWidget>> m_instruments;
    QSet<int> m_paintFailed; // objects whose paint error was reported
};

} // namespace scada
