#pragma once
// The program-wide exception log: one line per exception that reached the
// application's handler, appended to "except.txt" in the program directory.
//
// Line format: "[" date [" " time] "]  " class name message "\n"
//   date  year-month-day without leading zeros ("2005-3-12"),
//   time  "10:15:30" (hour without a leading zero), left out when the
//         moment is exactly midnight.
// The message is written unchanged, line breaks included, so a multi-line
// message continues on the following lines of the file.

#include <QDateTime>
#include <QString>

namespace scada {

// Path of the log file for a program directory.
QString ExceptionLogPath(const QString &programDir);

// The date-and-time text between the brackets.
QString ExceptionLogTimestamp(const QDateTime &when);

// One complete log line, line break included.
QString FormatExceptionLogLine(const QDateTime &when, const QString &className,
                               const QString &message);

// Appends one line (UTF-8) to <programDir>/except.txt, creating the file when
// it is missing. Returns false when the file cannot be opened or written;
// never throws.
bool AppendExceptionLog(const QString &programDir, const QString &line);

} // namespace scada
