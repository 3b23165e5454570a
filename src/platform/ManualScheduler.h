#pragma once
// A TimerService and Clock for tests: time stands still until advance(ms),
// which fires every due timer and continuation in time order (equal times in
// the order they were scheduled). Handlers may start, stop and schedule.

#include "platform/TimerService.h"

#include <map>
#include <vector>

namespace scada {

class ManualScheduler : public TimerService, public Clock {
public:
    explicit ManualScheduler(const QDateTime &start = QDateTime(QDate(2008, 3, 25), QTime(14, 7, 9)));

    // Clock
    qint64 tickMs() const override { return m_now; }
    QDateTime now() const override { return m_start.addMSecs(m_now); }
    void setDateTime(const QDateTime &dt);

    // TimerService
    void define(const QString &name, int intervalMs, Callback onTimeout) override;
    void start(const QString &name) override;
    void stop(const QString &name) override;
    bool isActive(const QString &name) const override;
    void setInterval(const QString &name, int intervalMs) override;
    int interval(const QString &name) const override;
    int singleShot(int ms, Callback fn) override;
    void cancelSingleShot(int id) override;

    // Moves time forward by ms, firing what falls due (at most maxEvents, to
    // catch runaway loops in tests).
    void advance(qint64 ms, int maxEvents = 1000000);
    // Fires what is due now without moving time.
    void runDue() { advance(0); }
    // The time of the next due event, or -1.
    qint64 nextDue() const;
    // How many times a named timer has fired.
    int fireCount(const QString &name) const;

private:
    struct Timer {
        int interval = 0;
        bool active = false;
        qint64 due = 0;
        quint64 seq = 0;
        int fired = 0;
        Callback fn;
    };
    struct Shot {
        qint64 due;
        quint64 seq;
        Callback fn;
    };
    quint64 nextSeq() { return ++m_seq; }

    QDateTime m_start;
    qint64 m_now = 0;
    quint64 m_seq = 0;
    int m_nextShotId = 1;
    std::map<QString, Timer> m_timers;
    std::map<int, Shot> m_shots;
};

} // namespace scada
