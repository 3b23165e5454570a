#include "common/ByteStream.h"
#include "common/Colour.h"
#include "common/Cp936.h"
#include "common/IniFile.h"

#include <gtest/gtest.h>

using namespace scada;

TEST(ByteStream, RoundTripsNumbersStringsAndLists)
{
    ByteWriter w;
    w.u8(0xAB);
    w.i16(-2);
    w.u32(0x12345678);
    w.f64(40.5);
    w.string(QString::fromUtf8("泵站 A"));
    w.stringList({"one", "", "three"});
    w.stringList({});
    w.u16be(0x1234);

    ByteReader r(w.data());
    EXPECT_EQ(r.u8(), 0xAB);
    EXPECT_EQ(r.i16(), -2);
    EXPECT_EQ(r.u32(), 0x12345678u);
    EXPECT_DOUBLE_EQ(r.f64(), 40.5);
    EXPECT_EQ(r.string(), QString::fromUtf8("泵站 A"));
    EXPECT_EQ(r.stringList(), QStringList({"one", "", "three"}));
    EXPECT_TRUE(r.stringList().isEmpty());
    EXPECT_EQ(r.u16be(), 0x1234);
    EXPECT_TRUE(r.atEnd());
}

TEST(ByteStream, LayoutIsLittleEndianWithCp936Text)
{
    ByteWriter w;
    w.u32(1);
    w.string(QString::fromUtf8("中"));
    w.stringList({"ab", "c"});
    EXPECT_EQ(w.data().toHex(), QByteArray("01000000"
                                           "0200d6d000"
                                           "0200"
                                           "0200616 20d"
                                           "0100630 0")
                                    .replace(" ", ""));
}

TEST(ByteStream, ReadingPastTheEndThrowsInsteadOfCrashing)
{
    ByteReader r(QByteArray("\x05\x00ab", 4)); // string claims 5 bytes, has 2
    EXPECT_THROW(r.string(), EReadError);
    ByteReader r2(QByteArray("\x01", 1));
    EXPECT_THROW(r2.u32(), EReadError);
    EXPECT_EQ(r2.peek(5), -1);
}

TEST(Colour, StoredValuesMapToColours)
{
    EXPECT_EQ(toQColor(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(toQColor(0xFF0000), QColor(0, 0, 255));
    EXPECT_FALSE(toQColor(clNone).isValid());
    EXPECT_EQ(toQColor(systemColour(SysBtnHighlight)), QColor(255, 255, 255));
    EXPECT_EQ(toQColor(systemColour(SysBtnShadow)), QColor(128, 128, 128));
    EXPECT_EQ(fromQColor(QColor(0xB5, 0xFD, 0xD7)), 0xD7FDB5u);
}

TEST(IniFile, ParsesCaseInsensitivelyAndWritesBack)
{
    IniFile ini;
    ini.parse("[Ports]\r\nCOM1=/dev/pts/3\r\n; comment\r\ncom2 = /dev/ttyUSB0\r\n[Other]\nx=1\n");
    EXPECT_EQ(ini.value("ports", "Com1"), "/dev/pts/3");
    EXPECT_EQ(ini.value("Ports", "COM2"), "/dev/ttyUSB0");
    EXPECT_EQ(ini.intValue("Other", "x", 0), 1);
    EXPECT_EQ(ini.intValue("Other", "missing", 7), 7);
    ini.setValue("Ports", "com1", "/dev/pts/9");
    ini.removeSection("other");
    IniFile back;
    back.parse(ini.serialise());
    EXPECT_EQ(back.sections(), QStringList({"Ports"}));
    EXPECT_EQ(back.value("Ports", "COM1"), "/dev/pts/9");
}
