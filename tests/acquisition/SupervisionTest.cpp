#include "acquisition/StationRuntime.h"

#include "platform/ManualScheduler.h"
#include "platform/Prompt.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

using namespace scada;

namespace {

PointModel plant(bool modem, int delay = 20)
{
    PointModel m;
    m.stationCount = 1;
    m.stations.resize(1);
    TStationRec &st = m.stations[0];
    st.name = "Plant";
    st.portName = "COM1";
    st.useModem = modem;
    st.delayOrCycle = delay;
    for (int i = 0; i < 2; ++i) {
        TFtuRec u;
        u.name = QString("U%1").arg(i);
        u.address = uint8_t(10 + i);
        u.mark = 1;
        u.phone = QString("55%1").arg(i);
        st.units.push_back(u);
    }
    return m;
}

class Supervision : public ::testing::Test {
protected:
    void SetUp() override
    {
        rt = std::make_unique<StationRuntime>(dir.path(), nullptr, &port, &sched, &sched, &prompt);
    }
    int countWrites(const QByteArray &bytes) const
    {
        return int(std::count(port.writes.begin(), port.writes.end(), bytes));
    }
    TempPlant dir;
    ManualScheduler sched;
    FakeBytePort port;
    FakePrompt prompt;
    std::unique_ptr<StationRuntime> rt;
};

} // namespace

TEST(SupervisionModes, BlockModesResendTheLastFrameThenGiveUp)
{
    for (auto mode : {StationRuntime::ModeParamWrite, StationRuntime::ModeSingleBlockRead,
                      StationRuntime::ModeProgramRead}) {
        TempPlant dir;
        ManualScheduler sched;
        FakeBytePort port;
        FakePrompt prompt;
        StationRuntime rt(dir.path(), nullptr, &port, &sched, &sched, &prompt);
        auto count = [&](const QByteArray &bytes) {
            return int(std::count(port.writes.begin(), port.writes.end(), bytes));
        };
        rt.InstallPointModel(plant(false));
        int readErrors = 0;
        rt.hooks.programReadError = [&] { ++readErrors; };
        rt.setMode(mode);
        const QByteArray request = toBytes(BuildReadRecordFrame(10, 4, 4));
        rt.SendFrame(request);
        sched.advance(1499);
        EXPECT_EQ(count(request), 1) << "not expired at the ticks 500 and 1000 ms after the send";
        sched.advance(1);
        EXPECT_EQ(count(request), 2);
        sched.advance(100);
        EXPECT_EQ(rt.retryDelay(), 800);
        sched.advance(60000);
        QCoreApplication::processEvents();
        EXPECT_EQ(count(request), 12) << "the request and eleven resends";
        if (mode == StationRuntime::ModeProgramRead) {
            EXPECT_EQ(readErrors, 1);
            EXPECT_FALSE(sched.isActive("Timer6"));
            EXPECT_EQ(rt.mode(), StationRuntime::ModeProgramRead);
        } else {
            EXPECT_EQ(readErrors, 0);
            EXPECT_EQ(rt.mode(), StationRuntime::ModePolling);
            EXPECT_GT(count(toBytes(BuildReadDataFrame(11))), 0) << "polling resumed";
        }
    }
}

TEST_F(Supervision, ClockFrameResumesPollingAtTheNextSupervisionTick)
{
    rt->InstallPointModel(plant(false));
    rt->SendFrame(BuildSetClockFrame(sched.now()));
    EXPECT_FALSE(sched.isActive("Timer4"));
    sched.advance(500);
    EXPECT_TRUE(sched.isActive("Timer4"));
}

TEST_F(Supervision, ModemStationDialsAndDetectsTheConnection)
{
    rt->InstallPointModel(plant(true, 20));
    EXPECT_TRUE(rt->dialReady());
    sched.advance(400);
    ASSERT_EQ(port.writes.size(), 1);
    EXPECT_EQ(port.writes[0], QByteArray("ATX2DT551\r"));
    EXPECT_EQ(rt->panelText(0), "Dialog...");
    EXPECT_EQ(rt->panelText(3), "send: 551");
    EXPECT_EQ(rt->pollFrame()[1], 11);
    EXPECT_EQ(rt->pollFrame()[3], 0x20);

    // No redial while the call is being set up.
    sched.advance(4000);
    EXPECT_EQ(port.writes.size(), 1);

    QByteArray connect26 = QByteArray("CONNECT 9600").leftJustified(26, ' ');
    port.feed(connect26);
    EXPECT_FALSE(rt->modemConnected()) << "a 26-byte batch is not a connection";
    port.feed("\r\nCONNECT 9600\r\n");
    EXPECT_TRUE(rt->modemConnected());
    EXPECT_EQ(rt->panelText(0), "Connected !");
    EXPECT_TRUE(sched.isActive("Timer1"));
    EXPECT_FALSE(sched.isActive("Timer4"));
    port.writes.clear();
    sched.advance(3000);
    EXPECT_TRUE(port.writes.isEmpty());
    sched.advance(1000);
    ASSERT_EQ(port.writes.size(), 1);
    EXPECT_EQ(port.writes[0], toBytes(rt->pollFrame()));
}

TEST_F(Supervision, MonitorEchoAndMessageListLimit)
{
    rt->InstallPointModel(plant(false));
    QStringList lines;
    QObject::connect(rt.get(), &StationRuntime::monitorLine, [&](const QString &l) { lines << l; });
    rt->setMonitorEcho(true);
    sched.advance(400);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith(QString::fromUtf8("发送：AA 0B 09 00 ")));
    EXPECT_TRUE(lines[0].endsWith("BE "));
    Frame ack{};
    ack[0] = 0xAA;
    ack[1] = 11;
    ack[2] = 0xFD;
    SealFrame(ack);
    port.feed(toBytes(ack));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[1].startsWith(QString::fromUtf8("收到： AA 0B FD 00")));

    for (int i = 0; i <= 1000; ++i)
        rt->InsertMessage(QString::number(i));
    EXPECT_EQ(rt->messages().size(), 1001);
    EXPECT_EQ(rt->messages().first(), "1000");
    rt->InsertMessage("next");
    EXPECT_EQ(rt->messages(), QStringList{"next"});
}
