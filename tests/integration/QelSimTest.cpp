#include "QelSimulator.h"
#include "SimLine.h"

#include <QFile>
#include <QTemporaryDir>

#include "acquisition/Frames.h"

#include <gtest/gtest.h>

using namespace qelsim;

namespace {

SimPlant onePlant()
{
    SimPlant p;
    QString error;
    const bool ok = SimPlant::fromJson(R"({"replyDelayMs": 7, "units": [
        {"address": 3, "size": 1, "analogMask": 4095,
         "analog": [200, {"ramp": [10, 30, 10]}], "byte5": 129, "byte6": 15, "outputs": 1,
         "toggles": [{"byte": 5, "bit": 1, "every": 2}],
         "program": [{"type": 7, "data": [0, 0, 0, 0, 4, 1, 80]}, {"type": 14, "data": [0,0,0,0,0,1,0]}]}]})",
                                       &p, &error);
    EXPECT_TRUE(ok) << error.toStdString();
    return p;
}

QByteArray req(const scada::Frame &f) { return scada::toBytes(f); }

} // namespace

TEST(QelSim, DataReplyCarriesMaskInputsAnalogAndAValidChecksum)
{
    QelSimulator sim(onePlant());
    const QList<Chunk> c = sim.respond(req(scada::BuildReadDataFrame(3)));
    ASSERT_EQ(c.size(), 1);
    EXPECT_EQ(c[0].delayMs, 7);
    const QByteArray r = c[0].bytes;
    ASSERT_EQ(r.size(), 26);
    EXPECT_EQ(r.left(7).toHex(' '), QByteArray("aa 03 09 ff 0f 81 0f"));
    EXPECT_EQ(uint8_t(r[18]), 200);
    EXPECT_EQ(uint8_t(r[17]), 10);
    EXPECT_EQ(uint8_t(r[19]), 1);
    EXPECT_EQ(uint8_t(r[25]), scada::FrameChecksum(reinterpret_cast<const uint8_t *>(r.constData())));

    // Generators advance and toggles flip per reply.
    const QByteArray r2 = sim.respond(req(scada::BuildReadDataFrame(3)))[0].bytes;
    EXPECT_EQ(uint8_t(r2[17]), 20);
    EXPECT_EQ(uint8_t(r2[5]), 0x81);
    const QByteArray r3 = sim.respond(req(scada::BuildReadDataFrame(3)))[0].bytes;
    EXPECT_EQ(uint8_t(r3[17]), 30);
    EXPECT_EQ(uint8_t(r3[5]), 0x83);
    EXPECT_EQ(uint8_t(sim.respond(req(scada::BuildReadDataFrame(3)))[0].bytes[17]), 10);
}

TEST(QelSim, CommandsOtherThanReadData)
{
    QelSimulator sim(onePlant());
    // Switch output bit 2 on: acknowledged, outputs changed under the mask only.
    QList<Chunk> c = sim.respond(req(scada::BuildSwitchFrame(3, 0x05, 0x04)));
    ASSERT_EQ(c.size(), 1);
    EXPECT_EQ(uint8_t(c[0].bytes[2]), 0xFD);
    EXPECT_EQ(sim.plant().units[0].outputs, 0x04);

    // Clock to all units: no reply.
    EXPECT_TRUE(sim.respond(req(scada::BuildSetClockFrame(QDateTime(QDate(2008, 3, 25), QTime(14, 7, 9))))).isEmpty());
    EXPECT_EQ(sim.plant().units[0].clock, QDateTime(QDate(2008, 3, 25), QTime(14, 7, 9)));

    EXPECT_EQ(uint8_t(sim.respond(req(scada::BuildProgramAccessFrame(3, true)))[0].bytes[2]), 0xFD);
    EXPECT_TRUE(sim.plant().units[0].programAccess);

    // Records: 0 and 1 are the program, 2 is its end.
    QByteArray rec = sim.respond(req(scada::BuildReadRecordFrame(3, 0)))[0].bytes;
    EXPECT_EQ(uint8_t(rec[2]), 0x0E);
    EXPECT_EQ(uint8_t(rec[4]), 7);
    EXPECT_EQ(uint8_t(rec[11]), 80);
    EXPECT_EQ(rec.mid(23, 2).toHex(), QByteArray("0020"));
    EXPECT_EQ(uint8_t(sim.respond(req(scada::BuildReadRecordFrame(3, 2)))[0].bytes[4]), 0xFF);

    // Write record 0 with a new set value, then read it back.
    scada::Frame w = scada::frameFrom(rec);
    w[11] = 0x42;
    w = scada::BuildWriteRecordFrame(w, 0);
    EXPECT_EQ(uint8_t(sim.respond(req(w))[0].bytes[2]), 0xFD);
    rec = sim.respond(req(scada::BuildReadRecordFrame(3, 0)))[0].bytes;
    EXPECT_EQ(uint8_t(rec[11]), 0x42);

    // Unknown address, damaged request, silent unit: no answer.
    EXPECT_TRUE(sim.respond(req(scada::BuildReadDataFrame(4))).isEmpty());
    QByteArray bad = req(scada::BuildReadDataFrame(3));
    bad[25] = char(bad[25] + 1);
    EXPECT_TRUE(sim.respond(bad).isEmpty());
    EXPECT_EQ(sim.command("silence 3 on"), "ok");
    EXPECT_TRUE(sim.respond(req(scada::BuildReadDataFrame(3))).isEmpty());
}

TEST(QelSim, MisbehaviourNoiseSplitAndBadChecksum)
{
    QelSimulator sim(onePlant());
    EXPECT_EQ(sim.command("noise 3 41 54"), "ok");
    EXPECT_EQ(sim.command("split 3 on"), "ok");
    QList<Chunk> c = sim.respond(req(scada::BuildReadDataFrame(3)));
    ASSERT_EQ(c.size(), 4);
    EXPECT_EQ(c[0].bytes, QByteArray("AT"));
    EXPECT_EQ(c[1].bytes.size(), 10);
    EXPECT_EQ(c[2].bytes.size(), 10);
    EXPECT_EQ(c[3].bytes.size(), 6);
    EXPECT_LT(c[0].delayMs, c[1].delayMs);
    EXPECT_LT(c[1].delayMs, c[2].delayMs);
    EXPECT_LT(c[2].delayMs, c[3].delayMs);

    EXPECT_EQ(sim.command("noise 3 off"), "ok");
    EXPECT_EQ(sim.command("split 3 off"), "ok");
    EXPECT_EQ(sim.command("badsum 3 on"), "ok");
    const QByteArray r = sim.respond(req(scada::BuildReadDataFrame(3)))[0].bytes;
    EXPECT_NE(uint8_t(r[25]), scada::FrameChecksum(reinterpret_cast<const uint8_t *>(r.constData())));
}

TEST(QelSim, ReceiveAssemblesFramesFromAnyBatching)
{
    QelSimulator sim(onePlant());
    QList<QByteArray> frames;
    QObject::connect(&sim, &QelSimulator::frameReceived, [&](const QByteArray &f) { frames << f; });
    const QByteArray poll = req(scada::BuildReadDataFrame(3));
    sim.receive(QByteArray("+++ATH0\r") + poll.left(5));
    sim.receive(poll.mid(5) + poll);
    ASSERT_EQ(frames.size(), 2);
    EXPECT_EQ(frames[0], poll);
    EXPECT_EQ(frames[1], poll);
}

TEST(QelSim, ControlChannelAndPlantErrors)
{
    QelSimulator sim(onePlant());
    const std::pair<const char *, const char *> cases[] = {
        {"input 3 5 1 1", "ok"},
        {"input 3 7 1 0", "error: input ADDR 5|6|19 BIT 0|1"},
        {"analog 3 11 99", "ok"},
        {"analog 3 12 1", "error: analog ADDR 0..11 0..255"},
        {"silence 9 on", "error: no unit with address 9"},
        {"silence 3 maybe", "error: on or off"},
        {"delay 25", "ok"},
        {"frobnicate", "error: unknown or incomplete command"},
    };
    for (auto [cmd, expected] : cases)
        EXPECT_EQ(sim.command(cmd), expected) << cmd;
    EXPECT_EQ(sim.plant().units[0].byte5, 0x83);
    EXPECT_EQ(sim.plant().units[0].analog[11].valueAt(0), 99);
    EXPECT_EQ(sim.plant().replyDelayMs, 25);

    SimPlant p;
    QString error;
    EXPECT_FALSE(SimPlant::fromJson("{", &p, &error));
    EXPECT_FALSE(SimPlant::fromJson(R"({"units":[{"address":1},{"address":1}]})", &p, &error));
    EXPECT_EQ(error, "unit address 1 used twice");
    EXPECT_FALSE(SimPlant::fromJson(R"({"units":[{"size":1}]})", &p, &error));
    EXPECT_FALSE(SimPlant::fromJson(R"({"units":[{"address":1,"analog":[{"saw":[1]}]}]})", &p, &error));
}

TEST(QelSim, ComPortsEntryIsWrittenBesideOtherLines)
{
    QTemporaryDir dir;
    QFile f(dir.filePath("ComPorts.ini"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Other]\nCOM1=keep\n[Ports]\nCOM2=/dev/ttyUSB0\ncom1=/dev/old\n");
    f.close();
    QString error;
    ASSERT_TRUE(SimLine::writeComPorts(dir.path(), 1, "/dev/pts/7", &error));
    ASSERT_TRUE(SimLine::writeComPorts(dir.path(), 3, "/dev/pts/8", &error));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("[Other]\nCOM1=keep\n[Ports]\nCOM2=/dev/ttyUSB0\nCOM1=/dev/pts/7\nCOM3=/dev/pts/8\n"));
}

TEST(QelSim, ExamplePlantParses)
{
    QFile f(QStringLiteral(SCADA_SOURCE_DIR) + "/tools/qelsim/plant-example.json");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    SimPlant p;
    QString error;
    ASSERT_TRUE(SimPlant::fromJson(f.readAll(), &p, &error)) << error.toStdString();
    EXPECT_EQ(p.units.size(), 3);
}
