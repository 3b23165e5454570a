#pragma once
// Event and history recording: each digital change of a unit becomes an
// event record in the day's YX table and a message-list line, with the alarm
// sound segment of the last changed point and the video trigger; each
// changed analog value becomes a row of the day's YC table. All records of
// one data reply are written in one transaction.
//
// The recorder attaches itself to the runtime's hooks. Previous digital
// states and last recorded analog values live in the point model, so every
// load of the model starts them afresh (false and 0).

#include "store/StoreSetup.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QTime>

#include <functional>
#include <memory>

namespace scada {

class AlarmSound;
class Clock;
class Database;
class Prompt;
class StationRuntime;
class TimerService;
class Transaction;
class VideoCaptureLink;

class Recorder : public QObject {
    Q_OBJECT
public:
    static constexpr int kSegmentMs = 5000;

    // Installs the runtime's recordDigitalChanges and recordAnalogHistory
    // hooks and defines "Timer2" (1000 ms, not started) on timers.
    Recorder(StationRuntime &runtime, Database &db, Prompt &prompt, TimerService &timers, Clock &clock,
             QObject *parent = nullptr);
    ~Recorder() override;

    // Optional collaborators; unset means no sound / no video trigger.
    void setAlarmSound(AlarmSound *sound) { m_sound = sound; }
    void setVideoLink(VideoCaptureLink *link) { m_video = link; }
    // True while a picture sound plays: no alarm sound is started then.
    std::function<bool()> pictureSoundPlaying;
    // Resets the running-time instruments of a point (filled by the live picture).
    std::function<void(int station, int unit, int point)> notifyEventInstruments;

    DailyTables &dailyTables() { return m_daily; }

    // Compares the unit's current and previous digital states and records
    // every change. eventTime is the "hh:mm:ss" text taken when the reply
    // was accepted. Opens the reply's transaction, which the following
    // RecordAnalogHistory commits.
    void RecordDigitalChanges(int station, int unit, const QString &eventTime);
    // Appends one event record to today's YX table (only while a station is loaded).
    void RecordEvent(int station, int unit, const QString &changeText, const QTime &eventTime, int point);
    void NotifyEventInstruments(int station, int unit, int point);
    // Appends a YC row for every analog point of a unit with a mark of 1 or
    // more whose value differs from its last recorded one; SjType is 1 for
    // minute < 5. Commits the open reply transaction, if any.
    void RecordAnalogHistory(int minute);
    // Every second tick: RecordAnalogHistory with the current minute.
    void Timer2Timer();
    // Commits what is still open (closing the history tables).
    void CloseTables();

    // Texts of a change.
    static QString ChangeText(bool on) { return on ? QStringLiteral("from Off to On") : QStringLiteral("from On to Off"); }

signals:
    // A record could not be written; the text tells why.
    void recordFailed(const QString &text);

private:
    void beginReply();
    void commitReply();
    qint64 nextIndex(const QString &table);
    void appended(const QString &table);
    void alarm(int station, int unit, int point);

    StationRuntime &m_rt;
    Database &m_db;
    Clock &m_clock;
    TimerService &m_timers;
    DailyTables m_daily;
    AlarmSound *m_sound = nullptr;
    VideoCaptureLink *m_video = nullptr;
    std::unique_ptr<Transaction> m_reply;
    bool m_secondTick = false;
    QHash<QString, qint64> m_counts; // record counts of the reply's tables
};

} // namespace scada
