#include "platform/ManualScheduler.h"

#include <stdexcept>

namespace scada {

ManualScheduler::ManualScheduler(const QDateTime &start) : m_start(start) {}

void ManualScheduler::setDateTime(const QDateTime &dt)
{
    m_start = dt.addMSecs(-m_now);
}

void ManualScheduler::define(const QString &name, int intervalMs, Callback onTimeout)
{
    Timer &t = m_timers[name];
    t.interval = intervalMs;
    t.active = false;
    t.fn = std::move(onTimeout);
}

void ManualScheduler::start(const QString &name)
{
    Timer &t = m_timers[name];
    if (t.active)
        return;
    t.active = true;
    t.due = m_now + qMax(1, t.interval);
    t.seq = nextSeq();
}

void ManualScheduler::stop(const QString &name)
{
    auto it = m_timers.find(name);
    if (it != m_timers.end())
        it->second.active = false;
}

bool ManualScheduler::isActive(const QString &name) const
{
    auto it = m_timers.find(name);
    return it != m_timers.end() && it->second.active;
}

void ManualScheduler::setInterval(const QString &name, int intervalMs)
{
    Timer &t = m_timers[name];
    t.interval = intervalMs;
    if (t.active) {
        t.due = m_now + qMax(1, t.interval);
        t.seq = nextSeq();
    }
}

int ManualScheduler::interval(const QString &name) const
{
    auto it = m_timers.find(name);
    return it == m_timers.end() ? 0 : it->second.interval;
}

int ManualScheduler::singleShot(int ms, Callback fn)
{
    int id = m_nextShotId++;
    m_shots[id] = Shot{m_now + qMax(0, ms), nextSeq(), std::move(fn)};
    return id;
}

void ManualScheduler::cancelSingleShot(int id)
{
    m_shots.erase(id);
}

qint64 ManualScheduler::nextDue() const
{
    qint64 best = -1;
    for (const auto &[name, t] : m_timers)
        if (t.active && (best < 0 || t.due < best))
            best = t.due;
    for (const auto &[id, s] : m_shots)
        if (best < 0 || s.due < best)
            best = s.due;
    return best;
}

void ManualScheduler::advance(qint64 ms, int maxEvents)
{
    const qint64 end = m_now + ms;
    int events = 0;
    for (;;) {
        // Earliest due event: (due, seq) decides.
        const QString *timerName = nullptr;
        int shotId = 0;
        qint64 due = 0;
        quint64 seq = 0;
        bool found = false;
        for (auto &[name, t] : m_timers) {
            if (t.active && t.due <= end && (!found || t.due < due || (t.due == due && t.seq < seq))) {
                found = true;
                due = t.due;
                seq = t.seq;
                timerName = &name;
                shotId = 0;
            }
        }
        for (auto &[id, s] : m_shots) {
            if (s.due <= end && (!found || s.due < due || (s.due == due && s.seq < seq))) {
                found = true;
                due = s.due;
                seq = s.seq;
                timerName = nullptr;
                shotId = id;
            }
        }
        if (!found)
            break;
        if (++events > maxEvents)
            throw std::runtime_error("ManualScheduler: too many events");
        m_now = qMax(m_now, due);
        if (timerName) {
            Timer &t = m_timers[*timerName];
            t.due = m_now + qMax(1, t.interval);
            t.seq = nextSeq();
            ++t.fired;
            Callback fn = t.fn; // the handler may redefine the timer
            if (fn)
                fn();
        } else {
            Callback fn = std::move(m_shots[shotId].fn);
            m_shots.erase(shotId);
            if (fn)
                fn();
        }
    }
    m_now = end;
}

int ManualScheduler::fireCount(const QString &name) const
{
    auto it = m_timers.find(name);
    return it == m_timers.end() ? 0 : it->second.fired;
}

} // namespace scada
