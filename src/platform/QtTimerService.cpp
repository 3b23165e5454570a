#include "platform/QtTimerService.h"

#include <QElapsedTimer>

namespace scada {

qint64 SystemClock::tickMs() const
{
    static QElapsedTimer since = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return since.elapsed();
}

QtTimerService::QtTimerService(QObject *owner) : m_owner(owner) {}

QtTimerService::~QtTimerService()
{
    for (auto &t : m_shots)
        delete t.data();
}

QTimer *QtTimerService::ensure(const QString &name)
{
    QTimer *t = m_timers.value(name);
    if (!t) {
        t = new QTimer(m_owner);
        t->setObjectName(name);
        t->setTimerType(Qt::PreciseTimer);
        m_timers.insert(name, t);
    }
    return t;
}

void QtTimerService::define(const QString &name, int intervalMs, Callback onTimeout)
{
    QTimer *t = ensure(name);
    t->stop();
    t->disconnect();
    t->setInterval(intervalMs);
    QObject::connect(t, &QTimer::timeout, t, [fn = std::move(onTimeout)] {
        if (fn)
            fn();
    });
}

void QtTimerService::start(const QString &name)
{
    QTimer *t = ensure(name);
    if (!t->isActive())
        t->start();
}

void QtTimerService::stop(const QString &name)
{
    if (QTimer *t = m_timers.value(name))
        t->stop();
}

bool QtTimerService::isActive(const QString &name) const
{
    QTimer *t = m_timers.value(name);
    return t && t->isActive();
}

void QtTimerService::setInterval(const QString &name, int intervalMs)
{
    QTimer *t = ensure(name);
    t->setInterval(intervalMs); // restarts a running timer
    if (t->isActive())
        t->start();
}

int QtTimerService::interval(const QString &name) const
{
    QTimer *t = m_timers.value(name);
    return t ? t->interval() : 0;
}

int QtTimerService::singleShot(int ms, Callback fn)
{
    int id = m_nextShotId++;
    auto *t = new QTimer;
    t->setSingleShot(true);
    t->setTimerType(Qt::PreciseTimer);
    m_shots.insert(id, t);
    QObject::connect(t, &QTimer::timeout, t, [this, id, t, fn = std::move(fn)] {
        m_shots.remove(id);
        t->deleteLater();
        if (fn)
            fn();
    });
    t->start(qMax(0, ms));
    return id;
}

void QtTimerService::cancelSingleShot(int id)
{
    if (QTimer *t = m_shots.take(id)) {
        t->stop();
        t->deleteLater();
    }
}

} // namespace scada
