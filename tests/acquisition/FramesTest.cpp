#include "acquisition/Frames.h"

#include <gtest/gtest.h>

using namespace scada;

namespace {
QByteArray hex(const char *h) { return QByteArray::fromHex(h); }
}

TEST(Frames, BuildersProduceTheWireBytes)
{
    struct Case {
        const char *what;
        Frame frame;
        QByteArray expected;
    };
    const Case cases[] = {
        {"poll of address 3", BuildReadDataFrame(3),
         hex("AA0309") + QByteArray(22, '\0') + hex("B6")},
        {"switch output bit 2 on", BuildSwitchFrame(5, 0x04, 0x04),
         hex("AA05130404") + QByteArray(20, '\0') + hex("CA")},
        {"program access begin", BuildProgramAccessFrame(1, true),
         hex("AA010BFF") + QByteArray(21, '\0') + hex("B5")},
        {"read record 3 of block position 3", BuildReadRecordFrame(2, 3, 3),
         hex("AA020E03") + QByteArray(19, '\0') + hex("005C") + hex("19")},
    };
    for (const Case &c : cases)
        EXPECT_EQ(toBytes(c.frame).toHex(' '), c.expected.toHex(' ')) << c.what;
}

TEST(Frames, ModemPollIsPaddedWithSpaces)
{
    const Frame f = BuildReadDataFrame(7, true);
    EXPECT_EQ(f[0], 0xAA);
    EXPECT_EQ(f[1], 7);
    EXPECT_EQ(f[2], 0x09);
    for (int i = 3; i <= 24; ++i)
        EXPECT_EQ(f[i], 0x20) << i;
    EXPECT_EQ(f[25], FrameChecksum(f));
}

TEST(Frames, SetClockCarriesBcdFieldsAndSundayIsZero)
{
    const Frame f = BuildSetClockFrame(QDateTime(QDate(2008, 3, 25), QTime(14, 7, 9)));
    EXPECT_EQ(f[1], 0xFF);
    EXPECT_EQ(f[2], 0x07);
    EXPECT_EQ(toBytes(f).mid(3, 7).toHex(' '), QByteArray("09 07 14 25 03 02 08"));
    EXPECT_EQ(f[25], FrameChecksum(f));
    const Frame sunday = BuildSetClockFrame(QDateTime(QDate(2008, 3, 30), QTime(0, 0, 0)));
    EXPECT_EQ(sunday[8], 0x00);
    const Frame saturday = BuildSetClockFrame(QDateTime(QDate(2008, 3, 29), QTime(0, 0, 0)));
    EXPECT_EQ(saturday[8], 0x06);
}

TEST(Frames, WriteRecordReplacesCodeAddressAndChecksum)
{
    Frame record = BuildReadRecordFrame(4, 0);
    record[2] = 0x0E;
    record[4] = 7;
    record[10] = 0x12;
    const Frame w = BuildWriteRecordFrame(record, 20);
    EXPECT_EQ(w[2], 0x0D);
    EXPECT_EQ(w[4], 7);
    EXPECT_EQ(w[10], 0x12);
    EXPECT_EQ((w[23] << 8) | w[24], 20 * 20 + 32);
    EXPECT_EQ(w[25], FrameChecksum(w));
}

TEST(Frames, Bcd)
{
    const std::pair<int, int> enc[] = {{0, 0x00}, {9, 0x09}, {10, 0x10}, {59, 0x59}, {99, 0x99}, {100, 0}, {255, 0}, {-3, 0}};
    for (auto [v, b] : enc)
        EXPECT_EQ(ToBcd(v), b) << v;
    EXPECT_EQ(FromBcd(0x59), 59);
    EXPECT_EQ(FromBcd(0x00), 0);
    // Not valid BCD, decoded digit-wise all the same.
    EXPECT_EQ(FromBcd(0xFF), 165);
    for (int v = 0; v < 100; ++v)
        ASSERT_EQ(FromBcd(ToBcd(v)), v);
}
