#include "store/Schema.h"

#include <QRegularExpression>

namespace scada {

namespace {

FieldDef S(const char *n, int size) { return {QString::fromLatin1(n), FieldType::String, size}; }
FieldDef I16(const char *n) { return {QString::fromLatin1(n), FieldType::Int16, 0}; }
FieldDef I32(const char *n) { return {QString::fromLatin1(n), FieldType::Int32, 0}; }
FieldDef F(const char *n) { return {QString::fromLatin1(n), FieldType::Float, 0}; }
FieldDef D(const char *n) { return {QString::fromLatin1(n), FieldType::Date, 0}; }
FieldDef T(const char *n) { return {QString::fromLatin1(n), FieldType::Time, 0}; }
FieldDef B(const char *n) { return {QString::fromLatin1(n), FieldType::Bool, 0}; }

QList<FieldDef> pointCommon(int propertySize)
{
    return {I32("Index"), I32("OffIndex"), S("Station", 20), S("FtuName", 20), S("Point", 20),
            S("Property", propertySize)};
}

QList<TableDef> makeStartup()
{
    QList<TableDef> t;
    t.append({"MainTable",
              {S("Station", 20), S("StationNo", 3), S("QuDong", 10), S("Company", 12), I16("Type"),
               I32("CommNo"), I16("Voltage"), F("Capacity"), D("Riqi"), S("Principal", 10),
               S("Address", 40), S("PostalCode", 7), S("PhoneCode", 20), S("Remark", 200),
               I16("SaveTime"), B("UseModem")},
              false});
    t.append({"FtuTable",
              {S("Station", 20), S("FtuName", 20), S("Describe", 40), I16("Mark"), I16("FtuAddress"),
               I16("FtuType"), I16("ProtocolType"), I16("YcNum"), I16("YxNum"), I16("DdNum"),
               B("Enabled"), S("PhoneCode", 20), S("PassWord", 10)},
              false});
    TableDef yc{"YcTable", pointCommon(8), false};
    yc.fields << F("Quotiety") << F("Quotiety_A") << F("Quotiety_B") << S("Unit", 8)
              << F("AlarmLowLimit") << F("AlarmUpLimit") << F("HeGeLowLimit") << F("HeGeUpLimit")
              << B("Calculate") << S("YxYcFlag", 2);
    t.append(yc);
    TableDef yx{"YxTable", pointCommon(12), false};
    yx.fields << I32("AlarmLevel") << B("AlarmEnabled") << B("ControlEnabled") << S("AlarmMeaning", 20)
              << I32("NormalColor") << I32("AlarmColor") << I32("AlarmKind") << I32("TouchKind")
              << B("SoundEnabled") << I32("SoundOnAddress") << I32("SoundOffAddress") << I32("SaveDays")
              << S("YxYcFlag", 2);
    t.append(yx);
    TableDef ym{"YmTable", pointCommon(12), false};
    ym.fields << F("Quotiety") << F("Quotiety_A") << F("Quotiety_B");
    t.append(ym);
    t.append({"VarTable",
              {S("VarName", 20), I32("Station"), I32("Ftu"), I32("Point"), I32("VarType"), I32("VarKind"),
               I32("VarFrom")},
              false});
    t.append({"YcDataTable",
              {I32("Index"), S("Station", 20), S("FtuName", 20), S("PointName", 20), D("Riqi"), T("Shijian"),
               F("Value"), I16("SjType"), I16("Flag")},
              true});
    t.append({"StationYcDataTable",
              {I32("Index"), S("Station", 20), S("FtuName", 20), D("Riqi"), T("Shijian"), F("Value")},
              true});
    t.append({"YxDataTable",
              {I32("Index"), S("Station", 20), S("FtuName", 20), S("Point", 12), D("Riqi"), T("Shijian"),
               S("Property", 8), S("StateChange", 15), I32("Level"), I32("Days"), B("AlarmOn")},
              true});
    t.append({"YmDataTable",
              {I32("Index"), S("Station", 20), S("FtuName", 20), D("Riqi"), T("Shijian"), F("JiFen"),
               F("ShiZai"), F("WuGong"), F("BjYouGong"), F("BjWoGong")},
              true});
    t.append({"CommErrorTable",
              {I32("Index"), S("QelName", 20), I32("QelAddress"), D("Date"), T("Time")},
              true});
    return t;
}

QList<FieldDef> hourFields()
{
    QList<FieldDef> f;
    for (int h = 1; h <= 24; ++h)
        f << FieldDef{QString::number(h), FieldType::String, 5};
    return f;
}

QList<TableDef> makeStatistics()
{
    QList<TableDef> t;
    TableDef qel{"QelInfo", {S("Station", 20), S("QelName", 20), S("Start", 10), S("End", 8)}, false};
    qel.fields << hourFields() << S("Total", 5);
    t.append(qel);
    TableDef point{"PointInfo",
                   {S("Station", 20), S("QelName", 20), S("Point", 20), S("Start", 10), S("End", 8)},
                   false};
    point.fields << hourFields() << S("Total", 5);
    t.append(point);
    TableDef temp{"PointTemp", {I32("Index"), S("Station", 20), S("QelName", 20), S("Clock", 2)}, false};
    for (int i = 1; i <= 12; ++i)
        temp.fields << FieldDef{QStringLiteral("Point%1").arg(i), FieldType::String, 20};
    t.append(temp);
    return t;
}

QList<FieldDef> backupYx()
{
    return {I32("Index"), S("Station", 20), S("FtuName", 20), S("Point", 20), D("Riqi"), T("Shijian"),
            S("Property", 20), S("StateChange", 20), I32("Level"), I32("Days"), B("AlarmOn")};
}

QList<FieldDef> backupYc(const char *pointField)
{
    return {I32("Index"), S("Station", 20), S("FtuName", 20), S(pointField, 20), D("Riqi"), T("Shijian"),
            F("Value"), I16("SjType"), I16("Flag")};
}

} // namespace

int TableDef::fieldIndex(const QString &field) const
{
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

const QList<TableDef> &StartupTables()
{
    static const QList<TableDef> tables = makeStartup();
    return tables;
}

const QList<TableDef> &StatisticsTables()
{
    static const QList<TableDef> tables = makeStatistics();
    return tables;
}

std::optional<TableDef> FindTableDef(const QString &name)
{
    const QString n = StripDbSuffix(name);
    for (const auto *list : {&StartupTables(), &StatisticsTables()})
        for (const TableDef &t : *list)
            if (t.name.compare(n, Qt::CaseInsensitive) == 0)
                return t;
    return std::nullopt;
}

TableDef BackupTableDef(const QString &name)
{
    const QString n = StripDbSuffix(name);
    if (n.compare("QueryYxTemp", Qt::CaseInsensitive) == 0)
        return {n, backupYx(), false};
    if (n.compare("QueryYcTemp", Qt::CaseInsensitive) == 0)
        return {n, backupYc("Point"), false};
    if (n.startsWith("Yx", Qt::CaseInsensitive))
        return {n, backupYx(), false};
    if (n.startsWith("Yc", Qt::CaseInsensitive))
        return {n, backupYc("PointName"), false};
    return {};
}

QString MonthlyBackupTableName(const QString &prefix, int year, int month)
{
    return prefix + QStringLiteral("%1%2").arg(year, 4, 10, QLatin1Char('0')).arg(month, 2, 10, QLatin1Char('0'));
}

QString SqlTypeOf(const FieldDef &field)
{
    switch (field.type) {
    case FieldType::String:
        return field.size > 0 ? QStringLiteral("TEXT(%1)").arg(field.size) : QStringLiteral("TEXT");
    case FieldType::Int16: return QStringLiteral("SMALLINT");
    case FieldType::Int32: return QStringLiteral("INTEGER");
    case FieldType::Float: return QStringLiteral("REAL");
    case FieldType::Date: return QStringLiteral("DATE");
    case FieldType::Time: return QStringLiteral("TIME");
    case FieldType::Bool: return QStringLiteral("BOOLEAN");
    case FieldType::Untyped: break;
    }
    return {};
}

FieldDef FieldFromSql(const QString &name, const QString &declaredType)
{
    static const QRegularExpression textRe(QStringLiteral("^\\s*TEXT\\s*(?:\\(\\s*(\\d+)\\s*\\))?\\s*$"),
                                           QRegularExpression::CaseInsensitiveOption);
    FieldDef f{name, FieldType::Untyped, 0};
    const QString t = declaredType.trimmed().toUpper();
    if (const auto m = textRe.match(t); m.hasMatch()) {
        f.type = FieldType::String;
        f.size = m.captured(1).toInt();
    } else if (t == "SMALLINT") {
        f.type = FieldType::Int16;
    } else if (t == "INTEGER") {
        f.type = FieldType::Int32;
    } else if (t == "REAL") {
        f.type = FieldType::Float;
    } else if (t == "DATE") {
        f.type = FieldType::Date;
    } else if (t == "TIME") {
        f.type = FieldType::Time;
    } else if (t == "BOOLEAN") {
        f.type = FieldType::Bool;
    }
    return f;
}

QString QuoteIdentifier(const QString &name)
{
    QString n = name;
    n.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

QString StripDbSuffix(const QString &name)
{
    if (name.endsWith(QLatin1String(".db"), Qt::CaseInsensitive))
        return name.left(name.size() - 3);
    return name;
}

QString CreateTableSql(const TableDef &def, const QString &asName)
{
    QStringList cols;
    for (const FieldDef &f : def.fields) {
        QString col = QuoteIdentifier(f.name) + QLatin1Char(' ') + SqlTypeOf(f);
        if (def.keyed && f.name.compare("Index", Qt::CaseInsensitive) == 0)
            col += QLatin1String(" PRIMARY KEY");
        // The range of a whole-number field holds for every writer, also
        // for those that bypass Database::insert (table models, sqlite3).
        if (f.type == FieldType::Int16)
            col += QStringLiteral(" CHECK (%1 BETWEEN -32768 AND 32767)").arg(QuoteIdentifier(f.name));
        else if (f.type == FieldType::Int32)
            col += QStringLiteral(" CHECK (%1 BETWEEN -2147483648 AND 2147483647)").arg(QuoteIdentifier(f.name));
        cols << col;
    }
    return QStringLiteral("CREATE TABLE %1 (%2)")
        .arg(QuoteIdentifier(asName.isEmpty() ? def.name : StripDbSuffix(asName)), cols.join(QLatin1String(", ")));
}

} // namespace scada
