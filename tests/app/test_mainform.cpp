#include "app/MainForm.h"
#include "common/Errors.h"
#include "support/TempDir.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QStatusTipEvent>
#include <QCoreApplication>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include "platform/SingleInstance.h"
#include "users/UserRights.h"

using namespace scada;

namespace {
struct FormFixture : ::testing::Test {
    TempPlant plant;
    FakePrompt prompt;
    std::unique_ptr<TMainForm> form;
    void SetUp() override { form = std::make_unique<TMainForm>(plant.path(), prompt); }
    QAction *act(const char *name) { return form->action(QString::fromLatin1(name)); }
};
} // namespace

TEST_F(FormFixture, UnitWordCaptionsComeFromThePatterns)
{
    EXPECT_EQ(act("SysSetTimeCmd")->text(), "Set QEL time");
    EXPECT_EQ(act("SysSetTimeCmd")->statusTip(), "Set QEL time");
    EXPECT_EQ(act("MonitorAddQelCmd")->text(), "Add/delete QEL");
    EXPECT_EQ(act("MonitorAddQelCmd")->statusTip(), "Add or delete QEL");
    EXPECT_EQ(act("MonitorDesignQelCmd")->text(), "Design QEL");
    EXPECT_EQ(act("MonitorDesignQelCmd")->statusTip(), "Design QEL param");
    EXPECT_EQ(form->setTimeQuestion(), "Set all QEL time?");
}

TEST_F(FormFixture, StatusPanelsHoldUnitWordVersionAndClock)
{
    EXPECT_EQ(form->statusPanel(2)->text(), "QEL");
    EXPECT_EQ(form->statusPanel(4)->text(), "Ver 3.34");
    EXPECT_EQ(TMainForm::clockText(QDateTime(QDate(2008, 3, 25), QTime(14, 7, 9))),
              "2008-3-25  Tuesday  02:07:09 PM");
    EXPECT_EQ(TMainForm::clockText(QDateTime(QDate(2005, 12, 3), QTime(9, 30, 0))),
              "2005-12-3  Saturday  09:30:00 AM");
    // Hints are copied into panel 0.
    QStatusTipEvent tip("Exit Scada system");
    QCoreApplication::sendEvent(form.get(), &tip);
    EXPECT_EQ(form->statusPanel(0)->text(), "Exit Scada system");
}

TEST_F(FormFixture, RightsBoundCommandsAreDisabledAtStart)
{
    for (const char *off : {"SysSetTimeCmd", "SysDeployCmd", "MonitorClearAlarmCmd", "MonitorDrawToolsCmd",
                            "MonitorDesignStationCmd", "MonitorAddQelCmd", "MonitorDesignQelCmd", "MonitorSetVideoCmd",
                            "MonitorDiaplayVideoCmd", "MoniorDesignVar", "MonitorSetBatchCtrlCmd",
                            "MonitorBatchCtrlCmd", "QueryHisYmCmd", "ReportCreateCmd", "UserManageCmd",
                            "UserModifyMangerCmd", "SeletedCOMM1", "SetBatchCtrl1"})
        EXPECT_FALSE(act(off)->isEnabled()) << off;
    for (const char *on : {"HelpContextCmd", "HelpAboutCmd", "SysSetPrintCmd", "SysExitCmd", "MonitorCommStateCmd",
                           "QueryHisYcCmd", "QuerySoeCmd", "QueryLineCmd", "ReportBrowseCmd", "UserLoginCmd",
                           "UserLogoutCmd"})
        EXPECT_TRUE(act(on)->isEnabled()) << on;
    EXPECT_TRUE(act("SeletedCOMM1")->isVisible());
}

TEST_F(FormFixture, StartsWithHiddenBarsAndShowMainMenuBringsTheMenuButtons)
{
    form->show();
    auto *coolBar = form->findChild<QWidget *>("CoolBar1");
    auto *tree = form->findChild<QTreeWidget *>("TreeView1");
    ASSERT_TRUE(coolBar && tree);
    EXPECT_FALSE(coolBar->isVisible());
    EXPECT_FALSE(tree->isVisible());
    EXPECT_FALSE(form->findChild<QWidget *>("ListBoxmsg")->isVisible());
    EXPECT_FALSE(form->findChild<QWidget *>("Memocomm")->isVisible());
    EXPECT_EQ(form->findChild<QWidget *>("Panel1")->maximumWidth(), 2);
    EXPECT_EQ(form->runMode(), 1);

    act("ShowMainMenu")->trigger();
    EXPECT_TRUE(coolBar->isVisible());
    QStringList buttons;
    for (auto *b : form->findChild<QWidget *>("ToolBarMainMenu")->findChildren<QToolButton *>())
        if (b->menu() && !b->text().isEmpty())
            buttons << b->text();
    EXPECT_EQ(buttons, QStringList({"System", "Monitor", "User", "Query", "Report", "Tools", "Help"}));

    act("ShowTreeView")->trigger();
    EXPECT_TRUE(tree->isVisible());
    EXPECT_TRUE(act("ToolsGroupItem")->isChecked());
}

TEST_F(FormFixture, MenuItemsWithTheirOwnCaptionsFollowTheirCommands)
{
    auto *query = form->findChild<QMenu *>("Query1");
    ASSERT_TRUE(query);
    QStringList captions;
    for (QAction *a : query->actions())
        captions << a->text();
    EXPECT_EQ(captions, QStringList({"History", "SOE(Digital)"}));
    auto *monitor = form->findChild<QMenu *>("Monitor1");
    QStringList visible;
    for (QAction *a : monitor->actions())
        if (a->isVisible() && !a->isSeparator())
            visible << a->text();
    EXPECT_EQ(visible, QStringList({"Clear alarm", "Draw tools", "Station Design", "Add/delete QEL", "Design QEL",
                                    "Seleted COM", "Set Batch Control"}));
}

TEST_F(FormFixture, MessageListInsertsAtTopAndClearsPastThousandLines)
{
    auto *list = form->findChild<QListWidget *>("ListBoxmsg");
    form->show();
    form->addMessageLine("first");
    form->addMessageLine("second");
    EXPECT_TRUE(list->isVisible());
    EXPECT_TRUE(act("veiw_ListBox1")->isChecked());
    EXPECT_EQ(list->item(0)->text(), "second");
    for (int i = list->count(); i <= 1000; ++i)
        form->addMessageLine(QString::number(i));
    EXPECT_EQ(list->count(), 1001);
    form->addMessageLine("after");
    EXPECT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), "after");
    list->findChild<QAction *>("Close1")->trigger();
    EXPECT_FALSE(list->isVisible());
    EXPECT_FALSE(act("veiw_ListBox1")->isChecked());
}

TEST_F(FormFixture, ShutdownStopsTheTimers)
{
    form->show();
    EXPECT_TRUE(form->timers().isActive("Timer2"));
    form->timers().start("Timer4");
    form->close();
    EXPECT_TRUE(form->closing());
    for (const char *t : {"Timer1", "Timer2", "Timer3", "Timer4", "Timer6"})
        EXPECT_FALSE(form->timers().isActive(t)) << t;
}

TEST(MainFormStart, DatabaseFolderThatCannotBeCreatedIsReported)
{
    TempPlant plant;
    plant.write("Table", "not a folder");
    FakePrompt prompt;
    try {
        TMainForm form(plant.path(), prompt);
        FAIL() << "no error";
    } catch (const EFCreateError &e) {
        EXPECT_TRUE(e.message().startsWith("Cannot create ")) << e.message().toStdString();
        EXPECT_TRUE(e.message().endsWith("Table"));
    }
}

TEST(ProgramStart, SecondCopyEndsSilently)
{
    const QString exe = QStringLiteral(SCADA_BUILD_DIR "/src/app/scada");
    ASSERT_TRUE(QFileInfo::exists(exe));
    TempPlant plant;
    ASSERT_TRUE(QFile::copy(exe, plant.file("scada")));
    QFile::setPermissions(plant.file("scada"), QFile::permissions(exe));
    SingleInstance running;
    ASSERT_TRUE(running.tryAcquire(plant.path()));

    QProcess second;
    second.setProcessChannelMode(QProcess::MergedChannels);
    second.start(plant.file("scada"), {});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(plant.file("Table"))) << "the second copy must not start up";
}

TEST_F(FormFixture, EveryRightsBoundCommandExistsAndFollowsTheUserType)
{
    for (const UserRight &r : UserRightsTable())
        ASSERT_TRUE(act(r.command)) << r.command;
    ApplyUserRights(form.get(), "Manager");
    for (const UserRight &r : UserRightsTable())
        EXPECT_EQ(act(r.command)->isEnabled(), r.manager) << r.command;
    ApplyUserRights(form.get(), "General");
    for (const UserRight &r : UserRightsTable())
        EXPECT_EQ(act(r.command)->isEnabled(), r.general) << r.command;
    act("UserLogoutCmd")->trigger();
    EXPECT_FALSE(act("SeletedCOMM1")->isEnabled());
    EXPECT_FALSE(act("SetBatchCtrl1")->isEnabled());
    EXPECT_TRUE(QFileInfo::exists(plant.file("Users.paw")));
}

TEST_F(FormFixture, HelpOpensThePlantsPageOrTheBuiltInOne)
{
    QList<QUrl> opened;
    form->openUrl = [&](const QUrl &url) {
        opened << url;
        return true;
    };
    act("HelpContextCmd")->trigger();
    ASSERT_EQ(opened.size(), 1);
    QFile builtIn(opened.first().toLocalFile());
    ASSERT_TRUE(builtIn.open(QIODevice::ReadOnly));
    EXPECT_TRUE(builtIn.readAll().contains("Switching an output"));

    plant.write("Scada.html", "<html>plant help</html>");
    act("HelpContextCmd")->trigger();
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened.last().toLocalFile(), plant.file("Scada.html"));
}
