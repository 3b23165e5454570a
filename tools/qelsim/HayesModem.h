#pragma once
// A Hayes modem in front of the simulated units. In command mode it echoes
// what it receives and answers AT commands ("OK"); "ATD..." (e.g.
// "ATX2DT700") calls the unit with that phone number and answers
// "CONNECT 9600" after the connect delay, or "NO CARRIER" for an unknown
// number. Connected, bytes pass between line and units and only the called
// unit hears them; "+++" framed by the guard time returns to command mode,
// where "ATH0" hangs up.

#include "QelSimulator.h"

#include <QElapsedTimer>
#include <QObject>

class QTimer;

namespace qelsim {

class HayesModem : public QObject {
    Q_OBJECT
public:
    enum class State { Command, Dialling, Online, OnlineCommand };

    HayesModem(QelSimulator &units, const SimModem &settings, QObject *parent = nullptr);

    State state() const { return m_state; }
    // The address of the unit in the call, -1 without one.
    int calledUnit() const { return m_called; }

    // Bytes from the master's line.
    void receive(const QByteArray &bytes);

signals:
    // Bytes for the master's line.
    void transmit(const QByteArray &bytes);
    void logLine(const QString &line);

private:
    void command(const QByteArray &line);
    void reply(const char *text);
    void hangUp();
    void forward(const QByteArray &bytes);

    QelSimulator &m_units;
    SimModem m_settings;
    State m_state = State::Command;
    bool m_echo = true;
    int m_called = -1;
    QByteArray m_line;
    QByteArray m_escape;      // '+' held back while an escape may be under way
    QElapsedTimer m_lastData; // since the last byte while online
    QTimer *m_dial;
    QTimer *m_guard;
};

} // namespace qelsim
