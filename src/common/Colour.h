#pragma once
// Colour values as the system stores them: 32 bits, red in the lowest byte,
// then green, then blue (0x00BBGGRR). 0x80000000 + n names system colour n;
// 0x1FFFFFFF means none (no fill).

#include <QColor>
#include <cstdint>

namespace scada {

constexpr uint32_t clNone = 0x1FFFFFFF;
constexpr uint32_t clSystemBase = 0x80000000;
constexpr uint32_t clBlack = 0x000000;
constexpr uint32_t clWhite = 0xFFFFFF;
constexpr uint32_t clRed = 0x0000FF;
constexpr uint32_t clLime = 0x00FF00;
constexpr uint32_t clBlue = 0xFF0000;

// System colour numbers used by the system.
enum SystemColour : uint32_t {
    SysBackground = 1,
    SysInactiveCaption = 3,
    SysWindow = 5,
    SysWindowText = 8,
    SysBtnFace = 15,
    SysBtnShadow = 16,
    SysBtnHighlight = 20,
    SysInfoBk = 24,
};

constexpr uint32_t systemColour(uint32_t n) { return clSystemBase + n; }
constexpr bool isNone(uint32_t value) { return value == clNone; }
constexpr bool isSystemColour(uint32_t value) { return (value & clSystemBase) != 0; }

// The colour a value paints with. System colours resolve to a fixed classic
// table so that pictures look the same on every desktop; none gives an
// invalid QColor.
QColor toQColor(uint32_t value);
// The stored value of an opaque colour.
uint32_t fromQColor(const QColor &colour);

} // namespace scada
