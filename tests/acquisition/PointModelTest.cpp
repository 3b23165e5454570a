#include "acquisition/PointModel.h"

#include "common/Errors.h"

#include <gtest/gtest.h>

#include <set>

using namespace scada;

namespace {
std::set<int> onPoints(const TFtuRec &u)
{
    std::set<int> on;
    for (int i = 0; i < kDigitalSlots; ++i)
        if (u.yx[i].state)
            on.insert(i);
    return on;
}
} // namespace

TEST(PointModel, DigitalDecodingBySize)
{
    struct Case {
        uint8_t size, b5, b6, b19;
        std::set<int> on;
    };
    const Case cases[] = {
        {1, 0x81, 0x0F, 0x01, {0, 7, 8, 9, 10, 11, 12}},
        {1, 0x00, 0xF0, 0x80, {19}},           // bits 4-7 of byte 6 are not inputs
        {0, 0x00, 0xFF, 0xF3, {6, 7}},         // 10 channels: bits 4-7 of byte 19 ignored
        {0, 0xFF, 0x00, 0x00, {0, 1, 2, 3, 4, 5}},
    };
    for (const Case &c : cases) {
        TFtuRec u;
        u.size = c.size;
        for (auto &p : u.yx)
            p.state = true; // every decoded point is overwritten
        for (int i = c.size == 1 ? 20 : 10; i < kDigitalSlots; ++i)
            u.yx[i].state = false;
        DecodeDigital(u, c.b5, c.b6, c.b19);
        EXPECT_EQ(onPoints(u), c.on) << int(c.size) << " " << int(c.b5);
    }
    TFtuRec odd;
    odd.size = 5;
    odd.yx[0].state = true;
    DecodeDigital(odd, 0, 0, 0);
    EXPECT_TRUE(odd.yx[0].state) << "units of other sizes are not decoded";
}

TEST(PointModel, AnalogDecodingScalesOnlyAnalogChannels)
{
    TFtuRec u;
    u.yc[0].kind = "Yc";
    u.yc[0].coefficientA = 2.0;
    u.yc[0].coefficientB = 0.5;
    u.yc[1].kind = "Yx";
    u.yc[1].value = 7;
    u.yc[11].kind = "Yc";
    u.yc[11].coefficientA = 10;
    u.yc[12].kind = "Yc";
    u.yc[12].value = 3;
    uint8_t frame[26] = {};
    frame[18] = 200; // channel 0
    frame[17] = 99;  // channel 1
    frame[7] = 255;  // channel 11
    DecodeAnalog(u, frame);
    EXPECT_DOUBLE_EQ(u.yc[0].value, 40.5);
    EXPECT_DOUBLE_EQ(u.yc[1].value, 7);
    EXPECT_DOUBLE_EQ(u.yc[11].value, 255);
    EXPECT_DOUBLE_EQ(u.yc[12].value, 3) << "channels 12-19 are never written";
}

TEST(PointModel, AnalogMaskAndReferences)
{
    AnalogFlagTable flags{};
    flags[3][0] = flags[3][9] = flags[3][19] = true;
    EXPECT_EQ(AnalogMask(flags, 3), (1u << 0) | (1u << 9) | (1u << 19));
    EXPECT_EQ(AnalogMask(flags, 2), 0u);
    EXPECT_EQ(AnalogMask(flags, 61), 0u);

    EXPECT_EQ(EncodeReference(0, 1, 0), 255);
    EXPECT_EQ(DecodeReference(255), (PointRef{0, 1, 0}));
    for (PointRef r : {PointRef{0, 0, 0}, PointRef{0, 60, 19}, PointRef{1, 2, 254}, PointRef{0, 3, 128}})
        EXPECT_EQ(DecodeReference(EncodeReference(r.station, r.unit, r.item)), r);
}

TEST(PointModel, BlocksFileLayout)
{
    // U = 2; first list empty; second list one timer block.
    const QByteArray file = QByteArray::fromHex("02" "00" "01" "07" "03" "00008040" "39300000");
    const auto lists = DecodeBlocksFile(file);
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_TRUE(lists[0].empty());
    ASSERT_EQ(lists[1].size(), 1u);
    EXPECT_EQ(lists[1][0].type, 7);
    EXPECT_EQ(lists[1][0].position, 3);
    EXPECT_FLOAT_EQ(lists[1][0].timeUnit, 4.0f);
    EXPECT_EQ(lists[1][0].parameter, 12345);
    EXPECT_EQ(EncodeBlocksFile(lists), file);

    EXPECT_TRUE(DecodeBlocksFile(QByteArray()).empty());
    EXPECT_THROW(DecodeBlocksFile(file.left(file.size() - 2)), EReadError);
    EXPECT_THROW(DecodeBlocksFile(QByteArray::fromHex("0301")), EReadError);
}
