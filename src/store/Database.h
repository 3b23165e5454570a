#pragma once
// The plant's database: one SQLite file <program dir>/Table/DuvUrovuDe.sqlite
// reached through its own named Qt SQL connection, so several Database
// objects (and tests) can coexist. Every table of the system lives in that
// one file, named without the ".db" file suffix; names passed in with the
// suffix are accepted and the suffix is dropped.
//
// Writes go through a typed writer that follows the declared field types:
// text is cut to its field's size, whole numbers outside their field's range
// are a database error (EDBEngineError), dates are stored as YYYY-MM-DD,
// times as HH:MM:SS, booleans as 0/1 and empty values as NULL. Values are
// always bound, never pasted into SQL text.

#include "store/Schema.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QVariantMap>

#include <memory>

namespace scada {

class Database {
public:
    // programDir: the plant folder; the database lives in programDir/Table.
    explicit Database(const QString &programDir);
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // <programDir>/Table (no trailing separator).
    QString directory() const { return m_dir; }
    // <programDir>/Table/DuvUrovuDe.sqlite
    QString filePath() const;
    QString connectionName() const { return m_connection; }
    QSqlDatabase connection() const;

    // Opens the file (creating it when missing; the directory must exist),
    // in WAL mode with synchronous=FULL. false when the file cannot be used;
    // lastError() tells why.
    bool open();
    bool isOpen() const;
    void close();
    QString lastError() const { return m_lastError; }

    // --- tables -----------------------------------------------------------
    // Names of the tables in the file, in creation order, without system tables.
    QStringList tables() const;
    // A table is present when sqlite_master lists it (case-insensitive).
    bool hasTable(const QString &name) const;
    // Creates def's table (under asName when given). Throws EDBEngineError.
    void createTable(const TableDef &def, const QString &asName = {});
    // Creates newName with the very layout of an existing table (fields,
    // types, key), empty. Throws EDBEngineError if source is missing.
    void createTableLike(const QString &source, const QString &newName);
    void dropTable(const QString &name);
    // Deletes every record of a table.
    void emptyTable(const QString &name);
    // The fields of an existing table in order, with the types read back
    // from their declarations (fields of unknown type are Untyped). An
    // invalid def when the table does not exist.
    TableDef layout(const QString &name) const;

    // --- writing ----------------------------------------------------------
    // Appends one record; fields not given stay empty (NULL). Unknown fields,
    // values out of range and SQL failures throw EDBEngineError; text that
    // is not a number for a numeric field throws EConvertError. Returns the
    // new row's rowid.
    qint64 insert(const QString &table, const QVariantMap &values);
    // Sets the given fields on the rows matching where (SQL condition with
    // ? placeholders, bound to whereArgs; empty = all rows). Returns the
    // number of rows changed.
    int update(const QString &table, const QVariantMap &values, const QString &where = {},
               const QVariantList &whereArgs = {});
    // Deletes the rows matching where; returns the number deleted.
    int remove(const QString &table, const QString &where = {}, const QVariantList &whereArgs = {});

    // --- reading ----------------------------------------------------------
    qint64 recordCount(const QString &table) const;
    // The rows of a table in table order (rowid order; for keyed tables that
    // is "Index" order), optionally filtered by where with bound arguments.
    // Values are typed by the field declarations: QString, int, double,
    // QDate, QTime, bool; NULL stays a null QVariant.
    QList<QVariantMap> rows(const QString &table, const QString &where = {},
                            const QVariantList &whereArgs = {}) const;
    // Runs any statement with bound arguments; throws EDBEngineError.
    QSqlQuery exec(const QString &sql, const QVariantList &args = {}) const;

    // Converts a value for a field the way the writer stores it.
    static QVariant toStorage(const FieldDef &field, const QVariant &value);
    // Converts a stored value back to the field's type.
    static QVariant fromStorage(const FieldDef &field, const QVariant &value);

    // --- transactions -----------------------------------------------------
    void begin();
    void commit();
    void rollback();
    bool inTransaction() const { return m_inTransaction; }

    // Forgets the cached layouts (after DDL run outside this object).
    void invalidateLayouts() const { m_layouts.clear(); }

private:
    const TableDef &cachedLayout(const QString &table) const;

    QString m_programDir;
    QString m_dir;
    QString m_connection;
    QString m_lastError;
    bool m_inTransaction = false;
    mutable QHash<QString, TableDef> m_layouts; // key: lower-case table name
};

// Begins a transaction; rolls it back on destruction unless committed.
class Transaction {
public:
    explicit Transaction(Database &db) : m_db(db) { m_db.begin(); }
    ~Transaction()
    {
        if (!m_done) {
            try {
                m_db.rollback();
            } catch (...) {
            }
        }
    }
    void commit()
    {
        m_db.commit();
        m_done = true;
    }
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

private:
    Database &m_db;
    bool m_done = false;
};

} // namespace scada
