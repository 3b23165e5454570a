#pragma once
// TimerService on QTimer. Each named timer is a QTimer child of the owner
// given at construction, with the timer's name as objectName ("Timer4"), so
// that tests and tools find it with findChild.

#include "platform/TimerService.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTimer>

namespace scada {

class QtTimerService : public TimerService {
public:
    explicit QtTimerService(QObject *owner);
    ~QtTimerService() override;

    void define(const QString &name, int intervalMs, Callback onTimeout) override;
    void start(const QString &name) override;
    void stop(const QString &name) override;
    bool isActive(const QString &name) const override;
    void setInterval(const QString &name, int intervalMs) override;
    int interval(const QString &name) const override;
    int singleShot(int ms, Callback fn) override;
    void cancelSingleShot(int id) override;

    QTimer *timer(const QString &name) const { return m_timers.value(name); }

private:
    QTimer *ensure(const QString &name);
    QObject *m_owner;
    QHash<QString, QPointer<QTimer>> m_timers;
    QHash<int, QPointer<QTimer>> m_shots;
    int m_nextShotId = 1;
};

} // namespace scada
