#pragma once
// The in-memory image of the supervised plant: the station, its field units
// and their analog, digital and pulse points, the analog-channel flag table
// and the block lists of each unit's controller program.

#include <QByteArray>
#include <QString>
#include <QTime>

#include <array>
#include <cstdint>
#include <vector>

namespace scada {

// Model limits that code and stored data rely on.
inline constexpr int kMaxUnits = 61;         // unit positions 0..60
inline constexpr int kChannels = 20;         // channels of a 20-channel unit
inline constexpr int kAnalogSlots = 20;      // one analog record per channel
inline constexpr int kDigitalSlots = 20;
inline constexpr int kPulseSlots = 5;
inline constexpr int kMaxBlocksPerUnit = 255;

struct TYcRec {
    QString name;        // max 20
    QString property;    // max 8
    QString unitText;    // max 8
    double coefficient = 0;
    double coefficientA = 0;
    double coefficientB = 0;
    double alarmLow = 0, alarmHigh = 0;
    double qualifiedLow = 0, qualifiedHigh = 0;
    double value = 0;          // engineering value of the last reply
    double lastRecorded = 0;   // value last written to the analog history
    QString kind;              // "Yc" marks an analog channel
};

struct TYxRec {
    QString name;       // max 20
    QString property;   // max 8
    bool state = false;
    bool previous = false;
    uint32_t alarmColor = 0;
    uint32_t normalColor = 0;
    bool controlEnabled = false;
    uint8_t videoTrigger = 0;  // 1: on a change to on, 2: on a change to off
    bool alarmEnabled = false;
    uint8_t alarmKind = 0;
    bool soundEnabled = false;
    int32_t soundOnPosition = 0;
    int32_t soundOffPosition = 0;
    int32_t keepDays = 0;
    QString kind;
};

struct TYmRec {
    QString name;
    QString property;
    double coefficient = 0;
    double coefficientA = 0;
    double coefficientB = 0;
    double value = 0;
};

struct TFtuRec {
    QString stationName;  // max 20
    QString name;         // max 20
    int16_t mark = 0;     // 1 or more: polled and recorded
    uint8_t address = 0;
    QTime lastReply;
    uint8_t size = 0;     // 0: 10 channels, 1: 20 channels
    std::array<TYcRec, kAnalogSlots> yc;
    std::array<TYxRec, kDigitalSlots> yx;
    std::array<TYmRec, kPulseSlots> ym;
    QString phone;        // max 20
    QString password;     // max 10
    bool switchHeld = false;

    // Channels of the unit: 20 for size 1, 10 for every other size value.
    int channels() const { return size == 1 ? 20 : 10; }
};

struct TStationRec {
    QString name;          // max 20
    QString portName;      // max 10, e.g. "COM1"
    uint8_t unitCount = 0;
    bool useModem = false;
    bool linkOption = false;  // "All time" (modem) / "Custom  Cyc Time" (direct)
    int32_t delayOrCycle = 0; // modem delay in s, or poll cycle in ms
    std::vector<TFtuRec> units;
};

struct TBlockRec {
    uint8_t type = 0;
    uint8_t position = 0;   // controller address = position * 20 + 32
    float timeUnit = 0;
    int32_t parameter = 0;
};
using TBlocks = std::vector<TBlockRec>;

struct TVarRecord {
    QString name;
    uint8_t station = 0;
    uint8_t unit = 0;
    uint8_t point = 0;
    uint8_t varType = 0;
    uint8_t varKind = 0;
    uint8_t varFrom = 0;
};

using AnalogFlagTable = std::array<std::array<bool, kChannels>, kMaxUnits>;

struct PointModel {
    int stationCount = 0;                // 0 or 1
    std::vector<TStationRec> stations;   // only the first entry is filled
    bool useModem = false;
    int saveTime = 5;                    // minutes; a stored 0 is held as 5
    AnalogFlagTable ycFlags{};           // row = unit position, column = channel
    std::vector<TBlocks> blocks;         // one list per unit position
    std::vector<TVarRecord> variables;

    TStationRec *station() { return stations.empty() ? nullptr : &stations.front(); }
    const TStationRec *station() const { return stations.empty() ? nullptr : &stations.front(); }
    std::vector<TFtuRec> *units() { return stations.empty() ? nullptr : &stations.front().units; }
    // Position of the unit with this address in station 0, or -1.
    int unitByAddress(uint8_t address) const;
    void clear();
};

// 20-bit mask of a flag-table row: bit i set when channel i is analog.
uint32_t AnalogMask(const AnalogFlagTable &flags, int row);

// Instrument references: station * 65535 + unit * 255 + item, all 0-based.
struct PointRef {
    int station = 0;
    int unit = 0;
    int item = 0;
    bool operator==(const PointRef &) const = default;
};
int EncodeReference(int station, int unit, int item);
PointRef DecodeReference(int reference);

// The block-list file: U, then per list B and B entries of 10 bytes.
// Decoding throws EReadError on a truncated file.
std::vector<TBlocks> DecodeBlocksFile(const QByteArray &bytes);
QByteArray EncodeBlocksFile(const std::vector<TBlocks> &lists);

// Digital and analog decoding of a data reply into a unit record.
void DecodeDigital(TFtuRec &unit, uint8_t b5, uint8_t b6, uint8_t b19);
void DecodeAnalog(TFtuRec &unit, const uint8_t *frame);

} // namespace scada
