#include "store/DataModule.h"

#include "common/Errors.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace scada {

DataTable::DataTable(const QString &objectName, const QString &tableName, const QSqlDatabase &db, QObject *parent)
    : QSqlTableModel(parent, db), m_tableName(tableName)
{
    setObjectName(objectName);
    setEditStrategy(QSqlTableModel::OnManualSubmit);
}

void DataTable::setTableName(const QString &tableName)
{
    close();
    m_tableName = tableName;
    m_layout = TableDef{};
}

void DataTable::open()
{
    const QString f = filter();
    setTable(StripDbSuffix(m_tableName));
    if (lastError().isValid() || record().isEmpty())
        throw EDBEngineError(QStringLiteral("Table does not exist: ") + StripDbSuffix(m_tableName));
    loadLayout();
    setFilter(f);
    if (!select())
        throw EDBEngineError(StripDbSuffix(m_tableName) + QStringLiteral(": ") + lastError().text());
    m_open = true;
}

void DataTable::loadLayout()
{
    m_layout = TableDef{StripDbSuffix(m_tableName), {}, false};
    QSqlQuery q(database());
    q.prepare(QStringLiteral("SELECT name, type FROM pragma_table_info(?) ORDER BY cid"));
    q.addBindValue(StripDbSuffix(m_tableName));
    if (q.exec())
        while (q.next())
            m_layout.fields << FieldFromSql(q.value(0).toString(), q.value(1).toString());
}

void DataTable::close()
{
    const QString f = filter();
    clear();
    setFilter(f);
    m_open = false;
}

void DataTable::setFilterEquals(const QVariantMap &fieldValues)
{
    if (m_layout.fields.isEmpty() && database().isOpen())
        loadLayout();
    QStringList parts;
    QSqlDriver *driver = database().driver();
    for (auto it = fieldValues.constBegin(); it != fieldValues.constEnd(); ++it) {
        const int i = m_layout.fieldIndex(it.key());
        const FieldDef fd = i >= 0 ? m_layout.fields[i] : FieldDef{it.key(), FieldType::Untyped, 0};
        const QVariant stored = Database::toStorage(FieldDef{fd.name, fd.type, 0}, it.value());
        if (stored.isNull()) {
            parts << QuoteIdentifier(it.key()) + QStringLiteral(" IS NULL");
            continue;
        }
        QSqlField field(it.key(), stored.metaType());
        field.setValue(stored);
        parts << QuoteIdentifier(it.key()) + QStringLiteral(" = ") +
                     (driver ? driver->formatValue(field) : QStringLiteral("NULL"));
    }
    setFilter(parts.join(QStringLiteral(" AND ")));
}

bool DataTable::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role == Qt::EditRole && index.isValid()) {
        const QString name = record().fieldName(index.column());
        const int i = m_layout.fieldIndex(name);
        if (i >= 0) {
            try {
                return QSqlTableModel::setData(index, Database::toStorage(m_layout.fields[i], value), role);
            } catch (const ScadaError &e) {
                setLastError(QSqlError(QString(), e.message(), QSqlError::StatementError));
                return false;
            }
        }
    }
    return QSqlTableModel::setData(index, value, role);
}

DataQuery::DataQuery(const QString &objectName, const QString &sql, const QSqlDatabase &db, QObject *parent)
    : QSqlQueryModel(parent), m_sql(sql), m_db(db)
{
    setObjectName(objectName);
    static const QRegularExpression param(QStringLiteral(":([A-Za-z_][A-Za-z0-9_]*)"));
    qsizetype last = 0;
    for (auto it = param.globalMatch(sql); it.hasNext();) {
        const auto m = it.next();
        m_positionalSql += sql.mid(last, m.capturedStart() - last) + QLatin1Char('?');
        last = m.capturedEnd();
        const QString key = m.captured(1).toLower();
        m_order << key;
        bool known = false;
        for (const QString &n : std::as_const(m_names))
            known = known || n.toLower() == key;
        if (!known)
            m_names << m.captured(1);
    }
    m_positionalSql += sql.mid(last);
}

QStringList DataQuery::paramNames() const { return m_names; }

void DataQuery::setParam(const QString &name, const QVariant &value)
{
    const QString key = name.toLower();
    if (!m_order.contains(key))
        throw EDBEngineError(QStringLiteral("Parameter '%1' not found").arg(name));
    m_values.insert(key, value);
}

QVariant DataQuery::param(const QString &name) const { return m_values.value(name.toLower()); }

void DataQuery::open()
{
    QSqlQuery q(m_db);
    if (!q.prepare(m_positionalSql))
        throw EDBEngineError(m_sql + QStringLiteral(": ") + q.lastError().text());
    for (const QString &key : std::as_const(m_order))
        q.addBindValue(Database::toStorage(FieldDef{}, m_values.value(key)));
    if (!q.exec())
        throw EDBEngineError(m_sql + QStringLiteral(": ") + q.lastError().text());
    setQuery(std::move(q));
    if (lastError().isValid())
        throw EDBEngineError(m_sql + QStringLiteral(": ") + lastError().text());
    m_open = true;
}

void DataQuery::close()
{
    clear();
    m_open = false;
}

TDataModule1::TDataModule1(Database &db, QObject *parent) : QObject(parent)
{
    setObjectName(QStringLiteral("DataModule1"));
    const QSqlDatabase c = db.connection();
    MainTable = new DataTable(QStringLiteral("MainTable"), QStringLiteral("MainTable.db"), c, this);
    FtuTable = new DataTable(QStringLiteral("FtuTable"), QStringLiteral("FtuTable.db"), c, this);
    YcTable = new DataTable(QStringLiteral("YcTable"), QStringLiteral("YCTable.db"), c, this);
    YxTable = new DataTable(QStringLiteral("YxTable"), QStringLiteral("YxTable.db"), c, this);
    YmTable = new DataTable(QStringLiteral("YmTable"), QStringLiteral("YmTable.DB"), c, this);
    VarTable = new DataTable(QStringLiteral("VarTable"), QStringLiteral("VarTable.db"), c, this);
    YcDataQuery = new DataQuery(QStringLiteral("YcDataQuery"),
                                QStringLiteral("SELECT * FROM YcDataTable Where Station=:StationName and "
                                               "FtuName=:aFtuName and RiQi=:Dates and SjType=:aSjTYpe"),
                                c, this);
    YmQuery = new DataQuery(
        QStringLiteral("YmQuery"),
        QStringLiteral("SELECT * FROM YmDataTable Where Station=:StationName and FtuName=:aFtuName and RiQi=:Dates"),
        c, this);
}

} // namespace scada
