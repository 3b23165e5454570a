#include "acquisition/Recorder.h"

#include "acquisition/AlarmSound.h"
#include "acquisition/StationRuntime.h"
#include "acquisition/VideoCaptureLink.h"
#include "common/Errors.h"
#include "platform/TimerService.h"
#include "store/Database.h"

namespace scada {

namespace {
const QString kTimer2 = QStringLiteral("Timer2");
constexpr int kTimer2Interval = 1000;
const QString kTimeFormat = QStringLiteral("hh:mm:ss");
const QString kDateFormat = QStringLiteral("yyyy-MM-dd");
} // namespace

Recorder::Recorder(StationRuntime &runtime, Database &db, Prompt &prompt, TimerService &timers, Clock &clock,
                   QObject *parent)
    : QObject(parent), m_rt(runtime), m_db(db), m_clock(clock), m_timers(timers), m_daily(db, prompt, clock)
{
    m_rt.hooks.recordDigitalChanges = [this](int station, int unit, const QString &eventTime) {
        RecordDigitalChanges(station, unit, eventTime);
    };
    m_rt.hooks.recordAnalogHistory = [this](int minute) { RecordAnalogHistory(minute); };
    m_timers.define(kTimer2, kTimer2Interval, [this] { Timer2Timer(); });
}

Recorder::~Recorder()
{
    m_timers.stop(kTimer2);
    m_rt.hooks.recordDigitalChanges = nullptr;
    m_rt.hooks.recordAnalogHistory = nullptr;
    CloseTables();
}

// ------------------------------------------------------------ transactions --

void Recorder::beginReply()
{
    // A reply whose analog half never ran leaves its records committed here.
    commitReply();
    if (m_db.inTransaction())
        return; // somebody else's transaction: write inside it
    try {
        m_reply = std::make_unique<Transaction>(m_db);
        m_counts.clear();
    } catch (const ScadaError &e) {
        emit recordFailed(e.message());
    }
}

void Recorder::commitReply()
{
    if (!m_reply)
        return;
    std::unique_ptr<Transaction> t = std::move(m_reply);
    m_counts.clear();
    try {
        t->commit();
    } catch (const ScadaError &e) {
        emit recordFailed(e.message());
    }
}

void Recorder::CloseTables()
{
    commitReply();
}

// The record count + 1; should that number be taken (rows deleted by hand
// from the middle of the table), the highest number + 1, so that a record
// is never refused for its key. Within one reply's transaction nobody else
// writes, so the count is read once per table and then carried along.
qint64 Recorder::nextIndex(const QString &table)
{
    const QString key = StripDbSuffix(table).toLower();
    auto it = m_counts.find(key);
    if (!m_reply || it == m_counts.end())
        it = m_counts.insert(key, m_db.recordCount(table));
    const qint64 candidate = it.value() + 1;
    const QString quoted = QuoteIdentifier(StripDbSuffix(table));
    QSqlQuery taken = m_db.exec(QStringLiteral("SELECT 1 FROM %1 WHERE \"Index\" = ?").arg(quoted), {candidate});
    if (!taken.next())
        return candidate;
    QSqlQuery top = m_db.exec(QStringLiteral("SELECT max(\"Index\") FROM %1").arg(quoted));
    return top.next() ? top.value(0).toLongLong() + 1 : candidate;
}

void Recorder::appended(const QString &table)
{
    const QString key = StripDbSuffix(table).toLower();
    if (m_counts.contains(key))
        ++m_counts[key];
}

// ----------------------------------------------------------------- digital --

void Recorder::RecordDigitalChanges(int station, int unit, const QString &eventTime)
{
    TStationRec *st = m_rt.model().station();
    if (!st || station != 0 || unit < 0 || unit >= int(st->units.size()))
        return;
    beginReply();
    TFtuRec &u = st->units[size_t(unit)];
    const int n = u.channels();
    const QTime time = QTime::fromString(eventTime, kTimeFormat);
    int last = -1;
    for (int i = 0; i < n; ++i) {
        TYxRec &p = u.yx[size_t(i)];
        if (p.state == p.previous)
            continue;
        last = i;
        const QString change = ChangeText(p.state);
        const QString line = m_clock.now().date().toString(kDateFormat) + QStringLiteral("  ") + eventTime
                             + QStringLiteral("  ") + u.stationName + QStringLiteral("  ") + u.name
                             + QStringLiteral("  ") + p.name + QStringLiteral("  ") + change;
        RecordEvent(station, unit, change, time, i);
        NotifyEventInstruments(station, unit, i);
        m_rt.InsertMessage(line);
        p.previous = p.state;
    }
    if (last >= 0)
        alarm(station, unit, last);
}

void Recorder::alarm(int /*station*/, int unit, int point)
{
    if (!m_sound || !m_sound->isOpen())
        return;
    if (pictureSoundPlaying && pictureSoundPlaying())
        return;
    const TYxRec &p = m_rt.model().station()->units[size_t(unit)].yx[size_t(point)];
    if (!p.soundEnabled)
        return;
    try {
        const qint64 start = qint64(p.state ? p.soundOnPosition : p.soundOffPosition) * kSegmentMs;
        m_sound->play(start, start + kSegmentMs);
        if (m_video && ((p.videoTrigger == 1 && p.state) || (p.videoTrigger == 2 && !p.state)))
            m_video->StartRecord();
    } catch (...) {
        m_sound->stop();
    }
}

void Recorder::RecordEvent(int station, int unit, const QString &changeText, const QTime &eventTime, int point)
{
    Q_UNUSED(station);
    TStationRec *st = m_rt.model().station();
    if (!st || unit < 0 || unit >= int(st->units.size()) || point < 0 || point >= kDigitalSlots)
        return;
    try {
        if (!m_daily.EnsureDailyTable(1))
            return;
        const QString table = m_daily.currentDailyTable(1);
        const TFtuRec &u = st->units[size_t(unit)];
        const TYxRec &p = u.yx[size_t(point)];
        m_db.insert(table, {{QStringLiteral("Index"), nextIndex(table)},
                            {QStringLiteral("Station"), u.stationName},
                            {QStringLiteral("FtuName"), u.name},
                            {QStringLiteral("Point"), p.name},
                            {QStringLiteral("Riqi"), m_clock.now().date()},
                            {QStringLiteral("Shijian"), eventTime},
                            {QStringLiteral("Property"), p.property},
                            {QStringLiteral("StateChange"), changeText},
                            {QStringLiteral("Level"), int(p.videoTrigger)},
                            {QStringLiteral("Days"), p.keepDays}});
        appended(table);
    } catch (const ScadaError &e) {
        emit recordFailed(e.message());
    }
}

void Recorder::NotifyEventInstruments(int station, int unit, int point)
{
    if (notifyEventInstruments)
        notifyEventInstruments(station, unit, point);
}

// ------------------------------------------------------------------ analog --

void Recorder::RecordAnalogHistory(int minute)
{
    if (!m_reply && !m_db.inTransaction())
        beginReply();
    TStationRec *st = m_rt.model().station();
    try {
        if (st && m_daily.EnsureDailyTable(3)) {
            const QString table = m_daily.currentDailyTable(3);
            const QDate today = m_clock.now().date();
            const int type = minute < 5 ? 1 : 0;
            for (TFtuRec &u : st->units) {
                if (u.mark < 1)
                    continue;
                const int last = u.size == 1 ? 12 : 6;
                for (int i = 0; i <= last; ++i) {
                    TYcRec &p = u.yc[size_t(i)];
                    if (p.kind.compare(QLatin1String("Yc"), Qt::CaseInsensitive) != 0 || p.value == p.lastRecorded)
                        continue;
                    try {
                        m_db.insert(table, {{QStringLiteral("Index"), nextIndex(table)},
                                            {QStringLiteral("Station"), u.stationName},
                                            {QStringLiteral("FtuName"), u.name},
                                            {QStringLiteral("PointName"), p.name},
                                            {QStringLiteral("Riqi"), today},
                                            {QStringLiteral("Shijian"), u.lastReply},
                                            {QStringLiteral("Value"), p.value},
                                            {QStringLiteral("SjType"), type}});
                        appended(table);
                        p.lastRecorded = p.value;
                    } catch (const ScadaError &e) {
                        emit recordFailed(e.message());
                    }
                }
            }
        }
    } catch (const ScadaError &e) {
        emit recordFailed(e.message());
    }
    commitReply();
}

void Recorder::Timer2Timer()
{
    m_secondTick = !m_secondTick;
    if (!m_secondTick)
        RecordAnalogHistory(m_clock.now().time().minute());
}

} // namespace scada
