// A modem station against "qelsim --modem" over a pty: the runtime on the
// real serial port dials a unit, connects, polls it, escapes, hangs up and
// dials the next unit. The connection timer runs at 250 ms instead of a
// second so that a whole call takes a few seconds.

#include "acquisition/StationRuntime.h"
#include "platform/Prompt.h"
#include "platform/QtTimerService.h"
#include "platform/SerialBytePort.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <gtest/gtest.h>

using namespace scada;

namespace {

PointModel dialPlant(int delay)
{
    PointModel m;
    m.stationCount = 1;
    m.stations.resize(1);
    TStationRec &st = m.stations[0];
    st.name = "Remote";
    st.portName = "COM3";
    st.useModem = true;
    st.delayOrCycle = delay;
    for (int i = 0; i < 2; ++i) {
        TFtuRec u;
        u.name = QString("Well%1").arg(i);
        u.address = uint8_t(21 + i);
        u.mark = 1;
        u.size = 1;
        u.phone = QString("81%1").arg(i);
        st.units.push_back(u);
    }
    return m;
}

} // namespace

TEST(ModemPty, DialsConnectsPollsHangsUpAndDialsTheNextUnit)
{
    TempPlant plant;
    plant.write("plant.json", R"({"replyDelayMs": 5, "modem": {"connectDelayMs": 100, "guardMs": 50},
        "units": [{"address": 21, "size": 1, "byte5": 1, "phone": "810"},
                  {"address": 22, "size": 1, "byte5": 2, "phone": "811"}]})");
    QProcess sim;
    sim.start(QStringLiteral(SCADA_BUILD_DIR "/tools/qelsim/qelsim"),
              {"--pty", "--modem", "--plant", plant.file("plant.json"), "--comports", plant.path(), "--com", "3",
               "--log", plant.file("modem.log")});
    ASSERT_TRUE(sim.waitForStarted(5000));
    QByteArray out;
    ASSERT_TRUE(waitFor([&] { out += sim.readAllStandardOutput(); return out.contains('\n'); }, 5000));
    ASSERT_TRUE(out.startsWith("PTY /dev/")) << out.constData();

    QObject owner;
    QtTimerService timers(&owner);
    SystemClock clock;
    FakePrompt prompt;
    SerialBytePort port;
    StationRuntime rt(plant.path(), nullptr, &port, &timers, &clock, &prompt);
    timers.setInterval("Timer1", 250);
    QList<QByteArray> sent;
    QObject::connect(&rt, &StationRuntime::statusTextChanged, [&](int panel, const QString &text) {
        if (panel == 0)
            sent << text.toLatin1();
    });
    const int d = 7;
    rt.InstallPointModel(dialPlant(d));
    ASSERT_TRUE(rt.portResult()) << port.errorString().toStdString();

    const auto &units = rt.model().stations[0].units;
    // The first call goes to position 1 (phone 811), the next to position 0.
    ASSERT_TRUE(waitFor([&] { return units[1].yx[1].state == 1; }, 8000)) << "first call polled its unit";
    ASSERT_TRUE(waitFor([&] { return units[0].yx[0].state == 1; }, 20000)) << "second call polled its unit";
    rt.ShutdownLink();

    sim.write("quit\n");
    ASSERT_TRUE(sim.waitForFinished(5000));
    const QByteArray log = plant.read("modem.log");
    const qsizetype connect1 = log.indexOf("MODEM connect 811 unit 22");
    const qsizetype escape = log.indexOf("MODEM escape", connect1);
    const qsizetype hangUp = log.indexOf("MODEM ATH0", escape);
    const qsizetype connect2 = log.indexOf("MODEM connect 810 unit 21", hangUp);
    ASSERT_GE(connect1, 0) << log.constData();
    ASSERT_GT(escape, connect1) << log.constData();
    ASSERT_GT(hangUp, escape) << log.constData();
    ASSERT_GT(connect2, hangUp) << log.constData();
    // Each call polls on ticks 4..D-1 and every poll is answered.
    EXPECT_EQ(log.mid(connect1, escape - connect1).count("RX AA 16 09 20"), d - 4) << log.constData();
    EXPECT_EQ(log.mid(connect1, escape - connect1).count("TX AA 16 09"), d - 4);
    EXPECT_FALSE(log.mid(connect2).contains("RX AA 16 09")) << "the second call polls its own unit";
    EXPECT_TRUE(log.mid(connect2).contains("TX AA 15 09"));
    EXPECT_TRUE(sent.contains("Connected !"));
    EXPECT_TRUE(sent.contains("DisConnected!"));
    EXPECT_EQ(rt.badFramesCount(), 0u);
}
