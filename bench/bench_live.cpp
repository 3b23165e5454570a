// One refresh pass over a 1000-object picture after a data reply: 400
// analog read-outs, 300 digital lamps, 100 pulse objects, 50 unit symbols,
// 50 instruments of the refreshed kinds and 100 other objects, bound over
// four units. Values change on every reply, so every bound object is
// updated and repainted; the figure to compare with is the time between
// replies (about 54 ms per poll step at 9600 baud).

#include "pictures/PictureFile.h"
#include "pictures/ui/LivePicture.h"
#include "pictures/ui/PictureRuntime.h"

#include "platform/ManualScheduler.h"
#include "platform/Prompt.h"

#include <QApplication>
#include <QScrollArea>
#include <benchmark/benchmark.h>

using namespace scada;

namespace {

PointModel fourUnits()
{
    PointModel m;
    m.stationCount = 1;
    m.stations.resize(1);
    for (int u = 0; u < 4; ++u) {
        TFtuRec r;
        r.name = QString("U%1").arg(u);
        r.mark = 1;
        r.size = 1;
        m.stations[0].units.push_back(r);
    }
    m.blocks.resize(4);
    return m;
}

QByteArray thousandObjects()
{
    PictureDocument doc;
    doc.PageWidth = 8000;
    doc.PageHeight = 8000;
    auto place = [](TfrView *o, int i, int unit, int point) {
        o->Left = (i % 40) * 70;
        o->Top = (i / 40) * 40;
        o->Width = 60;
        o->Height = 30;
        o->BindStation = 1;
        o->BindUnit = uint16_t(unit + 1);
        o->BindPoint = uint16_t(point + 1);
    };
    int i = 0;
    for (int k = 0; k < 400; ++k, ++i) {
        auto *m = doc.AddAs<TfrMemoView>(gtMemo);
        m->LampMode = 1;
        m->Lines = QStringList{"0"};
        place(m, i, k % 4, k % 12);
    }
    for (int k = 0; k < 300; ++k, ++i)
        place(doc.Add(gtYx), i, k % 4, k % 20);
    for (int k = 0; k < 100; ++k, ++i)
        place(doc.Add(gtYm), i, k % 4, k % 5);
    for (int k = 0; k < 50; ++k, ++i)
        place(doc.Add(gtFtu), i, k % 4, 0);
    for (int k = 0; k < 50; ++k, ++i) {
        auto *o = doc.AddAs<TfrIoCompView>(gtIoComp);
        const int kinds[] = {0, 1, 2, 4, 5, 6, 7};
        o->InstrumentKind = uint16_t(kinds[k % 7]);
        place(o, i, k % 4, k % 12);
    }
    for (int k = 0; k < 100; ++k, ++i) {
        auto *s = doc.AddAs<TfrNewShapeView>(gtNewShape);
        place(s, i, 0, 0);
    }
    return WritePicture(doc);
}

void BM_RefreshPass1000(benchmark::State &state)
{
    ManualScheduler sched;
    FakePrompt prompt;
    PointModel model = fourUnits();
    QScrollArea scroll;
    PictureRuntimeEnvironment le;
    le.points = &model;
    le.timers = &sched;
    le.clock = &sched;
    PictureRuntime live(le);
    PictureEnvironment env;
    env.prompt = &prompt;
    env.ScrollBox1 = &scroll;
    env.points = &model;
    env.setupInstrument = [&](TfrIoCompView &o, QWidget *s) -> QWidget * { return live.SetUpInstrument(o, s); };
    LivePicture picture(env);
    live.attach(picture);
    picture.LoadAllObject(thousandObjects());
    int reply = 0;
    for (auto _ : state) {
        ++reply;
        auto &u = model.stations[0].units[size_t(reply % 4)];
        for (int p = 0; p < 20; ++p) {
            u.yc[size_t(p)].value = reply * 0.37 + p;
            u.yx[size_t(p)].state = ((reply + p) & 1) != 0;
        }
        for (auto &ym : u.ym)
            ym.value = reply * 1.5;
        live.RefreshPicture(reply % 4);
        benchmark::DoNotOptimize(live.LastRepaintCount());
    }
    state.counters["repainted"] = live.LastRepaintCount();
}
BENCHMARK(BM_RefreshPass1000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
