#include "platform/SerialBytePort.h"

#include "common/IniFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPort>

namespace scada {

SerialBytePort::SerialBytePort(QObject *parent) : BytePort(parent), m_port(new QSerialPort(this))
{
    connect(m_port, &QSerialPort::readyRead, this, &SerialBytePort::onReadyRead);
    connect(m_port, &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError e) { onError(static_cast<int>(e)); });
}

SerialBytePort::~SerialBytePort()
{
    close();
}

bool SerialBytePort::open(const QString &device)
{
    close();
    m_device = device;
    m_port->setPortName(device);
    m_port->setBaudRate(kBaudRate);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port->open(QIODevice::ReadWrite)) {
        m_error = m_port->errorString();
        return false;
    }
    // A pty has no modem lines: asserting them may fail there, which is fine.
    m_port->setDataTerminalReady(true);
    m_port->setRequestToSend(true);
    m_port->clearError();
    m_error.clear();
    return true;
}

void SerialBytePort::close()
{
    if (!m_port->isOpen())
        return;
    m_port->setDataTerminalReady(false);
    m_port->setRequestToSend(false);
    m_port->close();
    m_port->clearError();
}

bool SerialBytePort::isOpen() const
{
    return m_port->isOpen();
}

bool SerialBytePort::write(const QByteArray &bytes)
{
    if (!m_port->isOpen())
        return false;
    return m_port->write(bytes) == bytes.size();
}

void SerialBytePort::discardInput()
{
    if (m_port->isOpen()) {
        m_port->clear(QSerialPort::Input);
        m_port->readAll();
    }
}

void SerialBytePort::discardOutput()
{
    if (m_port->isOpen())
        m_port->clear(QSerialPort::Output);
}

void SerialBytePort::onReadyRead()
{
    QByteArray batch = m_port->readAll();
    if (!batch.isEmpty())
        emit received(batch);
}

void SerialBytePort::onError(int error)
{
    switch (static_cast<QSerialPort::SerialPortError>(error)) {
    case QSerialPort::ReadError:
        m_error = m_port->errorString();
        emit lineEvent(LineEvent::Overrun);
        break;
    case QSerialPort::ResourceError:
        m_error = m_port->errorString();
        emit lineEvent(LineEvent::DcbError);
        break;
    case QSerialPort::WriteError:
        m_error = m_port->errorString();
        emit lineEvent(LineEvent::TxFull);
        break;
    default:
        break;
    }
}

QString ComPortDevice(const QString &programDir, int portNumber)
{
    IniFile ini(QDir(programDir).filePath(QStringLiteral("ComPorts.ini")));
    const QString mapped = ini.value(QStringLiteral("Ports"), QStringLiteral("COM%1").arg(portNumber));
    if (!mapped.isEmpty())
        return mapped;
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
}

int ComPortNumber(const QString &portName)
{
    bool ok = false;
    int n = portName.trimmed().toLower().mid(3).toInt(&ok);
    return ok ? n : 0;
}

QStringList ListUsablePorts(const QString &programDir)
{
    QStringList usable;
    for (int n = 1; n <= 16; ++n) {
        const QString device = ComPortDevice(programDir, n);
        if (!QFileInfo::exists(device))
            continue;
        QSerialPort probe;
        probe.setPortName(device);
        if (probe.open(QIODevice::ReadWrite)) {
            probe.close();
            usable << QStringLiteral("COM%1").arg(n);
        }
    }
    return usable;
}

} // namespace scada
