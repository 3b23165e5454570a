// Writing digital events the way the recorder does: the records of one data
// reply (up to 20 changes) in one transaction, on a real database file.
#include "platform/Prompt.h"
#include "store/Database.h"
#include "store/StoreSetup.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace scada;

static void BM_YxEventsPerReplyTransaction(benchmark::State &state)
{
    const int perReply = int(state.range(0));
    QTemporaryDir dir;
    FakePrompt prompt;
    Database db(dir.path());
    if (!CreateDataBase(db, prompt)) {
        state.SkipWithError("database not created");
        return;
    }
    db.createTableLike("YxDataTable", "YX20050312");
    qint64 index = 0;
    for (auto _ : state) {
        Transaction t(db);
        for (int i = 0; i < perReply; ++i) {
            ++index;
            db.insert("YX20050312.db", {{"Index", index},
                                        {"Station", "Station"},
                                        {"FtuName", "QEL01"},
                                        {"Point", "Digital12"},
                                        {"Riqi", QDate(2005, 3, 12)},
                                        {"Shijian", QTime(12, 0, 0)},
                                        {"Property", "Breaker"},
                                        {"StateChange", "Off->On"},
                                        {"Level", 0},
                                        {"Days", 30}});
        }
        t.commit();
    }
    state.SetItemsProcessed(state.iterations() * perReply);
}
BENCHMARK(BM_YxEventsPerReplyTransaction)->Arg(1)->Arg(20);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
