// A recording process killed without closing its database keeps every
// event and analog row of the replies it had handled.

#include "acquisition/Recorder.h"
#include "acquisition/StationRuntime.h"

#include "platform/ManualScheduler.h"
#include "platform/Prompt.h"
#include "store/Database.h"
#include "store/StoreSetup.h"
#include "support/TempDir.h"

#include <QDir>

#include <csignal>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace scada;

namespace {

constexpr int kReplies = 40;
const char *kPlantVar = "SCADA_TEST_KILLED_RECORDER_PLANT";

PointModel twentyChannelUnit()
{
    PointModel m;
    m.stationCount = 1;
    m.stations.resize(1);
    m.stations[0].name = "Works";
    TFtuRec u;
    u.stationName = "Works";
    u.name = "Pump";
    u.address = 7;
    u.size = 1;
    u.mark = 1;
    for (int ch = 0; ch < kChannels; ++ch) {
        u.yx[ch].name = QString("In%1").arg(ch);
        u.yc[ch].name = QString("Ch%1").arg(ch);
        u.yc[ch].coefficientA = 10;
        if (ch < 12) {
            u.yc[ch].kind = "Yc";
            m.ycFlags[0][ch] = true;
        }
    }
    m.stations[0].units.push_back(u);
    return m;
}

// Records kReplies replies in which every input and every analog channel
// changes, then dies by SIGKILL without closing anything.
[[noreturn]] void recordAndGetKilled(const QString &plantDir)
{
    Database db(plantDir);
    if (!db.open())
        _exit(2);
    ManualScheduler sched;
    FakeBytePort port;
    FakePrompt prompt;
    StationRuntime rt(plantDir, &db, &port, &sched, &sched, &prompt);
    Recorder rec(rt, db, prompt, sched, sched);
    rt.InstallPointModel(twentyChannelUnit());
    const uint32_t mask = AnalogMask(rt.model().ycFlags, 0);
    for (int r = 0; r < kReplies; ++r) {
        const bool on = r % 2 == 0;
        Frame f{};
        f[0] = 0xAA;
        f[1] = 7;
        f[2] = 0x09;
        f[3] = uint8_t(mask & 0xFF);
        f[4] = uint8_t(mask >> 8);
        f[5] = on ? 0xFF : 0;
        f[6] = on ? 0x0F : 0;
        f[19] = on ? 0xFF : 0;
        for (int i = 0; i < 12; ++i)
            f[18 - i] = uint8_t(on ? 20 + i : 10 + i);
        SealFrame(f);
        rt.HandleDataReply(f.data(), kFrameSize);
        sched.advance(1000);
    }
    ::kill(::getpid(), SIGKILL);
    _exit(3); // not reached
}

} // namespace

TEST(RecordingKilled, EveryRecordOfAHandledReplySurvivesSigkill)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The child re-runs this test: it must use the parent's plant.
    TempPlant plant;
    if (qEnvironmentVariableIsEmpty(kPlantVar)) {
        QDir(plant.path()).mkpath("Table");
        Database db(plant.path());
        ASSERT_TRUE(db.open());
        CreateDatabaseTable(db);
        db.close();
        qputenv(kPlantVar, plant.path().toLocal8Bit());
    }
    const QString dir = qEnvironmentVariable(kPlantVar);
    EXPECT_EXIT(recordAndGetKilled(dir), ::testing::KilledBySignal(SIGKILL), "");
    qunsetenv(kPlantVar);

    Database db(dir);
    ASSERT_TRUE(db.open());
    const QDate day = ManualScheduler().now().date();
    const auto events = db.rows(DailyTableName(1, day));
    ASSERT_EQ(events.size(), kReplies * 20);
    for (int i = 0; i < events.size(); ++i)
        ASSERT_EQ(events[i]["Index"].toInt(), i + 1);
    EXPECT_EQ(events.back()["StateChange"].toString(), "from On to Off");
    const auto analog = db.rows(DailyTableName(3, day));
    ASSERT_EQ(analog.size(), kReplies * 12);
    EXPECT_DOUBLE_EQ(analog.back()["Value"].toDouble(), 21.0);
}
