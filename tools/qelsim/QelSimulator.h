#pragma once
// The field side of the protocol: collects 26-byte frames from the line and
// answers them as the units of a SimPlant would, after the plant's
// turnaround delay. Replies leave through transmit(); every received frame
// is reported through frameReceived() and a hex log line.

#include "SimPlant.h"

#include <QObject>

namespace qelsim {

struct Chunk {
    int delayMs = 0; // from the moment the request was complete
    QByteArray bytes;
};

class QelSimulator : public QObject {
    Q_OBJECT
public:
    static constexpr int kNoiseGapMs = 60;
    static constexpr int kSplitGapMs = 15;

    explicit QelSimulator(SimPlant plant, QObject *parent = nullptr);

    SimPlant &plant() { return m_plant; }
    // Bytes from the line, in any batching.
    void receive(const QByteArray &bytes);
    // What the addressed unit answers to one complete frame (advances its
    // generators and toggles for a data reply).
    QList<Chunk> respond(const QByteArray &frame);
    // One control command; returns "ok", a status text or "error: ...".
    //   silence ADDR on|off      input ADDR BYTE BIT 0|1     analog ADDR CH VALUE
    //   noise ADDR HEX|off       split ADDR on|off           badsum ADDR on|off
    //   refuse ADDR on|off       noack ADDR on|off
    //   delay MS                 status
    QString command(const QString &line);

    // Behind a modem only the called unit hears the line: -1 = every unit,
    // -2 = none (no call), else that address.
    void setReachable(int address) { m_reachable = address; }
    int reachable() const { return m_reachable; }

    static QByteArray dataReply(SimUnit &u);
    static QByteArray ackReply(uint8_t address);
    static QString hex(const QByteArray &bytes);

signals:
    void transmit(const QByteArray &bytes);
    void frameReceived(const QByteArray &frame);
    void logLine(const QString &line);

private:
    SimPlant m_plant;
    QByteArray m_buffer;
    int m_reachable = -1;
};

} // namespace qelsim
