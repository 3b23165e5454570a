#pragma once
// Group and batch control: the batch of outputs prepared for several units
// at once, its two files ("QelGroup.ini", the edited configuration, and
// "QelList.ini", one packed switch command per unit), the two control
// colours ("controlcolor.set"), and the batch command that sends the list.

#include "acquisition/Frames.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

namespace scada {

class Database;
class Prompt;
class StationRuntime;
class TimerService;
class Clock;

inline constexpr int kGroupMaxUnits = 256;
inline constexpr int kGroupMaxOutputs = 8;

struct QelGroupUnit {
    QString name;           // FtuTable.FtuName
    int address = -1;       // -1 when the name is not on exactly one row
    int outputs = 0;        // 4 (FtuType 0), 8 (FtuType 1), 0 otherwise
    uint8_t visited = 0;
    bool checked = false;   // ticked in the window's unit list
    std::array<QString, kGroupMaxOutputs> outputNames;
    std::array<QString, kGroupMaxOutputs> enable; // "1", "0" or empty
    std::array<QString, kGroupMaxOutputs> state;  // "1", "0" or empty
};

// Every unit of FtuTable (all stations, table order, at most 256) with its
// address, outputs and output names ("Not Found" when YxTable has not
// exactly one row for the output).
QList<QelGroupUnit> BuildQelGroupList(const Database &db);

// The packed line of a unit: address * 65536 + mask * 256 + value; bit k of
// the mask is output k's enable flag, of the value its state flag.
int QelListValue(const QelGroupUnit &unit);
// Writes "QelGroup.ini" (whole, after deleting the old file).
bool SaveQelGroup(const QString &path, const QList<QelGroupUnit> &units);
// Writes "QelList.ini": one line per checked unit, in list order.
bool SaveQelList(const QString &path, const QList<QelGroupUnit> &units);

// The switch frame of one line of "QelList.ini"; none when the line is not
// a number.
std::optional<Frame> BatchLineFrame(const QString &line);

struct ControlColours {
    uint32_t on = 255;     // "From Off to On"
    uint32_t off = 65280;  // "From On to Off"
};
// "controlcolor.set": 8 bytes, the on colour then the off colour, each a
// 32-bit little-endian colour value. A missing or short file gives red and
// lime.
ControlColours LoadControlColours(const QString &path);
bool SaveControlColours(const QString &path, const ControlColours &c);

// The batch command: sends the lines of "QelList.ini" one after the other.
// Each line's switch frame is queued behind the running poll and the next
// line waits until the unit acknowledged it or the switch retries gave up;
// each unit's outcome is a line in the message list.
class BatchControl : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxLines = 255;
    static constexpr int kPauseMs = 150;
    // Longest wait for one line's outcome: the switch retries of the
    // supervision end well within it.
    static constexpr int kLineTimeoutMs = 30000;

    BatchControl(StationRuntime &rt, TimerService &timers, Clock &clock, Prompt &prompt,
                 const QString &listPath, QObject *parent = nullptr);
    ~BatchControl() override;

    // "Are you sure ?", then reads the list and starts sending. False when
    // nothing is sent (No, an empty list, a line that is not a number:
    // "Data Error!" and nothing of the list is sent).
    bool MonitorBatchCtrlCmdExecute();
    bool running() const { return m_running; }

signals:
    // One line's outcome: the unit acknowledged (true) or did not.
    void lineDone(int address, bool acknowledged);
    void finished();

private:
    void queueLine();
    void watchLine();
    void lineFinished(bool acknowledged);
    void schedule(int ms, std::function<void()> fn);

    StationRuntime &m_rt;
    TimerService &m_timers;
    Clock &m_clock;
    Prompt &m_prompt;
    QString m_listPath;
    QList<Frame> m_frames;
    int m_next = 0;
    bool m_running = false;
    bool m_failed = false;
    qint64 m_lineStart = 0;
    QList<int> m_shots;
};

} // namespace scada
