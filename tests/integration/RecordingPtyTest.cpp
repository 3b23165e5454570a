// Recording of what a direct station sees over a real pty pair: digital
// changes become events of today's YX table and message lines, analog
// values become rows of today's YC table.

#include "SimBench.h"

#include "acquisition/Recorder.h"
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

// Station "Works" on COM1: Pump (address 1, 20 channels, analog 0..11),
// Feeder (2, 10 channels, analog 0..5), Tank (3, 20 channels, mark 0).
void buildPlantTables(Database &db)
{
    db.insert("MainTable", {{"Station", "Works"}, {"QuDong", "COM1"}, {"Type", 0}, {"Voltage", 0},
                            {"SaveTime", 300}, {"UseModem", false}});
    struct U {
        const char *name;
        int address, type, analog, mark;
    };
    for (const U &u : {U{"Pump", 1, 1, 12, 1}, U{"Feeder", 2, 0, 6, 1}, U{"Tank", 3, 1, 12, 0}}) {
        db.insert("FtuTable", {{"Station", "Works"}, {"FtuName", u.name}, {"Mark", u.mark},
                               {"FtuAddress", u.address}, {"FtuType", u.type}});
        const int channels = u.type == 1 ? 20 : 10;
        for (int ch = 0; ch < channels; ++ch) {
            const QString kind = ch < u.analog ? "Yc" : "Yx";
            db.insert("YcTable", {{"Station", "Works"}, {"FtuName", u.name}, {"Point", QString("%1A%2").arg(u.name).arg(ch)},
                                  {"Quotiety_A", 10.0}, {"Quotiety_B", 0.0}, {"YxYcFlag", kind}});
            db.insert("YxTable", {{"Station", "Works"}, {"FtuName", u.name},
                                  {"Point", QString("%1BreakerNumber%2").arg(u.name).arg(ch)},
                                  {"Property", "IncomingLine"}, {"AlarmLevel", 1}, {"SaveDays", 45},
                                  {"YxYcFlag", kind}});
        }
    }
}

const char *kPlant = R"({"replyDelayMs": 5, "units": [
    {"address": 1, "size": 1, "analogMask": 4095, "analog": [100, 20]},
    {"address": 2, "size": 0, "analogMask": 63, "analog": [50]},
    {"address": 3, "size": 1, "analogMask": 4095, "analog": [255], "byte5": 255}]})";

} // namespace

TEST(RecordingPty, ToggledInputAndChangedValuesAreRecorded)
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
    const auto polls = [&] { return int(bench.frames.size()); };

    QObject owner;
    QtTimerService timers(&owner);
    SystemClock clock;
    FakePrompt prompt;
    SerialBytePort port;
    StationRuntime rt(plant.path(), &db, &port, &timers, &clock, &prompt);
    Recorder rec(rt, db, prompt, timers, clock);
    rt.LoadPointModel();
    ASSERT_TRUE(rt.portResult());

    const QDate today = QDate::currentDate();
    const QString yx = DailyTableName(1, today), yc = DailyTableName(3, today);
    auto count = [&](const QString &t) { return db.hasTable(t) ? db.recordCount(t) : 0; };

    // First round: every non-zero analog point of the polled units, no events.
    ASSERT_TRUE(waitFor([&] { return polls() >= 4; }, 5000)) << polls();
    const auto first = db.rows(yc);
    ASSERT_EQ(first.size(), 3);
    QStringList seen;
    for (const auto &r : first) {
        seen << r["PointName"].toString() + "=" + QString::number(r["Value"].toDouble());
        EXPECT_EQ(r["SjType"].toInt(), 1);
        EXPECT_EQ(r["Station"].toString(), "Works");
        EXPECT_NE(r["FtuName"].toString(), "Tank");
    }
    seen.sort();
    EXPECT_EQ(seen, (QStringList{"FeederA0=50", "PumpA0=100", "PumpA1=20"}));
    EXPECT_EQ(count(yx), 0);

    // Pump input byte 5 bit 3 (digital point 3) switches on.
    ASSERT_EQ(sim.command("input 1 5 3 1"), "ok");
    ASSERT_TRUE(waitFor([&] { return count(yx) >= 1; }, 5000));
    const int at = polls();
    ASSERT_TRUE(waitFor([&] { return polls() >= at + 6; }, 5000)); // two more rounds
    const auto events = db.rows(yx);
    ASSERT_EQ(events.size(), 1);
    const QVariantMap &e = events[0];
    EXPECT_EQ(e["Index"].toInt(), 1);
    EXPECT_EQ(e["FtuName"].toString(), "Pump");
    EXPECT_EQ(e["Point"].toString(), "PumpBreakerN");
    EXPECT_EQ(e["Property"].toString(), "Incoming");
    EXPECT_EQ(e["StateChange"].toString(), "from Off to On");
    EXPECT_EQ(e["Level"].toInt(), 1);
    EXPECT_EQ(e["Days"].toInt(), 45);
    EXPECT_EQ(e["Riqi"].toDate(), today);
    ASSERT_EQ(rt.messages().size(), 1);
    EXPECT_TRUE(rt.messages()[0].endsWith("  Works  Pump  PumpBreakerNumber3  from Off to On"))
        << rt.messages()[0].toStdString();
    EXPECT_TRUE(rt.messages()[0].contains("  " + e["Shijian"].toTime().toString("hh:mm:ss") + "  "));

    // A changed value of Feeder: one more row; Tank never appears.
    ASSERT_EQ(sim.command("analog 2 0 77"), "ok");
    ASSERT_TRUE(waitFor([&] { return count(yc) >= 4; }, 5000));
    const int at2 = polls();
    ASSERT_TRUE(waitFor([&] { return polls() >= at2 + 6; }, 5000));
    const auto rows = db.rows(yc);
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[3]["Index"].toInt(), 4);
    EXPECT_EQ(rows[3]["PointName"].toString(), "FeederA0");
    EXPECT_DOUBLE_EQ(rows[3]["Value"].toDouble(), 77.0);
    EXPECT_EQ(rows[3]["SjType"].toInt(), 1);
    EXPECT_FALSE(db.inTransaction());
}
