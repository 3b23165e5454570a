// The qelsim program as people and scripts use it: a pty, ComPorts.ini, the
// control channel on standard input and the hex log.

#include "TtyBytePort.h"

#include "acquisition/Frames.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>

#include <gtest/gtest.h>

TEST(QelsimProgram, ServesAPtyAndTakesControlCommands)
{
    TempPlant plant;
    plant.write("plant.json", R"({"replyDelayMs": 1, "units": [{"address": 5, "size": 1, "analogMask": 1, "byte5": 1}]})");
    QProcess sim;
    sim.start(QStringLiteral(SCADA_BUILD_DIR "/tools/qelsim/qelsim"),
              {"--pty", "--plant", plant.file("plant.json"), "--comports", plant.path(), "--com", "2", "--log",
               plant.file("frames.log")});
    ASSERT_TRUE(sim.waitForStarted(5000));
    QByteArray out;
    ASSERT_TRUE(waitFor([&] { out += sim.readAllStandardOutput(); return out.contains('\n'); }, 5000));
    ASSERT_TRUE(out.startsWith("PTY /dev/")) << out.constData();
    const QString device = QString::fromLatin1(out.mid(4, out.indexOf('\n') - 4));
    EXPECT_TRUE(plant.read("ComPorts.ini").contains("COM2=" + device.toLatin1()));

    TtyBytePort port;
    ASSERT_TRUE(port.open(device));
    QByteArray rx;
    QObject::connect(&port, &scada::BytePort::received, [&](const QByteArray &b) { rx += b; });
    const QByteArray poll = scada::toBytes(scada::BuildReadDataFrame(5));
    port.write(poll);
    ASSERT_TRUE(waitFor([&] { return rx.size() >= 26; }, 5000));
    EXPECT_EQ(uint8_t(rx[5]), 0x01);

    out.clear();
    sim.write("input 5 5 3 1\nsilence 5 on\n");
    ASSERT_TRUE(waitFor([&] { out += sim.readAllStandardOutput(); return out.count('\n') >= 2; }, 5000));
    EXPECT_EQ(out, "ok\nok\n");
    rx.clear();
    port.write(poll);
    // The silenced unit has seen the poll once the log shows it.
    ASSERT_TRUE(waitFor([&] { return plant.read("frames.log").count("RX AA 05 09 00") == 2; }, 5000));
    out.clear();
    sim.write("silence 5 off\n");
    ASSERT_TRUE(waitFor([&] { out += sim.readAllStandardOutput(); return out.contains('\n'); }, 5000));
    port.write(poll);
    ASSERT_TRUE(waitFor([&] { return rx.size() >= 26; }, 5000));
    EXPECT_EQ(rx.size(), 26) << "the silenced unit did not answer";
    EXPECT_EQ(uint8_t(rx[5]), 0x09);

    sim.write("quit\n");
    ASSERT_TRUE(sim.waitForFinished(5000));
    const QByteArray log = plant.read("frames.log");
    EXPECT_EQ(log.count("RX AA 05 09 00"), 3) << log.constData();
    EXPECT_EQ(log.count("TX AA 05 09"), 2);
}
