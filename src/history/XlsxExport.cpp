#include "history/XlsxExport.h"

#include "common/Errors.h"

#include <QAbstractItemModel>
#include <QFile>

#include <xlsxwriter.h>

namespace scada {

namespace {

constexpr int kSheetNameMax = 31;
constexpr int kCellTextMax = 32767;

QString cut(const QString &text, int max)
{
    if (text.size() <= max)
        return text;
    int n = max;
    if (n > 0 && text.at(n - 1).isHighSurrogate())
        --n;
    return text.left(n);
}

bool takenIgnoringCase(const QString &name, const QStringList &taken)
{
    for (const QString &t : taken)
        if (t.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// Closes (and frees) the workbook on every path out of the export.
struct WorkbookGuard {
    lxw_workbook *book;
    bool closed = false;
    lxw_error close()
    {
        closed = true;
        return workbook_close(book);
    }
    ~WorkbookGuard()
    {
        if (!closed)
            workbook_close(book);
    }
};

QString cellText(const QVariant &v)
{
    return cut(v.toString(), kCellTextMax);
}

} // namespace

QString SanitizeSheetName(const QString &name, int position, const QStringList &taken)
{
    QString s = name;
    for (QChar &c : s) {
        switch (c.unicode()) {
        case '[': case ']': case ':': case '*': case '?': case '/': case '\\':
            c = QLatin1Char('_');
            break;
        default:
            if (c.unicode() < 0x20)
                c = QLatin1Char('_');
        }
    }
    if (s.startsWith(QLatin1Char('\'')))
        s[0] = QLatin1Char('_');
    s = cut(s, kSheetNameMax);
    if (s.endsWith(QLatin1Char('\'')))
        s[s.size() - 1] = QLatin1Char('_');
    if (s.isEmpty())
        s = QStringLiteral("Sheet%1").arg(position);
    if (s.compare(QLatin1String("History"), Qt::CaseInsensitive) == 0)
        s += QLatin1Char('_');

    if (!takenIgnoringCase(s, taken))
        return s;
    for (int n = 2;; ++n) {
        const QString suffix = QStringLiteral("~%1").arg(n);
        const QString candidate = cut(s, kSheetNameMax - int(suffix.size())) + suffix;
        if (!takenIgnoringCase(candidate, taken))
            return candidate;
    }
}

XlsxExportResult ExportModelsToXlsx(const QList<NamedModel> &sources, const QString &path)
{
    XlsxExportResult result;

    // Settle the sheets first: which sources are exported and their shape.
    struct Plan {
        QString sheet;
        QAbstractItemModel *model;
        QList<int> columns;
    };
    QList<Plan> plans;
    for (int k = 0; k < sources.size(); ++k) {
        const NamedModel &src = sources.at(k);
        if (!src.model) {
            result.stoppedAt = k;
            break;
        }
        QAbstractItemModel *m = src.model;
        while (m->canFetchMore(QModelIndex()))
            m->fetchMore(QModelIndex());
        QList<int> columns = src.columns;
        if (columns.isEmpty())
            for (int c = 0; c < m->columnCount(); ++c)
                columns.append(c);
        if (columns.size() > LXW_COL_MAX)
            throw EInOutError(QStringLiteral("Grid %1 has %2 columns; a worksheet holds at most %3.")
                                  .arg(src.name).arg(columns.size()).arg(LXW_COL_MAX));
        if (qint64(m->rowCount()) + 1 > LXW_ROW_MAX)
            throw EInOutError(QStringLiteral("Grid %1 has %2 rows; a worksheet holds at most %3.")
                                  .arg(src.name).arg(m->rowCount()).arg(LXW_ROW_MAX - 1));
        const QString sheet = SanitizeSheetName(src.name, k + 1, result.sheetNames);
        result.sheetNames.append(sheet);
        plans.append({sheet, m, columns});
    }
    result.complete = result.stoppedAt < 0;
    if (plans.isEmpty())
        return result;

    const QByteArray fileName = QFile::encodeName(path);
    lxw_workbook *book = workbook_new(fileName.constData());
    if (!book)
        throw EFCreateError(QStringLiteral("Cannot create file \"%1\".").arg(path));
    WorkbookGuard guard{book};

    for (const Plan &plan : plans) {
        const QByteArray sheetName = plan.sheet.toUtf8();
        lxw_worksheet *ws = workbook_add_worksheet(book, sheetName.constData());
        if (!ws)
            throw EFCreateError(QStringLiteral("Cannot add worksheet \"%1\" to \"%2\".")
                                    .arg(plan.sheet, path));
        for (int c = 0; c < plan.columns.size(); ++c) {
            const QByteArray title =
                cellText(plan.model->headerData(plan.columns.at(c), Qt::Horizontal)).toUtf8();
            worksheet_write_string(ws, 0, lxw_col_t(c), title.constData(), nullptr);
        }
        const int rows = plan.model->rowCount();
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < plan.columns.size(); ++c) {
                const QModelIndex idx = plan.model->index(r, plan.columns.at(c));
                const QByteArray text = cellText(plan.model->data(idx, Qt::DisplayRole)).toUtf8();
                if (!text.isEmpty())
                    worksheet_write_string(ws, lxw_row_t(r + 1), lxw_col_t(c),
                                           text.constData(), nullptr);
            }
        }
    }

    const lxw_error err = guard.close();
    if (err != LXW_NO_ERROR) {
        QFile::remove(path);
        throw EFCreateError(QStringLiteral("Cannot write file \"%1\": %2")
                                .arg(path, QString::fromUtf8(lxw_strerror(err))));
    }
    result.sheetsWritten = int(plans.size());
    result.fileWritten = true;
    return result;
}

} // namespace scada
