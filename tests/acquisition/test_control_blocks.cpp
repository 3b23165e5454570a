// Reading a unit's block program, its analysis, and single block re-reads,
// over the fake port.

#include "acquisition/BlockProgram.h"
#include "acquisition/RemoteControl.h"
#include "acquisition/StationRuntime.h"
#include "platform/ManualScheduler.h"
#include "platform/Prompt.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QFile>
#include <gtest/gtest.h>

using namespace scada;

namespace {

PointModel blockPlant()
{
    PointModel m;
    m.stationCount = 1;
    m.stations.resize(1);
    TStationRec &st = m.stations[0];
    st.name = "Works";
    st.portName = "COM1";
    TFtuRec u;
    u.name = "Pump";
    u.address = 3;
    u.size = 1;
    u.mark = 1;
    st.units.push_back(u);
    m.blocks = {{TBlockRec{7, 0, 4, 50}, TBlockRec{16, 1, 0, 0}, TBlockRec{14, 3, 0, 10}, TBlockRec{17, 4, 0, 80}}};
    return m;
}

Frame rec(uint8_t type, std::initializer_list<std::pair<int, uint8_t>> bytes = {}, int position = 0)
{
    Frame f{};
    f[0] = 0xAA;
    f[1] = 3;
    f[2] = 0x0E;
    f[4] = type;
    for (auto [at, v] : bytes)
        f[size_t(at)] = v;
    f[23] = uint8_t((position * 20 + 32) >> 8);
    f[24] = uint8_t((position * 20 + 32) & 0xFF);
    SealFrame(f);
    return f;
}

QByteArray ackBytes()
{
    Frame f{};
    f[0] = 0xAA;
    f[1] = 3;
    f[2] = 0xFD;
    SealFrame(f);
    return toBytes(f);
}

int recordAddress(const QByteArray &w)
{
    return (uint8_t(w[23]) << 8) | uint8_t(w[24]);
}

class Blocks : public ::testing::Test {
protected:
    void SetUp() override
    {
        rt = std::make_unique<StationRuntime>(dir.path(), nullptr, &port, &sched, &sched, &prompt);
        rt->InstallPointModel(blockPlant());
        ctl = std::make_unique<RemoteControl>(*rt, sched, sched, prompt);
        prog = std::make_unique<BlockProgram>(*rt, *ctl, sched, prompt, dir.path());
        port.writes.clear();
    }
    TBlocks &blocks() { return rt->model().blocks[0]; }

    TempPlant dir;
    ManualScheduler sched;
    FakeBytePort port;
    FakePrompt prompt;
    std::unique_ptr<StationRuntime> rt;
    std::unique_ptr<RemoteControl> ctl;
    std::unique_ptr<BlockProgram> prog;
};

} // namespace

TEST(BlockAnalysis, RecordsBecomeBlocks)
{
    // Time Clock blocks span every later record of their group.
    const auto clock = AnalyzeRecords({rec(16, {{8, 5}}), rec(16, {{8, 5}}), rec(1, {{8, 0}})});
    ASSERT_EQ(clock.size(), 2u);
    EXPECT_EQ(clock[0].type, 16);
    EXPECT_EQ(clock[0].position, 0);
    EXPECT_EQ(clock[1].number, 2);
    EXPECT_EQ(clock[1].position, 2);
    EXPECT_EQ(BlockTypeName(clock[1].type), "AND");

    const auto r = AnalyzeRecords({rec(8, {{9, 2}, {10, 0x01}, {11, 0x30}}),
                                   rec(14, {{9, 0x00}, {10, 0x12}, {11, 0x34}}),
                                   rec(17, {{9, 4}, {10, 0x33}, {11, 0x45}}), rec(42, {{9, 1}, {11, 0x07}})});
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0].timeUnit, 2);
    EXPECT_EQ(r[0].parameter, 130);
    EXPECT_EQ(r[1].timeUnit, 0);
    EXPECT_EQ(r[1].parameter, 1234);
    EXPECT_EQ(r[2].timeUnit, 0);
    EXPECT_EQ(r[2].parameter, 0x45) << "the comparator threshold byte as it is";
    EXPECT_EQ(r[3].parameter, 7);
    EXPECT_EQ(BlockListLine(TAnalyzeResult{3, 0, 14, 0, 0}), "B3 [Up counter]");
    EXPECT_EQ(BlockListLine(r[3]), "B4 []") << "unknown types have an empty name";
    EXPECT_EQ(BlockTypeName(10), "Step On/ Step Off Relays");
    EXPECT_EQ(BlockTypeName(0), "");

    struct Shown {
        TBlockRec block;
        double value;
        const char *units;
    } shown[] = {{{8, 0, 2, 130}, 1.3, " M"}, {{7, 0, 1, 250}, 2.5, " H"}, {{7, 0, 4, 5}, 0.05, " S"},
                 {{7, 0, 3, 5}, 0.05, ""},     {{14, 0, 0, 1234}, 1234, ""}, {{17, 0, 0, 45}, 4.5, " V"}};
    for (const Shown &s : shown) {
        const BlockDisplay d = BlockDisplayValue(s.block);
        EXPECT_DOUBLE_EQ(d.value, s.value);
        EXPECT_EQ(d.units, s.units);
    }
}

TEST_F(Blocks, WholeProgramReadStopsAtTheEndRecord)
{
    QStringList lines;
    int readUnit = -1;
    int progressMax = 0, progressPos = -1;
    QObject::connect(prog.get(), &BlockProgram::programRead,
                     [&](int unit, const QStringList &l) {
                         lines = l;
                         readUnit = unit;
                     });
    QObject::connect(prog.get(), &BlockProgram::progressChanged, [&](int p, int m) {
        progressPos = p;
        progressMax = m;
    });
    prog->ReadProgram(3, 0);
    EXPECT_EQ(rt->mode(), StationRuntime::ModeProgramRead);
    ASSERT_EQ(prog->readQueue().size(), 128);
    EXPECT_EQ(recordAddress(toBytes(prog->readQueue().last())), 128 * 20 + 12);
    ASSERT_EQ(port.writes.size(), 1);
    EXPECT_EQ(port.writes[0], toBytes(BuildProgramAccessFrame(3, true)));

    port.feed(ackBytes());
    EXPECT_EQ(rt->panelText(1), "read ok!");
    port.feed(toBytes(rec(7, {{9, 4}, {10, 0x00}, {11, 0x50}}, 0)));
    port.feed(toBytes(rec(16, {{8, 2}}, 1)));
    port.feed(toBytes(rec(0xFF, {}, 2)));
    EXPECT_EQ(progressPos, 128);
    EXPECT_EQ(progressMax, 128);

    QList<int> readAddresses;
    for (const QByteArray &w : std::as_const(port.writes))
        if (uint8_t(w[2]) == 0x0E)
            readAddresses << recordAddress(w);
    EXPECT_EQ(readAddresses, (QList<int>{32, 52, 72}));
    EXPECT_EQ(readUnit, 0);
    EXPECT_EQ(lines, (QStringList{"B1 [On Delay]", "B2 [Time Clock]"}));
    ASSERT_EQ(blocks().size(), 2u);
    EXPECT_EQ(blocks()[0].type, 7);
    EXPECT_FLOAT_EQ(blocks()[0].timeUnit, 4);
    EXPECT_EQ(blocks()[0].parameter, 50);
    EXPECT_EQ(blocks()[1].position, 1);

    const QList<QByteArray> debug = dir.read("debug.txt").split('\n');
    ASSERT_GE(debug.size(), 2);
    EXPECT_TRUE(debug[0].startsWith("0 : AA 03 0E 00 07 00 00 00 00 04 00 50")) << debug[0].toStdString();
    EXPECT_TRUE(debug[1].startsWith("1 : AA 03 0E 00 10")) << debug[1].toStdString();

    // The access is released afterwards; its acknowledgement sends nothing.
    port.writes.clear();
    QCoreApplication::processEvents();
    ASSERT_EQ(port.writes.size(), 1);
    EXPECT_EQ(port.writes[0], toBytes(BuildProgramAccessFrame(3, false)));
    port.feed(ackBytes());
    EXPECT_EQ(port.writes.size(), 1);
    EXPECT_EQ(rt->mode(), StationRuntime::ModeProgramRead) << "until the editor resumes acquisition";
    sched.advance(10000);
    EXPECT_EQ(port.writes.size(), 1) << "no supervision resends after the release";
}

TEST_F(Blocks, UnansweredReleaseIsNoReadError)
{
    int failed = 0;
    QObject::connect(prog.get(), &BlockProgram::readFailed, [&] { ++failed; });
    prog->ReadProgram(3, 0);
    port.feed(ackBytes());
    port.feed(toBytes(rec(1, {}, 0)));
    port.feed(toBytes(rec(0xFF, {}, 1)));
    QCoreApplication::processEvents(); // the release goes out and stays unanswered
    sched.advance(60000);
    QCoreApplication::processEvents();
    EXPECT_EQ(failed, 0);
    EXPECT_FALSE(prompt.saw("Read block error!"));
    EXPECT_EQ(blocks().size(), 1u);
}

TEST_F(Blocks, ProgramWithoutEndRecordEndsAfterTheQueue)
{
    prog->ReadProgram(3, 0);
    port.feed(ackBytes());
    for (int i = 0; i < 128; ++i)
        port.feed(toBytes(rec(1, {}, i)));
    EXPECT_EQ(blocks().size(), 128u);
    EXPECT_EQ(prog->records().size(), 128);
}

TEST_F(Blocks, SilentUnitEndsTheReadWithAnErrorAndKeepsTheBlockList)
{
    const TBlocks before = blocks();
    int failed = 0;
    QObject::connect(prog.get(), &BlockProgram::readFailed, [&] { ++failed; });
    prog->ReadProgram(3, 0);
    port.feed(ackBytes());
    port.feed(toBytes(rec(7, {}, 0)));
    sched.advance(60000);
    QCoreApplication::processEvents();
    EXPECT_EQ(failed, 1);
    EXPECT_EQ(prompt.texts(), QStringList{"Read block error!"});
    ASSERT_EQ(blocks().size(), before.size());
    EXPECT_EQ(blocks()[1].type, 16);
    EXPECT_FALSE(prog->reading());
}

TEST_F(Blocks, SingleBlockReadUpdatesSavesAndShows)
{
    prompt.queue(PromptAnswer::No);
    EXPECT_FALSE(prog->ReadSingleBlock(EncodeReference(0, 0, 2)));
    EXPECT_EQ(prompt.lastText(), "Are you sure read block ?");
    EXPECT_TRUE(port.writes.isEmpty());
    EXPECT_TRUE(sched.isActive("Timer4"));

    QList<std::tuple<int, double, QString>> shown;
    QObject::connect(prog.get(), &BlockProgram::blockValueShown,
                     [&](int ref, double v, const QString &u) { shown.append({ref, v, u}); });
    prompt.queue(PromptAnswer::Yes);
    ASSERT_TRUE(prog->ReadSingleBlock(EncodeReference(0, 0, 2)));
    EXPECT_EQ(rt->mode(), StationRuntime::ModeSingleBlockRead);
    ASSERT_EQ(port.writes.size(), 1);
    EXPECT_EQ(port.writes[0], toBytes(BuildReadRecordFrame(3, 3, 3))) << "the counter's record position";
    port.feed(toBytes(rec(15, {{9, 0x00}, {10, 0x12}, {11, 0x34}}, 3)));
    EXPECT_EQ(blocks()[2].type, 15);
    EXPECT_EQ(blocks()[2].parameter, 1234);
    EXPECT_EQ(rt->panelText(1), " read !");
    EXPECT_EQ(rt->mode(), StationRuntime::ModePolling);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0], std::make_tuple(EncodeReference(0, 0, 2), 1234.0, QString()));
    ASSERT_TRUE(QFile::exists(dir.file("Blocks.inf")));
    EXPECT_EQ(DecodeBlocksFile(dir.read("Blocks.inf"))[0][2].parameter, 1234);
    sched.advance(500);
    EXPECT_TRUE(sched.isActive("Timer4")) << "the supervision resumes polling";

    // The comparator takes byte 10 when byte 5 marks it, else byte 11.
    prompt.queue(PromptAnswer::Yes);
    ASSERT_TRUE(prog->ReadSingleBlock(EncodeReference(0, 0, 3)));
    port.feed(toBytes(rec(17, {{5, 0xFF}, {10, 66}, {11, 77}}, 4)));
    EXPECT_EQ(blocks()[3].parameter, 66);
    EXPECT_EQ(shown.last(), std::make_tuple(EncodeReference(0, 0, 3), 6.6, QString(" V")));
}
