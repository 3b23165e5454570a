// The serial link: line events, the modem call schedule and the link part of
// closing the program, on a manual scheduler and a fake port.

#include "acquisition/StationRuntime.h"

#include "platform/ManualScheduler.h"
#include "platform/Prompt.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace scada;

namespace {

PointModel modemPlant(int delay, bool allTime = false)
{
    PointModel m;
    m.stationCount = 1;
    m.stations.resize(1);
    TStationRec &st = m.stations[0];
    st.name = "Dial";
    st.portName = "COM2";
    st.useModem = true;
    st.linkOption = allTime;
    st.delayOrCycle = delay;
    for (int i = 0; i < 2; ++i) {
        TFtuRec u;
        u.name = QString("U%1").arg(i);
        u.address = uint8_t(5 + i);
        u.mark = 1;
        u.size = 1;
        u.phone = QString("70%1").arg(i);
        st.units.push_back(u);
    }
    return m;
}

// A data reply as a unit without analog channels sends it.
QByteArray dataReply(uint8_t address, uint8_t b5)
{
    Frame f{};
    f[0] = 0xAA;
    f[1] = address;
    f[2] = 0x09;
    f[5] = b5;
    SealFrame(f);
    return toBytes(f);
}

class Link : public ::testing::Test {
protected:
    void SetUp() override
    {
        plant.write("ComPorts.ini", "[Ports]\nCOM2=/dev/fake2\n");
        rt = std::make_unique<StationRuntime>(plant.path(), nullptr, &port, &sched, &sched, &prompt);
    }
    // Dials the first unit and answers "CONNECT".
    void connectFirstCall(int delay, bool allTime = false)
    {
        rt->InstallPointModel(modemPlant(delay, allTime));
        sched.advance(400);
        ASSERT_EQ(port.writes, QList<QByteArray>{"ATX2DT701\r"});
        port.writes.clear();
        port.feed("\r\nCONNECT 9600\r\n");
        ASSERT_TRUE(rt->modemConnected());
    }

    TempPlant plant;
    ManualScheduler sched;
    FakeBytePort port;
    FakePrompt prompt;
    std::unique_ptr<StationRuntime> rt;
};

} // namespace

// Every connection tick is run with the unit answering each poll; the call
// must poll on ticks 4..D-1, escape on D+1, hang up on D+2, reopen the port
// on D+6 and dial the next unit once dialling is allowed again after D+13.
// D = 300 is beyond what an 8-bit tick counter could reach.
TEST_F(Link, ConnectedCallRunsItsScheduleToTheHangUpAndDialsTheNextUnit)
{
    for (int d : {20, 300}) {
        SCOPED_TRACE(d);
        SetUp();
        connectFirstCall(d);
        QList<int> pollTicks;
        int escapeTick = 0, hangUpTick = 0, disconnectedTick = 0, reopenTick = 0, dialTick = 0;
        const int opensBefore = port.openCount;
        for (int tick = 1; tick <= d + 20 && !dialTick; ++tick) {
            sched.advance(1000);
            for (const QByteArray &w : std::as_const(port.writes)) {
                if (w == toBytes(rt->pollFrame())) {
                    pollTicks << tick;
                    port.feed(dataReply(uint8_t(w[1]), 0x01)); // the unit answers every poll
                } else if (w == "+++") {
                    escapeTick = tick;
                } else if (w == "ATH0\r") {
                    hangUpTick = tick;
                } else if (w.startsWith("ATX2DT")) {
                    dialTick = tick;
                    EXPECT_EQ(w, QByteArray("ATX2DT700\r")) << "the next unit";
                } else {
                    ADD_FAILURE() << "unexpected write " << w.toHex(' ').toStdString();
                }
            }
            port.writes.clear();
            if (!disconnectedTick && rt->panelText(0) == "DisConnected!")
                disconnectedTick = tick;
            if (!reopenTick && port.openCount > opensBefore)
                reopenTick = tick;
        }
        QList<int> expected;
        for (int t = 4; t <= d - 1; ++t)
            expected << t;
        EXPECT_EQ(pollTicks, expected);
        EXPECT_EQ(escapeTick, d + 1);
        EXPECT_EQ(hangUpTick, d + 2);
        EXPECT_EQ(disconnectedTick, d + 3);
        EXPECT_EQ(reopenTick, d + 6);
        // Dial-ready at tick D+13; the poll step dials at its next 400 ms step.
        EXPECT_EQ(dialTick, d + 14);
        EXPECT_EQ(rt->model().stations[0].units[1].yx[0].state, 1) << "the replies of the called unit were applied";
        EXPECT_FALSE(sched.isActive("Timer1"));
    }
}

TEST_F(Link, AllTimeCallPollsEveryTickAndNeverHangsUp)
{
    connectFirstCall(5, true);
    sched.advance(3000);
    EXPECT_TRUE(port.writes.isEmpty());
    for (int i = 0; i < 100; ++i) {
        sched.advance(1000);
        ASSERT_EQ(port.writes.size(), 1) << "tick " << i + 4;
        EXPECT_EQ(port.writes[0], toBytes(rt->pollFrame()));
        port.feed(dataReply(5, 0));
        port.writes.clear();
    }
    EXPECT_EQ(rt->connectionTick(), 4);
    EXPECT_TRUE(sched.isActive("Timer1"));
}

TEST_F(Link, LineEventsReopenOrDiscard)
{
    rt->InstallPointModel(modemPlant(20));
    struct Case {
        BytePort::LineEvent event;
        int reopens, inputDiscards, outputDiscards;
    };
    const Case cases[] = {
        {BytePort::LineEvent::Framing, 1, 1, 1},  {BytePort::LineEvent::RxParity, 1, 1, 1},
        {BytePort::LineEvent::DcbError, 1, 1, 1}, {BytePort::LineEvent::Overrun, 1, 2, 1},
        {BytePort::LineEvent::TxFull, 0, 0, 1},   {BytePort::LineEvent::Break, 0, 0, 0},
    };
    for (const Case &c : cases) {
        const int opens = port.openCount, in = port.inputDiscards, out = port.outputDiscards;
        port.raise(c.event);
        EXPECT_EQ(port.openCount - opens, c.reopens) << int(c.event);
        EXPECT_EQ(port.inputDiscards - in, c.inputDiscards) << int(c.event);
        EXPECT_EQ(port.outputDiscards - out, c.outputDiscards) << int(c.event);
        EXPECT_TRUE(port.isOpen());
        EXPECT_EQ(port.device(), "/dev/fake2");
    }
}

TEST_F(Link, ShutdownSendsEscapeAndHangUpOnceThenClosesThePort)
{
    PointModel direct = modemPlant(0);
    direct.stations[0].useModem = false;
    rt->InstallPointModel(direct);
    sched.define("Timer2", 1000, [] {});
    sched.start("Timer2");
    sched.advance(400); // a poll is under way
    port.writes.clear();
    rt->ShutdownLink();
    EXPECT_EQ(port.writes, (QList<QByteArray>{"+++", "ATH0\r"})) << "written while the port was open";
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(rt->closing());
    for (const char *t : {"Timer1", "Timer2", "Timer4", "Timer6"})
        EXPECT_FALSE(sched.isActive(t)) << t;
    sched.advance(10000);
    EXPECT_EQ(port.writes.size(), 2);
    EXPECT_FALSE(port.isOpen());
}

TEST_F(Link, ShutdownWithTheLineDownDoesNotReopenIt)
{
    rt->InstallPointModel(modemPlant(20));
    port.close();
    const int opens = port.openCount;
    rt->ShutdownLink();
    sched.advance(5000);
    EXPECT_TRUE(port.writes.isEmpty());
    EXPECT_EQ(port.openCount, opens);
    EXPECT_FALSE(port.isOpen());
}

TEST_F(Link, PortThatDoesNotOpenIsReportedOnceUntilItOpens)
{
    port.failOpen = true;
    rt->InstallPointModel(modemPlant(20));
    EXPECT_FALSE(rt->OpenPort());
    EXPECT_FALSE(rt->OpenPort());
    ASSERT_EQ(rt->messages().size(), 1);
    EXPECT_TRUE(rt->messages().first().endsWith("COM2 (/dev/fake2) cannot be opened: cannot open /dev/fake2"))
        << rt->messages().first().toStdString();
    EXPECT_EQ(rt->panelText(0), "Cannot open COM2");
    EXPECT_FALSE(sched.isActive("Timer4"));

    port.failOpen = false;
    EXPECT_TRUE(rt->OpenPort());
    port.failOpen = true;
    EXPECT_FALSE(rt->OpenPort());
    EXPECT_EQ(rt->messages().size(), 2) << "a new run of failures is reported again";
}
