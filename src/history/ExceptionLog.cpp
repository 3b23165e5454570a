#include "history/ExceptionLog.h"

#include <QDir>
#include <QFile>

namespace scada {

QString ExceptionLogPath(const QString &programDir)
{
    return QDir(programDir).filePath(QStringLiteral("except.txt"));
}

QString ExceptionLogTimestamp(const QDateTime &when)
{
    const QDate d = when.date();
    QString text = QStringLiteral("%1-%2-%3").arg(d.year()).arg(d.month()).arg(d.day());
    const QTime t = when.time();
    if (t != QTime(0, 0, 0, 0))
        text += QLatin1Char(' ') + t.toString(QStringLiteral("H:mm:ss"));
    return text;
}

QString FormatExceptionLogLine(const QDateTime &when, const QString &className,
                               const QString &message)
{
    return QLatin1Char('[') + ExceptionLogTimestamp(when) + QStringLiteral("]  ") + className
           + message + QLatin1Char('\n');
}

bool AppendExceptionLog(const QString &programDir, const QString &line)
{
    QFile file(ExceptionLogPath(programDir));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray bytes = line.toUtf8();
    const bool written = file.write(bytes) == bytes.size();
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

} // namespace scada
