#include "store/StoreSetup.h"

#include "common/Errors.h"
#include "platform/Prompt.h"
#include "platform/TimerService.h"

#include <QDir>
#include <QFileInfo>

namespace scada {

namespace {

const char *const kPrefixes[4] = {"syc", "YX", "YM", "YC"};
const char *const kTemplates[4] = {"StationYcDataTable", "YxDataTable", "YmDataTable", "YcDataTable"};

} // namespace

bool CreateDataBase(Database &db, Prompt &prompt)
{
    const QString dir = db.directory();
    const QFileInfo info(dir);
    if (!info.isDir()) {
        // Only the last component is created: a missing plant folder is an error too.
        const QFileInfo parent(info.absolutePath());
        if (info.exists() || !parent.isDir() || !QDir(parent.absoluteFilePath()).mkdir(info.fileName()))
            throw ScadaError(QStringLiteral("Cannot create ") + dir);
    }
    if (!db.open()) {
        prompt.error(QStringLiteral("No BDE,Install it!"));
        return false;
    }
    CreateDatabaseTable(db);
    return true;
}

void CreateDatabaseTable(Database &db)
{
    for (const TableDef &def : StartupTables())
        if (!db.hasTable(def.name))
            db.createTable(def);
}

void CreateStatisticsTables(Database &db)
{
    for (const TableDef &def : StatisticsTables())
        if (!db.hasTable(def.name))
            db.createTable(def);
}

bool CreateBackupTable(Database &db, const QString &name)
{
    const TableDef def = BackupTableDef(name);
    if (!def.isValid())
        return false;
    if (!db.hasTable(def.name))
        db.createTable(def);
    return true;
}

QString DailyTableName(int kind, const QDate &date)
{
    if (kind < 0 || kind > 3 || !date.isValid())
        return {};
    return QString::fromLatin1(kPrefixes[kind]) +
           QStringLiteral("%1%2%3.db")
               .arg(date.year(), 4, 10, QLatin1Char('0'))
               .arg(date.month(), 2, 10, QLatin1Char('0'))
               .arg(date.day(), 2, 10, QLatin1Char('0'));
}

QString DailyTemplateTable(int kind)
{
    if (kind < 0 || kind > 3)
        return {};
    return QString::fromLatin1(kTemplates[kind]);
}

DailyTables::DailyTables(Database &db, Prompt &prompt, const Clock &clock)
    : m_db(db), m_prompt(prompt), m_clock(clock)
{
}

void DailyTables::templateMissing(const QString &templateTable)
{
    m_prompt.error(QDir::toNativeSeparators(m_db.directory() + QLatin1Char('/') + templateTable +
                                            QStringLiteral(".db")) +
                   QStringLiteral("is not found!"));
    m_terminateRequested = true;
    if (m_onTerminate)
        m_onTerminate();
}

bool DailyTables::EnsureDailyTable(int kind)
{
    if (kind < 0 || kind > 3)
        return false;
    const QString name = DailyTableName(kind, m_clock.now().date());
    m_current[kind] = name;
    const QString tmpl = DailyTemplateTable(kind);
    if (!m_db.hasTable(tmpl)) {
        templateMissing(tmpl);
        return false;
    }
    if (!m_db.hasTable(name))
        m_db.createTableLike(tmpl, name);
    return true;
}

QString DailyTables::currentDailyTable(int kind) const
{
    return (kind >= 0 && kind <= 3) ? m_current[kind] : QString();
}

void DailyTables::PrepareHistoryTables()
{
    // Templates in the order StationYcDataTable, YxDataTable, YmDataTable, YcDataTable.
    for (int kind : {0, 1, 2, 3})
        if (m_db.hasTable(DailyTemplateTable(kind)))
            m_db.emptyTable(DailyTemplateTable(kind));

    static const struct {
        const char *copy;
        int kind;
    } pairs[] = {{"tempSyc", 0}, {"tempyx", 1}, {"tempyc", 3}, {"tempym", 2}};
    for (const auto &p : pairs) {
        const QString tmpl = DailyTemplateTable(p.kind);
        if (!m_db.hasTable(tmpl)) {
            templateMissing(tmpl);
            return;
        }
        if (!m_db.hasTable(QString::fromLatin1(p.copy)))
            m_db.createTableLike(tmpl, QString::fromLatin1(p.copy));
    }
}

void DailyTables::ListDailyTables(int kind, const QDate &first, const QDate &last, QStringList &out) const
{
    const QByteArray low = DailyTableName(kind, first).toUpper().toUtf8();
    const QByteArray high = DailyTableName(kind, last).toUpper().toUtf8();
    if (low.isEmpty() || high.isEmpty())
        return;
    for (const QString &t : m_db.tables()) {
        const QByteArray name = (t + QStringLiteral(".db")).toUpper().toUtf8();
        if (name >= low && name <= high)
            out << t;
    }
}

} // namespace scada
