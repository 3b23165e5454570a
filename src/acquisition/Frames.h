#pragma once
// The 26-byte frames exchanged with the field units: checksum, packed BCD
// and the requests the master sends. Multi-byte fields are big-endian.

#include <QByteArray>
#include <QDateTime>

#include <array>
#include <cstdint>

namespace scada {

inline constexpr int kFrameSize = 26;
inline constexpr uint8_t kFrameStart = 0xAA;
inline constexpr uint8_t kBroadcast = 0xFF;

namespace Cmd {
inline constexpr uint8_t ReadData = 0x09;
inline constexpr uint8_t SwitchOutput = 0x13;
inline constexpr uint8_t SetClock = 0x07;
inline constexpr uint8_t ProgramAccess = 0x0B;
inline constexpr uint8_t ReadRecord = 0x0E;
inline constexpr uint8_t WriteRecord = 0x0D;
inline constexpr uint8_t Ack = 0xFD;
} // namespace Cmd

using Frame = std::array<uint8_t, kFrameSize>;

// Sum of bytes 0 to 24 modulo 256.
uint8_t FrameChecksum(const uint8_t *frame);
inline uint8_t FrameChecksum(const Frame &f) { return FrameChecksum(f.data()); }
// Sets byte 25 to the checksum.
void SealFrame(Frame &f);

// Packed BCD: 0..99 encode to two digits, 100 and above to 0; negative to 0.
uint8_t ToBcd(int v);
int FromBcd(uint8_t b);

// Record k of a controller program lives at k * 20 + 32.
inline int RecordAddress(int position) { return position * 20 + 32; }

// Read data (0x09); a modem station fills bytes 3..24 with 0x20.
Frame BuildReadDataFrame(uint8_t address, bool modem = false);
// Switch output (0x13): byte 3 the output mask, byte 4 the new output bits.
Frame BuildSwitchFrame(uint8_t address, uint8_t mask, uint8_t bits);
// Set clock (0x07) to all units: s, min, h, day, month, weekday (0 = Sunday), year - 2000.
Frame BuildSetClockFrame(const QDateTime &when);
// Program access (0x0B): byte 3 0xFF before a program read, 0x00 after it.
Frame BuildProgramAccessFrame(uint8_t address, bool begin);
// Read block record (0x0E) at a record position; blockPosition goes to byte 3
// (single-block reads), -1 leaves it 0.
Frame BuildReadRecordFrame(uint8_t address, int recordPosition, int blockPosition = -1);
// Write block record (0x0D): the unit's record reply with code 0x0D and the
// record address of the position in bytes 23-24, resealed. The caller puts
// the new set value in before sealing through this builder.
Frame BuildWriteRecordFrame(const Frame &record, int recordPosition);

QByteArray toBytes(const Frame &f);
Frame frameFrom(const QByteArray &bytes); // first 26 bytes, zero-padded
// Two upper-case hexadecimal digits and a space per byte.
QString HexText(const uint8_t *bytes, int n);

} // namespace scada
