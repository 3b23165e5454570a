#include "Printers.h"
#include "common/Errors.h"
#include "platform/Prompt.h"
#include "store/DataModule.h"
#include "store/StoreSetup.h"
#include "support/TempDir.h"

#include <QSqlError>
#include <QSqlRecord>
#include <gtest/gtest.h>

using namespace scada;

namespace {

struct ModulePlant {
    TempPlant dir;
    FakePrompt prompt;
    Database db{dir.path()};
    std::unique_ptr<TDataModule1> dm;
    ModulePlant()
    {
        EXPECT_TRUE(CreateDataBase(db, prompt));
        dm = std::make_unique<TDataModule1>(db);
    }
    ~ModulePlant() { dm.reset(); }
};

} // namespace

TEST(TDataModule1, DatasetsAreNamedAndClosedAfterCreation)
{
    ModulePlant p;
    for (const char *name : {"MainTable", "FtuTable", "YcTable", "YxTable", "YmTable", "VarTable"}) {
        auto *t = p.dm->findChild<DataTable *>(name);
        ASSERT_NE(t, nullptr) << name;
        EXPECT_FALSE(t->isOpen()) << name;
        EXPECT_EQ(t->rowCount(), 0) << name;
    }
    for (const char *name : {"YcDataQuery", "YmQuery"}) {
        auto *q = p.dm->findChild<DataQuery *>(name);
        ASSERT_NE(q, nullptr) << name;
        EXPECT_FALSE(q->isOpen()) << name;
    }
}

TEST(TDataModule1, TableOpensWithItsFilterKeepsItAcrossCloseAndPostsEditsByTheWriterRules)
{
    ModulePlant p;
    for (const char *s : {"O'Neil", "North", "South"})
        p.db.insert("MainTable", {{"Station", s}, {"SaveTime", 300}});
    DataTable *t = p.dm->MainTable;
    t->setFilterEquals({{"Station", "O'Neil"}});
    t->open();
    ASSERT_EQ(t->rowCount(), 1);
    const int remark = t->record().indexOf("Remark");
    const int saveTime = t->record().indexOf("SaveTime");
    EXPECT_TRUE(t->setData(t->index(0, remark), QString(250, QLatin1Char('r'))));
    EXPECT_FALSE(t->setData(t->index(0, saveTime), 65000)); // beyond int16
    EXPECT_TRUE(t->lastError().text().contains("SaveTime"));
    ASSERT_TRUE(t->submitAll());
    t->close();
    EXPECT_FALSE(t->isOpen());
    EXPECT_EQ(t->rowCount(), 0);

    t->open(); // filter kept
    ASSERT_EQ(t->rowCount(), 1);
    EXPECT_EQ(t->data(t->index(0, remark)).toString(), QString(200, QLatin1Char('r')));
    EXPECT_EQ(t->data(t->index(0, saveTime)).toInt(), 300);
    t->close();

    // A table that is missing cannot be opened.
    t->setTableName("NoSuchTable.db");
    EXPECT_THROW(t->open(), EDBEngineError);
}

TEST(TDataModule1, YcDataQuerySelectsByCaseInsensitiveBoundParameters)
{
    ModulePlant p;
    struct Row {
        const char *station, *ftu;
        QDate date;
        int type;
    } rows[] = {
        {"S1", "Q1", QDate(2005, 3, 12), 1}, {"S1", "Q1", QDate(2005, 3, 12), 0},
        {"S1", "Q2", QDate(2005, 3, 12), 1}, {"S1", "Q1", QDate(2005, 3, 13), 1},
        {"S1", "Q1", QDate(2005, 3, 12), 1},
    };
    int index = 0;
    for (const Row &r : rows)
        p.db.insert("YcDataTable", {{"Index", ++index},
                                    {"Station", r.station},
                                    {"FtuName", r.ftu},
                                    {"Riqi", r.date},
                                    {"SjType", r.type}});
    DataQuery *q = p.dm->YcDataQuery;
    EXPECT_EQ(q->paramNames(), QStringList({"StationName", "aFtuName", "Dates", "aSjTYpe"}));
    q->setParam("stationname", "S1");
    q->setParam("AFTUNAME", "Q1");
    q->setParam("Dates", QDate(2005, 3, 12));
    q->setParam("asjtype", 1);
    EXPECT_THROW(q->setParam("Nope", 1), EDBEngineError);
    q->open();
    EXPECT_TRUE(q->isOpen());
    EXPECT_EQ(q->columnCount(), 9);
    ASSERT_EQ(q->rowCount(), 2);
    EXPECT_EQ(q->record(0).value("Index").toInt(), 1);
    EXPECT_EQ(q->record(1).value("Index").toInt(), 5);

    q->setParam("aFtuName", "Q1' OR '1'='1");
    q->open();
    EXPECT_EQ(q->rowCount(), 0);
    q->close();
    EXPECT_FALSE(q->isOpen());
}
