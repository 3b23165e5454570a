#pragma once
// A small reader of .xlsx files for checking what the exporter wrote: the
// zip container (stored and deflated entries, through zlib), the workbook's
// sheet list, shared and inline strings and the cell values of each sheet.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace testxlsx {

struct Sheet {
    QString name;
    QMap<int, QMap<int, QString>> cells;  // 1-based row -> 1-based column -> text

    int rowCount() const { return cells.isEmpty() ? 0 : cells.lastKey(); }
    // Texts of row r from column 1 to its last filled cell.
    QStringList row(int r) const;
};

// Entry name -> uncompressed bytes. Throws std::runtime_error when the file
// is not a readable zip.
QMap<QString, QByteArray> readZip(const QString &path);

// The sheets in workbook order. Throws std::runtime_error on malformed input.
QList<Sheet> readWorkbook(const QString &path);

} // namespace testxlsx
