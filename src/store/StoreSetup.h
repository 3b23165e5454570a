#pragma once
// Making sure the plant's database exists at start-up, and the tables that
// are created per day or as working copies of the history templates.

#include "store/Database.h"

#include <QDate>
#include <QStringList>
#include <functional>

namespace scada {

class Prompt;
class Clock;

// Creates the database directory (only its last component) when missing and
// opens the database. A directory that cannot be created throws ScadaError
// with the text "Cannot create " + directory. A database that cannot be
// opened shows "No BDE,Install it!", creates nothing and returns false; the
// start goes on. Otherwise runs CreateDatabaseTable and returns true.
bool CreateDataBase(Database &db, Prompt &prompt);

// Creates every start-up table that is missing (names compared without
// regard to case). Existing tables are never altered.
void CreateDatabaseTable(Database &db);

// Creates the statistics working tables (QelInfo, PointInfo, PointTemp)
// that are missing.
void CreateStatisticsTables(Database &db);

// Creates a backup table with the layout its name selects (see
// BackupTableDef) when it is missing. Returns false when the name selects
// no layout.
bool CreateBackupTable(Database &db, const QString &name);

// Kind prefix + yyyymmdd + ".db" for kind 0 "syc", 1 "YX", 2 "YM", 3 "YC";
// an empty text for any other kind or an invalid date.
QString DailyTableName(int kind, const QDate &date);

// Template table of a daily kind ("StationYcDataTable", "YxDataTable",
// "YmDataTable", "YcDataTable"); empty outside 0..3.
QString DailyTemplateTable(int kind);

// Daily tables, working copies and range listing over one database.
class DailyTables {
public:
    DailyTables(Database &db, Prompt &prompt, const Clock &clock);

    // Makes sure today's table of the kind exists (an empty table with its
    // template's layout) and records its name as the kind's current daily
    // table. A missing template shows "<path>is not found!", requests the
    // application to terminate and returns false; so does a kind outside 0..3
    // (without a message). Otherwise true.
    bool EnsureDailyTable(int kind);
    // The recorded current daily table name of a kind (with ".db"), empty
    // until EnsureDailyTable ran for it.
    QString currentDailyTable(int kind) const;

    // Empties the four templates and creates the missing working copies
    // tempSyc, tempyx, tempyc and tempym with their templates' layouts;
    // existing copies are kept as they are.
    void PrepareHistoryTables();

    // Appends to out the tables (names as stored, without ".db") whose
    // upper-cased name with ".db" lies between the upper-cased daily names of
    // first and last, in the database's table order.
    void ListDailyTables(int kind, const QDate &first, const QDate &last, QStringList &out) const;

    // Called when a missing template makes the application end; the
    // application wires this to quitting.
    void setTerminateHandler(std::function<void()> handler) { m_onTerminate = std::move(handler); }
    bool terminateRequested() const { return m_terminateRequested; }

private:
    void templateMissing(const QString &templateTable);

    Database &m_db;
    Prompt &m_prompt;
    const Clock &m_clock;
    QString m_current[4];
    std::function<void()> m_onTerminate;
    bool m_terminateRequested = false;
};

} // namespace scada
