// Operator commands over the fake port: output switching with its password
// and retries, knob parameter writes, the clock of all units.

#include "acquisition/RemoteControl.h"
#include "acquisition/StationRuntime.h"
#include "platform/ManualScheduler.h"
#include "platform/Prompt.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

using namespace scada;

namespace {

// Unit 0: 20 channels at address 3; unit 1: 10 channels at address 4.
PointModel controlPlant()
{
    PointModel m;
    m.stationCount = 1;
    m.stations.resize(1);
    TStationRec &st = m.stations[0];
    st.name = "Works";
    st.portName = "COM1";
    for (int i = 0; i < 2; ++i) {
        TFtuRec u;
        u.name = i == 0 ? "Pump" : "Feeder";
        u.address = uint8_t(3 + i);
        u.size = i == 0 ? 1 : 0;
        u.mark = 1;
        u.password = "4826";
        for (int p = 0; p < 20; ++p) {
            u.yx[size_t(p)].name = QString("P%1").arg(p);
            u.yx[size_t(p)].controlEnabled = p >= (i == 0 ? 12 : 6) || p == 2;
        }
        st.units.push_back(u);
    }
    m.blocks.resize(2);
    // Pump: on-delay timer, up counter, comparator, a gate; the timer at
    // record 0 spans nothing, the counter sits at record 2.
    m.blocks[0] = {TBlockRec{7, 0, 4, 50}, TBlockRec{14, 2, 0, 10}, TBlockRec{17, 3, 0, 80},
                   TBlockRec{1, 4, 0, 0}};
    return m;
}

Frame ack(uint8_t address)
{
    Frame f{};
    f[0] = 0xAA;
    f[1] = address;
    f[2] = 0xFD;
    SealFrame(f);
    return f;
}

Frame record(uint8_t address, int position, uint8_t type, std::initializer_list<std::pair<int, uint8_t>> bytes = {})
{
    Frame f{};
    f[0] = 0xAA;
    f[1] = address;
    f[2] = 0x0E;
    f[4] = type;
    for (auto [at, v] : bytes)
        f[size_t(at)] = v;
    const int a = position * 20 + 32;
    f[23] = uint8_t(a >> 8);
    f[24] = uint8_t(a & 0xFF);
    SealFrame(f);
    return f;
}

Frame dataReply(uint8_t address)
{
    Frame f{};
    f[0] = 0xAA;
    f[1] = address;
    f[2] = 0x09;
    SealFrame(f);
    return f;
}

class Control : public ::testing::Test {
protected:
    void SetUp() override
    {
        rt = std::make_unique<StationRuntime>(dir.path(), nullptr, &port, &sched, &sched, &prompt);
        rt->InstallPointModel(controlPlant());
        ctl = std::make_unique<RemoteControl>(*rt, sched, sched, prompt);
        ctl->setPasswordDialog([this](const PasswordRequest &r) {
            asked.append(r);
            return passwordOk;
        });
        port.writes.clear();
    }
    TFtuRec &unit(int i) { return rt->model().stations[0].units[size_t(i)]; }
    int count(const QByteArray &bytes) const { return int(std::count(port.writes.begin(), port.writes.end(), bytes)); }

    TempPlant dir;
    ManualScheduler sched;
    FakeBytePort port;
    FakePrompt prompt;
    std::unique_ptr<StationRuntime> rt;
    std::unique_ptr<RemoteControl> ctl;
    QList<PasswordRequest> asked;
    bool passwordOk = true;
};

} // namespace

TEST(ControlFrames, SwitchAsksForTheOppositeOfTheCurrentState)
{
    struct Case {
        uint8_t size;
        int point;
        bool on;
        uint8_t b3, b4;
    } cases[] = {
        {1, 14, false, 0x04, 0x04}, // 20 channels: outputs from point 12
        {0, 9, true, 0x08, 0x00},   // 10 channels: outputs from point 6
        {1, 12, true, 0x01, 0x00},
        {1, 19, false, 0x80, 0x80},
        {0, 6, false, 0x01, 0x01},
    };
    for (const Case &c : cases) {
        TFtuRec u;
        u.address = 7;
        u.size = c.size;
        u.yx[size_t(c.point)].state = c.on;
        const auto f = BuildControlFrame(u, c.point);
        ASSERT_TRUE(f) << c.point;
        EXPECT_EQ((*f)[1], 7);
        EXPECT_EQ((*f)[2], 0x13);
        EXPECT_EQ((*f)[3], c.b3) << c.point;
        EXPECT_EQ((*f)[4], c.b4) << c.point;
        EXPECT_EQ((*f)[25], FrameChecksum(*f));
    }
    // Points that are not outputs have no bit in the frame.
    TFtuRec ten;
    ten.size = 0;
    EXPECT_FALSE(BuildControlFrame(ten, 5));
    EXPECT_FALSE(BuildControlFrame(ten, 10));
    TFtuRec twenty;
    twenty.size = 1;
    EXPECT_FALSE(BuildControlFrame(twenty, 11));
    EXPECT_FALSE(BuildControlFrame(twenty, 20));
}

TEST(ControlPassword, ThreeWrongPasswordsExhaustTheDialog)
{
    FakePrompt prompt;
    PasswordCheck check("4826");
    check.reset();
    EXPECT_EQ(check.submit("1111", prompt), PasswordCheck::Result::Invalid);
    EXPECT_FALSE(check.mayClose());
    EXPECT_EQ(check.submit("4826 ", prompt), PasswordCheck::Result::Invalid);
    EXPECT_EQ(check.submit("", prompt), PasswordCheck::Result::Exhausted);
    EXPECT_TRUE(check.mayClose());
    EXPECT_EQ(prompt.texts(), (QStringList{"Password is invalid !", "Password is invalid !", "You have only once !",
                                           "Password is invalid !", "You have no chance !"}));

    // Exact and case-sensitive; a fresh show resets the count.
    FakePrompt p2;
    PasswordCheck word("Abc");
    EXPECT_EQ(word.submit("abc", p2), PasswordCheck::Result::Invalid);
    word.reset();
    EXPECT_EQ(word.attempts(), 0);
    EXPECT_EQ(word.submit("Abc", p2), PasswordCheck::Result::Accepted);
    EXPECT_TRUE(word.mayClose());
}

TEST_F(Control, RockerSwitchIsQueuedBehindThePollAndAcknowledged)
{
    sched.advance(400); // the poll of Feeder (cursor advances first)
    ASSERT_EQ(port.writes.size(), 1);
    port.writes.clear();

    // The rocker's Active value becomes the point's state: on -> asks for off.
    ASSERT_TRUE(ctl->iSwitchKindClick(EncodeReference(0, 0, 14), InstrumentKind::Rocker, true));
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0].pointName, "P14");
    EXPECT_EQ(asked[0].password, "4826");
    EXPECT_TRUE(asked[0].state);
    EXPECT_EQ(rt->mode(), StationRuntime::ModeSwitchPending);
    EXPECT_EQ(rt->panelText(1), "Control Send ..");
    EXPECT_TRUE(port.writes.isEmpty()) << "queued, not sent";

    port.feed(toBytes(dataReply(4))); // the running poll completes
    ASSERT_EQ(port.writes.size(), 1);
    const Frame sent = frameFrom(port.writes[0]);
    EXPECT_EQ(sent[1], 3);
    EXPECT_EQ(sent[2], 0x13);
    EXPECT_EQ(sent[3], 0x04);
    EXPECT_EQ(sent[4], 0x00);
    EXPECT_EQ(rt->mode(), StationRuntime::ModePolling);

    port.feed(toBytes(ack(3)));
    EXPECT_EQ(rt->panelText(1), "control ok!");
    EXPECT_FALSE(rt->switchPending());
    EXPECT_TRUE(sched.isActive("Timer4"));
    EXPECT_FALSE(prompt.saw("Control Faild!"));
}

TEST_F(Control, RefusedCommandsSendNothing)
{
    // Not enabled for control, and enabled but below the first output.
    unit(0).yx[13].controlEnabled = false;
    EXPECT_FALSE(ctl->iSwitchKindClick(EncodeReference(0, 0, 13), InstrumentKind::Rotary, false));
    EXPECT_FALSE(ctl->iSwitchKindClick(EncodeReference(0, 0, 2), InstrumentKind::Rotary, false));
    EXPECT_EQ(prompt.texts(), (QStringList{"Not a control point", "Not a control point"}));
    // Another instrument kind, a reference beyond the units.
    EXPECT_FALSE(ctl->iSwitchKindClick(EncodeReference(0, 0, 14), InstrumentKind::Knob, false));
    EXPECT_FALSE(ctl->iSwitchKindClick(EncodeReference(0, 5, 14), InstrumentKind::Rotary, false));
    EXPECT_TRUE(asked.isEmpty());

    // The password dialog closed without OK (three wrong passwords).
    passwordOk = false;
    EXPECT_FALSE(ctl->ControlPointClick(0, 1, 9));
    EXPECT_EQ(asked.size(), 1);
    EXPECT_EQ(rt->mode(), StationRuntime::ModePolling);
    EXPECT_FALSE(rt->switchPending());
    sched.advance(5000);
    for (const QByteArray &w : std::as_const(port.writes))
        EXPECT_NE(uint8_t(w[2]), 0x13);
}

TEST_F(Control, PopUpControlSwitchesToTheOppositeState)
{
    unit(1).yx[9].state = true;
    ASSERT_TRUE(ctl->ControlPointClick(0, 1, 9));
    EXPECT_EQ(rt->switchFrame()[1], 4);
    EXPECT_EQ(rt->switchFrame()[3], 0x08);
    EXPECT_EQ(rt->switchFrame()[4], 0x00);
}

TEST_F(Control, UnacknowledgedSwitchIsResentThenReportedAndPollingResumes)
{
    ASSERT_TRUE(ctl->ControlPointClick(0, 0, 14));
    const QByteArray sw = toBytes(rt->switchFrame());
    int failures = 0;
    QObject::connect(rt.get(), &StationRuntime::controlFailed, [&] { ++failures; });
    QStringList panels;
    QObject::connect(rt.get(), &StationRuntime::statusTextChanged, [&](int p, const QString &t) {
        if (p == 1 && t.startsWith("Control Send times"))
            panels << t;
    });
    sched.advance(30000);
    EXPECT_EQ(failures, 1);
    EXPECT_TRUE(prompt.saw("Control Faild!"));
    EXPECT_EQ(count(sw), panels.size()) << "one send per counted retry";
    EXPECT_GE(count(sw), 10);
    EXPECT_EQ(panels.last(), QString("Control Send times[%1]").arg(count(sw)));
    EXPECT_FALSE(rt->switchPending());
    EXPECT_GT(count(toBytes(BuildReadDataFrame(4))), 0) << "polling resumed";
}

TEST_F(Control, SwitchHeldFlagFollowsTheMouse)
{
    ctl->iSwitchKindMouseDown(EncodeReference(0, 1, 7));
    EXPECT_TRUE(unit(1).switchHeld);
    EXPECT_FALSE(unit(0).switchHeld);
    ctl->iSwitchKindMouseUp(EncodeReference(0, 1, 7));
    EXPECT_FALSE(unit(1).switchHeld);
    ctl->iSwitchKindMouseDown(EncodeReference(0, 9, 7)); // no such unit: no effect, no crash
}

TEST(ControlKnob, ValuesAndRecordBytesByBlockType)
{
    struct Case {
        int type;
        double position;
        int32_t value;
    } cases[] = {
        {7, 12.345, 1234}, {12, 0.125, 12}, {11, 0.135, 14}, // halves to even
        {14, 123456, 123456}, {15, 2.5, 2},
        {17, 9.96, 100}, {17, 10.5, 100}, {17, 4.25, 42},
    };
    for (const Case &c : cases)
        EXPECT_EQ(KnobValueFor(c.type, c.position), c.value) << c.type << " " << c.position;
    EXPECT_FALSE(KnobValueFor(1, 3.0));

    Frame r = record(3, 0, 7);
    PutTimerValue(r, 1234);
    EXPECT_EQ(r[10], 0x12);
    EXPECT_EQ(r[11], 0x34);
    PutCounterValue(r, 123456);
    EXPECT_EQ(r[9], 0x12);
    EXPECT_EQ(r[10], 0x34);
    EXPECT_EQ(r[11], 0x56);

    Frame c10 = record(3, 0, 17, {{5, 0xFF}, {7, 0x01}});
    ASSERT_TRUE(PutComparatorValue(c10, 100));
    EXPECT_EQ(c10[10], 100);
    EXPECT_EQ(c10[11], 0);
    Frame c11 = record(3, 0, 17, {{5, 0x02}, {7, 0x00}});
    ASSERT_TRUE(PutComparatorValue(c11, 55));
    EXPECT_EQ(c11[11], 55);
    Frame none = record(3, 0, 17, {{5, 0x02}, {7, 0x03}});
    EXPECT_FALSE(PutComparatorValue(none, 55));
    Frame notComparator = record(3, 0, 7);
    EXPECT_FALSE(PutComparatorValue(notComparator, 55));

    EXPECT_EQ(KnobDecimals(14), 0);
    EXPECT_EQ(KnobDecimals(17), 1);
    EXPECT_EQ(KnobDecimals(8), 2);
    const KnobSetup cmp = KnobSetupFor(TBlockRec{17, 0, 0, 80});
    EXPECT_DOUBLE_EQ(cmp.maximum, 10);
    EXPECT_DOUBLE_EQ(cmp.position, 8.0);
}

TEST_F(Control, KnobWriteReadsModifiesAndWritesTheRecord)
{
    ctl->iKnob1MouseDown(0.5);
    const auto shown = ctl->iIoCompKnobPositionChange(EncodeReference(0, 0, 1), 1234.0);
    EXPECT_EQ(shown.decimals, 0);
    EXPECT_EQ(shown.text, "1234");

    prompt.queue(PromptAnswer::Yes);
    ASSERT_TRUE(ctl->iIoCompKnobPositionChangeFinished(EncodeReference(0, 0, 1), 123456));
    EXPECT_EQ(prompt.lastText(), "Are you sure ?");
    EXPECT_EQ(rt->mode(), StationRuntime::ModeParamWrite);
    EXPECT_EQ(rt->model().blocks[0][1].parameter, 123456);
    // The counter's record is read at its stored position 2: 2 * 20 + 32 = 72.
    ASSERT_EQ(port.writes.size(), 1);
    EXPECT_EQ(port.writes[0], toBytes(BuildReadRecordFrame(3, 2, 2)));

    port.feed(toBytes(record(3, 2, 14, {{9, 0x00}, {10, 0x00}, {11, 0x10}, {15, 0x77}})));
    ASSERT_EQ(port.writes.size(), 2);
    const Frame w = frameFrom(port.writes[1]);
    EXPECT_EQ(w[2], 0x0D);
    EXPECT_EQ(w[4], 14);
    EXPECT_EQ(w[9], 0x12);
    EXPECT_EQ(w[10], 0x34);
    EXPECT_EQ(w[11], 0x56);
    EXPECT_EQ(w[15], 0x77) << "the rest of the record is kept";
    EXPECT_EQ(w[23], 0);
    EXPECT_EQ(w[24], 72);
    EXPECT_EQ(w[25], FrameChecksum(w));

    // The reply to a repeated read arriving after the write is no answer to it.
    port.feed(toBytes(record(3, 2, 14)));
    EXPECT_EQ(port.writes.size(), 2);
    EXPECT_TRUE(rt->messages().isEmpty());
    EXPECT_EQ(rt->mode(), StationRuntime::ModeParamWrite);

    port.feed(toBytes(ack(3)));
    EXPECT_EQ(rt->mode(), StationRuntime::ModePolling);
    EXPECT_TRUE(sched.isActive("Timer4"));
    QCoreApplication::processEvents();
    EXPECT_EQ(rt->messages().value(0), "set data ok");
    EXPECT_EQ(prompt.lastText(), "set data ok");
}

TEST_F(Control, KnobWriteRefusedOrCancelled)
{
    // Refused by the unit.
    prompt.queue(PromptAnswer::Yes);
    ASSERT_TRUE(ctl->ApplyKnobValue(EncodeReference(0, 0, 0), 12.345));
    port.feed(toBytes(record(3, 0, 7, {{9, 4}})));
    const Frame w = frameFrom(port.writes.last());
    EXPECT_EQ(w[10], 0x12);
    EXPECT_EQ(w[11], 0x34);
    Frame refused = ack(3);
    refused[2] = 0xFE;
    SealFrame(refused);
    port.feed(toBytes(refused));
    QCoreApplication::processEvents();
    EXPECT_EQ(rt->messages().value(0), "set data error");
    EXPECT_FALSE(prompt.saw("set data ok"));
    EXPECT_EQ(rt->mode(), StationRuntime::ModePolling);

    // Cancelled: nothing sent, the knob goes back, polling resumes.
    port.writes.clear();
    ctl->iKnob1MouseDown(0.5);
    int hidden = 0;
    QObject::connect(ctl.get(), &RemoteControl::knobDisplayHidden, [&] { ++hidden; });
    EXPECT_FALSE(ctl->iIoCompKnobPositionChangeFinished(EncodeReference(0, 0, 0), 3.0));
    EXPECT_DOUBLE_EQ(ctl->knobDownPosition(), 0.5);
    EXPECT_EQ(hidden, 1);
    EXPECT_EQ(rt->model().blocks[0][0].parameter, 1234);
    EXPECT_TRUE(port.writes.isEmpty());
    EXPECT_TRUE(sched.isActive("Timer4"));
}

TEST_F(Control, ComparatorWithoutThresholdByteWritesNothing)
{
    prompt.queue(PromptAnswer::Yes);
    ASSERT_TRUE(ctl->ApplyKnobValue(EncodeReference(0, 0, 2), 9.96));
    EXPECT_EQ(ctl->valueToWrite(), 100);
    EXPECT_EQ(rt->model().blocks[0][2].parameter, 80) << "the comparator's parameter is not changed";
    EXPECT_FLOAT_EQ(rt->model().blocks[0][2].timeUnit, 1);
    port.feed(toBytes(record(3, 3, 17, {{5, 0x02}, {7, 0x03}})));
    EXPECT_EQ(port.writes.size(), 1) << "only the read";
    EXPECT_EQ(rt->mode(), StationRuntime::ModePolling);
    EXPECT_FALSE(sched.isActive("Timer6"));
    EXPECT_TRUE(sched.isActive("Timer4"));
}

TEST_F(Control, UnansweredParameterReadGivesUpAndStrayRecordsAreNotWritten)
{
    prompt.queue(PromptAnswer::Yes);
    ASSERT_TRUE(ctl->ApplyKnobValue(EncodeReference(0, 0, 0), 1.0));
    const QByteArray read = port.writes[0];
    sched.advance(30000);
    EXPECT_EQ(count(read), 12);
    EXPECT_EQ(rt->mode(), StationRuntime::ModePolling);
    EXPECT_TRUE(prompt.texts() == QStringList{"Are you sure ?"}) << "no message";

    // A record of another block arriving while polling is not written back.
    port.writes.clear();
    rt->HandleDataReply(record(3, 3, 7).data(), 26);
    for (const QByteArray &w : std::as_const(port.writes))
        EXPECT_NE(uint8_t(w[2]), 0x0D);
    // The late record of the confirmed block is.
    rt->HandleDataReply(record(3, 0, 7).data(), 26);
    auto write = std::find_if(port.writes.begin(), port.writes.end(),
                              [](const QByteArray &w) { return uint8_t(w[2]) == 0x0D; });
    ASSERT_NE(write, port.writes.end());
    EXPECT_EQ(uint8_t((*write)[10]), 0x01);
}

TEST_F(Control, SetClockOfAllUnits)
{
    prompt.queue(PromptAnswer::No);
    EXPECT_FALSE(ctl->SysSetTimeCmdExecute());
    EXPECT_EQ(prompt.lastText(), "Set all QEL time?");
    EXPECT_TRUE(port.writes.isEmpty());

    prompt.queue(PromptAnswer::Yes);
    ASSERT_TRUE(ctl->SysSetTimeCmdExecute());
    ASSERT_EQ(port.writes.size(), 1);
    const Frame f = frameFrom(port.writes[0]);
    EXPECT_EQ(f[1], 0xFF);
    EXPECT_EQ(f[2], 0x07);
    // The scheduler's clock: Tuesday 2008-03-25 14:07:09.
    EXPECT_EQ(port.writes[0].mid(3, 7), QByteArray::fromHex("09071425030208"));
    sched.advance(500);
    EXPECT_TRUE(sched.isActive("Timer4"));
}

TEST_F(Control, SwitchIgnoredByAUnitThatAnswersItsPollsIsResentThenGivenUp)
{
    sched.advance(400);
    ASSERT_TRUE(ctl->ControlPointClick(0, 0, 14));
    const QByteArray sw = toBytes(rt->switchFrame());
    int failures = 0;
    QObject::connect(rt.get(), &StationRuntime::controlFailed, [&] { ++failures; });
    // Every poll is answered at once; the switch never is.
    int answered = 0;
    for (int step = 0; step < 600 && failures == 0; ++step) {
        if (!port.writes.isEmpty() && uint8_t(port.writes.last()[2]) == 0x09 && rt->awaitingReply()) {
            port.feed(toBytes(dataReply(uint8_t(port.writes.last()[1]))));
            ++answered;
        }
        sched.advance(100);
    }
    EXPECT_EQ(failures, 1);
    EXPECT_TRUE(prompt.saw("Control Faild!"));
    EXPECT_EQ(count(sw), 12) << "the send and eleven resends";
    EXPECT_FALSE(rt->switchPending());
    const int polls = answered;
    for (int step = 0; step < 20; ++step) {
        if (uint8_t(port.writes.last()[2]) == 0x09 && rt->awaitingReply()) {
            port.feed(toBytes(dataReply(uint8_t(port.writes.last()[1]))));
            ++answered;
        }
        sched.advance(100);
    }
    EXPECT_GT(answered, polls) << "polling goes on";
    EXPECT_EQ(count(sw), 12);
}
