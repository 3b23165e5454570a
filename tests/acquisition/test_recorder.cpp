// Event and analog history recording through the runtime's data-reply path.

#include "acquisition/AlarmSound.h"
#include "acquisition/Recorder.h"
#include "acquisition/StationRuntime.h"
#include "acquisition/VideoCaptureLink.h"

#include "platform/ManualScheduler.h"
#include "platform/Prompt.h"
#include "store/Database.h"
#include "store/StoreSetup.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QUuid>

#include <gtest/gtest.h>

using namespace scada;

namespace {

struct CountingVideoLink : VideoCaptureLink {
    bool StartRecord() override
    {
        ++sent;
        return true;
    }
    int sent = 0;
};

// Station "Works": unit "Pump" (address 1, 20 channels, analog channels
// 0..11) and unit "Feeder" (address 2, 10 channels, analog channels 0..9).
PointModel makeModel(int16_t feederMark = 1)
{
    PointModel m;
    m.stationCount = 1;
    m.stations.resize(1);
    TStationRec &st = m.stations[0];
    st.name = "Works";
    st.portName = "COM1";
    struct UnitDef {
        const char *name;
        uint8_t address, size;
        int16_t mark;
        int analog;
    };
    for (const UnitDef &s : {UnitDef{"Pump", 1, 1, 1, 12}, UnitDef{"Feeder", 2, 0, feederMark, 10}}) {
        TFtuRec u;
        u.stationName = "Works";
        u.name = s.name;
        u.address = s.address;
        u.size = s.size;
        u.mark = s.mark;
        for (int ch = 0; ch < kChannels; ++ch) {
            u.yx[ch].name = QString("Breaker%1").arg(ch);
            u.yx[ch].property = "Feeder";
            u.yx[ch].soundEnabled = true;
            u.yx[ch].keepDays = 30;
            u.yc[ch].name = QString("Volts%1").arg(ch);
            u.yc[ch].coefficientA = 10;
            if (ch < s.analog) {
                u.yc[ch].kind = "Yc";
                m.ycFlags[st.units.size()][ch] = true;
            }
        }
        st.units.push_back(u);
    }
    return m;
}

// A data reply of a unit: digital bytes 5, 6, 19 and raw analog channels
// 0.. (channel i travels in byte 18 - i).
Frame reply(uint8_t address, uint8_t b5, uint8_t b6 = 0, uint8_t b19 = 0, QList<uint8_t> analog = {})
{
    Frame f{};
    f[0] = 0xAA;
    f[1] = address;
    f[2] = 0x09;
    for (int i = 0; i < analog.size() && i < 12; ++i)
        f[18 - i] = analog[i];
    f[5] = b5;
    f[6] = b6;
    f[19] = b19;
    return f;
}

class Recording : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(plant.path()).mkpath("Table");
        db = std::make_unique<Database>(plant.path());
        ASSERT_TRUE(db->open());
        CreateDatabaseTable(*db);
        plant.write("ComPorts.ini", "[Ports]\nCOM1=/dev/fake1\n");
        rt = std::make_unique<StationRuntime>(plant.path(), db.get(), &port, &sched, &sched, &prompt);
        rec = std::make_unique<Recorder>(*rt, *db, prompt, sched, sched);
        sound.open("/plant/Sound.wav");
        rec->setAlarmSound(&sound);
        rec->setVideoLink(&video);
    }
    void install(int16_t feederMark = 1) { rt->InstallPointModel(makeModel(feederMark)); }
    // Hands a data reply to the runtime as the frame layer would (checksum
    // over the frame with the unit's analog mask, as the unit sends it).
    void deliver(Frame f)
    {
        const int pos = rt->model().unitByAddress(f[1]);
        const uint32_t mask = pos >= 0 ? AnalogMask(rt->model().ycFlags, pos) : 0;
        f[3] = uint8_t(mask & 0xFF);
        f[4] = uint8_t(mask >> 8);
        SealFrame(f);
        rt->HandleDataReply(f.data(), kFrameSize);
    }
    TYxRec &yx(int unit, int point) { return rt->model().station()->units[unit].yx[point]; }
    QList<QVariantMap> events(const QDate &day) { return db->rows(DailyTableName(1, day)); }
    QList<QVariantMap> analog(const QDate &day) { return db->rows(DailyTableName(3, day)); }
    QDate today() const { return sched.now().date(); }

    TempPlant plant;
    ManualScheduler sched{QDateTime(QDate(2008, 3, 25), QTime(14, 7, 9))};
    FakeBytePort port;
    FakePrompt prompt;
    FakeAlarmSound sound;
    CountingVideoLink video;
    std::unique_ptr<Database> db;
    std::unique_ptr<StationRuntime> rt;
    std::unique_ptr<Recorder> rec;
};

} // namespace

TEST_F(Recording, FirstReplyRecordsEveryPointThatIsOnWithAllFields)
{
    install();
    yx(0, 4).name = "VeryLongBreakerName";
    yx(0, 4).property = "MainIncomer";
    yx(0, 4).videoTrigger = 2;
    yx(0, 4).keepDays = 45;
    deliver(reply(1, 0x10)); // digital point 4 on

    const auto rows = events(today());
    ASSERT_EQ(rows.size(), 1);
    const QVariantMap &r = rows[0];
    EXPECT_EQ(r["Index"].toInt(), 1);
    EXPECT_EQ(r["Station"].toString(), "Works");
    EXPECT_EQ(r["FtuName"].toString(), "Pump");
    EXPECT_EQ(r["Point"].toString(), "VeryLongBrea"); // cut to 12
    EXPECT_EQ(r["Property"].toString(), "MainInco");  // cut to 8
    EXPECT_EQ(r["Riqi"].toDate(), QDate(2008, 3, 25));
    EXPECT_EQ(r["Shijian"].toTime(), QTime(14, 7, 9));
    EXPECT_EQ(r["StateChange"].toString(), "from Off to On");
    EXPECT_EQ(r["Level"].toInt(), 2);
    EXPECT_EQ(r["Days"].toInt(), 45);
    EXPECT_TRUE(r["AlarmOn"].isNull());

    ASSERT_EQ(rt->messages().size(), 1);
    EXPECT_EQ(rt->messages()[0], "2008-03-25  14:07:09  Works  Pump  VeryLongBreakerName  from Off to On");

    // The same states again: nothing new; then off: "from On to Off", Index 2.
    deliver(reply(1, 0x10));
    EXPECT_EQ(events(today()).size(), 1);
    sched.advance(1000);
    deliver(reply(1, 0x00));
    const auto after = events(today());
    ASSERT_EQ(after.size(), 2);
    EXPECT_EQ(after[1]["Index"].toInt(), 2);
    EXPECT_EQ(after[1]["StateChange"].toString(), "from On to Off");
    EXPECT_EQ(after[1]["Shijian"].toTime(), QTime(14, 7, 10));
    EXPECT_EQ(rt->messages().size(), 2);
    EXPECT_FALSE(db->inTransaction());
}

TEST_F(Recording, EveryChannelOfTheUnitSizeIsRecordedWhateverItsAlarmFlags)
{
    install();
    for (int i = 0; i < kChannels; ++i)
        yx(0, i).alarmEnabled = false;
    deliver(reply(1, 0xFF, 0x0F, 0xFF)); // all 20 inputs of the 20-channel unit
    deliver(reply(2, 0x3F, 0x00, 0x0F)); // all 10 inputs of the 10-channel unit
    const auto rows = events(today());
    ASSERT_EQ(rows.size(), 30);
    for (int i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i]["Index"].toInt(), i + 1);
    EXPECT_EQ(rows[19]["Point"].toString(), "Breaker19");
    EXPECT_EQ(rows[29]["FtuName"].toString(), "Feeder");
}

TEST_F(Recording, TwoChangesRecordTwoEventsAndSoundOnlyTheHigherPoint)
{
    install();
    yx(0, 2).soundOnPosition = 1;
    yx(0, 6).soundOnPosition = 7;
    deliver(reply(1, 0x44)); // points 2 and 6 on
    EXPECT_EQ(events(today()).size(), 2);
    EXPECT_EQ(rt->messages().size(), 2);
    ASSERT_EQ(sound.plays.size(), 1);
    EXPECT_EQ(sound.plays[0], (FakeAlarmSound::Segment{35000, 40000}));
}

TEST_F(Recording, SoundSegmentAndVideoTriggerFollowTheLastChange)
{
    struct Case {
        const char *what;
        uint8_t trigger;
        bool soundEnabled;
        bool playerOpen;
        bool pictureSound;
        QList<FakeAlarmSound::Segment> plays; // on, then off
        int videoSends;                       // over both changes
    };
    const QList<Case> cases = {
        {"trigger 1 fires on a change to on only", 1, true, true, false, {{10000, 15000}, {15000, 20000}}, 1},
        {"trigger 2 fires on a change to off only", 2, true, true, false, {{10000, 15000}, {15000, 20000}}, 1},
        {"trigger 0 never fires", 0, true, true, false, {{10000, 15000}, {15000, 20000}}, 0},
        {"sound disabled: nothing", 1, false, true, false, {}, 0},
        {"player closed: nothing", 1, true, false, false, {}, 0},
        {"picture sound playing: nothing", 1, true, true, true, {}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        install();
        sound.plays.clear();
        video.sent = 0;
        if (c.playerOpen)
            sound.open("/plant/Sound.wav");
        else
            sound.close();
        rec->pictureSoundPlaying = [&] { return c.pictureSound; };
        TYxRec &p = yx(1, 3);
        p.soundOnPosition = 2;
        p.soundOffPosition = 3;
        p.soundEnabled = c.soundEnabled;
        p.videoTrigger = c.trigger;
        deliver(reply(2, 0x08));
        deliver(reply(2, 0x00));
        EXPECT_EQ(sound.plays, c.plays);
        EXPECT_EQ(video.sent, c.videoSends);
    }
}

TEST_F(Recording, ASoundErrorStopsThePlayerAndTheRecordsStay)
{
    install();
    sound.throwOnPlay = true;
    deliver(reply(1, 0x01));
    EXPECT_EQ(sound.stops, 1);
    EXPECT_EQ(events(today()).size(), 1);
}

TEST_F(Recording, NotifiesInstrumentsOfEveryChangedPoint)
{
    install();
    QList<QList<int>> seen;
    rec->notifyEventInstruments = [&](int s, int u, int p) { seen.append({s, u, p}); };
    deliver(reply(2, 0x21)); // 10-channel unit: points 0 and 5
    EXPECT_EQ(seen, (QList<QList<int>>{{0, 1, 0}, {0, 1, 5}}));
}

TEST_F(Recording, AnalogRowsForChangedYcValuesOfMarkedUnitsOnly)
{
    install(/*feederMark=*/0);
    // Pump: channels 0 and 1 non-zero; Feeder (mark 0) changes too.
    deliver(reply(1, 0, 0, 0, {100, 20}));
    deliver(reply(2, 0, 0, 0, {50, 0, 0, 0, 0, 0, 0, 0, 77}));
    auto rows = analog(today());
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0]["Index"].toInt(), 1);
    EXPECT_EQ(rows[0]["Station"].toString(), "Works");
    EXPECT_EQ(rows[0]["FtuName"].toString(), "Pump");
    EXPECT_EQ(rows[0]["PointName"].toString(), "Volts0");
    EXPECT_DOUBLE_EQ(rows[0]["Value"].toDouble(), 100.0);
    EXPECT_EQ(rows[0]["SjType"].toInt(), 1);
    EXPECT_EQ(rows[0]["Riqi"].toDate(), QDate(2008, 3, 25));
    EXPECT_EQ(rows[0]["Shijian"].toTime(), QTime(14, 7, 9));
    EXPECT_TRUE(rows[0]["Flag"].isNull());
    EXPECT_EQ(rows[1]["PointName"].toString(), "Volts1");

    // Unchanged values write nothing; a changed one writes one row.
    deliver(reply(1, 0, 0, 0, {100, 20}));
    EXPECT_EQ(analog(today()).size(), 2);
    deliver(reply(1, 0, 0, 0, {100, 21}));
    rows = analog(today());
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[2]["Index"].toInt(), 3);
    EXPECT_DOUBLE_EQ(rows[2]["Value"].toDouble(), 21.0);
}

TEST_F(Recording, AnalogPointsBeyondTheUnitsRecordedRangeAreNeverWritten)
{
    install();
    // 10-channel Feeder: points 0..6 are recorded, point 8 only decoded.
    deliver(reply(2, 0, 0, 0, {0, 0, 0, 0, 0, 0, 9, 0, 33}));
    const auto rows = analog(today());
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0]["PointName"].toString(), "Volts6");
    EXPECT_DOUBLE_EQ(rt->model().station()->units[1].yc[8].value, 33.0);
}

TEST_F(Recording, Timer2RecordsEverySecondTickWithTheMinutesType)
{
    install();
    sched.setDateTime(QDateTime(QDate(2008, 3, 25), QTime(15, 3, 0)));
    sched.start("Timer2");
    rt->model().station()->units[0].yc[0].value = 12.5;
    sched.advance(1000);
    EXPECT_FALSE(db->hasTable(DailyTableName(3, today()))); // first tick: nothing
    sched.advance(1000);
    auto rows = analog(today());
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0]["SjType"].toInt(), 1); // minute 3
    rt->model().station()->units[0].yc[0].value = 13.5;
    sched.setDateTime(QDateTime(QDate(2008, 3, 25), QTime(15, 5, 0)));
    sched.advance(2000);
    rows = analog(today());
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[1]["SjType"].toInt(), 0); // minute 5
    EXPECT_FALSE(db->inTransaction());
}

TEST_F(Recording, AnEventJustAfterMidnightGoesToTheNewDaysTable)
{
    install();
    sched.setDateTime(QDateTime(QDate(2008, 3, 25), QTime(23, 59, 59)));
    deliver(reply(1, 0x01));
    sched.advance(2000); // 00:00:01 on the 26th
    deliver(reply(1, 0x00));
    const auto before = events(QDate(2008, 3, 25));
    const auto after = events(QDate(2008, 3, 26));
    ASSERT_EQ(before.size(), 1);
    ASSERT_EQ(after.size(), 1);
    EXPECT_EQ(before[0]["StateChange"].toString(), "from Off to On");
    EXPECT_EQ(after[0]["StateChange"].toString(), "from On to Off");
    EXPECT_EQ(after[0]["Index"].toInt(), 1);
    EXPECT_EQ(after[0]["Riqi"].toDate(), QDate(2008, 3, 26));
    EXPECT_EQ(after[0]["Shijian"].toTime(), QTime(0, 0, 1));
    EXPECT_EQ(rec->dailyTables().currentDailyTable(1), "YX20080326.db");
}

TEST_F(Recording, ATakenIndexIsNotReusedAndNoRecordIsRefused)
{
    install();
    deliver(reply(1, 0x01));
    deliver(reply(1, 0x03));
    deliver(reply(1, 0x07)); // Index 1, 2, 3
    db->remove(DailyTableName(1, today()), "\"Index\" = ?", {1});
    deliver(reply(1, 0x0F)); // count + 1 = 3 is taken
    const auto rows = events(today());
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows.back()["Index"].toInt(), 4);
    EXPECT_EQ(rows.back()["Point"].toString(), "Breaker3");
}

TEST_F(Recording, ALoadStartsPreviousStatesAndRecordedValuesAfresh)
{
    install();
    deliver(reply(1, 0x01, 0, 0, {5}));
    install();
    deliver(reply(1, 0x01, 0, 0, {5}));
    EXPECT_EQ(events(today()).size(), 2);
    EXPECT_EQ(analog(today()).size(), 2);
}

TEST_F(Recording, AMissingTemplateRecordsNothingAndAsksToEnd)
{
    install();
    bool ended = false;
    rec->dailyTables().setTerminateHandler([&] { ended = true; });
    db->dropTable("YxDataTable");
    deliver(reply(1, 0x01));
    EXPECT_TRUE(ended);
    EXPECT_TRUE(prompt.lastText().endsWith("is not found!"));
    EXPECT_FALSE(db->hasTable(DailyTableName(1, today())));
    EXPECT_EQ(rt->messages().size(), 1); // the line is still shown
    EXPECT_FALSE(db->inTransaction());
}

// ------------------------------------------------------------- sound file --

TEST(AlarmSoundFile, FoundInProgramThenSystemFolderElseReported)
{
    TempPlant plant, system;
    FakeAlarmSound sound;
    FakePrompt prompt;
    // Neither folder has one.
    EXPECT_FALSE(PrepareAlarmSound(sound, plant.path(), prompt, system.path()));
    EXPECT_EQ(prompt.texts(), QStringList{"Not find sound.wav file!"});
    EXPECT_FALSE(sound.isOpen());

    system.write("sound.WAV", "RIFF");
    EXPECT_EQ(FindAlarmSoundFile(plant.path(), system.path()), system.file("sound.WAV"));
    plant.write("Sound.wav", "RIFF");
    EXPECT_EQ(FindAlarmSoundFile(plant.path(), system.path()), plant.file("Sound.wav"));

    prompt.clear();
    sound.output = false; // no audio output: not opened, no message
    EXPECT_FALSE(PrepareAlarmSound(sound, plant.path(), prompt, system.path()));
    EXPECT_TRUE(prompt.texts().isEmpty());
    EXPECT_FALSE(sound.isOpen());
    sound.output = true;
    EXPECT_TRUE(PrepareAlarmSound(sound, plant.path(), prompt, system.path()));
    EXPECT_EQ(sound.fileName(), plant.file("Sound.wav"));
}

TEST(AlarmSoundFile, ClearAlarmAsksAndStopsOnYesOnly)
{
    FakeAlarmSound sound;
    FakePrompt prompt;
    MonitorClearAlarmCmdExecute(prompt, sound); // closed player: no question
    EXPECT_TRUE(prompt.texts().isEmpty());
    sound.open("Sound.wav");
    sound.play(0, 5000);
    prompt.queue(PromptAnswer::No);
    MonitorClearAlarmCmdExecute(prompt, sound);
    EXPECT_TRUE(sound.isPlaying());
    prompt.queue(PromptAnswer::Yes);
    MonitorClearAlarmCmdExecute(prompt, sound);
    EXPECT_FALSE(sound.isPlaying());
    EXPECT_EQ(prompt.texts(), (QStringList{"Clear the alarm?", "Clear the alarm?"}));
}

// ------------------------------------------------------------ video link --

TEST(VideoCapture, SendsOneStartRecordLineToTheServerAndNothingWithoutOne)
{
    const QString name = "video-capture-" + QUuid::createUuid().toString(QUuid::Id128);
    VideoCaptureLink link(name);
    EXPECT_FALSE(link.StartRecord()); // no server: nothing, no error

    QLocalServer server;
    ASSERT_TRUE(server.listen(name));
    QByteArray got;
    QObject::connect(&server, &QLocalServer::newConnection, [&] {
        while (QLocalSocket *s = server.nextPendingConnection()) {
            QObject::connect(s, &QLocalSocket::readyRead, [&got, s] { got += s->readAll(); });
            got += s->readAll();
        }
    });
    EXPECT_TRUE(link.StartRecord());
    QDeadlineTimer deadline(5000);
    while (!got.contains('\n') && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(got, "Start Record\n");
}

TEST_F(Recording, AnEventLineIsAddedAtTheTopUpTo1000LinesThenTheListIsCleared)
{
    struct Case {
        int held;
        int after;
        int clears;
    };
    for (const Case &c : {Case{1000, 1001, 0}, Case{1001, 1, 1}}) {
        SCOPED_TRACE(c.held);
        install();
        for (int i = 0; i < c.held; ++i)
            rt->InsertMessage(QString("line %1").arg(i));
        ASSERT_EQ(rt->messages().size(), c.held);
        int clears = 0;
        auto conn = QObject::connect(rt.get(), &StationRuntime::messagesCleared, [&] { ++clears; });
        deliver(reply(1, 0x01));
        QObject::disconnect(conn);
        EXPECT_EQ(rt->messages().size(), c.after);
        EXPECT_EQ(clears, c.clears);
        EXPECT_TRUE(rt->messages().front().endsWith("Breaker0  from Off to On"));
    }
}
