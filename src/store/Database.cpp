#include "store/Database.h"

#include "common/Errors.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlRecord>

#include <atomic>
#include <cmath>
#include <limits>

namespace scada {

namespace {

std::atomic<int> g_connectionCounter{0};

const char *kDateFormat = "yyyy-MM-dd";
const char *kTimeFormat = "HH:mm:ss";

QString shown(const QVariant &v) { return v.toString(); }

bool isEmptyValue(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return true;
    return false;
}

bool isNumberType(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

QVariant toWhole(const FieldDef &f, const QVariant &v, qint64 lo, qint64 hi)
{
    qint64 n = 0;
    if (v.typeId() == QMetaType::Bool) {
        n = v.toBool() ? 1 : 0;
    } else if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float) {
        const double d = v.toDouble();
        if (!std::isfinite(d) || d < double(lo) - 0.5 || d > double(hi) + 0.5)
            throw EDBEngineError(QStringLiteral("Field '%1': value %2 is out of range (%3 to %4)")
                                     .arg(f.name, shown(v))
                                     .arg(lo)
                                     .arg(hi));
        n = qRound64(d);
    } else if (v.typeId() == QMetaType::ULongLong) {
        const quint64 u = v.toULongLong();
        if (u > quint64(hi))
            throw EDBEngineError(QStringLiteral("Field '%1': value %2 is out of range (%3 to %4)")
                                     .arg(f.name, shown(v))
                                     .arg(lo)
                                     .arg(hi));
        n = qint64(u);
    } else if (isNumberType(v)) {
        n = v.toLongLong();
    } else if (v.canConvert<QString>()) {
        const QString s = v.toString().trimmed();
        if (s.isEmpty())
            return QVariant();
        bool ok = false;
        n = s.toLongLong(&ok);
        if (!ok)
            throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(v.toString()));
    } else {
        throw EConvertError(QStringLiteral("Field '%1': value is not a valid integer value").arg(f.name));
    }
    if (n < lo || n > hi)
        throw EDBEngineError(
            QStringLiteral("Field '%1': value %2 is out of range (%3 to %4)").arg(f.name).arg(n).arg(lo).arg(hi));
    return n;
}

QVariant untypedStorage(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QDate: return value.toDate().toString(kDateFormat);
    case QMetaType::QTime: return value.toTime().toString(kTimeFormat);
    case QMetaType::QDateTime: return value.toDateTime().toString(Qt::ISODate);
    case QMetaType::Bool: return value.toBool() ? 1 : 0;
    default: return value;
    }
}

[[noreturn]] void fail(const QString &what, const QSqlError &err)
{
    throw EDBEngineError(what + QStringLiteral(": ") + err.text());
}

} // namespace

Database::Database(const QString &programDir)
    : m_programDir(QDir::cleanPath(programDir)),
      m_dir(QDir::cleanPath(programDir) + QStringLiteral("/Table")),
      m_connection(QStringLiteral("scada.store.%1").arg(++g_connectionCounter))
{
    QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
}

Database::~Database()
{
    close();
    QSqlDatabase::removeDatabase(m_connection);
}

QString Database::filePath() const { return m_dir + QStringLiteral("/DuvUrovuDe.sqlite"); }

QSqlDatabase Database::connection() const { return QSqlDatabase::database(m_connection, false); }

bool Database::open()
{
    if (isOpen())
        return true;
    QSqlDatabase db = connection();
    if (!db.isValid()) {
        m_lastError = QStringLiteral("The SQLite driver is not available");
        return false;
    }
    if (QFileInfo(filePath()).isDir()) {
        m_lastError = filePath() + QStringLiteral(" is a directory");
        return false;
    }
    db.setDatabaseName(filePath());
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open()) {
        m_lastError = db.lastError().text();
        return false;
    }
    // A file that is not a database opens lazily; the first statements tell.
    QSqlQuery q(db);
    bool ok = q.exec(QStringLiteral("PRAGMA journal_mode=WAL")) && q.next();
    ok = ok && q.exec(QStringLiteral("PRAGMA synchronous=FULL"));
    ok = ok && q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) && q.next();
    if (!ok) {
        m_lastError = q.lastError().text();
        q = QSqlQuery();
        db.close();
        return false;
    }
    m_lastError.clear();
    return true;
}

bool Database::isOpen() const { return connection().isOpen(); }

void Database::close()
{
    m_layouts.clear();
    QSqlDatabase db = connection();
    if (db.isOpen()) {
        if (m_inTransaction)
            db.rollback();
        db.close();
    }
    m_inTransaction = false;
}

QSqlQuery Database::exec(const QString &sql, const QVariantList &args) const
{
    QSqlDatabase db = connection();
    if (!db.isOpen())
        throw EDBEngineError(QStringLiteral("The database is not open: ") + filePath());
    QSqlQuery q(db);
    if (!q.prepare(sql))
        fail(sql, q.lastError());
    for (const QVariant &a : args)
        q.addBindValue(untypedStorage(a));
    if (!q.exec())
        fail(sql, q.lastError());
    return q;
}

QStringList Database::tables() const
{
    QStringList out;
    if (!isOpen())
        return out;
    QSqlQuery q = exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' "
                                      "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid"));
    while (q.next())
        out << q.value(0).toString();
    return out;
}

bool Database::hasTable(const QString &name) const
{
    if (!isOpen() || name.isEmpty())
        return false;
    QSqlQuery q = exec(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type='table' AND name = ? COLLATE NOCASE"),
                       {StripDbSuffix(name)});
    return q.next();
}

void Database::createTable(const TableDef &def, const QString &asName)
{
    exec(CreateTableSql(def, asName));
    m_layouts.clear();
}

void Database::createTableLike(const QString &source, const QString &newName)
{
    QSqlQuery q = exec(QStringLiteral("SELECT sql FROM sqlite_master WHERE type='table' AND name = ? COLLATE NOCASE"),
                       {StripDbSuffix(source)});
    if (!q.next())
        throw EDBEngineError(QStringLiteral("Table does not exist: ") + StripDbSuffix(source));
    const QString sql = q.value(0).toString();
    const qsizetype paren = sql.indexOf(QLatin1Char('('));
    if (paren < 0)
        throw EDBEngineError(QStringLiteral("Cannot read the layout of ") + source);
    exec(QStringLiteral("CREATE TABLE ") + QuoteIdentifier(StripDbSuffix(newName)) + QLatin1Char(' ') +
         sql.mid(paren));
    m_layouts.clear();
}

void Database::dropTable(const QString &name)
{
    exec(QStringLiteral("DROP TABLE ") + QuoteIdentifier(StripDbSuffix(name)));
    m_layouts.clear();
}

void Database::emptyTable(const QString &name) { remove(name); }

TableDef Database::layout(const QString &name) const
{
    TableDef def;
    if (!isOpen())
        return def;
    const QString table = StripDbSuffix(name);
    QSqlQuery q = exec(QStringLiteral("SELECT name, type, pk FROM pragma_table_info(?) ORDER BY cid"), {table});
    while (q.next()) {
        def.fields << FieldFromSql(q.value(0).toString(), q.value(1).toString());
        if (q.value(2).toInt() > 0 && q.value(0).toString().compare("Index", Qt::CaseInsensitive) == 0)
            def.keyed = true;
    }
    if (!def.fields.isEmpty()) {
        // The name as stored.
        QSqlQuery n = exec(
            QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND name = ? COLLATE NOCASE"), {table});
        def.name = n.next() ? n.value(0).toString() : table;
    }
    return def;
}

const TableDef &Database::cachedLayout(const QString &table) const
{
    const QString key = StripDbSuffix(table).toLower();
    auto it = m_layouts.constFind(key);
    if (it != m_layouts.constEnd())
        return *it;
    TableDef def = layout(table);
    if (!def.isValid())
        throw EDBEngineError(QStringLiteral("Table does not exist: ") + StripDbSuffix(table));
    return *m_layouts.insert(key, def);
}

QVariant Database::toStorage(const FieldDef &f, const QVariant &value)
{
    if (isEmptyValue(value))
        return QVariant();
    switch (f.type) {
    case FieldType::String: {
        QString s = value.typeId() == QMetaType::QDate ? value.toDate().toString(kDateFormat)
                    : value.typeId() == QMetaType::QTime ? value.toTime().toString(kTimeFormat)
                                                         : value.toString();
        if (f.size > 0 && s.size() > f.size)
            s.truncate(f.size);
        return s;
    }
    case FieldType::Int16: return toWhole(f, value, -32768, 32767);
    case FieldType::Int32: return toWhole(f, value, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
    case FieldType::Float: {
        if (value.typeId() == QMetaType::Bool)
            return value.toBool() ? 1.0 : 0.0;
        if (isNumberType(value))
            return value.toDouble();
        const QString s = value.toString().trimmed();
        if (s.isEmpty())
            return QVariant();
        bool ok = false;
        const double d = s.toDouble(&ok);
        if (!ok)
            throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(value.toString()));
        return d;
    }
    case FieldType::Date: {
        QDate d;
        if (value.typeId() == QMetaType::QDate)
            d = value.toDate();
        else if (value.typeId() == QMetaType::QDateTime)
            d = value.toDateTime().date();
        else {
            const QString s = value.toString().trimmed();
            if (s.isEmpty())
                return QVariant();
            d = QDate::fromString(s, kDateFormat);
            if (!d.isValid())
                throw EConvertError(QStringLiteral("'%1' is not a valid date").arg(s));
        }
        return d.isValid() ? QVariant(d.toString(kDateFormat)) : QVariant();
    }
    case FieldType::Time: {
        QTime t;
        if (value.typeId() == QMetaType::QTime)
            t = value.toTime();
        else if (value.typeId() == QMetaType::QDateTime)
            t = value.toDateTime().time();
        else {
            const QString s = value.toString().trimmed();
            if (s.isEmpty())
                return QVariant();
            t = QTime::fromString(s, kTimeFormat);
            if (!t.isValid())
                t = QTime::fromString(s, QStringLiteral("H:mm:ss"));
            if (!t.isValid())
                t = QTime::fromString(s, QStringLiteral("H:mm"));
            if (!t.isValid())
                throw EConvertError(QStringLiteral("'%1' is not a valid time").arg(s));
        }
        return t.isValid() ? QVariant(t.toString(kTimeFormat)) : QVariant();
    }
    case FieldType::Bool: {
        if (value.typeId() == QMetaType::Bool || isNumberType(value))
            return value.toBool() ? 1 : 0;
        const QString s = value.toString().trimmed().toLower();
        if (s.isEmpty())
            return QVariant();
        if (s == "true" || s == "1" || s == "yes")
            return 1;
        if (s == "false" || s == "0" || s == "no")
            return 0;
        throw EConvertError(QStringLiteral("'%1' is not a valid boolean value").arg(value.toString()));
    }
    case FieldType::Untyped: break;
    }
    return untypedStorage(value);
}

QVariant Database::fromStorage(const FieldDef &f, const QVariant &value)
{
    if (isEmptyValue(value))
        return QVariant();
    switch (f.type) {
    case FieldType::String: return value.toString();
    case FieldType::Int16:
    case FieldType::Int32: return value.toInt();
    case FieldType::Float: return value.toDouble();
    case FieldType::Date: {
        const QDate d = QDate::fromString(value.toString(), kDateFormat);
        return d.isValid() ? QVariant(d) : value;
    }
    case FieldType::Time: {
        const QTime t = QTime::fromString(value.toString(), kTimeFormat);
        return t.isValid() ? QVariant(t) : value;
    }
    case FieldType::Bool: return value.toLongLong() != 0;
    case FieldType::Untyped: break;
    }
    return value;
}

qint64 Database::insert(const QString &table, const QVariantMap &values)
{
    const TableDef &def = cachedLayout(table);
    QStringList cols;
    QStringList marks;
    QVariantList args;
    for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
        const int i = def.fieldIndex(it.key());
        if (i < 0)
            throw EDBEngineError(QStringLiteral("Field '%1' not found in table %2").arg(it.key(), def.name));
        cols << QuoteIdentifier(def.fields[i].name);
        marks << QStringLiteral("?");
        args << toStorage(def.fields[i], it.value());
    }
    const QString sql = cols.isEmpty()
                            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(QuoteIdentifier(def.name))
                            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                  .arg(QuoteIdentifier(def.name), cols.join(", "), marks.join(", "));
    QSqlQuery q = exec(sql, args);
    return q.lastInsertId().toLongLong();
}

int Database::update(const QString &table, const QVariantMap &values, const QString &where,
                     const QVariantList &whereArgs)
{
    const TableDef &def = cachedLayout(table);
    if (values.isEmpty())
        return 0;
    QStringList sets;
    QVariantList args;
    for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
        const int i = def.fieldIndex(it.key());
        if (i < 0)
            throw EDBEngineError(QStringLiteral("Field '%1' not found in table %2").arg(it.key(), def.name));
        sets << QuoteIdentifier(def.fields[i].name) + QStringLiteral(" = ?");
        args << toStorage(def.fields[i], it.value());
    }
    QString sql = QStringLiteral("UPDATE %1 SET %2").arg(QuoteIdentifier(def.name), sets.join(", "));
    if (!where.trimmed().isEmpty())
        sql += QStringLiteral(" WHERE ") + where;
    QSqlQuery q = exec(sql, args + whereArgs);
    return q.numRowsAffected();
}

int Database::remove(const QString &table, const QString &where, const QVariantList &whereArgs)
{
    const TableDef &def = cachedLayout(table);
    QString sql = QStringLiteral("DELETE FROM %1").arg(QuoteIdentifier(def.name));
    if (!where.trimmed().isEmpty())
        sql += QStringLiteral(" WHERE ") + where;
    QSqlQuery q = exec(sql, whereArgs);
    return q.numRowsAffected();
}

qint64 Database::recordCount(const QString &table) const
{
    const TableDef &def = cachedLayout(table);
    QSqlQuery q = exec(QStringLiteral("SELECT count(*) FROM %1").arg(QuoteIdentifier(def.name)));
    return q.next() ? q.value(0).toLongLong() : 0;
}

QList<QVariantMap> Database::rows(const QString &table, const QString &where, const QVariantList &whereArgs) const
{
    const TableDef &def = cachedLayout(table);
    QString sql = QStringLiteral("SELECT * FROM %1").arg(QuoteIdentifier(def.name));
    if (!where.trimmed().isEmpty())
        sql += QStringLiteral(" WHERE ") + where;
    sql += QStringLiteral(" ORDER BY rowid");
    QSqlQuery q = exec(sql, whereArgs);
    QList<QVariantMap> out;
    const QSqlRecord rec = q.record();
    QList<FieldDef> fields;
    for (int c = 0; c < rec.count(); ++c) {
        const int i = def.fieldIndex(rec.fieldName(c));
        fields << (i >= 0 ? def.fields[i] : FieldDef{rec.fieldName(c), FieldType::Untyped, 0});
    }
    while (q.next()) {
        QVariantMap row;
        for (int c = 0; c < fields.size(); ++c)
            row.insert(fields[c].name, fromStorage(fields[c], q.value(c)));
        out << row;
    }
    return out;
}

void Database::begin()
{
    if (m_inTransaction)
        throw EDBEngineError(QStringLiteral("A transaction is already active"));
    exec(QStringLiteral("BEGIN IMMEDIATE"));
    m_inTransaction = true;
}

void Database::commit()
{
    if (!m_inTransaction)
        throw EDBEngineError(QStringLiteral("No transaction is active"));
    exec(QStringLiteral("COMMIT"));
    m_inTransaction = false;
}

void Database::rollback()
{
    if (!m_inTransaction)
        return;
    m_inTransaction = false;
    exec(QStringLiteral("ROLLBACK"));
}

} // namespace scada
