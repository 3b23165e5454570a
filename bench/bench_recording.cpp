// Recording cost of a 20-channel unit that changes every input and every
// analog channel on every reply: 20 event records and 12 analog rows, with
// their message lines, written in one transaction per reply on a real
// database file (WAL, synchronous=FULL).
//
// BM_RecorderReplies: the recorder alone; items/s are records per second.
// BM_MasterWorkPerReply: the whole master path per reply (bytes in, frame
// assembly, checksum, decoding, recording, next request out).
// wire_ratio is the time per reply divided by the 54 ms that one
// request/reply pair takes on the wire at 9600 baud (below 1 keeps up).
// The table_rows argument pre-fills today's tables, as late in a busy day.

#include "acquisition/Recorder.h"
#include "acquisition/StationRuntime.h"

#include "platform/ManualScheduler.h"
#include "platform/Prompt.h"
#include "store/Database.h"
#include "store/StoreSetup.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace scada;

namespace {

constexpr double kWireSeconds = 0.054;

PointModel twentyChannelPlant()
{
    PointModel m;
    m.stationCount = 1;
    m.stations.resize(1);
    m.stations[0].name = "Bench";
    m.stations[0].portName = "COM1";
    TFtuRec u;
    u.stationName = "Bench";
    u.name = "Q1";
    u.address = 1;
    u.mark = 1;
    u.size = 1;
    for (int ch = 0; ch < kChannels; ++ch) {
        u.yx[ch].name = QString("Input%1").arg(ch);
        u.yx[ch].soundEnabled = true;
        u.yc[ch].name = QString("Analog%1").arg(ch);
        if (ch < 12) {
            u.yc[ch].kind = "Yc";
            u.yc[ch].coefficientA = 2.0;
            m.ycFlags[0][ch] = true;
        }
    }
    m.stations[0].units.push_back(u);
    return m;
}

QByteArray replyFrame(bool on)
{
    Frame f{};
    f[0] = 0xAA;
    f[1] = 1;
    f[2] = 0x09;
    f[3] = 0xFF;
    f[4] = 0x0F;
    f[5] = on ? 0xFF : 0;
    f[6] = on ? 0x0F : 0;
    f[19] = on ? 0xFF : 0;
    for (int i = 0; i < 12; ++i)
        f[18 - i] = uint8_t(on ? 100 + i : 50 + i);
    SealFrame(f);
    return toBytes(f);
}

struct Plant {
    QTemporaryDir dir{QDir::currentPath() + "/bench-recording-XXXXXX"};
    ManualScheduler sched;
    FakeBytePort port;
    FakePrompt prompt;
    std::unique_ptr<Database> db;
    std::unique_ptr<StationRuntime> rt;
    std::unique_ptr<Recorder> rec;

    explicit Plant(int prefill)
    {
        QDir(dir.path()).mkpath("Table");
        db = std::make_unique<Database>(dir.path());
        db->open();
        CreateDatabaseTable(*db);
        rt = std::make_unique<StationRuntime>(dir.path(), db.get(), &port, &sched, &sched, &prompt);
        rec = std::make_unique<Recorder>(*rt, *db, prompt, sched, sched);
        rt->InstallPointModel(twentyChannelPlant());
        DailyTables daily(*db, prompt, sched);
        daily.EnsureDailyTable(1);
        daily.EnsureDailyTable(3);
        if (prefill > 0) {
            Transaction t(*db);
            for (int i = 1; i <= prefill; ++i) {
                db->insert(daily.currentDailyTable(1), {{"Index", i}, {"Station", "Bench"}, {"Point", "Old"}});
                db->insert(daily.currentDailyTable(3), {{"Index", i}, {"Station", "Bench"}, {"Value", 1.0}});
            }
            t.commit();
        }
    }
    qint64 records() const
    {
        return db->recordCount(DailyTableName(1, sched.now().date()))
               + db->recordCount(DailyTableName(3, sched.now().date()));
    }
};

void wireRatio(benchmark::State &state)
{
    state.counters["wire_ratio"] = benchmark::Counter(
        kWireSeconds, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_RecorderReplies(benchmark::State &state)
{
    Plant p(int(state.range(0)));
    TFtuRec &u = p.rt->model().station()->units[0];
    const qint64 before = p.records();
    long n = 0;
    for (auto _ : state) {
        const bool on = (n++ & 1) == 0;
        for (int ch = 0; ch < kChannels; ++ch)
            u.yx[ch].state = on;
        for (int ch = 0; ch < 12; ++ch)
            u.yc[ch].value = on ? 100 + ch : 50 + ch;
        p.rec->RecordDigitalChanges(0, 0, "12:00:00");
        p.rec->RecordAnalogHistory(1);
    }
    const qint64 written = p.records() - before;
    if (written != n * 32)
        state.SkipWithError("not every record was written");
    state.SetItemsProcessed(written);
    wireRatio(state);
}
BENCHMARK(BM_RecorderReplies)->Arg(0)->Arg(100000)->ArgNames({"table_rows"})->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MasterWorkPerReply(benchmark::State &state)
{
    Plant p(int(state.range(0)));
    p.sched.advance(400); // first poll out
    const QByteArray replies[2] = {replyFrame(true), replyFrame(false)};
    const qint64 before = p.records();
    long n = 0;
    for (auto _ : state) {
        p.port.feed(replies[n++ & 1]);
        if (p.port.writes.size() > 4096)
            p.port.writes.clear();
    }
    const qint64 written = p.records() - before;
    if (written != n * 32 || p.rt->framesCount() != quint32(n))
        state.SkipWithError("not every reply was recorded");
    state.SetItemsProcessed(n);
    wireRatio(state);
}
BENCHMARK(BM_MasterWorkPerReply)->Arg(0)->Arg(100000)->ArgNames({"table_rows"})->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
