#pragma once
// What makes the picture on display live: the instrument controls of its
// instrument objects, the refresh pass after every accepted data reply, the
// hover hints, the right-click menus of digital, pulse, analog and unit
// objects and the selection their commands act on, and the running-time
// bars.

#include "acquisition/PointModel.h"
#include "pictures/instruments/Instruments.h"

#include <QObject>
#include <QPointer>
#include <QHash>
#include <QString>
#include <functional>
#include <vector>

#include <QLabel>
#include <QMenu>
class QWidget;

namespace scada {

class BlockProgram;
class Clock;
class LivePicture;
class Prompt;
class RemoteControl;
class TfrIoCompView;
class TfrView;
class TimerService;

// The object the menus and hints last picked (0-based positions).
struct PictureSelection {
    uint16_t station = 0;
    uint16_t unit = 0;
    uint16_t point = 0;
    uint16_t object = 0; // index in the live object list
};

struct PictureRuntimeEnvironment {
    QWidget *window = nullptr;          // parent of the menus and hint window
    const PointModel *points = nullptr;
    TimerService *timers = nullptr;     // "Timer3" is (re)defined on it
    Clock *clock = nullptr;             // tick counts of running-time bars
    // Someone is logged in (enables "Control").
    std::function<bool()> loggedIn;
    // A station is loaded (unset: always).
    std::function<bool()> stationLoaded;
    // A preview or print of the designer is in progress (unset: never).
    std::function<bool()> designerBusy;
    // Opens a menu at a screen position (unset: QMenu::exec).
    std::function<void(QMenu *, const QPoint &)> openMenu;
};

class PictureRuntime : public QObject {
    Q_OBJECT
public:
    explicit PictureRuntime(PictureRuntimeEnvironment env, QObject *parent = nullptr);
    ~PictureRuntime() override;

    // Follows the surface of picture (mouse moves and presses) and its loads.
    void attach(LivePicture &picture);
    // Commands behind the instruments and the "Control" item (optional).
    void setRemoteControl(RemoteControl *control) { m_control = control; }
    void setBlockProgram(BlockProgram *program);

    // Makes, places and prepares the control of an instrument object as a
    // child of surface (the picture environment's setupInstrument).
    TiInstrument *SetUpInstrument(TfrIoCompView &obj, QWidget *surface);
    // Moves objects and instruments to the current values after a data reply
    // of unit position unit.
    void RefreshPicture(int unit);
    // Running-time bars bound to this digital point start again from 0.
    void NotifyEventInstruments(int station, int unit, int point);

    void PaintBox1MouseMove(const QPoint &pos);
    void PaintBox1MouseDown(const QPoint &pos, Qt::MouseButton button);
    void Timer3Timer();

    const PictureSelection &Selection() const { return m_sel; }
    bool HintShowing() const { return m_hintShowing; }
    // The hint on display (nullptr when none); its text keeps the CR
    // separators in the "HintText" property.
    QLabel *HintWindow() const { return m_hint; }
    // The control of object i of the live list (nullptr for other objects).
    TiInstrument *Control(int objectIndex) const;
    QList<TiInstrument *> Controls() const;
    // The seven-segment value display shown while a knob turns.
    TiInstrument *KnobValueDisplay() const { return m_knobDisplay; }

    QMenu *PopupYx() const { return m_popupYx; }
    QMenu *PopupYm() const { return m_popupYm; }
    QMenu *PopupYc() const { return m_popupYc; }
    QMenu *PopupFtu() const { return m_popupFtu; }

    // Hint text and size of an object; empty text when it has no hint.
    struct Hint {
        QString text;
        QSize size;
    };
    Hint HintFor(const TfrView &obj) const;

    // Objects whose value the last refresh pass changed (repainted).
    int LastRepaintCount() const { return m_lastRepaints; }

signals:
    // A menu item that acts on the selection; the windows behind it are
    // connected by their owners.
    void digitalPropertyRequested();
    void pulsePropertyRequested();
    void analogPropertyRequested();
    void unitTableRequested();
    void unitPropertyRequested();

private:
    void pictureLoaded();
    void buildMenus();
    bool validBinding(const TfrView &o) const;
    const TFtuRec *unitOf(const TfrView &o) const;
    void refreshInstrument(TiInstrument &w, const TfrIoCompView &obj, const TFtuRec &unit, int unitIndex);
    void scaleKnob(TiInstrument &w, const TfrIoCompView &obj);
    void scaleAnalogDisplay(TiInstrument &w, const TfrIoCompView &obj);
    void scaleLedBar(TiInstrument &w, int unitIndex);
    const TBlockRec *block(int unitIndex, int position) const;
    void showHint(const Hint &h, const QPoint &pos);
    void knobChanging(TiInstrument *knob);
    void knobFinished(TiInstrument *knob);
    void openMenu(QMenu *menu, const QPoint &globalPos);

    PictureRuntimeEnvironment m_env;
    QPointer<LivePicture> m_picture;
    RemoteControl *m_control = nullptr;
    BlockProgram *m_blocks = nullptr;
    PictureSelection m_sel;
    bool m_hintShowing = false;
    QPointer<QLabel> m_hint;
    QPointer<TiInstrument> m_knobDisplay;
    // controls made during a load, by object, until the load ends
    QHash<const TfrView *, QPointer<TiInstrument>> m_made;
    std::vector<QPointer<TiInstrument>> m_controls; // by object index
    QPointer<QMenu> m_popupYx, m_popupYm, m_popupYc, m_popupFtu;
    int m_lastRepaints = 0;
};

// Seconds of a timer block's set time per unit of its parameter, by time
// unit (1 hours, 2 minutes, 4 seconds); 0 for another time unit.
double TimeFactor(double timeUnit);

} // namespace scada
