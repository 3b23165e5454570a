#pragma once
// Exception classes of the system. Each carries the class name that the
// exception log writes in front of the message (e.g. "EDBEngineError").

#include <QString>
#include <stdexcept>

namespace scada {

class ScadaError : public std::runtime_error {
public:
    explicit ScadaError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }
    virtual const char *className() const { return "Exception"; }

private:
    QString m_message;
};

#define SCADA_DECLARE_ERROR(Name)                                              \
    class Name : public ScadaError {                                           \
    public:                                                                    \
        using ScadaError::ScadaError;                                          \
        const char *className() const override { return #Name; }               \
    };

// Database errors (open, create, write, a value out of its field's range).
SCADA_DECLARE_ERROR(EDBEngineError)
// Text that does not convert to a number or a date.
SCADA_DECLARE_ERROR(EConvertError)
// File input/output failures.
SCADA_DECLARE_ERROR(EInOutError)
// Reading past the end of a stream or a malformed record.
SCADA_DECLARE_ERROR(EReadError)
// Creating a file or a folder failed.
SCADA_DECLARE_ERROR(EFCreateError)
// A failure of the serial port.
SCADA_DECLARE_ERROR(ECommError)

#undef SCADA_DECLARE_ERROR

} // namespace scada
