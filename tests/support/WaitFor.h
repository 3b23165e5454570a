#pragma once
// Waiting for real I/O in tests: runs the event loop until cond holds or the
// deadline passes (never a fixed sleep).
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <functional>

inline bool waitFor(const std::function<bool()> &cond, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!cond()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}
