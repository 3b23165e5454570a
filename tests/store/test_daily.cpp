#include "platform/ManualScheduler.h"
#include "platform/Prompt.h"
#include "Printers.h"
#include "store/Database.h"
#include "store/StoreSetup.h"
#include "support/TempDir.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace scada;

namespace {

struct DailyPlant {
    TempPlant dir;
    FakePrompt prompt;
    Database db{dir.path()};
    ManualScheduler clock{QDateTime(QDate(2005, 3, 12), QTime(23, 59, 59))};
    DailyTables daily{db, prompt, clock};
    int terminations = 0;
    DailyPlant()
    {
        EXPECT_TRUE(CreateDataBase(db, prompt));
        daily.setTerminateHandler([this] { ++terminations; });
    }
    QStringList list(int kind, QDate first, QDate last) const
    {
        QStringList out;
        daily.ListDailyTables(kind, first, last, out);
        return out;
    }
};

QStringList fieldNames(const TableDef &def)
{
    QStringList out;
    for (const FieldDef &f : def.fields)
        out << f.name;
    return out;
}

} // namespace

TEST(DailyTableName, PrefixPaddedDateAndSuffix)
{
    struct Case {
        int kind;
        QDate date;
        const char *name;
    } cases[] = {
        {0, QDate(2005, 3, 12), "syc20050312.db"}, {1, QDate(2005, 3, 12), "YX20050312.db"},
        {2, QDate(999, 1, 2), "YM09990102.db"},    {3, QDate(2026, 12, 31), "YC20261231.db"},
        {4, QDate(2005, 3, 12), ""},               {-1, QDate(2005, 3, 12), ""},
        {1, QDate(), ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(DailyTableName(c.kind, c.date), QString(c.name)) << c.kind;
}

TEST(ListDailyTables, SelectsTheKindsTablesOfTheRangeOnly)
{
    DailyPlant p;
    for (const char *t : {"YX20050313", "YX20050311", "yx20050312", "YX20050315", "YC20050312", "Yx200503"})
        p.db.createTableLike("YxDataTable", t);
    CreateBackupTable(p.db, "QueryYxTemp");
    p.daily.PrepareHistoryTables(); // working copies tempyx & co.

    const QDate d11(2005, 3, 11), d12(2005, 3, 12), d13(2005, 3, 13), d14(2005, 3, 14), d20(2005, 3, 20);
    struct Case {
        const char *what;
        int kind;
        QDate first, last;
        QStringList expected;
    } cases[] = {
        {"range, in table order, name as stored", 1, d12, d14, {"YX20050313", "yx20050312"}},
        {"one day", 1, d13, d13, {"YX20050313"}},
        {"whole month", 1, QDate(2005, 3, 1), QDate(2005, 3, 31),
         {"YX20050313", "YX20050311", "yx20050312", "YX20050315"}},
        {"start after end", 1, d14, d11, {}},
        {"days without tables", 1, QDate(2005, 3, 16), d20, {}},
        {"other kind", 3, d11, d20, {"YC20050312"}},
        {"kind without tables", 0, d11, d20, {}},
        {"kind out of range", 7, d11, d20, {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(p.list(c.kind, c.first, c.last), c.expected) << c.what;

    // The list is appended to, not replaced.
    QStringList out{"keep"};
    p.daily.ListDailyTables(1, d13, d13, out);
    EXPECT_EQ(out, QStringList({"keep", "YX20050313"}));
}

TEST(EnsureDailyTable, FirstWriteAfterMidnightGoesToTheNewDaysTable)
{
    DailyPlant p;
    ASSERT_TRUE(p.daily.EnsureDailyTable(1));
    EXPECT_EQ(p.daily.currentDailyTable(1), "YX20050312.db");
    p.db.insert(p.daily.currentDailyTable(1), {{"Index", 1}, {"Point", "before"}});

    p.clock.advance(1000); // 00:00:00 of the 13th
    ASSERT_TRUE(p.daily.EnsureDailyTable(1));
    EXPECT_EQ(p.daily.currentDailyTable(1), "YX20050313.db");
    p.db.insert(p.daily.currentDailyTable(1), {{"Index", 1}, {"Point", "after"}});

    EXPECT_EQ(p.db.rows("YX20050312")[0]["Point"].toString(), "before");
    ASSERT_EQ(p.db.recordCount("YX20050313"), 1);
    EXPECT_EQ(p.db.rows("YX20050313")[0]["Point"].toString(), "after");
    // Same layout as the template, key included; the template stays empty.
    const TableDef copy = p.db.layout("YX20050313");
    EXPECT_EQ(fieldNames(copy), fieldNames(p.db.layout("YxDataTable")));
    EXPECT_TRUE(copy.keyed);
    EXPECT_EQ(p.db.recordCount("YxDataTable"), 0);

    // Ensuring again keeps the day's rows; other kinds have their own names.
    ASSERT_TRUE(p.daily.EnsureDailyTable(1));
    EXPECT_EQ(p.db.recordCount("YX20050313"), 1);
    ASSERT_TRUE(p.daily.EnsureDailyTable(3));
    EXPECT_EQ(p.daily.currentDailyTable(3), "YC20050313.db");
    EXPECT_EQ(fieldNames(p.db.layout("YC20050313")).at(3), "PointName");
    EXPECT_EQ(p.daily.currentDailyTable(0), "");
    EXPECT_FALSE(p.daily.EnsureDailyTable(4));
    EXPECT_EQ(p.terminations, 0);
    EXPECT_TRUE(p.prompt.shown.isEmpty());
}

TEST(PrepareHistoryTables, EmptiesTemplatesCreatesMissingCopiesAndKeepsExistingOnes)
{
    DailyPlant p;
    p.db.insert("YxDataTable", {{"Index", 1}});
    p.db.insert("YcDataTable", {{"Index", 1}});
    p.db.insert("StationYcDataTable", {{"Index", 1}});
    p.db.insert("YmDataTable", {{"Index", 1}});
    // One working copy already exists with rows and a layout of its own.
    p.db.exec("CREATE TABLE tempyx (Extra TEXT)");
    p.db.exec("INSERT INTO tempyx VALUES ('left alone')");

    p.daily.PrepareHistoryTables();
    for (const char *t : {"YxDataTable", "YcDataTable", "StationYcDataTable", "YmDataTable"})
        EXPECT_EQ(p.db.recordCount(t), 0) << t;
    EXPECT_EQ(fieldNames(p.db.layout("tempyx")), QStringList({"Extra"}));
    EXPECT_EQ(p.db.recordCount("tempyx"), 1);
    EXPECT_EQ(fieldNames(p.db.layout("tempSyc")), fieldNames(p.db.layout("StationYcDataTable")));
    EXPECT_EQ(fieldNames(p.db.layout("tempyc")), fieldNames(p.db.layout("YcDataTable")));
    EXPECT_EQ(fieldNames(p.db.layout("tempym")), fieldNames(p.db.layout("YmDataTable")));

    // A second run with all copies present copies nothing.
    p.db.insert("tempyc", {{"Index", 7}});
    const QStringList before = p.db.tables();
    p.daily.PrepareHistoryTables();
    EXPECT_EQ(p.db.tables(), before);
    EXPECT_EQ(p.db.recordCount("tempyc"), 1);
    EXPECT_TRUE(p.prompt.shown.isEmpty());
}

TEST(DailyTemplates, MissingTemplateShowsItsPathAndRequestsTermination)
{
    for (bool viaPrepare : {false, true}) {
        SCOPED_TRACE(viaPrepare ? "PrepareHistoryTables" : "EnsureDailyTable");
        DailyPlant p;
        p.db.dropTable("YxDataTable");
        if (viaPrepare)
            p.daily.PrepareHistoryTables();
        else
            EXPECT_FALSE(p.daily.EnsureDailyTable(1));
        EXPECT_EQ(p.prompt.texts(),
                  QStringList({QDir::toNativeSeparators(p.dir.path() + "/Table/YxDataTable.db") + "is not found!"}));
        EXPECT_EQ(p.terminations, 1);
        EXPECT_TRUE(p.daily.terminateRequested());
        EXPECT_FALSE(p.db.hasTable("YX20050312"));
        EXPECT_FALSE(p.db.hasTable("tempyx"));
    }
}

TEST(StatisticsAndBackupTables, LayoutsChosenByName)
{
    DailyPlant p;
    CreateStatisticsTables(p.db);
    EXPECT_EQ(p.db.layout("QelInfo").fields.size(), 4 + 24 + 1);
    EXPECT_EQ(p.db.layout("PointInfo").fields.at(5).name, "1");
    EXPECT_EQ(p.db.layout("PointInfo").fields.at(29).name, "Total");
    EXPECT_EQ(p.db.layout("PointTemp").fields.last().name, "Point12");
    p.db.insert("QelInfo", {{"24", "123456"}});
    EXPECT_EQ(p.db.rows("QelInfo")[0]["24"].toString(), "12345");

    struct Case {
        const char *name;
        bool made;
        const char *third; // name of the fourth field
        int fields;
    } cases[] = {
        {"Yx200503", true, "Point", 11},     {"Yc200503", true, "PointName", 9},
        {"QueryYxTemp", true, "Point", 11},  {"QueryYcTemp", true, "Point", 9},
        {"Other", false, "", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CreateBackupTable(p.db, c.name), c.made);
        const TableDef got = p.db.layout(c.name);
        EXPECT_EQ(got.fields.size(), c.fields);
        if (c.made) {
            EXPECT_EQ(got.fields.at(3).name, c.third);
            EXPECT_FALSE(got.keyed);
        }
    }
    EXPECT_EQ(p.db.layout("Yx200503").fields.at(6).size, 20); // Property widened in backups
    EXPECT_EQ(MonthlyBackupTableName("Yc", 2005, 3), "Yc200503");
    // Existing backup tables are not re-created.
    p.db.insert("Yx200503", {{"Index", 1}});
    EXPECT_TRUE(CreateBackupTable(p.db, "Yx200503"));
    EXPECT_EQ(p.db.recordCount("Yx200503"), 1);
}
