#pragma once
// Export of data grids to a spreadsheet file that the desktop then opens.
//
// Each grid becomes one worksheet named after its objectName, holding the
// visible columns in their on-screen order: the column titles in row 1, then
// one row per data row with each cell's display text. The workbook is
// written to <programDir>/Export/<first sheet>_<yyyyMMdd_HHmmss>.xlsx (a
// "_2", "_3", ... suffix keeps an existing file) and opened with the
// desktop's default application.
//
// A grid without a model (its data set closed) ends the export there: the
// grids before it stay in the file, and the file is not opened. When the
// opener fails the export ends silently. A file that cannot be written
// throws (EFCreateError), for the program-wide handler to report.
// The wait cursor is shown for the duration.

#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>

class QTableView;

namespace scada {

// Opens a written file; returns false when no application could be started.
using FileOpener = std::function<bool(const QString &path)>;

// Opens the file with the desktop's default application.
bool OpenWithDesktop(const QString &path);

// Returns the path of the written file, or an empty string when nothing was
// written (no grids, or the first grid's data set is closed).
QString ExportGridsToExcel(const QList<QTableView *> &grids, const QString &programDir,
                           const FileOpener &open = OpenWithDesktop,
                           const QDateTime &now = QDateTime::currentDateTime());

} // namespace scada
