#include "acquisition/StationRuntime.h"

#include "platform/ManualScheduler.h"
#include "platform/Prompt.h"
#include "store/StoreSetup.h"
#include "support/TempDir.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace scada;

namespace {

class Loader : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(plant.path()).mkpath("Table");
        db = std::make_unique<Database>(plant.path());
        ASSERT_TRUE(db->open()) << db->lastError().toStdString();
        CreateDatabaseTable(*db);
        rt = std::make_unique<StationRuntime>(plant.path(), db.get(), &port, &sched, &sched, &prompt);
    }
    void station(const QString &name, int saveTime = 300, int type = 0, int voltage = 0)
    {
        db->insert("MainTable", {{"Station", name}, {"QuDong", "COM1"}, {"Type", type},
                                 {"Voltage", voltage}, {"SaveTime", saveTime}, {"UseModem", false}});
    }
    // A unit with its point rows; analog channel ch is "Yc" unless listed in yxChannels.
    void unit(const QString &st, const QString &name, int address, int type, int rows,
              QList<int> yxChannels = {})
    {
        db->insert("FtuTable", {{"Station", st}, {"FtuName", name}, {"Mark", 1}, {"FtuAddress", address},
                                {"FtuType", type}, {"PhoneCode", "555"}, {"PassWord", "pw"}});
        for (int ch = 0; ch < rows; ++ch) {
            const QString point = QString("%1-%2").arg(name).arg(ch);
            db->insert("YcTable", {{"Station", st}, {"FtuName", name}, {"Point", point}, {"OffIndex", ch + 1},
                                   {"Quotiety_A", ch}, {"YxYcFlag", yxChannels.contains(ch) ? "Yx" : "Yc"}});
            db->insert("YxTable", {{"Station", st}, {"FtuName", name}, {"Point", point}, {"OffIndex", ch + 1},
                                   {"ControlEnabled", ch >= 12}, {"AlarmLevel", 2}, {"YxYcFlag", "Yx"}});
        }
        for (int k = 0; k < 5; ++k)
            db->insert("YmTable", {{"Station", st}, {"FtuName", name}, {"Point", QString("%1-m%2").arg(name).arg(k)}});
    }

    TempPlant plant;
    std::unique_ptr<Database> db;
    ManualScheduler sched;
    FakeBytePort port;
    FakePrompt prompt;
    std::unique_ptr<StationRuntime> rt;
};

} // namespace

TEST_F(Loader, LoadsTheFirstStationAndWalksPointRowsByPosition)
{
    station("North", 0);
    station("South");
    unit("North", "U1", 300, 5, 10, {3});
    unit("North", "U2", 2, 1, 20, {15});
    unit("South", "S1", 9, 1, 20);
    rt->LoadPointModel();

    const PointModel &m = rt->model();
    EXPECT_EQ(m.stationCount, 1);
    ASSERT_EQ(m.stations.size(), 1u);
    EXPECT_EQ(m.stations[0].name, "North");
    EXPECT_EQ(m.saveTime, 5);
    ASSERT_EQ(m.stations[0].units.size(), 2u);
    EXPECT_EQ(m.stations[0].unitCount, 2);

    const TFtuRec &u1 = m.stations[0].units[0];
    EXPECT_EQ(u1.address, 44);
    EXPECT_EQ(u1.size, 5);
    EXPECT_EQ(u1.name, "U1");
    EXPECT_EQ(u1.stationName, "North");
    EXPECT_EQ(u1.phone, "555");
    EXPECT_EQ(u1.password, "pw");
    EXPECT_EQ(u1.yc[9].name, "U1-9");
    EXPECT_TRUE(u1.yc[10].name.isEmpty()) << "a 10-channel unit takes 10 rows";
    EXPECT_TRUE(m.ycFlags[0][0]);
    EXPECT_FALSE(m.ycFlags[0][3]) << "an analog row marked Yx is not an analog channel";
    EXPECT_EQ(u1.yx[9].name, "U1-9");
    EXPECT_EQ(u1.ym[4].name, "U1-m4");

    const TFtuRec &u2 = m.stations[0].units[1];
    EXPECT_EQ(u2.yc[0].name, "U2-0");
    EXPECT_EQ(u2.yc[19].name, "U2-19");
    EXPECT_DOUBLE_EQ(u2.yc[7].coefficientA, 7.0);
    EXPECT_TRUE(m.ycFlags[1][19]);
    EXPECT_FALSE(m.ycFlags[1][15]);
    EXPECT_EQ(AnalogMask(m.ycFlags, 1), 0xFFFFFu & ~(1u << 15));
    EXPECT_TRUE(u2.yx[12].controlEnabled);
    EXPECT_EQ(u2.yx[0].videoTrigger, 2);
    EXPECT_EQ(u2.ym[0].name, "U2-m0");
    EXPECT_TRUE(rt->portResult());
}

TEST_F(Loader, ShortPointTablesRepeatTheLastRow)
{
    station("North");
    unit("North", "U1", 1, 0, 10);
    db->insert("FtuTable", {{"Station", "North"}, {"FtuName", "U2"}, {"Mark", 1}, {"FtuAddress", 2}, {"FtuType", 0}});
    rt->LoadPointModel();
    const TFtuRec &u2 = rt->model().stations[0].units[1];
    EXPECT_EQ(u2.yc[0].name, "U1-9");
    EXPECT_EQ(u2.yc[9].name, "U1-9");
    EXPECT_EQ(u2.name, "U1");
}

TEST_F(Loader, EmptyMainTableLoadsNothing)
{
    rt->LoadPointModel();
    EXPECT_EQ(rt->model().stationCount, 0);
    EXPECT_TRUE(rt->model().stations.empty());
    EXPECT_FALSE(rt->portResult());
    sched.advance(2000);
    EXPECT_TRUE(port.writes.isEmpty());
}

TEST_F(Loader, UnitsBeyondSixtyOneAreLeftOutWithAMessage)
{
    station("Big");
    for (int i = 0; i < 63; ++i)
        db->insert("FtuTable", {{"Station", "Big"}, {"FtuName", QString("Q%1").arg(i)}, {"Mark", 1},
                                {"FtuAddress", i}, {"FtuType", 0}});
    rt->LoadPointModel();
    EXPECT_EQ(rt->model().stations[0].units.size(), 61u);
    ASSERT_EQ(rt->messages().size(), 1);
    EXPECT_TRUE(rt->messages()[0].contains("Q61, Q62")) << rt->messages()[0].toStdString();
}

TEST_F(Loader, BlocksFileMissingPresentAndSaved)
{
    station("North");
    unit("North", "U1", 1, 0, 10);
    unit("North", "U2", 2, 0, 10);
    rt->LoadPointModel();
    ASSERT_EQ(rt->model().blocks.size(), 2u);
    EXPECT_TRUE(rt->model().blocks[0].empty());

    plant.write("Blocks.inf", QByteArray::fromHex("02" "00" "01" "0E05" "00000000" "64000000"));
    rt->LoadPointModel();
    ASSERT_EQ(rt->model().blocks.size(), 2u);
    EXPECT_TRUE(rt->model().blocks[0].empty());
    ASSERT_EQ(rt->model().blocks[1].size(), 1u);
    EXPECT_EQ(rt->model().blocks[1][0].type, 14);
    EXPECT_EQ(rt->model().blocks[1][0].parameter, 100);

    rt->model().blocks[0].push_back(TBlockRec{7, 2, 4.0f, 1500});
    rt->SaveBlocks();
    rt->LoadBlocks();
    ASSERT_EQ(rt->model().blocks[0].size(), 1u);
    EXPECT_EQ(rt->model().blocks[0][0].parameter, 1500);
    EXPECT_EQ(rt->model().blocks[1][0].type, 14);

    rt->ClearBlocks();
    EXPECT_EQ(rt->model().blocks.size(), 2u);
    EXPECT_TRUE(rt->model().blocks[1].empty());
}

TEST_F(Loader, DirectStationWithCycleWaitsForTheTimer)
{
    station("North", 300, 1, 1500);
    unit("North", "U1", 1, 0, 10);
    rt->LoadPointModel();
    EXPECT_TRUE(rt->waitForTimer());
    EXPECT_EQ(sched.interval("Timer4"), 1500);
    EXPECT_TRUE(sched.isActive("Timer4"));

    // Reloaded without the cycle option: back to the 400 ms step.
    db->update("MainTable", {{"Type", 0}});
    rt->LoadPointModel();
    EXPECT_FALSE(rt->waitForTimer());
    EXPECT_EQ(sched.interval("Timer4"), 400);
}
