#include "common/Colour.h"

#include <array>

namespace scada {

namespace {
// Classic system colours 0..30 as 0x00BBGGRR.
constexpr std::array<uint32_t, 31> kSystem = {
    0xC8C8C8, // 0 scroll bar
    0x808000, // 1 desktop
    0x6A240A, // 2 active caption
    0x808080, // 3 inactive caption
    0xC0C0C0, // 4 menu
    0xFFFFFF, // 5 window
    0x000000, // 6 window frame
    0x000000, // 7 menu text
    0x000000, // 8 window text
    0xFFFFFF, // 9 caption text
    0xC0C0C0, // 10 active border
    0xC0C0C0, // 11 inactive border
    0x808080, // 12 application workspace
    0x6A240A, // 13 highlight
    0xFFFFFF, // 14 highlight text
    0xC0C0C0, // 15 button face
    0x808080, // 16 button shadow
    0x808080, // 17 grey text
    0x000000, // 18 button text
    0xC0C0C0, // 19 inactive caption text
    0xFFFFFF, // 20 button highlight
    0x404040, // 21 3-D dark shadow
    0xC0C0C0, // 22 3-D light
    0x000000, // 23 info text
    0xE1FFFF, // 24 info background
    0xC0C0C0, // 25 (unused)
    0x800000, // 26 hot light
    0xF0CAA6, // 27 gradient active caption
    0xC0C0C0, // 28 gradient inactive caption
    0x6A240A, // 29 menu highlight
    0xC0C0C0, // 30 menu bar
};

QColor fromBgr(uint32_t v)
{
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}
} // namespace

QColor toQColor(uint32_t value)
{
    if (isNone(value))
        return {};
    if (isSystemColour(value)) {
        uint32_t n = value & 0xFF;
        return fromBgr(n < kSystem.size() ? kSystem[n] : 0);
    }
    return fromBgr(value & 0xFFFFFF);
}

uint32_t fromQColor(const QColor &colour)
{
    if (!colour.isValid())
        return clNone;
    return uint32_t(colour.red()) | (uint32_t(colour.green()) << 8) | (uint32_t(colour.blue()) << 16);
}

} // namespace scada
