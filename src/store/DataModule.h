#pragma once
// The shared datasets that configuration forms and history views bind to.
// Every dataset is closed after creation; its user sets a filter (or the
// parameters), opens it, reads or edits, and closes it again. The datasets
// use the connection of the Database given at creation, which must outlive
// the data module.

#include "store/Database.h"

#include <QObject>
#include <QSqlQueryModel>
#include <QSqlTableModel>

namespace scada {

// One table of the database as an editable model. Edits are kept until
// submitAll() (the post of an edit); values written through setData follow
// the writer's rules: text cut to the field size, numbers out of range
// refused (setData returns false and lastError() tells why).
class DataTable : public QSqlTableModel {
    Q_OBJECT
public:
    // tableName may carry the ".db" suffix ("YCTable.db").
    DataTable(const QString &objectName, const QString &tableName, const QSqlDatabase &db,
              QObject *parent = nullptr);

    QString tableName() const { return m_tableName; }
    // Points the dataset at another table; closes it first.
    void setTableName(const QString &tableName);

    // Selects the rows of the table that pass the current filter. Throws
    // EDBEngineError when the table cannot be read.
    void open();
    // Drops the rows; the filter stays for the next open().
    void close();
    bool isOpen() const { return m_open; }

    // Sets the filter to field = value for every entry (AND), with values
    // converted like the writer does and quoted by the driver.
    void setFilterEquals(const QVariantMap &fieldValues);

    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

private:
    void loadLayout();

    QString m_tableName;
    TableDef m_layout;
    bool m_open = false;
};

// A read-only statement with named parameters (":Name"), matched without
// regard to letter case; values are bound, never pasted into the text.
class DataQuery : public QSqlQueryModel {
    Q_OBJECT
public:
    DataQuery(const QString &objectName, const QString &sql, const QSqlDatabase &db, QObject *parent = nullptr);

    QString sql() const { return m_sql; }
    // Parameter names as written in the statement, in order of first use.
    QStringList paramNames() const;
    // Throws EDBEngineError for a name the statement does not have.
    void setParam(const QString &name, const QVariant &value);
    QVariant param(const QString &name) const;

    // Runs the statement; a parameter without a value is bound as empty.
    // Throws EDBEngineError when the statement fails.
    void open();
    void close();
    bool isOpen() const { return m_open; }

private:
    QString m_sql;
    QString m_positionalSql;
    QStringList m_order;           // parameter of each "?" (lower case)
    QStringList m_names;           // as written, first use order
    QHash<QString, QVariant> m_values; // key: lower case
    QSqlDatabase m_db;
    bool m_open = false;
};

class TDataModule1 : public QObject {
    Q_OBJECT
public:
    explicit TDataModule1(Database &db, QObject *parent = nullptr);

    DataTable *MainTable;
    DataTable *FtuTable;
    DataTable *YcTable;
    DataTable *YxTable;
    DataTable *YmTable;
    DataTable *VarTable;
    // "SELECT * FROM YcDataTable Where Station=:StationName and
    // FtuName=:aFtuName and RiQi=:Dates and SjType=:aSjTYpe"
    DataQuery *YcDataQuery;
    DataQuery *YmQuery;
};

} // namespace scada
