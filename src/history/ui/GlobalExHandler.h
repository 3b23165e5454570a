#pragma once
// The program-wide exception handler. Every exception that escapes an event
// handler reaches it through the application's notify (ScadaApplication):
// the message is shown in an error box captioned "scada:error", then a line
// is appended to except.txt in the program directory.
//
// Logging failures are swallowed (the operator has already seen the box).
// An exception raised while a box is open (a repaint behind it that throws
// again, say) is logged but not shown, so a fault that repeats on every
// event cannot stack message boxes without end.

#include <QDateTime>
#include <QString>

#include <exception>
#include <functional>

class QObject;

namespace scada {

class Prompt;

// The class name and message the log records for a caught exception:
// our own ScadaError classes give their className() ("EDBEngineError", ...),
// std::bad_alloc "EOutOfMemory", other standard exceptions their C++ type
// name ("std::out_of_range").
QString ExceptionClassName(const std::exception &e);
QString ExceptionMessage(const std::exception &e);

class TGlobalExHandler {
public:
    using Now = std::function<QDateTime()>;

    TGlobalExHandler(Prompt &prompt, QString programDir,
                     Now now = [] { return QDateTime::currentDateTime(); });

    // Shows and logs one exception.
    void HandleException(QObject *sender, const QString &className, const QString &message);
    void HandleException(QObject *sender, const std::exception &e);

    const QString &programDir() const { return m_programDir; }

private:
    Prompt &m_prompt;
    QString m_programDir;
    Now m_now;
    int m_depth = 0;
};

// Runs `deliver` (normally the base class's notify) and hands any exception
// it throws to `handler`. Returns deliver's result, or false after an
// exception. With no handler the exception is reported on stderr and
// dropped. Never throws.
bool deliverGuarded(TGlobalExHandler *handler, QObject *receiver,
                    const std::function<bool()> &deliver);

} // namespace scada
