// Export of grids and item models to .xlsx, read back with a zip reader.
#include "common/Errors.h"
#include "history/XlsxExport.h"
#include "history/XlsxReader.h"
#include "history/ui/GridExport.h"
#include "support/TempDir.h"

#include <QDir>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>

#include <gtest/gtest.h>

using namespace scada;

namespace {

const QDateTime kNow(QDate(2005, 3, 12), QTime(10, 15, 30));

// A model of `rows` x `cols` with titles "T1".."Tn" and cells "r<row>c<col>".
std::unique_ptr<QStandardItemModel> makeModel(int rows, int cols)
{
    auto m = std::make_unique<QStandardItemModel>(rows, cols);
    for (int c = 0; c < cols; ++c)
        m->setHorizontalHeaderItem(c, new QStandardItem(QStringLiteral("T%1").arg(c + 1)));
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            m->setItem(r, c, new QStandardItem(QStringLiteral("r%1c%2").arg(r + 1).arg(c + 1)));
    return m;
}

struct RecordingOpener {
    QStringList opened;
    bool answer = true;
    FileOpener fn()
    {
        return [this](const QString &p) {
            opened.append(p);
            return answer;
        };
    }
};

QStringList names(const QList<testxlsx::Sheet> &sheets)
{
    QStringList out;
    for (const auto &s : sheets)
        out.append(s.name);
    return out;
}

} // namespace

TEST(GridExport, GridWithElevenColumnsAndThreeRows)
{
    TempPlant plant;
    auto model = makeModel(3, 11);
    model->item(1, 4)->setData(12.5, Qt::DisplayRole);            // a number: its display text
    model->item(2, 10)->setText(QString::fromUtf8("合闸 <&> \"x\""));  // text that needs escaping
    QTableView grid;
    grid.setObjectName("DBGridEh1");
    grid.setModel(model.get());
    RecordingOpener opener;

    const QString path = ExportGridsToExcel({&grid}, plant.path(), opener.fn(), kNow);

    EXPECT_EQ(QFileInfo(path).absolutePath(), QDir(plant.file("Export")).absolutePath());
    EXPECT_EQ(QFileInfo(path).fileName(), "DBGridEh1_20050312_101530.xlsx");
    EXPECT_EQ(opener.opened, QStringList{path});
    const auto sheets = testxlsx::readWorkbook(path);
    ASSERT_EQ(names(sheets), QStringList{"DBGridEh1"});
    const auto &s = sheets.first();
    EXPECT_EQ(s.rowCount(), 4);
    EXPECT_EQ(s.row(1), QStringList({"T1", "T2", "T3", "T4", "T5", "T6", "T7", "T8", "T9",
                                     "T10", "T11"}));
    EXPECT_EQ(s.row(2).size(), 11);
    EXPECT_EQ(s.row(2).first(), "r1c1");
    EXPECT_EQ(s.row(3).at(4), "12.5");
    EXPECT_EQ(s.row(4).at(10), QString::fromUtf8("合闸 <&> \"x\""));
    EXPECT_EQ(s.row(4).at(9), "r3c10");
    // The grid is left on its last row.
    EXPECT_EQ(grid.currentIndex().row(), 2);
}

TEST(GridExport, EmptyDataSetWritesTitleRowOnlyAndOpens)
{
    TempPlant plant;
    auto model = makeModel(0, 3);
    QTableView grid;
    grid.setObjectName("DBGridEh1");
    grid.setModel(model.get());
    RecordingOpener opener;

    const QString path = ExportGridsToExcel({&grid}, plant.path(), opener.fn(), kNow);

    const auto sheets = testxlsx::readWorkbook(path);
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_EQ(sheets[0].rowCount(), 1);
    EXPECT_EQ(sheets[0].row(1), QStringList({"T1", "T2", "T3"}));
    EXPECT_EQ(opener.opened.size(), 1);
}

TEST(GridExport, ClosedDataSetEndsExportKeepsEarlierGridsAndOpensNothing)
{
    TempPlant plant;
    auto m1 = makeModel(2, 2), m3 = makeModel(1, 1);
    QTableView g1, g2, g3;
    g1.setObjectName("DBGridEh1");
    g1.setModel(m1.get());
    g2.setObjectName("DBGridEh2");  // no model: its data set is closed
    g3.setObjectName("DBGridEh3");
    g3.setModel(m3.get());
    RecordingOpener opener;

    const QString path = ExportGridsToExcel({&g1, &g2, &g3}, plant.path(), opener.fn(), kNow);

    const auto sheets = testxlsx::readWorkbook(path);
    EXPECT_EQ(names(sheets), QStringList{"DBGridEh1"});
    EXPECT_EQ(sheets[0].row(3), QStringList({"r2c1", "r2c2"}));
    EXPECT_TRUE(opener.opened.isEmpty());

    // Closed from the start: nothing written, nothing opened.
    TempPlant other;
    EXPECT_TRUE(ExportGridsToExcel({&g2, &g1}, other.path(), opener.fn(), kNow).isEmpty());
    EXPECT_FALSE(QDir(other.file("Export")).exists() && !QDir(other.file("Export")).isEmpty());
    EXPECT_TRUE(opener.opened.isEmpty());
}

TEST(GridExport, SeveralGridsFollowOnScreenColumnsAndGetDistinctFiles)
{
    TempPlant plant;
    auto m1 = makeModel(1, 4), m2 = makeModel(2, 2);
    QTableView g1, g2;
    g1.setObjectName("DBGridEh1");
    g1.setModel(m1.get());
    g1.setColumnHidden(1, true);
    g1.horizontalHeader()->moveSection(3, 0);  // T4 shown first
    g2.setObjectName("DBGridEh2");
    g2.setModel(m2.get());
    RecordingOpener opener;
    opener.answer = false;  // no desktop application: silent

    const QString first = ExportGridsToExcel({&g1, &g2}, plant.path(), opener.fn(), kNow);
    const QString second = ExportGridsToExcel({&g1, &g2}, plant.path(), opener.fn(), kNow);

    EXPECT_NE(first, second);
    EXPECT_EQ(opener.opened, QStringList({first, second}));
    const auto sheets = testxlsx::readWorkbook(second);
    ASSERT_EQ(names(sheets), QStringList({"DBGridEh1", "DBGridEh2"}));
    EXPECT_EQ(sheets[0].row(1), QStringList({"T4", "T1", "T3"}));
    EXPECT_EQ(sheets[0].row(2), QStringList({"r1c4", "r1c1", "r1c3"}));
    EXPECT_EQ(sheets[1].rowCount(), 3);
}

TEST(GridExport, UnwritableExportFolderThrowsAndOpensNothing)
{
    TempPlant plant;
    plant.write("Export", "a file in the way");
    auto model = makeModel(1, 1);
    QTableView grid;
    grid.setObjectName("DBGridEh1");
    grid.setModel(model.get());
    RecordingOpener opener;

    EXPECT_THROW(ExportGridsToExcel({&grid}, plant.path(), opener.fn(), kNow), EFCreateError);
    EXPECT_THROW(ExportModelsToXlsx({{"A", model.get(), {}}}, plant.file("Export/x.xlsx")),
                 EFCreateError);
    EXPECT_TRUE(opener.opened.isEmpty());
}

TEST(XlsxExport, SheetNamesAreMadeValid)
{
    struct Case {
        QString name;
        QStringList taken;
        QString expected;
    } cases[] = {
        {"DBGridEh1", {}, "DBGridEh1"},
        {"a[b]:c*?/\\d", {}, "a_b__c____d"},
        {QString(40, 'x'), {}, QString(31, 'x')},
        {"", {}, "Sheet3"},
        {"history", {}, "history_"},
        {"'quoted'", {}, "_quoted_"},
        {"DBGridEh1", {"dbgrideh1"}, "DBGridEh1~2"},
        {QString(31, 'y'), {QString(31, 'y'), QString(29, 'y') + "~2"}, QString(29, 'y') + "~3"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(SanitizeSheetName(c.name, 3, c.taken), c.expected) << c.name.toStdString();

    // Names the format would reject still give a readable workbook.
    TempPlant plant;
    auto m = makeModel(1, 1);
    const QString path = plant.file("names.xlsx");
    const auto result = ExportModelsToXlsx(
        {{"Grid:1", m.get(), {}}, {"grid_1", m.get(), {}}, {QString(40, 'z'), m.get(), {}}}, path);
    EXPECT_TRUE(result.complete);
    EXPECT_EQ(names(testxlsx::readWorkbook(path)),
              QStringList({"Grid_1", "grid_1~2", QString(31, 'z')}));
}
