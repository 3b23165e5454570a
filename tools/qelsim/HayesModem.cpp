#include "HayesModem.h"

#include <QTimer>

#include <cctype>

namespace qelsim {

HayesModem::HayesModem(QelSimulator &units, const SimModem &settings, QObject *parent)
    : QObject(parent), m_units(units), m_settings(settings), m_dial(new QTimer(this)), m_guard(new QTimer(this))
{
    m_units.setReachable(-2);
    connect(&m_units, &QelSimulator::transmit, this, [this](const QByteArray &b) {
        if (m_state == State::Online)
            emit transmit(b);
    });
    m_dial->setSingleShot(true);
    m_guard->setSingleShot(true);
    connect(m_guard, &QTimer::timeout, this, [this] {
        if (m_state != State::Online || m_escape != "+++")
            return;
        m_escape.clear();
        m_state = State::OnlineCommand;
        emit logLine(QStringLiteral("MODEM escape"));
        reply("OK");
    });
    m_lastData.start();
}

void HayesModem::reply(const char *text)
{
    emit transmit(QByteArray("\r\n") + text + "\r\n");
}

void HayesModem::hangUp()
{
    if (m_called >= 0)
        emit logLine(QStringLiteral("MODEM hang-up %1").arg(m_called));
    m_called = -1;
    m_units.setReachable(-2);
    m_state = State::Command;
}

void HayesModem::forward(const QByteArray &bytes)
{
    if (!bytes.isEmpty())
        m_units.receive(bytes);
}

void HayesModem::receive(const QByteArray &bytes)
{
    if (m_state == State::Online) {
        // "+++" counts as an escape only after guard-time silence, alone,
        // and followed by guard-time silence.
        const bool quietBefore = m_escape.isEmpty() ? m_lastData.elapsed() >= m_settings.guardMs : true;
        m_lastData.restart();
        if (quietBefore && QByteArray(m_escape + bytes).count('+') == m_escape.size() + bytes.size()
            && m_escape.size() + bytes.size() <= 3) {
            m_escape += bytes;
            if (m_escape.size() == 3)
                m_guard->start(m_settings.guardMs);
            return;
        }
        m_guard->stop();
        forward(m_escape + bytes);
        m_escape.clear();
        return;
    }
    if (m_state == State::Dialling)
        return; // a real modem would abort the call; the master waits
    if (m_echo)
        emit transmit(bytes);
    for (char c : bytes) {
        if (c == '\r') {
            const QByteArray line = m_line.trimmed();
            m_line.clear();
            if (!line.isEmpty())
                command(line);
        } else if (c != '\n') {
            m_line += c;
            if (m_line.size() > 256)
                m_line.clear();
        }
    }
}

void HayesModem::command(const QByteArray &raw)
{
    const QByteArray line = raw.toUpper();
    if (!line.startsWith("AT")) {
        reply("ERROR");
        return;
    }
    emit logLine(QStringLiteral("MODEM ") + QString::fromLatin1(raw));
    QByteArray rest = line.mid(2);
    if (rest.startsWith("X")) { // result code set: X0..X4
        rest.remove(0, 1);
        while (!rest.isEmpty() && std::isdigit(uchar(rest[0])))
            rest.remove(0, 1);
    }
    if (rest.startsWith("D")) {
        QByteArray number = rest.mid(1);
        if (number.startsWith("T") || number.startsWith("P"))
            number.remove(0, 1);
        hangUp();
        SimUnit *u = m_units.plant().unitByPhone(QString::fromLatin1(number.trimmed()));
        m_state = State::Dialling;
        const int address = u ? u->address : -1;
        m_dial->disconnect();
        connect(m_dial, &QTimer::timeout, this, [this, address, number] {
            if (address < 0) {
                m_state = State::Command;
                emit logLine(QStringLiteral("MODEM no carrier %1").arg(QString::fromLatin1(number)));
                reply("NO CARRIER");
                return;
            }
            m_called = address;
            m_units.setReachable(address);
            m_state = State::Online;
            m_escape.clear();
            m_lastData.restart();
            emit logLine(QStringLiteral("MODEM connect %1 unit %2").arg(QString::fromLatin1(number)).arg(address));
            reply("CONNECT 9600");
        });
        m_dial->start(m_settings.connectDelayMs);
        return;
    }
    if (rest.startsWith("H")) {
        hangUp();
        reply("OK");
        return;
    }
    if (rest.startsWith("O") && m_state == State::OnlineCommand) {
        m_state = State::Online;
        reply("CONNECT 9600");
        return;
    }
    if (rest == "E0")
        m_echo = false;
    else if (rest == "E1")
        m_echo = true;
    reply("OK");
}

} // namespace qelsim
