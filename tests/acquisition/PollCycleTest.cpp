#include "acquisition/StationRuntime.h"

#include "platform/ManualScheduler.h"
#include "platform/Prompt.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace scada;

namespace {

// A unit reply as the unit builds it: its own analog mask in bytes 3-4 and
// the checksum over the frame as sent.
QByteArray reply(uint8_t address, uint16_t mask, uint8_t b5 = 0, uint8_t b6 = 0, uint8_t b19 = 0,
                 uint8_t ch0 = 0)
{
    Frame f{};
    f[0] = 0xAA;
    f[1] = address;
    f[2] = 0x09;
    f[3] = uint8_t(mask & 0xFF);
    f[4] = uint8_t(mask >> 8);
    f[5] = b5;
    f[6] = b6;
    f[18] = ch0;
    f[19] = b19;
    SealFrame(f);
    return toBytes(f);
}

QByteArray ack(uint8_t address)
{
    Frame f{};
    f[0] = 0xAA;
    f[1] = address;
    f[2] = 0xFD;
    SealFrame(f);
    return toBytes(f);
}

struct UnitDef {
    QString name;
    uint8_t address;
    int16_t mark;
    uint8_t size = 1;
    int analogChannels = 12; // channels 0..n-1 are analog
};

PointModel makeModel(const QList<UnitDef> &unitDefs, bool linkOption = false, int cycle = 0)
{
    PointModel m;
    m.stationCount = 1;
    m.stations.resize(1);
    TStationRec &st = m.stations[0];
    st.name = "Plant";
    st.portName = "COM1";
    st.linkOption = linkOption;
    st.delayOrCycle = cycle;
    for (int pos = 0; pos < unitDefs.size(); ++pos) {
        const UnitDef &s = unitDefs[pos];
        TFtuRec u;
        u.name = s.name;
        u.address = s.address;
        u.mark = s.mark;
        u.size = s.size;
        for (int ch = 0; ch < s.analogChannels; ++ch) {
            u.yc[ch].kind = "Yc";
            u.yc[ch].coefficientA = 10;
            m.ycFlags[pos][ch] = true;
        }
        st.units.push_back(u);
    }
    return m;
}

class PollCycle : public ::testing::Test {
protected:
    void SetUp() override
    {
        plant.write("ComPorts.ini", "[Ports]\nCOM1=/dev/fake1\n");
        rt = std::make_unique<StationRuntime>(plant.path(), nullptr, &port, &sched, &sched, &prompt);
    }
    void install(const QList<UnitDef> &unitDefs, bool linkOption = false, int cycle = 0)
    {
        rt->InstallPointModel(makeModel(unitDefs, linkOption, cycle));
    }
    // Addresses of the poll frames written since the last call.
    QList<int> polledAddresses()
    {
        QList<int> out;
        for (const QByteArray &w : port.writes)
            if (w.size() == 26 && uint8_t(w[2]) == 0x09)
                out << uint8_t(w[1]);
        port.writes.clear();
        return out;
    }
    int lastPolled() const
    {
        return port.writes.isEmpty() ? -1 : uint8_t(port.writes.last()[1]);
    }

    TempPlant plant;
    ManualScheduler sched;
    FakeBytePort port;
    FakePrompt prompt;
    std::unique_ptr<StationRuntime> rt;
};

} // namespace

TEST_F(PollCycle, OpensTheMappedDeviceAndPollsAtTheFirstTick)
{
    install({{"A", 10, 1}});
    EXPECT_TRUE(rt->portResult());
    EXPECT_EQ(port.device(), "/dev/fake1");
    EXPECT_TRUE(polledAddresses().isEmpty());
    sched.advance(399);
    EXPECT_TRUE(polledAddresses().isEmpty());
    sched.advance(1);
    EXPECT_EQ(polledAddresses(), QList<int>{10});
    EXPECT_FALSE(sched.isActive("Timer4"));
    EXPECT_TRUE(sched.isActive("Timer6"));
    EXPECT_TRUE(rt->awaitingReply());
    EXPECT_EQ(rt->panelText(3), "A");
}

TEST_F(PollCycle, PollOrderFollowsMarksAndWraps)
{
    struct Case {
        QList<int16_t> marks;
        QList<int> order;
    };
    const Case cases[] = {
        {{1, 0, 1}, {2, 0, 2, 0, 2}},
        {{0, 0}, {0, 0, 0}},
        {{1, 1, 1}, {1, 2, 0, 1}},
    };
    for (const Case &c : cases) {
        QList<UnitDef> unitDefs;
        for (int i = 0; i < c.marks.size(); ++i)
            unitDefs.append({QString("U%1").arg(i), uint8_t(i), c.marks[i]});
        install(unitDefs);
        polledAddresses();
        sched.advance(400);
        QList<int> order;
        for (int k = 0; k < c.order.size(); ++k) {
            const int addr = lastPolled();
            order << addr;
            port.feed(reply(uint8_t(addr), 0x0FFF)); // back to back: next poll at once
        }
        EXPECT_EQ(order, c.order);
    }
}

TEST_F(PollCycle, ReplyInBatchesIsHandedOnOnceAndDecoded)
{
    install({{"A", 3, 1, 1}});
    sched.advance(400);
    port.writes.clear();
    int refreshed = 0;
    QObject::connect(rt.get(), &StationRuntime::unitRefreshed, [&](int st, int u) {
        EXPECT_EQ(st, 0);
        EXPECT_EQ(u, 0);
        ++refreshed;
    });
    const QByteArray r = reply(3, 0x0FFF, 0x81, 0x0F, 0x01, 200);
    port.feed(r.left(10));
    port.feed(r.mid(10, 10));
    EXPECT_EQ(rt->framesCount(), 0u);
    EXPECT_TRUE(port.writes.isEmpty());
    port.feed(r.mid(20));
    EXPECT_EQ(rt->framesCount(), 1u);
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(polledAddresses(), QList<int>{3}) << "next request sent at once";
    const TFtuRec &u = rt->model().stations[0].units[0];
    EXPECT_TRUE(u.yx[0].state);
    EXPECT_TRUE(u.yx[12].state);
    EXPECT_FALSE(u.yx[1].state);
    EXPECT_DOUBLE_EQ(u.yc[0].value, 200.0);
    EXPECT_EQ(u.lastReply, QTime(14, 7, 9, 400));
    EXPECT_EQ(rt->totalBytes(), 26u);
}

TEST_F(PollCycle, TrailingBytesDoNotHandTheSameFrameOnAgain)
{
    // With a fixed cycle nothing is sent after the reply, so the buffer is
    // not emptied by a send.
    install({{"A", 3, 1}}, true, 1000);
    sched.advance(1000);
    ASSERT_EQ(polledAddresses(), QList<int>{3});
    port.feed(reply(3, 0x0FFF) + QByteArray::fromHex("0102"));
    EXPECT_EQ(rt->framesCount(), 1u);
    EXPECT_EQ(rt->receiveCount(), 0);
    port.feed(QByteArray::fromHex("030405060708090A0B0C0D0E0F101112131415161718191A1B"));
    EXPECT_EQ(rt->framesCount(), 1u);

    // A second frame behind the first is kept and handed on by itself.
    sched.advance(1000);
    polledAddresses();
    port.feed(reply(3, 0x0FFF, 0x01) + reply(3, 0x0FFF, 0x02).left(5));
    EXPECT_EQ(rt->framesCount(), 2u);
    EXPECT_EQ(rt->receiveCount(), 5);
    port.feed(reply(3, 0x0FFF, 0x02).mid(5));
    EXPECT_EQ(rt->framesCount(), 3u);
    EXPECT_TRUE(rt->model().stations[0].units[0].yx[1].state);
}

TEST_F(PollCycle, NoiseBatchIsDroppedAndTheReplyStillAccepted)
{
    install({{"A", 3, 1}});
    sched.advance(400);
    polledAddresses();
    port.feed("AT noise");
    EXPECT_EQ(rt->receiveCount(), 0);
    EXPECT_TRUE(sched.isActive("Timer4"));
    port.feed(reply(3, 0x0FFF, 0x01));
    EXPECT_EQ(rt->framesCount(), 1u);
    EXPECT_TRUE(rt->model().stations[0].units[0].yx[0].state);
}

TEST_F(PollCycle, ChecksumUsesTheMaskOfTheUnitWithThatAddress)
{
    // Unit at position 1 has address 7: the mask of row 1 applies, not row 7.
    install({{"A", 0, 0, 1, 12}, {"B", 7, 1, 1, 4}});
    sched.advance(400);
    ASSERT_EQ(polledAddresses(), QList<int>{7});

    port.feed(reply(7, 0x0FFF, 0x01)); // mask of another row: ignored
    EXPECT_FALSE(rt->model().stations[0].units[1].yx[0].state);
    EXPECT_TRUE(rt->awaitingReply());
    EXPECT_TRUE(port.writes.isEmpty()) << "an ignored reply triggers no poll";

    port.feed(reply(7, 0x000F, 0x01));
    EXPECT_TRUE(rt->model().stations[0].units[1].yx[0].state);
    EXPECT_FALSE(port.writes.isEmpty());
}

TEST_F(PollCycle, ReplyFromAnUnknownAddressIsIgnoredAndCountedBad)
{
    install({{"A", 3, 1}});
    sched.advance(400);
    polledAddresses();
    port.feed(reply(9, 0x0000, 0xFF));
    EXPECT_EQ(rt->badFramesCount(), 1u);
    EXPECT_TRUE(rt->awaitingReply());
    EXPECT_TRUE(port.writes.isEmpty());
    EXPECT_FALSE(rt->model().stations[0].units[0].yx[0].state);
}

TEST_F(PollCycle, SilentUnitReportsReopensTwiceAndPollingGoesOn)
{
    install({{"A", 1, 1}, {"B", 2, 1}});
    sched.advance(400);
    ASSERT_EQ(polledAddresses(), QList<int>{2}); // sent at t=400
    const int opens = port.openCount;
    sched.advance(1499); // t=1899: Timer6 ticks at 900, 1400 (not expired)
    EXPECT_TRUE(rt->messages().isEmpty());
    sched.advance(1); // t=1900: 1500 ms since the send
    ASSERT_EQ(rt->messages().size(), 1);
    EXPECT_EQ(rt->messages().first(), "2008-03-25  14:07:10  B  Error");
    EXPECT_EQ(rt->panelText(1), "B  error ");
    EXPECT_EQ(port.openCount, opens + 1);
    EXPECT_FALSE(sched.isActive("Timer6"));
    sched.advance(400);
    EXPECT_EQ(port.openCount, opens + 2);
    EXPECT_FALSE(sched.isActive("Timer4"));
    sched.advance(400); // t=2700: recovery done, Timer4 started
    EXPECT_TRUE(sched.isActive("Timer4"));
    EXPECT_TRUE(polledAddresses().isEmpty());
    sched.advance(400);
    EXPECT_EQ(polledAddresses(), QList<int>{1}) << "polling goes on with the next unit";
    EXPECT_EQ(rt->messages().size(), 1);
}

TEST_F(PollCycle, WaitForTimerSpacesPollsByTheCycle)
{
    install({{"A", 1, 1}, {"B", 2, 1}}, true, 1000);
    EXPECT_TRUE(rt->waitForTimer());
    EXPECT_EQ(sched.interval("Timer4"), 1000);
    sched.advance(1000);
    ASSERT_EQ(polledAddresses(), QList<int>{2});
    sched.advance(123);
    port.feed(reply(2, 0x0FFF));
    EXPECT_TRUE(polledAddresses().isEmpty());
    sched.advance(999);
    EXPECT_TRUE(polledAddresses().isEmpty());
    sched.advance(1);
    EXPECT_EQ(polledAddresses(), QList<int>{1});
}

TEST_F(PollCycle, QueuedSwitchGoesOutBehindTheRunningPollAndIsAcknowledged)
{
    install({{"A", 4, 1}});
    sched.advance(400);
    polledAddresses();
    const Frame sw = BuildSwitchFrame(4, 0x04, 0x04);
    rt->QueueControl(sw);
    EXPECT_EQ(rt->panelText(1), "Control Send ..");
    port.feed(reply(4, 0x0FFF, 0xFF)); // reply to the running poll: not decoded
    ASSERT_EQ(port.writes.size(), 1);
    EXPECT_EQ(port.writes[0], toBytes(sw));
    EXPECT_FALSE(rt->model().stations[0].units[0].yx[0].state);
    EXPECT_EQ(rt->mode(), StationRuntime::ModePolling);
    EXPECT_TRUE(rt->switchPending());
    port.writes.clear();
    port.feed(ack(4));
    EXPECT_EQ(rt->panelText(1), "control ok!");
    EXPECT_FALSE(rt->switchPending());
    EXPECT_TRUE(sched.isActive("Timer4"));
    EXPECT_TRUE(port.writes.isEmpty());
}

TEST_F(PollCycle, UnacknowledgedSwitchGivesUpAfterTenResends)
{
    install({{"A", 4, 1}});
    sched.advance(400);
    polledAddresses();
    rt->QueueControl(BuildSwitchFrame(4, 0x04, 0x04));
    sched.advance(60000);
    EXPECT_TRUE(prompt.saw("Control Faild!"));
    EXPECT_FALSE(rt->switchPending());
    int switches = 0;
    for (const QByteArray &w : port.writes)
        switches += uint8_t(w[2]) == 0x13;
    EXPECT_EQ(switches, 11);
    EXPECT_EQ(rt->mode(), StationRuntime::ModePolling);
}

TEST_F(PollCycle, SendFrameLimitsAndErrors)
{
    install({{"A", 4, 1}});
    EXPECT_TRUE(rt->SendFrame(QByteArray(130, 'x')));
    EXPECT_TRUE(port.writes.isEmpty());
    EXPECT_FALSE(rt->awaitingReply());

    port.failWrite = true;
    sched.advance(400);
    EXPECT_EQ(rt->panelText(1), "Comm Error!");
    EXPECT_TRUE(sched.isActive("Timer4"));
    EXPECT_FALSE(sched.isActive("Timer6"));
    port.failWrite = false;
    sched.advance(400);
    EXPECT_EQ(polledAddresses(), QList<int>{4});
}

TEST_F(PollCycle, ClosedPortIsReopenedBeforeSending)
{
    install({{"A", 4, 1}});
    port.close();
    EXPECT_TRUE(rt->SendFrame(BuildReadDataFrame(4)));
    EXPECT_TRUE(port.isOpen());
    EXPECT_TRUE(port.writes.isEmpty());
    sched.advance(100);
    EXPECT_EQ(polledAddresses(), QList<int>{4});
}

TEST_F(PollCycle, PortNamesMapToDevices)
{
    plant.write("ComPorts.ini", "[Ports]\nCOM12=/dev/pts/9\n");
    const std::pair<const char *, const char *> cases[] = {
        {"COM12", "/dev/pts/9"}, {"com3", "/dev/ttyS2"}, {"COM1", "/dev/ttyS0"}};
    for (auto [name, device] : cases) {
        PointModel m = makeModel({{"A", 1, 1}});
        m.stations[0].portName = name;
        rt->InstallPointModel(m);
        EXPECT_EQ(port.device(), device) << name;
    }
    PointModel bad = makeModel({{"A", 1, 1}});
    bad.stations[0].portName = "COMx";
    port.close();
    rt->InstallPointModel(bad);
    EXPECT_FALSE(rt->portResult());
    EXPECT_FALSE(sched.isActive("Timer4"));

    port.failOpen = true;
    rt->InstallPointModel(makeModel({{"A", 1, 1}}));
    EXPECT_FALSE(rt->portResult());
    EXPECT_FALSE(sched.isActive("Timer4"));
}

TEST_F(PollCycle, PausedModeDropsReplies)
{
    install({{"A", 3, 1}});
    sched.advance(400);
    rt->setMode(StationRuntime::ModePaused);
    port.feed(reply(3, 0x0FFF, 0x01));
    EXPECT_EQ(rt->framesCount(), 0u);
    sched.advance(5000);
    EXPECT_TRUE(rt->messages().isEmpty()) << "supervision is idle while paused";
}
