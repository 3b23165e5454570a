#pragma once
// Operator commands that act on the plant: switching a unit output (with
// the unit's control password), writing the parameter of a function block
// from a knob (a read-modify-write of the block's record in the
// controller), and setting the clock of all units.
//
// The live picture calls the entry points with plain values (instrument
// reference, instrument kind, switch Active flag, knob position); the
// password dialog is a runner installed by the widget half.

#include "acquisition/Frames.h"
#include "acquisition/PointModel.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace scada {

class Prompt;
class StationRuntime;
class TimerService;
class Clock;

// Instrument kinds of a picture instrument object that lead to commands.
namespace InstrumentKind {
inline constexpr int Rocker = 0;
inline constexpr int Rotary = 1;
inline constexpr int Knob = 3;
inline constexpr int AnalogDisplay = 11;
} // namespace InstrumentKind

// Block type codes with parameters the station writes.
bool IsTimerBlock(int type);   // 7, 8, 9, 11, 12
bool IsCounterBlock(int type); // 14, 15
inline constexpr int kComparatorBlock = 17;

// The selection of the command in progress (0-based positions).
struct ControlSelection {
    uint16_t station = 0;
    uint16_t unit = 0;
    uint16_t item = 0; // point or block position
};

// What the password dialog shows and checks.
struct PasswordRequest {
    QString pointName;
    QString password; // the unit's control password
    bool state = false; // the point's current state (true = on)
};
// Shows the password dialog modally; true when it ended with OK.
using PasswordDialogRunner = std::function<bool(const PasswordRequest &)>;

// The attempts rule of the password dialog, without the widgets.
class PasswordCheck {
public:
    enum class Result { Accepted, Invalid, Exhausted };
    explicit PasswordCheck(QString password = {}) : m_password(std::move(password)) {}
    void setPassword(const QString &p) { m_password = p; }
    // On show: attempts := 0, may-close := false.
    void reset();
    // The OK button with the typed text. Shows "Password is invalid !" and,
    // after the second failure, "You have only once !", after the third
    // "You have no chance !" (then the dialog must close without sending).
    Result submit(const QString &typed, Prompt &prompt);
    // The Close button.
    void close() { m_mayClose = true; }
    bool mayClose() const { return m_mayClose; }
    int attempts() const { return m_attempts; }

private:
    QString m_password;
    int m_attempts = 0;
    bool m_mayClose = false;
};

// The first output point of a unit: 12 for a 20-channel unit, 6 otherwise.
int FirstOutputPoint(const TFtuRec &unit);
// The switch frame (0x13) that asks for the opposite of the point's current
// state; none when the point is not one of the unit's outputs.
std::optional<Frame> BuildControlFrame(const TFtuRec &unit, int point);

// Decimals of the knob value display and of the knob itself.
int KnobDecimals(int blockType);
// Knob range prepared for a block type when a picture opens: maximum,
// decimals and the position shown for a stored parameter.
struct KnobSetup {
    double maximum = 99.99;
    int decimals = 2;
    double position = 0;
};
KnobSetup KnobSetupFor(const TBlockRec &block);

// The value written for a knob position, by block type: timers position x
// 100, counters position, comparator position x 10 at most 100, each
// rounded to the nearest integer with halves to even. Empty for other types.
std::optional<int32_t> KnobValueFor(int blockType, double position);

// Set-value bytes of a record for a value (copies of the writers' rules).
void PutTimerValue(Frame &record, int32_t value);   // bytes 10, 11
void PutCounterValue(Frame &record, int32_t value); // bytes 9, 10, 11
// Comparator: byte 10 when byte 5 is 0x00/0xFF, else byte 11 when byte 7 is;
// false when the record is not a comparator or has no threshold byte.
bool PutComparatorValue(Frame &record, int32_t value);

class RemoteControl : public QObject {
    Q_OBJECT
public:
    // timers: the runtime's TimerService ("Timer4", "Timer6" are used).
    RemoteControl(StationRuntime &rt, TimerService &timers, Clock &clock, Prompt &prompt,
                  QObject *parent = nullptr);
    ~RemoteControl() override;

    void setPasswordDialog(PasswordDialogRunner run) { m_passwordDialog = std::move(run); }
    // The short word naming a unit in captions ("QEL").
    void setUnitWord(const QString &w) { m_unitWord = w; }
    QString unitWord() const { return m_unitWord; }

    // --- selection -------------------------------------------------------
    // Decodes an instrument reference into the selection; false when it names
    // no unit of the model.
    bool select(int reference);
    bool select(int station, int unit, int item);
    ControlSelection selection() const { return m_sel; }
    TFtuRec *selectedUnit();
    TBlockRec *selectedBlock();

    // --- switch command --------------------------------------------------
    // A click on a switch instrument (kind 0 rocker, 1 rotary); active is
    // the rocker's Active value. True when a switch frame was queued.
    bool iSwitchKindClick(int reference, int kind, bool active);
    // Mouse held on a switch: the selected unit's switch-held flag.
    void iSwitchKindMouseDown(int reference);
    void iSwitchKindMouseUp(int reference);
    // The switch command on the current selection.
    bool YxYaoKongClick(int kind, bool active);
    // The "Control" item of the digital pop-up menu: switches the point to
    // the opposite of its current state, as a rotary switch would.
    bool ControlPointClick(int station, int unit, int point);

    // --- parameter write -------------------------------------------------
    void iKnob1MouseDown(double position) { m_knobDown = position; }
    double knobDownPosition() const { return m_knobDown; }
    // While the knob turns: selects from the reference; the text and decimals
    // of the value display (40 px above the knob, at its left).
    struct KnobDisplay {
        QString text;
        int decimals = 2;
    };
    KnobDisplay iIoCompKnobPositionChange(int reference, double value);
    // Knob released. False when the write was not started: the knob goes back
    // to knobDownPosition(), the display is hidden and polling resumes.
    bool iIoCompKnobPositionChangeFinished(int reference, double position);
    bool ApplyKnobValue(int reference, double position);
    void ReadBlockParam();
    void HandleParamReply(const Frame &f);
    // A block record arriving while polling: the writer of the stored type of
    // the selected block.
    void HandleRecordWhilePolling(const Frame &f);
    void WriteTimerParam(const Frame &record);
    void WriteCounterParam(const Frame &record);
    void WriteComparatorParam(const Frame &record);
    // A written parameter reported by the unit: "set data ok".
    void ParamWritten();
    int32_t valueToWrite() const { return m_value; }

    // --- clock -----------------------------------------------------------
    // "Set all %s time?"; Yes sends the set-clock frame to every unit.
    bool SysSetTimeCmdExecute();

signals:
    // The knob value display is to be hidden.
    void knobDisplayHidden();
    void parameterWritten();

private:
    uint8_t selectedAddress();
    int selectedRecordPosition();
    void writeRecord(Frame record);
    void endWrite();
    void writeByType(int type, const Frame &record);

    StationRuntime &m_rt;
    TimerService &m_timers;
    Clock &m_clock;
    Prompt &m_prompt;
    PasswordDialogRunner m_passwordDialog;
    QString m_unitWord = QStringLiteral("QEL");
    ControlSelection m_sel;
    double m_knobDown = 0;
    int32_t m_value = 0;
    int32_t m_valueCopy = 0;
    bool m_writePending = false;
};

} // namespace scada
