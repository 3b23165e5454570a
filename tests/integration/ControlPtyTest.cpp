// Operator commands against simulated units over a real pty pair: output
// switching, the unit that never acknowledges, knob parameter writes (also
// refused), and the whole-program read.

#include "SimBench.h"

#include "acquisition/BlockProgram.h"
#include "acquisition/GroupControl.h"
#include "acquisition/RemoteControl.h"
#include "acquisition/StationRuntime.h"
#include "platform/Prompt.h"
#include "platform/QtTimerService.h"
#include "platform/SerialBytePort.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <gtest/gtest.h>

using namespace scada;

namespace {

const char *kPlant = R"({"replyDelayMs": 5, "units": [
    {"address": 1, "size": 1, "analogMask": 0, "byte5": 1, "outputs": 0,
     "program": [ {"type": 7, "data": [0, 0, 0, 0, 4, 0, 80]},
                  {"type": 14, "data": [0, 0, 0, 0, 0, 1, 0]} ]},
    {"address": 2, "size": 0, "analogMask": 0, "byte5": 0, "outputs": 9},
    {"address": 3, "size": 1, "analogMask": 0, "byte5": 0, "outputs": 0}]})";

PointModel model()
{
    PointModel m;
    m.stationCount = 1;
    m.stations.resize(1);
    TStationRec &st = m.stations[0];
    st.name = "Works";
    st.portName = "COM1";
    for (int i = 0; i < 3; ++i) {
        TFtuRec u;
        u.name = QStringList{"Pump", "Feeder", "Tank"}[i];
        u.address = uint8_t(i + 1);
        u.size = i == 1 ? 0 : 1;
        u.mark = 1;
        u.password = "4826";
        for (auto &p : u.yx)
            p.controlEnabled = true;
        st.units.push_back(u);
    }
    m.blocks = {{TBlockRec{7, 0, 4, 50}, TBlockRec{14, 1, 0, 100}}, {}, {}};
    return m;
}

class ControlPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        bench = std::make_unique<SimBench>(kPlant, dir.path());
        rt = std::make_unique<StationRuntime>(dir.path(), nullptr, &port, &timers, &clock, &prompt);
        ctl = std::make_unique<RemoteControl>(*rt, timers, clock, prompt);
        // The password rule of the dialog, typing the unit's password.
        ctl->setPasswordDialog([this](const PasswordRequest &r) {
            PasswordCheck check(r.password);
            return check.submit(typed, prompt) == PasswordCheck::Result::Accepted;
        });
        QObject::connect(rt.get(), &StationRuntime::statusTextChanged, [this](int p, const QString &t) {
            if (p == 1)
                panel1 << t;
        });
        rt->InstallPointModel(model());
        ASSERT_TRUE(rt->portResult());
        ASSERT_TRUE(waitFor([&] { return bench->countCode(0x09) >= 2; }, 5000));
    }
    qelsim::SimUnit &simUnit(int address) { return *bench->sim->plant().unit(uint8_t(address)); }
    TFtuRec &unit(int i) { return rt->model().stations[0].units[size_t(i)]; }

    TempPlant dir;
    std::unique_ptr<SimBench> bench;
    QObject owner;
    QtTimerService timers{&owner};
    SystemClock clock;
    FakePrompt prompt;
    SerialBytePort port;
    std::unique_ptr<StationRuntime> rt;
    std::unique_ptr<RemoteControl> ctl;
    QString typed = "4826";
    QStringList panel1;
};

} // namespace

TEST_F(ControlPty, SwitchingReachesTheUnitAndIsAcknowledged)
{
    // Pump (20 channels): point 14 is off -> switched on.
    ASSERT_FALSE(unit(0).yx[14].state);
    ASSERT_TRUE(ctl->iSwitchKindClick(EncodeReference(0, 0, 14), InstrumentKind::Rotary, false));
    ASSERT_TRUE(waitFor([&] { return panel1.contains("control ok!"); }, 5000));
    ASSERT_EQ(bench->countCode(0x13), 1);
    const QByteArray sw = *std::find_if(bench->frames.begin(), bench->frames.end(),
                                        [](const QByteArray &f) { return uint8_t(f[2]) == 0x13; });
    EXPECT_EQ(uint8_t(sw[3]), 0x04);
    EXPECT_EQ(uint8_t(sw[4]), 0x04);
    EXPECT_EQ(simUnit(1).outputs, 0x04);
    // The next data reply shows the output on.
    ASSERT_TRUE(waitFor([&] { return unit(0).yx[14].state; }, 5000));
    EXPECT_FALSE(prompt.saw("Control Faild!"));

    // Feeder (10 channels): point 9 is on -> switched off.
    ASSERT_TRUE(waitFor([&] { return unit(1).yx[9].state; }, 5000));
    panel1.clear();
    ASSERT_TRUE(ctl->ControlPointClick(0, 1, 9));
    ASSERT_TRUE(waitFor([&] { return panel1.contains("control ok!"); }, 5000));
    EXPECT_EQ(simUnit(2).outputs, 0x01);
    ASSERT_TRUE(waitFor([&] { return !unit(1).yx[9].state; }, 5000));
}

TEST_F(ControlPty, WrongPasswordsSendNothing)
{
    typed = "1111";
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(ctl->ControlPointClick(0, 0, 14));
    const int polls = bench->countCode(0x09);
    ASSERT_TRUE(waitFor([&] { return bench->countCode(0x09) > polls + 3; }, 5000)) << "polling goes on";
    EXPECT_EQ(bench->countCode(0x13), 0);
    EXPECT_EQ(simUnit(1).outputs, 0);
}

TEST_F(ControlPty, UnitThatNeverAcknowledgesIsGivenUpAndPollingResumes)
{
    ASSERT_EQ(bench->sim->command("silence 2 on"), "ok");
    int failed = 0;
    QObject::connect(rt.get(), &StationRuntime::controlFailed, [&] { ++failed; });
    ASSERT_TRUE(ctl->ControlPointClick(0, 1, 8));
    ASSERT_TRUE(waitFor([&] { return failed == 1; }, 30000));
    EXPECT_TRUE(prompt.saw("Control Faild!"));
    EXPECT_TRUE(panel1.contains("Control Send times[10]"));
    const int sends = bench->countCode(0x13);
    EXPECT_GE(sends, 1);
    ASSERT_EQ(bench->sim->command("silence 2 off"), "ok");
    const int polls = bench->countCode(0x09);
    ASSERT_TRUE(waitFor([&] { return bench->countCode(0x09) > polls + 2; }, 8000)) << "polling resumed";
    EXPECT_EQ(bench->countCode(0x13), sends);
}

TEST_F(ControlPty, KnobWriteChangesTheRecordOrReportsTheRefusal)
{
    prompt.queue(PromptAnswer::Yes);
    ASSERT_TRUE(ctl->iIoCompKnobPositionChangeFinished(EncodeReference(0, 0, 0), 12.345));
    ASSERT_TRUE(waitFor([&] { return rt->messages().contains("set data ok"); }, 5000));
    EXPECT_FALSE(rt->messages().contains("set data error"));
    const auto &data = simUnit(1).program[0].data; // bytes 5..11 of the record
    EXPECT_EQ(data[5], 0x12);
    EXPECT_EQ(data[6], 0x34);
    EXPECT_EQ(data[4], 4) << "the time unit byte is kept";
    EXPECT_EQ(prompt.lastText(), "set data ok");

    ASSERT_EQ(bench->sim->command("refuse 1 on"), "ok");
    prompt.queue(PromptAnswer::Yes);
    ASSERT_TRUE(ctl->ApplyKnobValue(EncodeReference(0, 0, 1), 123456));
    ASSERT_TRUE(waitFor([&] { return rt->messages().contains("set data error"); }, 5000));
    EXPECT_EQ(simUnit(1).program[1].data[4], 0) << "the refusing unit kept its count";
    const int polls = bench->countCode(0x09);
    ASSERT_TRUE(waitFor([&] { return bench->countCode(0x09) > polls + 2; }, 5000)) << "polling resumed";
}

TEST_F(ControlPty, WholeProgramReadOfASimulatedUnit)
{
    BlockProgram prog(*rt, *ctl, timers, prompt, dir.path());
    QStringList lines;
    QObject::connect(&prog, &BlockProgram::programRead, [&](int, const QStringList &l) { lines = l; });
    rt->model().blocks[0].clear();
    prog.ReadProgram(1, 0);
    ASSERT_TRUE(waitFor([&] { return !lines.isEmpty(); }, 5000));
    EXPECT_EQ(lines, (QStringList{"B1 [On Delay]", "B2 [Up counter]"}));
    ASSERT_EQ(rt->model().blocks[0].size(), 2u);
    EXPECT_EQ(rt->model().blocks[0][0].parameter, 50);
    EXPECT_EQ(rt->model().blocks[0][1].parameter, 100);
    EXPECT_EQ(bench->countCode(0x0E), 3);
    ASSERT_TRUE(waitFor([&] { return !simUnit(1).programAccess && bench->countCode(0x0B) == 2; }, 5000));
    EXPECT_FALSE(prompt.saw("Read block error!"));
}

TEST_F(ControlPty, BatchListReachesEveryUnit)
{
    // Pump output 2 on, Feeder output 3 off, Tank outputs 0 and 1 on.
    dir.write("QelList.ini", "66564\r\n133120\r\n197379\r\n");
    BatchControl batch(*rt, timers, clock, prompt, dir.file("QelList.ini"));
    prompt.queue(PromptAnswer::Yes);
    ASSERT_TRUE(batch.MonitorBatchCtrlCmdExecute());
    ASSERT_TRUE(waitFor([&] { return !batch.running(); }, 20000));
    EXPECT_EQ(simUnit(1).outputs, 0x04);
    EXPECT_EQ(simUnit(2).outputs, 0x01);
    EXPECT_EQ(simUnit(3).outputs, 0x03);
    const QStringList &m = rt->messages();
    ASSERT_GE(m.size(), 3);
    EXPECT_TRUE(m[0].endsWith("Tank  Batch control ok")) << m[0].toStdString();
    EXPECT_TRUE(m[1].endsWith("Feeder  Batch control ok"));
    EXPECT_TRUE(m[2].endsWith("Pump  Batch control ok"));
    EXPECT_FALSE(prompt.saw("Control Faild!"));
}

TEST_F(ControlPty, SwitchIgnoredByAPolledUnitIsGivenUp)
{
    // Pump answers its polls but ignores the switch request.
    ASSERT_EQ(bench->sim->command("noack 1 on"), "ok");
    int failed = 0;
    QObject::connect(rt.get(), &StationRuntime::controlFailed, [&] { ++failed; });
    ASSERT_TRUE(ctl->ControlPointClick(0, 0, 14));
    ASSERT_TRUE(waitFor([&] { return failed == 1; }, 40000));
    EXPECT_TRUE(prompt.saw("Control Faild!"));
    EXPECT_EQ(bench->countCode(0x13), 12) << "the send and eleven resends";
    EXPECT_EQ(simUnit(1).outputs, 0);
    EXPECT_FALSE(rt->switchPending());
    const int polls = bench->countCode(0x09);
    ASSERT_TRUE(waitFor([&] { return bench->countCode(0x09) > polls + 3; }, 5000)) << "polling goes on";
}
