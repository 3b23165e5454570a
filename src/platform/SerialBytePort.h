#pragma once
// The serial line on a real device (a serial port, a USB adapter or a pty):
// 9600 baud, no parity, 8 data bits, 1 stop bit, DTR and RTS asserted while
// open, received bytes delivered as the batches the device hands over.
//
// Line errors the device reports become the line events the link handles:
// a read failure counts as an overrun (the link reopens the port and drops
// the input), a lost device as a device-control-block error (reopen), a
// write failure as a full transmit buffer (drop the output).

#include "platform/BytePort.h"

class QSerialPort;

namespace scada {

class SerialBytePort : public BytePort {
    Q_OBJECT
public:
    static constexpr int kBaudRate = 9600;

    explicit SerialBytePort(QObject *parent = nullptr);
    ~SerialBytePort() override;

    bool open(const QString &device) override;
    void close() override;
    bool isOpen() const override;
    QString device() const override { return m_device; }
    bool write(const QByteArray &bytes) override;
    void discardInput() override;
    void discardOutput() override;
    QString errorString() const override { return m_error; }

    // The settings text of the line ("9600,n,8,1").
    static QString settingsText() { return QStringLiteral("%1,n,8,1").arg(kBaudRate); }

private:
    void onReadyRead();
    void onError(int error);

    QSerialPort *m_port;
    QString m_device;
    QString m_error;
};

// Port names "COM1".."COM16" mapped to devices through ComPorts.ini in the
// program directory ([Ports] COMn=/dev/...); a missing key means
// /dev/ttyS<n-1>.
QString ComPortDevice(const QString &programDir, int portNumber);
// The port number of a station port name: the text after its first three
// characters ("COM12" → 12, "com3" → 3); 0 when there is none.
int ComPortNumber(const QString &portName);
// The port names COM1..COM16 whose device exists and opens exclusively now
// (a port held by this or another program is not listed).
QStringList ListUsablePorts(const QString &programDir);

} // namespace scada
