// Batch control: the unit list from the tables, the two batch files, the
// control colours, and the batch command sending every line in turn.

#include "acquisition/GroupControl.h"
#include "acquisition/StationRuntime.h"
#include "common/IniFile.h"
#include "platform/ManualScheduler.h"
#include "platform/Prompt.h"
#include "store/Database.h"
#include "store/StoreSetup.h"
#include "support/TempDir.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace scada;

namespace {

QByteArray ackFrom(uint8_t address)
{
    Frame f{};
    f[0] = 0xAA;
    f[1] = address;
    f[2] = 0xFD;
    SealFrame(f);
    return toBytes(f);
}

PointModel threeUnits()
{
    PointModel m;
    m.stationCount = 1;
    m.stations.resize(1);
    m.stations[0].name = "Works";
    m.stations[0].portName = "COM1";
    for (int i = 0; i < 3; ++i) {
        TFtuRec u;
        u.name = QString("U%1").arg(i);
        u.address = uint8_t(5 + i);
        u.mark = 1;
        m.stations[0].units.push_back(u);
    }
    return m;
}

} // namespace

TEST(GroupFiles, UnitListFromTheTables)
{
    TempPlant plant;
    QDir(plant.path()).mkpath("Table");
    Database db(plant.path());
    ASSERT_TRUE(db.open());
    CreateDatabaseTable(db);
    db.insert("FtuTable", {{"Station", "Works"}, {"FtuName", "Pump"}, {"FtuAddress", 5}, {"FtuType", 1}});
    db.insert("FtuTable", {{"Station", "Works"}, {"FtuName", "Feeder"}, {"FtuAddress", 6}, {"FtuType", 0}});
    db.insert("FtuTable", {{"Station", "North"}, {"FtuName", "Twin"}, {"FtuAddress", 7}, {"FtuType", 0}});
    db.insert("FtuTable", {{"Station", "North"}, {"FtuName", "Twin"}, {"FtuAddress", 8}, {"FtuType", 1}});
    for (int off = 1; off <= 20; ++off)
        db.insert("YxTable", {{"FtuName", "Pump"}, {"OffIndex", off}, {"Point", QString("pump%1").arg(off)}});
    for (int off = 7; off <= 9; ++off) // output 3 (OffIndex 10) has no row
        db.insert("YxTable", {{"FtuName", "Feeder"}, {"OffIndex", off}, {"Point", QString("feed%1").arg(off)}});
    db.insert("YxTable", {{"FtuName", "Feeder"}, {"OffIndex", 8}, {"Point", "again"}});

    const QList<QelGroupUnit> units = BuildQelGroupList(db);
    ASSERT_EQ(units.size(), 4);
    EXPECT_EQ(units[0].name, "Pump");
    EXPECT_EQ(units[0].address, 5);
    EXPECT_EQ(units[0].outputs, 8);
    EXPECT_EQ(units[0].outputNames[0], "pump13");
    EXPECT_EQ(units[0].outputNames[7], "pump20");
    EXPECT_EQ(units[1].outputs, 4);
    EXPECT_EQ(units[1].outputNames[0], "feed7");
    EXPECT_EQ(units[1].outputNames[1], "Not Found") << "two rows";
    EXPECT_EQ(units[1].outputNames[3], "Not Found") << "no row";
    // A name on two rows: no address, no outputs.
    EXPECT_EQ(units[2].address, -1);
    EXPECT_EQ(units[2].outputs, 0);
    EXPECT_TRUE(units[0].enable[0].isEmpty());
}

TEST(GroupFiles, PackedLinesAndTheTwoFiles)
{
    QelGroupUnit eight;
    eight.name = "Pump";
    eight.address = 5;
    eight.outputs = 8;
    eight.checked = true;
    eight.enable = {"1", "0", "", "1"};
    eight.state = {"1", "0", "", "0"};
    EXPECT_EQ(QelListValue(eight), 329985); // 5 * 65536 + 9 * 256 + 1

    QelGroupUnit four;
    four.name = "Feeder";
    four.address = 6;
    four.outputs = 4;
    four.checked = true;
    four.enable = {"1", "1", "1", "1", "1", "1"};
    four.state = {"1", "1", "1", "1", "1", "1"};
    EXPECT_EQ(QelListValue(four), 6 * 65536 + 0x0F * 256 + 0x0F) << "only the unit's outputs count";

    QelGroupUnit unchecked = four;
    unchecked.name = "Spare";
    unchecked.checked = false;

    TempPlant plant;
    plant.write("QelGroup.ini", "[Old]\nStale=1\n");
    ASSERT_TRUE(SaveQelGroup(plant.file("QelGroup.ini"), {eight, unchecked}));
    IniFile ini(plant.file("QelGroup.ini"));
    EXPECT_FALSE(ini.sections().contains("Old"));
    EXPECT_EQ(ini.value("QelInfo", "QelCount"), "2");
    EXPECT_EQ(ini.value("QelInfo", "QEL0Name"), "Pump");
    EXPECT_EQ(ini.value("QelInfo", "QEL0Add"), "5");
    EXPECT_EQ(ini.value("QelInfo", "QEL0Type"), "8");
    EXPECT_EQ(ini.value("QelInfo", "QEL0Status"), "1");
    EXPECT_EQ(ini.value("QelInfo", "QEL1Status"), "0");
    EXPECT_EQ(ini.value("QEL0Info", "Point3Enable"), "1");
    EXPECT_EQ(ini.value("QEL0Info", "Point3Status"), "0");
    EXPECT_TRUE(ini.contains("QEL0Info", "Point7Name"));
    EXPECT_FALSE(ini.contains("QEL1Info", "Point4Name"));

    ASSERT_TRUE(SaveQelList(plant.file("QelList.ini"), {eight, unchecked, four}));
    EXPECT_EQ(plant.read("QelList.ini"), "329985\r\n397071\r\n");

    const auto frame = BatchLineFrame("329985");
    ASSERT_TRUE(frame);
    EXPECT_EQ((*frame)[1], 5);
    EXPECT_EQ((*frame)[2], 0x13);
    EXPECT_EQ((*frame)[3], 9);
    EXPECT_EQ((*frame)[4], 1);
    EXPECT_FALSE(BatchLineFrame("12a"));
}

TEST(GroupFiles, ControlColours)
{
    TempPlant plant;
    const QString path = plant.file("controlcolor.set");
    ControlColours c = LoadControlColours(path);
    EXPECT_EQ(c.on, 255u);
    EXPECT_EQ(c.off, 65280u);
    ASSERT_TRUE(SaveControlColours(path, {0x00123456, 0x00123456}));
    EXPECT_EQ(plant.read("controlcolor.set"), QByteArray::fromHex("5634120056341200"));
    c = LoadControlColours(path);
    EXPECT_EQ(c.on, 0x00123456u);
    EXPECT_EQ(c.off, c.on);
    plant.write("controlcolor.set", "abc");
    EXPECT_EQ(LoadControlColours(path).on, 255u) << "a short file gives the defaults";
}

class Batch : public ::testing::Test {
protected:
    void SetUp() override
    {
        rt = std::make_unique<StationRuntime>(dir.path(), nullptr, &port, &sched, &sched, &prompt);
        rt->InstallPointModel(threeUnits());
        batch = std::make_unique<BatchControl>(*rt, sched, sched, prompt, dir.file("QelList.ini"));
        port.writes.clear();
    }
    QList<QByteArray> switchWrites() const
    {
        QList<QByteArray> out;
        for (const QByteArray &w : port.writes)
            if (uint8_t(w[2]) == 0x13)
                out << w;
        return out;
    }
    TempPlant dir;
    ManualScheduler sched;
    FakeBytePort port;
    FakePrompt prompt;
    std::unique_ptr<StationRuntime> rt;
    std::unique_ptr<BatchControl> batch;
};

TEST_F(Batch, EveryLineReachesItsUnitInTurn)
{
    dir.write("QelList.ini", "329985\r\n397071\r\n459780\r\n");
    QList<std::pair<int, bool>> done;
    QObject::connect(batch.get(), &BatchControl::lineDone, [&](int a, bool ok) { done.append({a, ok}); });
    prompt.queue(PromptAnswer::Yes);
    ASSERT_TRUE(batch->MonitorBatchCtrlCmdExecute());
    EXPECT_EQ(prompt.lastText(), "Are you sure ?");

    // Units 5 and 7 acknowledge; unit 6 stays silent.
    for (int step = 0; step < 400 && batch->running(); ++step) {
        sched.advance(100);
        const QList<QByteArray> sw = switchWrites();
        if (!sw.isEmpty() && rt->switchPending() && uint8_t(sw.last()[1]) != 6
            && rt->lastSent()[2] == 0x13)
            port.feed(ackFrom(uint8_t(sw.last()[1])));
    }
    ASSERT_FALSE(batch->running());
    const QList<QByteArray> sw = switchWrites();
    ASSERT_GE(sw.size(), 3);
    EXPECT_EQ(uint8_t(sw.first()[1]), 5);
    EXPECT_EQ(uint8_t(sw.first()[3]), 9);
    EXPECT_EQ(uint8_t(sw.first()[4]), 1);
    EXPECT_EQ(uint8_t(sw.last()[1]), 7);
    EXPECT_EQ(uint8_t(sw.last()[3]), 0x04);
    EXPECT_EQ(uint8_t(sw.last()[4]), 0x04);
    EXPECT_EQ(done, (QList<std::pair<int, bool>>{{5, true}, {6, false}, {7, true}}));
    // The message list, newest first, has one line per unit.
    ASSERT_GE(rt->messages().size(), 3);
    EXPECT_TRUE(rt->messages()[0].endsWith("U2  Batch control ok"));
    EXPECT_TRUE(rt->messages()[1].endsWith("U1  Batch control failed"));
    EXPECT_TRUE(rt->messages()[2].endsWith("U0  Batch control ok"));
    EXPECT_TRUE(prompt.saw("Control Faild!"));
}

TEST_F(Batch, NothingIsSentForNoEmptyOrDamagedLists)
{
    dir.write("QelList.ini", "329985\r\n");
    prompt.queue(PromptAnswer::No);
    EXPECT_FALSE(batch->MonitorBatchCtrlCmdExecute());

    dir.write("QelList.ini", "");
    prompt.queue(PromptAnswer::Yes);
    EXPECT_FALSE(batch->MonitorBatchCtrlCmdExecute());

    dir.write("QelList.ini", "329985\r\nfive\r\n459780\r\n");
    prompt.queue(PromptAnswer::Yes);
    EXPECT_FALSE(batch->MonitorBatchCtrlCmdExecute());
    EXPECT_EQ(prompt.lastText(), "Data Error!");

    sched.advance(5000);
    EXPECT_TRUE(switchWrites().isEmpty());
    EXPECT_FALSE(rt->switchPending());
}
