#pragma once
// The database layout as data: every table the system creates, with its
// fields in order, their types and sizes, and whether the table carries the
// primary key on "Index". The SQL text of a table is generated from this.

#include <QList>
#include <QString>
#include <optional>

namespace scada {

enum class FieldType { String, Int16, Int32, Float, Date, Time, Bool, Untyped };

struct FieldDef {
    QString name;
    FieldType type = FieldType::Untyped;
    int size = 0; // characters, String only; 0 = unlimited
};

struct TableDef {
    QString name;
    QList<FieldDef> fields;
    bool keyed = false; // PRIMARY KEY on "Index"

    bool isValid() const { return !name.isEmpty() && !fields.isEmpty(); }
    // Position of a field (case-insensitive), or -1.
    int fieldIndex(const QString &field) const;
};

// The eleven tables created at every start when missing, in creation order:
// MainTable, FtuTable, YcTable, YxTable, YmTable, VarTable, YcDataTable,
// StationYcDataTable, YxDataTable, YmDataTable, CommErrorTable.
const QList<TableDef> &StartupTables();

// Working tables of the analog statistics view: QelInfo, PointInfo, PointTemp.
const QList<TableDef> &StatisticsTables();

// Any table of the start-up or statistics set by name (case-insensitive,
// a ".db" suffix is ignored).
std::optional<TableDef> FindTableDef(const QString &name);

// Layout of a backup table by its name: "QueryYxTemp" and "QueryYcTemp" by
// full name, otherwise a name beginning with "Yx" gets the monthly Yx layout
// and one beginning with "Yc" the monthly Yc layout (case-insensitive). The
// result carries the given name; an unmatched name gives an invalid def.
TableDef BackupTableDef(const QString &name);

// Name of the monthly backup table of a kind prefix ("Yx" or "Yc") and month:
// prefix + yyyy + MM.
QString MonthlyBackupTableName(const QString &prefix, int year, int month);

// SQL type text of a field, e.g. TEXT(20), SMALLINT, INTEGER, REAL, DATE,
// TIME, BOOLEAN; and back (an unknown text gives Untyped).
QString SqlTypeOf(const FieldDef &field);
FieldDef FieldFromSql(const QString &name, const QString &declaredType);

// Quotes an identifier for SQL text ("Index" is a keyword).
QString QuoteIdentifier(const QString &name);

// A table name without a trailing ".db" (case-insensitive): the tables of
// the database are named without the file suffix.
QString StripDbSuffix(const QString &name);

// CREATE TABLE statement for def, under asName when given.
QString CreateTableSql(const TableDef &def, const QString &asName = {});

} // namespace scada
