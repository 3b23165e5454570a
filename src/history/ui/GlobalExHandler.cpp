#include "history/ui/GlobalExHandler.h"

#include "common/Errors.h"
#include "history/ExceptionLog.h"
#include "platform/Prompt.h"

#include <QtGlobal>

#include <cxxabi.h>
#include <cstdlib>
#include <new>
#include <typeinfo>

namespace scada {

QString ExceptionClassName(const std::exception &e)
{
    if (auto *own = dynamic_cast<const ScadaError *>(&e))
        return QString::fromLatin1(own->className());
    if (dynamic_cast<const std::bad_alloc *>(&e))
        return QStringLiteral("EOutOfMemory");
    const char *raw = typeid(e).name();
    int status = 0;
    char *demangled = abi::__cxa_demangle(raw, nullptr, nullptr, &status);
    QString name = QString::fromLatin1(status == 0 && demangled ? demangled : raw);
    std::free(demangled);
    return name;
}

QString ExceptionMessage(const std::exception &e)
{
    if (auto *own = dynamic_cast<const ScadaError *>(&e))
        return own->message();
    return QString::fromUtf8(e.what());
}

TGlobalExHandler::TGlobalExHandler(Prompt &prompt, QString programDir, Now now)
    : m_prompt(prompt), m_programDir(std::move(programDir)), m_now(std::move(now))
{
}

void TGlobalExHandler::HandleException(QObject *, const QString &className,
                                       const QString &message)
{
    ++m_depth;
    struct Leave {
        int &depth;
        ~Leave() { --depth; }
    } leave{m_depth};

    if (m_depth == 1) {
        try {
            m_prompt.error(message, QStringLiteral("scada:error"));
        } catch (...) {
            // A failing message box must not keep the line out of the log.
        }
    }
    try {
        if (!AppendExceptionLog(m_programDir,
                                FormatExceptionLogLine(m_now(), className, message)))
            qWarning("Cannot append to %s", qPrintable(ExceptionLogPath(m_programDir)));
    } catch (...) {
    }
}

void TGlobalExHandler::HandleException(QObject *sender, const std::exception &e)
{
    HandleException(sender, ExceptionClassName(e), ExceptionMessage(e));
}

bool deliverGuarded(TGlobalExHandler *handler, QObject *receiver,
                    const std::function<bool()> &deliver)
{
    QString className;
    QString message;
    try {
        return deliver();
    } catch (const std::exception &e) {
        try {
            className = ExceptionClassName(e);
            message = ExceptionMessage(e);
        } catch (...) {
            className = QStringLiteral("Exception");
        }
    } catch (...) {
        className = QStringLiteral("Exception");
        message = QStringLiteral("Unknown exception");
    }
    // Handled outside the catch block so that the box's own event loop does
    // not run with an exception in flight.
    try {
        if (handler)
            handler->HandleException(receiver, className, message);
        else
            qCritical("%s%s", qPrintable(className), qPrintable(message));
    } catch (...) {
    }
    return false;
}

} // namespace scada
