// The master's work per data reply of a 20-channel unit: collect the bytes
// (as the line delivers them, in batches), check the checksum against the
// unit's analog mask, decode 20 digital states and 12 analog readings,
// signal the refresh, and send the next request. One request/reply pair
// takes 52 bytes, about 54 ms on the wire at 9600 baud; the figure to
// compare with is the time per iteration here.

#include "acquisition/StationRuntime.h"

#include "platform/ManualScheduler.h"
#include "platform/Prompt.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace scada;

namespace {

PointModel twentyChannelPlant()
{
    PointModel m;
    m.stationCount = 1;
    m.stations.resize(1);
    m.stations[0].name = "Bench";
    m.stations[0].portName = "COM1";
    TFtuRec u;
    u.name = "Q1";
    u.address = 1;
    u.mark = 1;
    u.size = 1;
    for (int ch = 0; ch < 12; ++ch) {
        u.yc[ch].kind = "Yc";
        u.yc[ch].coefficientA = 2.0;
        u.yc[ch].coefficientB = 0.5;
        m.ycFlags[0][ch] = true;
    }
    m.stations[0].units.push_back(u);
    return m;
}

QByteArray replyFrame(uint8_t b5)
{
    Frame f{};
    f[0] = 0xAA;
    f[1] = 1;
    f[2] = 0x09;
    f[3] = 0xFF;
    f[4] = 0x0F;
    f[5] = b5;
    f[6] = 0x0F;
    for (int i = 7; i <= 18; ++i)
        f[i] = uint8_t(i * 7);
    f[19] = 0x01;
    SealFrame(f);
    return toBytes(f);
}

void BM_DataReply(benchmark::State &state)
{
    const bool split = state.range(0) != 0;
    QTemporaryDir dir;
    ManualScheduler sched;
    FakeBytePort port;
    FakePrompt prompt;
    StationRuntime rt(dir.path(), nullptr, &port, &sched, &sched, &prompt);
    rt.InstallPointModel(twentyChannelPlant());
    long refreshed = 0;
    QObject::connect(&rt, &StationRuntime::unitRefreshed, [&](int, int) { ++refreshed; });
    sched.advance(400); // first poll out
    const QByteArray replies[2] = {replyFrame(0x81), replyFrame(0x7E)};
    long n = 0;
    for (auto _ : state) {
        const QByteArray &r = replies[n++ & 1];
        if (split) {
            port.feed(r.left(10));
            port.feed(r.mid(10, 10));
            port.feed(r.mid(20));
        } else {
            port.feed(r);
        }
        if (port.writes.size() > 4096)
            port.writes.clear();
    }
    if (refreshed != n || rt.framesCount() != quint32(n))
        state.SkipWithError("not every reply was accepted");
    state.SetItemsProcessed(n);
}
BENCHMARK(BM_DataReply)->Arg(0)->Arg(1)->ArgNames({"split"});

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
