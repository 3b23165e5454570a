#include "history/ui/GridExport.h"

#include "common/Errors.h"
#include "history/XlsxExport.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QTableView>
#include <QUrl>

namespace scada {

namespace {

struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

QList<int> shownColumns(const QTableView *view)
{
    QList<int> columns;
    const QHeaderView *header = view->horizontalHeader();
    const int count = view->model()->columnCount();
    for (int visual = 0; visual < count; ++visual) {
        const int logical = header->logicalIndex(visual);
        if (logical >= 0 && !view->isColumnHidden(logical))
            columns.append(logical);
    }
    return columns;
}

QString fileBaseName(const QString &sheet)
{
    QString s = sheet;
    for (QChar &c : s)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20)
            c = QLatin1Char('_');
    return s;
}

QString uniquePath(const QDir &dir, const QString &base)
{
    QString path = dir.filePath(base + QStringLiteral(".xlsx"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(QStringLiteral("%1_%2.xlsx").arg(base).arg(n));
    return path;
}

} // namespace

bool OpenWithDesktop(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

QString ExportGridsToExcel(const QList<QTableView *> &grids, const QString &programDir,
                           const FileOpener &open, const QDateTime &now)
{
    WaitCursor wait;

    // A missing grid counts as a closed data set.
    QList<NamedModel> sources;
    for (QTableView *grid : grids) {
        NamedModel src{grid ? grid->objectName() : QString(), grid ? grid->model() : nullptr, {}};
        if (src.model) {
            while (src.model->canFetchMore(QModelIndex()))
                src.model->fetchMore(QModelIndex());
            src.columns = shownColumns(grid);
        }
        sources.append(src);
    }
    if (sources.isEmpty() || !sources.first().model)
        return {};

    QDir dir(programDir);
    if (!dir.mkpath(QStringLiteral("Export")))
        throw EFCreateError(
            QStringLiteral("Cannot create folder \"%1\".").arg(dir.filePath(QStringLiteral("Export"))));
    dir.cd(QStringLiteral("Export"));

    const QString first = SanitizeSheetName(sources.first().name, 1, {});
    const QString path = uniquePath(
        dir, fileBaseName(first) + QLatin1Char('_') + now.toString(QStringLiteral("yyyyMMdd_HHmmss")));

    const XlsxExportResult result = ExportModelsToXlsx(sources, path);

    // Exported grids show their last row as current.
    for (int k = 0; k < result.sheetsWritten && k < sources.size(); ++k) {
        QTableView *grid = grids.at(k);
        QAbstractItemModel *m = sources.at(k).model;
        if (grid && m && m->rowCount() > 0) {
            const int column = grid->currentIndex().isValid() ? grid->currentIndex().column() : 0;
            grid->setCurrentIndex(m->index(m->rowCount() - 1, column));
        }
    }

    if (result.complete && open)
        open(path);
    return path;
}

} // namespace scada
