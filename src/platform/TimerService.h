#pragma once
// Named timers and continuations. Acquisition objects never touch QTimer or
// an event loop: they receive a TimerService and a Clock. Production binds
// them to QTimer/QDateTime (QtTimerService, SystemClock); tests bind a
// ManualScheduler whose advance(ms) fires due timers in order.
//
// Timer semantics follow the original timers: start() on a running timer
// keeps it running without restarting its period; setInterval() on a running
// timer restarts its period; a timer whose handler stops it fires no more.

#include <QDateTime>
#include <QString>
#include <functional>

namespace scada {

class Clock {
public:
    virtual ~Clock() = default;
    // Millisecond tick counter (monotonic).
    virtual qint64 tickMs() const = 0;
    // Current local date and time.
    virtual QDateTime now() const = 0;
};

class TimerService {
public:
    using Callback = std::function<void()>;
    virtual ~TimerService() = default;

    // Declares a named timer with its interval and handler; it is not started.
    // Defining a name again replaces handler and interval and stops it.
    virtual void define(const QString &name, int intervalMs, Callback onTimeout) = 0;
    virtual void start(const QString &name) = 0;
    virtual void stop(const QString &name) = 0;
    // Stops and starts again: the next timeout is a full interval from now.
    void restart(const QString &name)
    {
        stop(name);
        start(name);
    }
    void setEnabled(const QString &name, bool on) { on ? start(name) : stop(name); }
    virtual bool isActive(const QString &name) const = 0;
    virtual void setInterval(const QString &name, int intervalMs) = 0;
    virtual int interval(const QString &name) const = 0;

    // Runs fn once after ms milliseconds from the event loop (never nested).
    // Returns an id for cancelSingleShot.
    virtual int singleShot(int ms, Callback fn) = 0;
    virtual void cancelSingleShot(int id) = 0;
};

class SystemClock : public Clock {
public:
    qint64 tickMs() const override;
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

} // namespace scada
