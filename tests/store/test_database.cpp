#include "common/Errors.h"
#include "platform/Prompt.h"
#include "Printers.h"
#include "store/Database.h"
#include "store/StoreSetup.h"
#include "support/TempDir.h"

#include <QDir>
#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace scada;

namespace {

QStringList fieldNames(const TableDef &def)
{
    QStringList out;
    for (const FieldDef &f : def.fields)
        out << f.name;
    return out;
}

// A plant folder with a fresh database created by CreateDataBase.
struct Plant {
    TempPlant dir;
    FakePrompt prompt;
    Database db{dir.path()};
    Plant() { EXPECT_TRUE(CreateDataBase(db, prompt)); }
};

} // namespace

TEST(CreateDataBase, EmptyFolderGetsTheElevenStartupTablesEmptyAndKeyed)
{
    Plant p;
    EXPECT_TRUE(QFileInfo(p.dir.file("Table")).isDir());
    EXPECT_TRUE(QFileInfo(p.dir.file("Table/DuvUrovuDe.sqlite")).isFile());
    EXPECT_TRUE(p.prompt.shown.isEmpty());
    QSqlQuery mode = p.db.exec("PRAGMA journal_mode");
    ASSERT_TRUE(mode.next());
    EXPECT_EQ(mode.value(0).toString(), "wal");
    QSqlQuery sync = p.db.exec("PRAGMA synchronous");
    ASSERT_TRUE(sync.next());
    EXPECT_EQ(sync.value(0).toInt(), 2); // FULL
    EXPECT_EQ(p.db.tables(),
              QStringList({"MainTable", "FtuTable", "YcTable", "YxTable", "YmTable", "VarTable", "YcDataTable",
                           "StationYcDataTable", "YxDataTable", "YmDataTable", "CommErrorTable"}));
    for (const TableDef &def : StartupTables()) {
        SCOPED_TRACE(def.name.toStdString());
        const TableDef got = p.db.layout(def.name);
        EXPECT_EQ(fieldNames(got), fieldNames(def));
        for (int i = 0; i < def.fields.size(); ++i) {
            EXPECT_EQ(got.fields[i].type, def.fields[i].type) << def.fields[i].name.toStdString();
            EXPECT_EQ(got.fields[i].size, def.fields[i].size) << def.fields[i].name.toStdString();
        }
        EXPECT_EQ(got.keyed, def.keyed);
        EXPECT_EQ(p.db.recordCount(def.name), 0);
    }
    // Keyed are exactly the five history/log tables.
    QStringList keyed;
    for (const TableDef &def : StartupTables())
        if (p.db.layout(def.name).keyed)
            keyed << def.name;
    EXPECT_EQ(keyed, QStringList({"YcDataTable", "StationYcDataTable", "YxDataTable", "YmDataTable",
                                  "CommErrorTable"}));
}

TEST(CreateDataBase, FieldsMatchTheDocumentedLayoutAtKnownPositions)
{
    Plant p;
    struct Case {
        const char *table;
        int position;
        const char *field;
        FieldType type;
        int size;
        int fieldCount;
    } cases[] = {
        {"MainTable", 13, "Remark", FieldType::String, 200, 16},
        {"MainTable", 15, "UseModem", FieldType::Bool, 0, 16},
        {"FtuTable", 12, "PassWord", FieldType::String, 10, 13},
        {"YcTable", 5, "Property", FieldType::String, 8, 16},
        {"YcTable", 15, "YxYcFlag", FieldType::String, 2, 16},
        {"YxTable", 5, "Property", FieldType::String, 12, 19},
        {"YxTable", 17, "SaveDays", FieldType::Int32, 0, 19},
        {"YmTable", 8, "Quotiety_B", FieldType::Float, 0, 9},
        {"VarTable", 6, "VarFrom", FieldType::Int32, 0, 7},
        {"YcDataTable", 7, "SjType", FieldType::Int16, 0, 9},
        {"YxDataTable", 3, "Point", FieldType::String, 12, 11},
        {"YxDataTable", 5, "Shijian", FieldType::Time, 0, 11},
        {"YmDataTable", 9, "BjWoGong", FieldType::Float, 0, 10},
        {"CommErrorTable", 3, "Date", FieldType::Date, 0, 5},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.table);
        const TableDef got = p.db.layout(c.table);
        ASSERT_EQ(got.fields.size(), c.fieldCount);
        EXPECT_EQ(got.fields[c.position].name, c.field);
        EXPECT_EQ(got.fields[c.position].type, c.type);
        EXPECT_EQ(got.fields[c.position].size, c.size);
    }
}

TEST(CreateDataBase, ExistingTablesKeepTheirFieldsAndRowsOnlyMissingOnesAreCreated)
{
    TempPlant dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("Table"));
    {
        Database pre(dir.path());
        ASSERT_TRUE(pre.open());
        pre.exec("CREATE TABLE MainTable (Station TEXT, Extra TEXT)");
        pre.exec("INSERT INTO MainTable VALUES ('North', 'kept')");
        pre.exec("CREATE TABLE ftutable (FtuName TEXT)"); // other letter case counts as present
        pre.exec("INSERT INTO ftutable VALUES ('Q1')");
    }
    FakePrompt prompt;
    Database db(dir.path());
    ASSERT_TRUE(CreateDataBase(db, prompt));
    EXPECT_EQ(db.tables().size(), 11);
    EXPECT_EQ(fieldNames(db.layout("MainTable")), QStringList({"Station", "Extra"}));
    const auto main = db.rows("MainTable");
    ASSERT_EQ(main.size(), 1);
    EXPECT_EQ(main[0]["Extra"].toString(), "kept");
    EXPECT_TRUE(db.hasTable("FtuTable"));
    EXPECT_EQ(db.recordCount("FtuTable"), 1);
    EXPECT_EQ(fieldNames(db.layout("FtuTable")), QStringList({"FtuName"}));
    EXPECT_EQ(db.layout("YxDataTable").fields.size(), 11);

    // A second start changes nothing.
    db.close();
    Database again(dir.path());
    ASSERT_TRUE(CreateDataBase(again, prompt));
    EXPECT_EQ(again.tables().size(), 11);
    EXPECT_EQ(again.recordCount("MainTable"), 1);
}

TEST(CreateDataBase, DirectoryThatCannotBeCreatedRaisesCannotCreate)
{
    for (bool tableIsFile : {true, false}) {
        SCOPED_TRACE(tableIsFile ? "Table is a file" : "plant folder missing");
        TempPlant dir;
        QString plant = dir.path();
        if (tableIsFile)
            dir.write("Table", "not a folder");
        else
            plant = dir.file("gone");
        FakePrompt prompt;
        Database db(plant);
        try {
            CreateDataBase(db, prompt);
            FAIL() << "no exception";
        } catch (const ScadaError &e) {
            EXPECT_EQ(e.message(), "Cannot create " + plant + "/Table");
        }
        if (tableIsFile) {
            EXPECT_EQ(dir.read("Table"), QByteArray("not a folder"));
        }
        EXPECT_FALSE(db.isOpen());
    }
}

TEST(CreateDataBase, UnusableDatabaseFileShowsNoBdeAndCreatesNothing)
{
    for (bool asFolder : {true, false}) {
        SCOPED_TRACE(asFolder ? "file is a folder" : "file is not a database");
        TempPlant dir;
        ASSERT_TRUE(QDir(dir.path()).mkpath("Table"));
        const QByteArray junk(4096, 'x');
        if (asFolder)
            ASSERT_TRUE(QDir(dir.path()).mkpath("Table/DuvUrovuDe.sqlite"));
        else
            dir.write("Table/DuvUrovuDe.sqlite", junk);
        FakePrompt prompt;
        Database db(dir.path());
        EXPECT_FALSE(CreateDataBase(db, prompt));
        EXPECT_EQ(prompt.texts(), QStringList({"No BDE,Install it!"}));
        EXPECT_FALSE(db.isOpen());
        EXPECT_TRUE(db.tables().isEmpty());
        if (!asFolder) {
            EXPECT_EQ(dir.read("Table/DuvUrovuDe.sqlite"), junk);
        }
    }
}

TEST(DatabaseWriter, TextIsCutToTheFieldSizeAndStoredVerbatim)
{
    Plant p;
    const QString chinese = QString::fromUtf8("\xe5\x8f\x98\xe7\x94\xb5\xe7\xab\x99"); // three characters
    const QString hostile = "x'); DROP TABLE YxTable;--";
    p.db.insert("YxDataTable.db", {{"Index", 1},
                                   {"Point", "Breaker-North-01"},
                                   {"StateChange", hostile},
                                   {"Station", chinese}});
    const auto rows = p.db.rows("YxDataTable");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0]["Point"].toString(), "Breaker-Nort"); // 12 characters
    EXPECT_EQ(rows[0]["StateChange"].toString(), hostile.left(15));
    EXPECT_EQ(rows[0]["Station"].toString(), chinese);
    EXPECT_TRUE(p.db.hasTable("YxTable"));

    p.db.update("YxDataTable", {{"Property", "ABCDEFGHIJ"}}, "\"Index\" = ?", {1});
    EXPECT_EQ(p.db.rows("YxDataTable")[0]["Property"].toString(), "ABCDEFGH");
}

TEST(DatabaseWriter, WholeNumbersOutsideTheirFieldRangeAreDatabaseErrors)
{
    Plant p;
    struct Case {
        const char *field;
        QVariant value;
        bool ok;
    } cases[] = {
        {"Mark", 32767, true},           {"Mark", -32768, true},
        {"Mark", 32768, false},          {"Mark", -32769, false},
        {"Mark", 70000.0, false},        {"Mark", QString("40000"), false},
        {"FtuAddress", 12.4, true},      {"YcNum", qint64(1) << 40, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.field) + "=" + c.value.toString().toStdString());
        if (c.ok) {
            EXPECT_NO_THROW(p.db.insert("FtuTable", {{c.field, c.value}}));
        } else {
            EXPECT_THROW(p.db.insert("FtuTable", {{c.field, c.value}}), EDBEngineError);
        }
    }
    EXPECT_EQ(p.db.recordCount("FtuTable"), 3);
    EXPECT_EQ(p.db.rows("FtuTable")[2]["FtuAddress"].toInt(), 12);

    // int32 fields
    EXPECT_NO_THROW(p.db.insert("YxTable", {{"NormalColor", 2147483647LL}}));
    EXPECT_THROW(p.db.insert("YxTable", {{"NormalColor", 2147483648LL}}), EDBEngineError);
    // The range also holds for writers that bypass the typed writer.
    EXPECT_THROW(p.db.exec("INSERT INTO FtuTable (Mark) VALUES (40000)"), EDBEngineError);
    // Text that is no number, and unknown fields.
    EXPECT_THROW(p.db.insert("FtuTable", {{"Mark", "abc"}}), EConvertError);
    EXPECT_THROW(p.db.insert("FtuTable", {{"NoSuchField", 1}}), EDBEngineError);
    EXPECT_THROW(p.db.insert("NoSuchTable", {{"Mark", 1}}), EDBEngineError);
    EXPECT_EQ(p.db.recordCount("FtuTable"), 3);
}

TEST(DatabaseWriter, DatesTimesBoolsAndEmptyValuesAreStoredInTheirTextForms)
{
    Plant p;
    p.db.insert("YxDataTable", {{"Index", 1},
                                {"Riqi", QDate(2005, 3, 12)},
                                {"Shijian", QTime(7, 5, 9)},
                                {"AlarmOn", false}});
    p.db.insert("YxDataTable", {{"Index", 2}, {"Riqi", "2005-03-13"}, {"Shijian", QVariant()}, {"Level", ""}});
    QSqlQuery q = p.db.exec("SELECT Riqi, Shijian, AlarmOn, typeof(AlarmOn), typeof(Level) FROM YxDataTable "
                            "ORDER BY \"Index\"");
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), "2005-03-12");
    EXPECT_EQ(q.value(1).toString(), "07:05:09");
    EXPECT_EQ(q.value(2).toInt(), 0);
    ASSERT_TRUE(q.next());
    EXPECT_TRUE(q.value(1).isNull());
    EXPECT_EQ(q.value(3).toString(), "null"); // AlarmOn left empty
    EXPECT_EQ(q.value(4).toString(), "null");

    const auto rows = p.db.rows("YxDataTable");
    EXPECT_EQ(rows[0]["Riqi"].toDate(), QDate(2005, 3, 12));
    EXPECT_EQ(rows[0]["Shijian"].toTime(), QTime(7, 5, 9));
    EXPECT_EQ(rows[0]["AlarmOn"].typeId(), QMetaType::Bool);
    EXPECT_FALSE(rows[0]["AlarmOn"].toBool());
    EXPECT_TRUE(rows[1]["AlarmOn"].isNull());
    EXPECT_THROW(p.db.insert("YxDataTable", {{"Riqi", "12/03/2005"}}), EConvertError);
}

TEST(DatabaseWriter, RowsComeBackInTableOrderAndFilterWithBoundArguments)
{
    Plant p;
    for (const char *name : {"Q3", "Q1", "Q2"})
        p.db.insert("FtuTable", {{"FtuName", name}, {"Station", "S"}});
    QStringList order;
    for (const auto &r : p.db.rows("FtuTable"))
        order << r["FtuName"].toString();
    EXPECT_EQ(order, QStringList({"Q3", "Q1", "Q2"}));
    const auto one = p.db.rows("FtuTable", "FtuName = ?", {"Q1' OR '1'='1"});
    EXPECT_TRUE(one.isEmpty());
    EXPECT_EQ(p.db.remove("FtuTable", "FtuName = ?", {"Q1"}), 1);
    EXPECT_EQ(p.db.recordCount("FtuTable"), 2);
}

TEST(DatabaseTransaction, UncommittedWorkIsRolledBackCommittedWorkIsSeenByOthers)
{
    Plant p;
    {
        Transaction t(p.db);
        p.db.insert("YcDataTable", {{"Index", 1}, {"Value", 1.5}});
        p.db.insert("YcDataTable", {{"Index", 2}, {"Value", 2.5}});
    }
    EXPECT_EQ(p.db.recordCount("YcDataTable"), 0);
    EXPECT_FALSE(p.db.inTransaction());
    {
        Transaction t(p.db);
        p.db.insert("YcDataTable", {{"Index", 1}, {"Value", 1.5}});
        EXPECT_THROW(p.db.insert("YcDataTable", {{"Index", 1}, {"Value", 9.0}}), EDBEngineError); // key taken
        t.commit();
    }
    Database other(p.dir.path());
    ASSERT_TRUE(other.open());
    const auto rows = other.rows("YcDataTable");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_DOUBLE_EQ(rows[0]["Value"].toDouble(), 1.5);
}
