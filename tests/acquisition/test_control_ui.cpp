// The control windows offscreen: password dialog, group control window,
// control colour dialog and the program read progress window.

#include "acquisition/BlockProgram.h"
#include "acquisition/RemoteControl.h"
#include "acquisition/StationRuntime.h"
#include "acquisition/ui/ControlCommands.h"
#include "acquisition/ui/DlgReadBlock.h"
#include "acquisition/ui/FormCheckQelPassword.h"
#include "acquisition/ui/FormQelGroupControl.h"
#include "acquisition/ui/Formsetcontrolcolor.h"
#include "common/Colour.h"
#include "common/IniFile.h"
#include "platform/ManualScheduler.h"
#include "platform/Prompt.h"
#include "store/Database.h"
#include "store/StoreSetup.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace scada;

TEST(ControlUi, PasswordDialogAllowsThreeAttempts)
{
    FakePrompt prompt;
    TFormCheckQelPassword dlg(prompt);
    EXPECT_EQ(dlg.windowTitle(), "Check QEL Password ...");
    dlg.setRequest({"Breaker 1", "4826", true});
    dlg.show();
    auto *edit = dlg.findChild<QLineEdit *>("EditPassword");
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dlg.findChild<QLineEdit *>("EditCurrent")->text(), "Breaker 1");
    EXPECT_EQ(dlg.findChild<QGroupBox *>("RadioGroup1")->title(), "Breaker 1:");
    EXPECT_FALSE(dlg.findChild<QGroupBox *>("RadioGroup1")->isEnabled());
    EXPECT_TRUE(dlg.findChild<QRadioButton *>("RadioOnToOff")->isChecked());
    EXPECT_EQ(dlg.findChild<QFrame *>("PanelStatus")->palette().color(QPalette::Window), toQColor(255));

    // Escape does not close it.
    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_TRUE(dlg.isVisible());

    for (const char *typed : {"1", "2", "3"}) {
        edit->setText(typed);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(prompt.texts(), (QStringList{"Password is invalid !", "Password is invalid !", "You have only once !",
                                           "Password is invalid !", "You have no chance !"}));

    // Shown again: the count starts over; the right password accepts.
    prompt.clear();
    dlg.setRequest({"Breaker 1", "4826", false});
    dlg.show();
    EXPECT_EQ(dlg.findChild<QFrame *>("PanelStatus")->palette().color(QPalette::Window), toQColor(65280));
    EXPECT_TRUE(dlg.findChild<QRadioButton *>("RadioOffToOn")->isChecked());
    edit->setText("x");
    dlg.findChild<QPushButton *>("BtnOK")->click();
    EXPECT_TRUE(edit->text().isEmpty());
    edit->setText("4826");
    dlg.findChild<QPushButton *>("BtnOK")->click();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(prompt.texts(), QStringList{"Password is invalid !"});

    // A point named "None" cannot take a password; Close ends the dialog.
    dlg.setRequest({"None", "4826", false});
    dlg.show();
    EXPECT_FALSE(edit->isEnabled());
    dlg.findChild<QPushButton *>("BtnClose")->click();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
}

namespace {

class GroupUi : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(plant.path()).mkpath("Table");
        db = std::make_unique<Database>(plant.path());
        ASSERT_TRUE(db->open());
        CreateDatabaseTable(*db);
        db->insert("FtuTable", {{"Station", "Works"}, {"FtuName", "Pump"}, {"FtuAddress", 5}, {"FtuType", 1}});
        db->insert("FtuTable", {{"Station", "Works"}, {"FtuName", "Feeder"}, {"FtuAddress", 6}, {"FtuType", 0}});
        for (int off = 13; off <= 20; ++off)
            db->insert("YxTable", {{"FtuName", "Pump"}, {"OffIndex", off}, {"Point", QString("out%1").arg(off)}});
        form = std::make_unique<TFormQelGroupControl>(*db, prompt, plant.path());
    }
    template <typename T> T *child(const QString &name) { return form->findChild<T *>(name); }
    void check(int row)
    {
        auto *list = child<QListWidget>("clbQelName");
        list->item(row)->setCheckState(Qt::Checked);
    }

    TempPlant plant;
    std::unique_ptr<Database> db;
    FakePrompt prompt;
    std::unique_ptr<TFormQelGroupControl> form;
};

} // namespace

TEST_F(GroupUi, EditSaveAndSendABatch)
{
    int sends = 0;
    form->setSendHandler([&] { ++sends; });
    form->show();
    EXPECT_EQ(form->windowTitle(), "Control for QEL Group");
    auto *list = child<QListWidget>("clbQelName");
    ASSERT_EQ(list->count(), 2);
    EXPECT_FALSE(child<QPushButton>("btnSend")->isEnabled());
    EXPECT_FALSE(child<QWidget>("GroupBoxPoints")->isEnabled());

    check(0);
    EXPECT_TRUE(child<QWidget>("GroupBoxPoints")->isEnabled());
    EXPECT_TRUE(child<QPushButton>("btnSend")->isEnabled());
    EXPECT_TRUE(child<QCheckBox>("CheckBox8")->isVisibleTo(form.get()));
    // Outputs 0 and 3 take part; output 0 on, output 3 off.
    for (int k : {2, 3, 5, 6, 7, 8})
        child<QCheckBox>(QString("CheckBox%1").arg(k))->click();
    EXPECT_FALSE(child<QPushButton>("Point2")->isEnabled());
    child<QPushButton>("Point4")->click();
    EXPECT_EQ(form->currentPointText(), "out16");
    // Hovering names the output; leaving the area clears the name.
    QEvent enter(QEvent::Enter), leave(QEvent::Leave);
    QApplication::sendEvent(child<QCheckBox>("CheckBox2"), &enter);
    EXPECT_EQ(form->currentPointText(), "out14");
    EXPECT_EQ(child<QLabel>("LabelPoint2")->text(), "out14");
    EXPECT_TRUE(child<QLabel>("LabelPoint4")->text().isEmpty());
    QApplication::sendEvent(child<QWidget>("GroupBoxPoints"), &leave);
    EXPECT_TRUE(form->currentPointText().isEmpty());
    EXPECT_FALSE(form->saved());

    child<QPushButton>("btnSend")->click();
    QApplication::processEvents();
    EXPECT_EQ(sends, 1);
    EXPECT_TRUE(form->saved());
    EXPECT_EQ(plant.read("QelList.ini"), "329985\r\n");
    IniFile ini(plant.file("QelGroup.ini"));
    EXPECT_EQ(ini.value("QelInfo", "QelCount"), "2");
    EXPECT_EQ(ini.value("QelInfo", "QEL0Status"), "1");
    EXPECT_EQ(ini.value("QEL0Info", "Point3Name"), "out16");
    EXPECT_EQ(ini.value("QEL0Info", "Point3Enable"), "1");
    EXPECT_EQ(ini.value("QEL0Info", "Point3Status"), "0");

    // A 4-output unit with every output enabled and on.
    check(1);
    EXPECT_FALSE(child<QCheckBox>("CheckBox5")->isVisibleTo(form.get()));
    child<QPushButton>("btnSave")->click();
    EXPECT_EQ(plant.read("QelList.ini"), "329985\r\n397071\r\n");
}

TEST_F(GroupUi, SendFromTheGroupWindowRunsTheBatchCommand)
{
    ManualScheduler sched;
    FakeBytePort port;
    StationRuntime rt(plant.path(), db.get(), &port, &sched, &sched, &prompt);
    ControlCommands commands(nullptr, rt, sched, sched, prompt, *db, plant.path());
    prompt.queue(PromptAnswer::No); // "Are you sure ?"
    commands.MonitorSetBatchCtrlCmdExecute([&](TFormQelGroupControl &f) {
        f.show();
        f.findChild<QListWidget *>("clbQelName")->item(0)->setCheckState(Qt::Checked);
        f.findChild<QPushButton *>("btnSend")->click();
        QApplication::processEvents();
        f.close();
        return 0;
    });
    EXPECT_EQ(plant.read("QelList.ini"), QByteArray::number(5 * 65536 + 0xFF * 256 + 0xFF) + "\r\n");
    EXPECT_TRUE(prompt.saw("Are you sure ?"));
    EXPECT_FALSE(commands.batch().running());
}

TEST_F(GroupUi, UnsavedEditsClearAndColours)
{
    form->show();
    check(1);
    prompt.queue(PromptAnswer::Yes);
    form->close();
    EXPECT_EQ(prompt.lastText(), "The Value was modified ,Save it ?");
    EXPECT_EQ(plant.read("QelList.ini"), "397071\r\n");

    form->show();
    EXPECT_TRUE(form->saved()) << "shown again from the tables";
    EXPECT_FALSE(form->units()[1].checked);
    prompt.queue(PromptAnswer::Yes);
    child<QPushButton>("btnClear")->click();
    EXPECT_EQ(prompt.lastText(), "Clear all current infomation,\rand get the new value when it display next !");
    EXPECT_FALSE(QFile::exists(plant.file("QelGroup.ini")));
    EXPECT_FALSE(form->isVisible());

    // Colours: a cancelled chooser or dialog changes nothing; OK writes the file.
    form->show();
    QColor chosen = Qt::blue;
    bool chooserOk = false;
    int dialogResult = QDialog::Rejected;
    form->setColourDialog(
        [&](TFormsetcontrolcolor &d) {
            EXPECT_EQ(d.windowTitle(), "set control color ");
            d.findChild<QPushButton *>("Button1")->click();
            d.findChild<QPushButton *>("Button2")->click();
            return dialogResult;
        },
        [&](const QColor &, QWidget *) { return chooserOk ? std::optional<QColor>(chosen) : std::nullopt; });
    chooserOk = true;
    form->SetControlcolor1Click();
    EXPECT_EQ(form->colours().on, 255u);
    EXPECT_FALSE(QFile::exists(plant.file("controlcolor.set")));
    dialogResult = QDialog::Accepted;
    chooserOk = false;
    form->SetControlcolor1Click();
    EXPECT_EQ(form->colours().on, 255u);
    EXPECT_EQ(form->colours().off, 65280u);
    chooserOk = true;
    form->SetControlcolor1Click();
    EXPECT_EQ(form->colours().on, 0xFF0000u) << "blue as a colour value";
    EXPECT_EQ(form->colours().off, form->colours().on);
    EXPECT_EQ(LoadControlColours(plant.file("controlcolor.set")).off, 0xFF0000u);
}

TEST(ControlUi, ProgramReadProgressWindow)
{
    TempPlant dir;
    ManualScheduler sched;
    FakeBytePort port;
    FakePrompt prompt;
    StationRuntime rt(dir.path(), nullptr, &port, &sched, &sched, &prompt);
    PointModel m;
    m.stationCount = 1;
    m.stations.resize(1);
    m.stations[0].portName = "COM1";
    TFtuRec u;
    u.name = "Pump";
    u.address = 3;
    m.stations[0].units.push_back(u);
    rt.InstallPointModel(m);
    RemoteControl ctl(rt, sched, sched, prompt);
    BlockProgram prog(rt, ctl, sched, prompt, dir.path());
    port.writes.clear();

    QPointer<TDlgReadBlock> dlg = StartProgramRead(nullptr, prog, 3, 0);
    ASSERT_TRUE(dlg);
    EXPECT_EQ(dlg->windowTitle(), "Read blocks from QEL");
    EXPECT_TRUE(dlg->isVisible());
    QApplication::processEvents();
    ASSERT_EQ(port.writes.size(), 1);
    EXPECT_EQ(port.writes[0], toBytes(BuildProgramAccessFrame(3, true)));
    Frame ack{};
    ack[0] = 0xAA;
    ack[1] = 3;
    ack[2] = 0xFD;
    SealFrame(ack);
    port.feed(toBytes(ack));
    Frame rec{};
    rec[0] = 0xAA;
    rec[1] = 3;
    rec[2] = 0x0E;
    rec[4] = 1;
    SealFrame(rec);
    port.feed(toBytes(rec));
    EXPECT_EQ(dlg->bar()->value(), 0);
    port.feed(toBytes(rec));
    EXPECT_EQ(dlg->bar()->value(), 1);
    rec[4] = 0xFF;
    SealFrame(rec);
    port.feed(toBytes(rec));
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dlg.isNull()) << "closed and freed at the end of the read";
    EXPECT_EQ(rt.model().blocks[0].size(), 2u);
}
