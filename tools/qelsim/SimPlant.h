#pragma once
// The plant a simulator plays: its units, what they measure and how they
// misbehave. Read from a JSON description:
//
// { "replyDelayMs": 20,
//   "units": [ { "address": 3, "size": 1, "analogMask": 4095,
//                "analog": [ 10, {"ramp": [0, 255, 5]}, {"sine": [128, 100, 20]} ],
//                "byte5": 129, "byte6": 15, "outputs": 1,
//                "toggles": [ {"byte": 5, "bit": 0, "every": 2} ],
//                "program": [ {"type": 7, "data": [0,0,0,0,4,1,50]} ],
//                "silent": false, "noise": "41 54", "split": false, "badChecksum": false,
//                "refuseWrites": false, "ignoreSwitch": false,
//                "phone": "700" } ],
//   "modem": { "connectDelayMs": 2000, "guardMs": 500 } }
//
// Analog generators per channel (bytes 18 - i): a number (constant), ramp
// [from, to, step] advancing per reply and wrapping, sine [mid, amplitude,
// period in replies]. Toggles flip one bit of byte 5, 6 or 19 after every
// n-th data reply.

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <array>
#include <cstdint>

namespace qelsim {

struct Generator {
    enum Kind { Constant, Ramp, Sine } kind = Constant;
    double a = 0, b = 0, c = 0; // constant: a; ramp: from, to, step; sine: mid, amplitude, period
    uint8_t valueAt(long n) const;
};

struct Toggle {
    int byte = 5;  // 5, 6 or 19
    int bit = 0;
    int every = 1; // data replies
};

struct ProgramRecord {
    uint8_t type = 0xFF;
    std::array<uint8_t, 7> data{}; // bytes 5..11
    std::array<uint8_t, 11> rest{}; // bytes 12..22
};

struct SimUnit {
    uint8_t address = 1;
    uint8_t size = 1;
    uint16_t analogMask = 0;
    std::array<Generator, 12> analog{};
    uint8_t byte5 = 0, byte6 = 0, outputs = 0;
    QList<Toggle> toggles;
    QList<ProgramRecord> program;
    bool silent = false;
    QByteArray noise;
    bool split = false;
    bool badChecksum = false;
    bool refuseWrites = false; // record writes (0x0D) answered with 0xFE, the record unchanged
    bool ignoreSwitch = false; // switch requests (0x13) get no answer and change nothing
    bool programAccess = false;
    QString phone; // the number a modem dials to reach this unit
    QDateTime clock;
    long replies = 0;
};

// The Hayes modem in front of the units (qelsim --modem): "modem":
// { "connectDelayMs": 2000, "guardMs": 500 }.
struct SimModem {
    int connectDelayMs = 2000; // from the dial command to "CONNECT 9600"
    int guardMs = 500;         // silence around "+++" for the escape
};

struct SimPlant {
    int replyDelayMs = 10;
    QList<SimUnit> units;
    SimModem modem;

    SimUnit *unit(uint8_t address);
    SimUnit *unitByPhone(const QString &phone);
    // Parses a JSON description; on error returns false and sets *error.
    static bool fromJson(const QByteArray &json, SimPlant *plant, QString *error);
};

} // namespace qelsim
