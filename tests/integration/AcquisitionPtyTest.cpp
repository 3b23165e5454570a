// The master station against simulated units over a real pty pair.

#include "SimBench.h"

#include "acquisition/StationRuntime.h"
#include "platform/Prompt.h"
#include "platform/QtTimerService.h"
#include "platform/SerialBytePort.h"
#include "store/StoreSetup.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <gtest/gtest.h>

using namespace scada;

namespace {

// Station "Works" on COM1 with three units; 20-channel units have analog
// channels 0..11, the 10-channel unit channels 0..5.
void buildPlantTables(Database &db)
{
    db.insert("MainTable", {{"Station", "Works"}, {"QuDong", "COM1"}, {"Type", 0}, {"Voltage", 0},
                            {"SaveTime", 300}, {"UseModem", false}});
    struct U {
        const char *name;
        int address, type, analog;
    };
    for (const U &u : {U{"Pump", 1, 1, 12}, U{"Feeder", 2, 0, 6}, U{"Tank", 3, 1, 12}}) {
        db.insert("FtuTable", {{"Station", "Works"}, {"FtuName", u.name}, {"Mark", 1}, {"FtuAddress", u.address},
                               {"FtuType", u.type}});
        const int channels = u.type == 1 ? 20 : 10;
        for (int ch = 0; ch < channels; ++ch) {
            db.insert("YcTable", {{"Station", "Works"}, {"FtuName", u.name}, {"Point", QString("a%1").arg(ch)},
                                  {"Quotiety_A", 5.0}, {"Quotiety_B", 1.0},
                                  {"YxYcFlag", ch < u.analog ? "Yc" : "Yx"}});
            db.insert("YxTable", {{"Station", "Works"}, {"FtuName", u.name}, {"Point", QString("d%1").arg(ch)},
                                  {"YxYcFlag", "Yx"}});
        }
    }
}

// The real serial port, counting how often the link opens it.
class CountingSerialPort : public SerialBytePort {
public:
    bool open(const QString &device) override
    {
        ++opens;
        return SerialBytePort::open(device);
    }
    int opens = 0;
};

const char *kPlant = R"({"replyDelayMs": 5, "units": [
    {"address": 1, "size": 1, "analogMask": 4095, "analog": [100, 20], "byte5": 129, "byte6": 15, "outputs": 1,
     "split": true},
    {"address": 2, "size": 0, "analogMask": 63, "analog": [50], "byte5": 33, "outputs": 243, "noise": "41 54 0d"},
    {"address": 3, "size": 1, "analogMask": 4095, "analog": [255], "byte5": 2}]})";

} // namespace

TEST(AcquisitionPty, PollsDecodesAndSurvivesASilentUnit)
{
    TempPlant plant;
    QDir(plant.path()).mkpath("Table");
    Database db(plant.path());
    ASSERT_TRUE(db.open());
    CreateDatabaseTable(db);
    buildPlantTables(db);

    SimBench bench(kPlant, plant.path());
    ASSERT_FALSE(HasFailure());
    qelsim::QelSimulator &sim = *bench.sim;
    qelsim::SimLine &line = bench.line;
    const QList<QByteArray> &logged = bench.frames;

    QObject owner;
    QtTimerService timers(&owner);
    SystemClock clock;
    FakePrompt prompt;
    CountingSerialPort port;
    StationRuntime rt(plant.path(), &db, &port, &timers, &clock, &prompt);
    rt.LoadPointModel();
    ASSERT_TRUE(rt.portResult());
    EXPECT_EQ(port.device(), line.slavePath());

    // Two full rounds, first poll at position 1.
    ASSERT_TRUE(waitFor([&] { return logged.size() >= 6; }, 5000)) << logged.size();
    const QList<int> order = {2, 3, 1, 2, 3, 1};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(logged[i], toBytes(BuildReadDataFrame(uint8_t(order[i])))) << i;
    EXPECT_TRUE(rt.messages().isEmpty());

    const auto &units = rt.model().stations[0].units;
    // Pump: 20 channels, split reply.
    EXPECT_TRUE(units[0].yx[0].state);
    EXPECT_TRUE(units[0].yx[7].state);
    EXPECT_TRUE(units[0].yx[11].state);
    EXPECT_TRUE(units[0].yx[12].state);
    EXPECT_FALSE(units[0].yx[13].state);
    EXPECT_DOUBLE_EQ(units[0].yc[0].value, 100 * 5.0 / 10 + 1);
    EXPECT_DOUBLE_EQ(units[0].yc[1].value, 20 * 5.0 / 10 + 1);
    // Feeder: 10 channels, noise before every reply.
    EXPECT_TRUE(units[1].yx[0].state);
    EXPECT_TRUE(units[1].yx[5].state);
    EXPECT_TRUE(units[1].yx[6].state);
    EXPECT_FALSE(units[1].yx[8].state);
    EXPECT_DOUBLE_EQ(units[1].yc[0].value, 26.0);
    EXPECT_DOUBLE_EQ(units[2].yc[0].value, 255 * 0.5 + 1);
    EXPECT_EQ(rt.badFramesCount(), 0u);

    // Silence Tank: one error line, and polling goes on with Pump.
    ASSERT_EQ(sim.command("silence 3 on"), "ok");
    ASSERT_TRUE(waitFor([&] { return !rt.messages().isEmpty(); }, 5000));
    EXPECT_TRUE(rt.messages().first().endsWith("  Tank  Error")) << rt.messages().first().toStdString();
    const qsizetype at = logged.size();
    ASSERT_TRUE(waitFor([&] { return logged.size() > at; }, 3000));
    EXPECT_EQ(uint8_t(logged[at][1]), 1);
    EXPECT_GE(port.opens, 3) << "the port was reopened twice after the time-out";
    ASSERT_TRUE(waitFor([&] { return logged.size() > at + 2; }, 3000));
    EXPECT_EQ(uint8_t(logged[at + 1][1]), 2);
}
