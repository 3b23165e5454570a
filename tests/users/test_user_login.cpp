#include "platform/Prompt.h"
#include "support/TempDir.h"
#include "users/UserFile.h"
#include "users/UserRights.h"
#include "users/ui/TFormUserLogin.h"
#include "users/ui/UserCommands.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

using namespace scada;
using namespace Qt::StringLiterals;

namespace {

// Commands whose state depends on the user type, and those enabled for a
// "General" user.
const QStringList kRightsBound{
    u"SysSetTimeCmd"_s,       u"SysDeployCmd"_s,          u"MonitorClearAlarmCmd"_s,
    u"MonitorDrawToolsCmd"_s, u"MonitorDesignStationCmd"_s, u"MonitorAddQelCmd"_s,
    u"MonitorDesignQelCmd"_s, u"MoniorDesignVar"_s,        u"UserManageCmd"_s,
    u"UserModifyMangerCmd"_s, u"ReportCreateCmd"_s,        u"MonitorSetBatchCtrlCmd"_s,
    u"MonitorBatchCtrlCmd"_s, u"SeletedCOMM1"_s,           u"SetBatchCtrl1"_s};
const QStringList kGeneralOn{u"SysSetTimeCmd"_s,          u"UserModifyMangerCmd"_s,
                             u"MonitorSetBatchCtrlCmd"_s, u"MonitorBatchCtrlCmd"_s,
                             u"SeletedCOMM1"_s,           u"SetBatchCtrl1"_s};
// Commands for everybody, and one that stays disabled in every state.
const QStringList kFree{u"UserLoginCmd"_s, u"UserLogoutCmd"_s, u"SysExitCmd"_s,
                        u"QuerySoeCmd"_s};
const QString kAlwaysOff = u"QueryHisYmCmd"_s;

// A stand-in for the main window: actions named like its commands, the two
// plain menu items inside a menu.
struct FakeMainWindow {
    QWidget window;
    QMenu *monitor = new QMenu(&window);

    FakeMainWindow()
    {
        for (const QString &name : kRightsBound + kFree + QStringList{kAlwaysOff}) {
            const bool menuItem = name.endsWith(u'1');
            auto *a = new QAction(name, menuItem ? static_cast<QObject *>(monitor) : &window);
            a->setObjectName(name);
            if (menuItem)
                monitor->addAction(a);
        }
        action(kAlwaysOff)->setEnabled(false);
    }
    QAction *action(const QString &name) { return window.findChild<QAction *>(name); }
    bool on(const QString &name) { return action(name)->isEnabled(); }

    // Expected state per command; free commands are always enabled.
    void expectColumn(RightsColumn column)
    {
        for (const QString &name : kRightsBound) {
            const bool want = column == RightsColumn::Manager
                || (column == RightsColumn::General && kGeneralOn.contains(name));
            EXPECT_EQ(on(name), want) << name.toStdString();
        }
        for (const QString &name : kFree)
            EXPECT_TRUE(on(name)) << name.toStdString();
        EXPECT_FALSE(on(kAlwaysOff));
    }
};

// Runs drive on the login dialog once UserLoginCmd has shown it; a deadline
// closes a dialog that the driver left open so that a failing test ends.
void whenLoginShown(QWidget *parent, std::function<void(TFormUserLogin *)> drive)
{
    QTimer::singleShot(0, parent, [parent, drive] {
        auto *dlg = parent->findChild<TFormUserLogin *>();
        ASSERT_NE(dlg, nullptr);
        ASSERT_TRUE(dlg->isVisible());
        drive(dlg);
    });
    QTimer::singleShot(10000, parent, [parent] {
        if (auto *dlg = parent->findChild<TFormUserLogin *>(); dlg && dlg->isVisible()) {
            ADD_FAILURE() << "login dialog left open";
            dlg->btCancel->click();
        }
    });
}

void typeAndApply(TFormUserLogin *dlg, const QString &name, const QString &password)
{
    dlg->Users->setEditText(name);
    dlg->Password->setText(password);
    dlg->btApply->click();
}

struct Login : ::testing::Test {
    TempPlant plant;
    FakePrompt prompt;
    TUserList users;
    FakeMainWindow main;
    bool openAfterTries = false;

    // Runs the login command with these tries (name, password) in order,
    // as long as the dialog stays open; closes a dialog still open after
    // them with "&Close".
    bool login(const QList<std::pair<QString, QString>> &tries)
    {
        openAfterTries = false;
        whenLoginShown(&main.window, [this, tries](TFormUserLogin *dlg) {
            for (const auto &[name, password] : tries)
                if (dlg->isVisible())
                    typeAndApply(dlg, name, password);
            openAfterTries = dlg->isVisible();
            if (openAfterTries)
                dlg->btCancel->click();
        });
        return UserLoginCmd(&main.window, &main.window, plant.path(), prompt, users);
    }
};

} // namespace

TEST(UserRights, ColumnsFollowTheTableAndOtherTypesChangeNothing)
{
    FakeMainWindow m;
    DisableRightsBoundCommands(&m.window);
    m.expectColumn(RightsColumn::NoUser);

    EXPECT_TRUE(ApplyUserRights(&m.window, u"Manager"_s));
    m.expectColumn(RightsColumn::Manager);
    EXPECT_TRUE(ApplyUserRights(&m.window, u"General"_s));
    m.expectColumn(RightsColumn::General);

    for (const QString &other : {u"manager"_s, u"Operator"_s, QString()}) {
        EXPECT_FALSE(ApplyUserRights(&m.window, other));
        m.expectColumn(RightsColumn::General);
    }
    UserLogoutCmd(&m.window);
    m.expectColumn(RightsColumn::NoUser);

    for (const UserRight &r : UserRightsTable())
        EXPECT_TRUE(kRightsBound.contains(QLatin1String(r.command))) << r.command;
    EXPECT_EQ(qsizetype(UserRightsTable().size()), kRightsBound.size());
}

TEST_F(Login, DialogOffersTheUsersOfTheFileAndPreparesThePassword)
{
    plant.write("Users.paw", "[first]#U#[General]#T#[1]\r\n[second]#U#[Manager]#T#[2]\r\n");
    TFormUserLogin dlg(users, plant.path(), prompt);
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), u"User Login ,you have 3 times ..."_s);
    ASSERT_EQ(dlg.Users->count(), 2);
    EXPECT_EQ(dlg.Users->itemText(1), u"second"_s);
    EXPECT_EQ(dlg.Users->currentText(), u"first"_s);
    EXPECT_EQ(dlg.Password->text(), u"0000"_s);
    EXPECT_EQ(dlg.Password->selectedText(), u"0000"_s);
    EXPECT_EQ(dlg.Password->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(dlg.btApply->isDefault());
    EXPECT_EQ(dlg.btApply->text(), u"&Apply"_s);
    EXPECT_EQ(dlg.btCancel->text(), u"&Close"_s);
    EXPECT_EQ(dlg.Users->toolTip(), u"Choose or Input User Name"_s);
    for (const char *name : {"Users", "Password", "btApply", "btCancel"})
        EXPECT_NE(dlg.findChild<QWidget *>(name), nullptr) << name;

    // Enter in the password edit tries the login.
    dlg.Password->setText(u"1"_s);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(dlg.Password, &enter);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.loggedInType(), u"General"_s);
    EXPECT_TRUE(users[0].Active);
}

TEST_F(Login, DialogRefusesToCloseExceptByCloseButtonOrLogin)
{
    TFormUserLogin dlg(users, plant.path(), prompt);
    dlg.show();
    dlg.close();
    EXPECT_TRUE(dlg.isVisible());
    dlg.reject();
    EXPECT_TRUE(dlg.isVisible());
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(dlg.Password, &escape);
    EXPECT_TRUE(dlg.isVisible());

    dlg.btCancel->click();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_TRUE(prompt.shown.isEmpty());
    EXPECT_FALSE(QFile::exists(plant.file("Config.Cfg")));
}

TEST_F(Login, WithoutUserFileTheDefaultManagerLogsInAndIsRecorded)
{
    DisableRightsBoundCommands(&main.window);
    QStringList offered;
    whenLoginShown(&main.window, [&](TFormUserLogin *dlg) {
        for (int i = 0; i < dlg->Users->count(); ++i)
            offered << dlg->Users->itemText(i);
        typeAndApply(dlg, u"Manager"_s, u"7313"_s);
    });
    EXPECT_TRUE(UserLoginCmd(&main.window, &main.window, plant.path(), prompt, users));
    EXPECT_EQ(offered, QStringList{u"Manager"_s});
    EXPECT_EQ(plant.read("Users.paw"), QByteArray("[Manager]#U#[Manager]#T#[7313]\r\n"));
    main.expectColumn(RightsColumn::Manager);
    ASSERT_EQ(users.size(), 1);
    EXPECT_TRUE(users[0].Active);
    EXPECT_TRUE(prompt.shown.isEmpty());
    EXPECT_EQ(plant.read("Config.Cfg"),
              QByteArray("[UserInformation]\r\nUserName=Manager\r\nUserType=Manager\r\n"
                         "UserPass=\r\nUserIndex=\r\n\r\n"));
}

TEST_F(Login, EmptyPasswordLogsInWrongCaseDoesNot)
{
    plant.write("Users.paw", "[Manager]#U#[Manager]#T#[7313]\r\n[op]#U#[General]#T#[]\r\n");
    DisableRightsBoundCommands(&main.window);

    EXPECT_FALSE(login({{u"manager"_s, u"7313"_s}}));
    EXPECT_TRUE(openAfterTries);
    EXPECT_EQ(prompt.texts(),
              QStringList{u"Password is Invalid ,You have only 2 time chance ! "_s});
    main.expectColumn(RightsColumn::NoUser);

    prompt.clear();
    EXPECT_TRUE(login({{u"op"_s, QString()}}));
    main.expectColumn(RightsColumn::General);
    EXPECT_TRUE(users[1].Active);
    EXPECT_TRUE(prompt.shown.isEmpty());
}

TEST_F(Login, EnterInTheNameFieldKeepsTheTypedLetterCase)
{
    TFormUserLogin dlg(users, plant.path(), prompt);
    dlg.show();
    dlg.Password->setText(u"7313"_s);
    dlg.Users->lineEdit()->setText(u"manager"_s);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(dlg.Users->lineEdit(), &enter);
    EXPECT_EQ(dlg.Users->currentText(), u"manager"_s);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_FALSE(users[0].Active);
    dlg.btCancel->click();
}

TEST_F(Login, ThreeFailuresCountDownAndCloseWithoutLogin)
{
    plant.write("Users.paw", "[Manager]#U#[Manager]#T#[7313]\r\n");
    ASSERT_TRUE(login({{u"Manager"_s, u"7313"_s}}));
    main.expectColumn(RightsColumn::Manager);
    const QByteArray record = plant.read("Config.Cfg");

    QStringList passwordsAfterFailure;
    whenLoginShown(&main.window, [&](TFormUserLogin *dlg) {
        for (const QString &wrong : {u"1"_s, u"7313 "_s, u"x"_s}) {
            ASSERT_TRUE(dlg->isVisible());
            typeAndApply(dlg, u"Manager"_s, wrong);
            passwordsAfterFailure << dlg->Password->text();
        }
        EXPECT_FALSE(dlg->isVisible());
        EXPECT_EQ(dlg->tries(), 3);
    });
    EXPECT_FALSE(UserLoginCmd(&main.window, &main.window, plant.path(), prompt, users));
    EXPECT_EQ(prompt.texts(),
              (QStringList{u"Password is Invalid ,You have only 2 time chance ! "_s,
                           u"Password is Invalid ,You have only 1 time chance ! "_s,
                           u"Password is Invalid ,You have only 0 time chance ! "_s}));
    EXPECT_EQ(passwordsAfterFailure, QStringList(3, QString()));
    main.expectColumn(RightsColumn::Manager); // unchanged
    EXPECT_EQ(plant.read("Config.Cfg"), record);
}

TEST_F(Login, GeneralAfterManagerThenLogoutThenUnknownType)
{
    plant.write("Users.paw", "[boss]#U#[Manager]#T#[b]\r\n[op]#U#[General]#T#[o]\r\n"
                             "[guest]#U#[Visitor]#T#[g]\r\n");
    DisableRightsBoundCommands(&main.window);

    ASSERT_TRUE(login({{u"boss"_s, u"b"_s}}));
    main.expectColumn(RightsColumn::Manager);
    ASSERT_TRUE(login({{u"op"_s, u"o"_s}}));
    main.expectColumn(RightsColumn::General);
    EXPECT_EQ(users.size(), 3);
    EXPECT_FALSE(users[0].Active);
    EXPECT_TRUE(users[1].Active);

    UserLogoutCmd(&main.window);
    main.expectColumn(RightsColumn::NoUser);
    EXPECT_TRUE(users[1].Active); // logout leaves the marks

    // A type that is neither "Manager" nor "General" logs in; rights stay.
    EXPECT_TRUE(login({{u"guest"_s, u"g"_s}}));
    main.expectColumn(RightsColumn::NoUser);
    EXPECT_TRUE(users[2].Active);
    EXPECT_TRUE(prompt.shown.isEmpty());
}

TEST_F(Login, EachDialogReloadsTheFileAndSkipsUnreadableLines)
{
    plant.write("Users.paw", "[a]#U#[General]#T#[1]\r\n");
    ASSERT_TRUE(login({{u"a"_s, u"1"_s}}));

    plant.write("Users.paw", "broken line\r\n[a]#U#[Manager]#T#[2]\r\n#U#\r\n[b]#U#[General]#T#[3]\r\n");
    EXPECT_FALSE(login({{u"a"_s, u"1"_s}}));
    EXPECT_TRUE(openAfterTries);
    ASSERT_EQ(users.size(), 2);
    EXPECT_EQ(users[0].UserName, u"a"_s);
    EXPECT_EQ(users[1].UserName, u"b"_s);

    prompt.clear();
    EXPECT_TRUE(login({{u"a"_s, u"2"_s}}));
    main.expectColumn(RightsColumn::Manager);
}
