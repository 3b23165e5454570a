#pragma once
// Writes the contents of item models to an .xlsx workbook, one worksheet per
// model: row 1 holds the column titles (horizontal header, display role),
// rows 2, 3, ... hold each data row's display texts, all written as text.
//
// A source without a model stands for a closed data set: the export stops
// there, and the workbook keeps the sheets written before it.
//
// Worksheet names follow the source names, adjusted to what the format
// allows (see SanitizeSheetName).

#include <QList>
#include <QString>
#include <QStringList>

class QAbstractItemModel;

namespace scada {

struct NamedModel {
    QString name;                         // worksheet name (a grid's objectName)
    QAbstractItemModel *model = nullptr;  // nullptr: the data set is closed
    QList<int> columns;                   // model columns in output order; empty: all
};

struct XlsxExportResult {
    int sheetsWritten = 0;     // sheets in the file
    bool complete = false;     // every source was exported
    int stoppedAt = -1;        // index of the closed source that ended the export
    bool fileWritten = false;  // false only when there was nothing to write
    QStringList sheetNames;    // the names actually used, in order
};

// Excel's rules for sheet names: at most 31 characters; none of []:*?/\ ;
// no apostrophe at either end; not empty; not "History"; unique without
// regard to case. Forbidden characters become '_', a name too long is cut,
// an empty name becomes "Sheet<n>" (n = 1-based position), a clash with
// `taken` gets a suffix "~2", "~3", ... within the length limit.
QString SanitizeSheetName(const QString &name, int position, const QStringList &taken);

// Writes the workbook to `path` (the folder must exist). With no sheet to
// write (the first source is closed) no file is created. Throws
// EFCreateError when the file cannot be written; a partial file is removed.
// Text longer than a cell can hold (32767 characters) is cut; more rows or
// columns than a sheet can hold throw EInOutError and write no file.
XlsxExportResult ExportModelsToXlsx(const QList<NamedModel> &sources, const QString &path);

} // namespace scada
