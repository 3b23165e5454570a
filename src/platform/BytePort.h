#pragma once
// The serial line as the acquisition layer sees it: open a device, write
// bytes, receive batches of bytes, and line events. SerialBytePort puts it
// on a real serial device; FakeBytePort serves the tests.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

namespace scada {

class BytePort : public QObject {
    Q_OBJECT
public:
    // Line events of the serial control.
    enum class LineEvent {
        Break,
        CtsTimeout,
        DsrTimeout,
        Framing,
        CdTimeout,
        Overrun,
        RxOverflow,
        RxParity,
        TxFull,
        DcbError,
    };
    Q_ENUM(LineEvent)

    using QObject::QObject;
    ~BytePort() override = default;

    // Opens the device; false with errorString() on failure.
    virtual bool open(const QString &device) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual QString device() const = 0;
    // Queues bytes for sending; false when the port is closed or fails.
    virtual bool write(const QByteArray &bytes) = 0;
    virtual void discardInput() = 0;
    virtual void discardOutput() = 0;
    virtual QString errorString() const = 0;

signals:
    // A batch of received bytes, as the line delivered them.
    void received(const QByteArray &batch);
    void lineEvent(scada::BytePort::LineEvent event);
};

class FakeBytePort : public BytePort {
    Q_OBJECT
public:
    using BytePort::BytePort;

    bool open(const QString &device) override;
    void close() override { m_open = false; ++closeCount; }
    bool isOpen() const override { return m_open; }
    QString device() const override { return m_device; }
    bool write(const QByteArray &bytes) override;
    void discardInput() override { ++inputDiscards; }
    void discardOutput() override { ++outputDiscards; }
    QString errorString() const override { return m_error; }

    // Delivers a batch as if the line had received it.
    void feed(const QByteArray &batch) { emit received(batch); }
    void raise(LineEvent e) { emit lineEvent(e); }
    // Everything written, concatenated.
    QByteArray allWritten() const;
    QByteArray takeWritten();

    QList<QByteArray> writes;
    bool failOpen = false;
    bool failWrite = false;
    int openCount = 0;
    int closeCount = 0;
    int inputDiscards = 0;
    int outputDiscards = 0;

private:
    bool m_open = false;
    QString m_device;
    QString m_error;
};

} // namespace scada
