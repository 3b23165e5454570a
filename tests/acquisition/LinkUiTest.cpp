// The port choice and the communication monitor, offscreen.

#include "acquisition/StationRuntime.h"
#include "acquisition/ui/CommMonitor.h"
#include "acquisition/ui/FormPorts.h"

#include "platform/ManualScheduler.h"
#include "platform/Prompt.h"
#include "platform/SerialBytePort.h"
#include "store/Database.h"
#include "store/StoreSetup.h"
#include "support/TempDir.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSerialPort>
#include <QTextDocument>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

using namespace scada;

namespace {

// The master side of a new pty; the slave path is the device to open.
struct Pty {
    Pty()
    {
        fd = posix_openpt(O_RDWR | O_NOCTTY);
        if (fd >= 0 && grantpt(fd) == 0 && unlockpt(fd) == 0)
            slave = QString::fromLocal8Bit(ptsname(fd));
    }
    ~Pty()
    {
        if (fd >= 0)
            ::close(fd);
    }
    int fd = -1;
    QString slave;
};

class PortChoice : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(free.slave.isEmpty());
        ASSERT_FALSE(held.slave.isEmpty());
        // Every other port number maps to a device that does not exist.
        QString ini = "[Ports]\n";
        for (int n = 1; n <= 16; ++n)
            ini += QString("COM%1=%2\n").arg(n).arg(n == 2 ? free.slave : n == 5 ? held.slave : "/nonexistent/tty");
        plant.write("ComPorts.ini", ini.toUtf8());
        QDir(plant.path()).mkpath("Table");
        db = std::make_unique<Database>(plant.path());
        ASSERT_TRUE(db->open());
        CreateDatabaseTable(*db);
        sched.define("Timer2", 1000, [] {});
        rt = std::make_unique<StationRuntime>(plant.path(), db.get(), &port, &sched, &sched, &prompt);
    }
    void addStation()
    {
        db->insert("MainTable", {{"Station", "Works"}, {"QuDong", "COM9"}, {"CommNo", 8}, {"UseModem", false}});
        db->insert("FtuTable", {{"Station", "Works"}, {"FtuName", "Pump"}, {"Mark", 1}, {"FtuAddress", 1},
                                {"FtuType", 1}});
        rt->LoadPointModel();
    }

    TempPlant plant;
    Pty free, held;
    std::unique_ptr<Database> db;
    ManualScheduler sched;
    SerialBytePort port;
    FakePrompt prompt;
    std::unique_ptr<StationRuntime> rt;
};

} // namespace

TEST_F(PortChoice, WithoutAStationTheChoiceIsRefused)
{
    bool shown = false;
    EXPECT_FALSE(SeletedCOMM1Click(nullptr, *rt, *db, prompt, plant.path(), [&](TFormports &) {
        shown = true;
        return int(QDialog::Accepted);
    }));
    EXPECT_FALSE(shown);
    EXPECT_EQ(prompt.lastText(), "No station is defined: create the station first.");
    EXPECT_EQ(db->recordCount("MainTable"), 0);
}

TEST_F(PortChoice, OkWritesThePortAndCancelKeepsItBothRestartAcquisition)
{
    addStation();
    EXPECT_FALSE(rt->portResult()) << "COM9 maps to nothing";
    QSerialPort other; // another program holds COM5
    other.setPortName(held.slave);
    ASSERT_TRUE(other.open(QIODevice::ReadWrite));

    for (bool ok : {false, true}) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        QStringList listed;
        const bool done = SeletedCOMM1Click(nullptr, *rt, *db, prompt, plant.path(), [&](TFormports &dlg) {
            EXPECT_EQ(dlg.windowTitle(), "Select Com");
            EXPECT_EQ(rt->mode(), StationRuntime::ModePaused);
            EXPECT_FALSE(sched.isActive("Timer4"));
            dlg.show();
            auto *combo = dlg.findChild<QComboBox *>("ComboBoxports");
            for (int i = 0; combo && i < combo->count(); ++i)
                listed << combo->itemText(i);
            EXPECT_EQ(dlg.selectedPort(), "COM2");
            return int(ok ? QDialog::Accepted : QDialog::Rejected);
        });
        EXPECT_TRUE(done);
        EXPECT_EQ(listed, QStringList{"COM2"}) << "COM5 is held by another program";
        const QVariantMap row = db->rows("MainTable").first();
        EXPECT_EQ(row["QuDong"].toString(), ok ? "COM2" : "COM9");
        EXPECT_EQ(row["CommNo"].toInt(), ok ? 1 : 8);
        EXPECT_EQ(rt->model().stations.size(), 1u) << "the model was reloaded";
        EXPECT_EQ(rt->mode(), StationRuntime::ModePolling);
        EXPECT_TRUE(sched.isActive("Timer2"));
        EXPECT_EQ(port.isOpen(), ok);
        EXPECT_TRUE(sched.isActive("Timer4"));
    }
    EXPECT_EQ(port.device(), free.slave);
    port.close();
}

namespace {

class Monitor : public ::testing::Test {
protected:
    void SetUp() override
    {
        rt = std::make_unique<StationRuntime>(plant.path(), nullptr, &port, &sched, &sched, &prompt);
        PointModel m;
        m.stationCount = 1;
        m.stations.resize(1);
        m.stations[0].portName = "COM7";
        TFtuRec u;
        u.name = "A";
        u.address = 3;
        u.mark = 1;
        u.size = 1;
        m.stations[0].units.push_back(u);
        rt->InstallPointModel(m);
        form = std::make_unique<TFormTongXun>(*rt, &prompt);
        form->show();
    }
    QString text(const char *name) const { return form->findChild<QLineEdit *>(name)->text(); }
    QStringList lines() const
    {
        const QString t = form->findChild<QPlainTextEdit *>("Memo1")->toPlainText();
        return t.isEmpty() ? QStringList() : t.split('\n');
    }
    static Frame good()
    {
        Frame f{};
        f[0] = 0xAA;
        f[1] = 3;
        f[2] = 0x09;
        SealFrame(f);
        return f;
    }

    TempPlant plant;
    ManualScheduler sched;
    FakeBytePort port;
    FakePrompt prompt;
    std::unique_ptr<StationRuntime> rt;
    std::unique_ptr<TFormTongXun> form;
};

} // namespace

TEST_F(Monitor, CountsFramesAndErrorsFromTheRuntime)
{
    EXPECT_EQ(form->windowTitle(), "Source Code");
    EXPECT_EQ(text("EditPercent"), "0");
    for (int i = 0; i < 3; ++i)
        rt->HandleDataReply(good().data(), 26);
    Frame bad = good();
    bad[0] = 0x55;
    rt->HandleDataReply(bad.data(), 26);
    EXPECT_EQ(text("EditFrames"), "4");
    EXPECT_EQ(text("EditErrors"), "1");
    EXPECT_EQ(text("EditPercent"), "25");
    EXPECT_EQ(text("EditChars"), "104");
    EXPECT_EQ(text("EditLength"), "26");
    EXPECT_EQ(text("EditChecked"), QString("%1").arg(bad[25], 2, 16, QLatin1Char('0')).toUpper());
    EXPECT_EQ(text("EditCom"), "COM7");
    ASSERT_EQ(lines().size(), 4);
    EXPECT_TRUE(lines()[0].startsWith("AA 03 09 "));
    EXPECT_TRUE(lines()[3].startsWith("55 03 09 "));
}

TEST_F(Monitor, HundredLineRuleAndStop)
{
    for (int i = 1; i <= 100; ++i)
        form->UpdateCommMonitor(26, QString("line %1").arg(i), 0);
    ASSERT_EQ(lines().size(), 100);
    form->UpdateCommMonitor(26, "line 101", 0);
    EXPECT_EQ(lines(), QStringList{"line 101"});

    form->findChild<QCheckBox *>("CheckBox1")->click(); // Stop
    EXPECT_FALSE(form->logging());
    rt->HandleDataReply(good().data(), 26);
    EXPECT_EQ(text("EditFrames"), "1") << "counters keep changing";
    EXPECT_EQ(lines(), QStringList{"line 101"});
    form->findChild<QCheckBox *>("CheckBox1")->click();
    rt->HandleDataReply(good().data(), 26);
    EXPECT_EQ(lines().size(), 2);
}

TEST_F(Monitor, SaveLoadClearAndPrint)
{
    form->UpdateCommMonitor(26, "AA 03 09 00", 0x12);
    form->UpdateCommMonitor(26, "Connected", 0x34);
    const QString file = QDir(plant.path()).filePath("trace.txt");
    QString printed, title;
    MonitorIo io;
    io.saveFileName = [&](QWidget *) { return file; };
    io.openFileName = [&](QWidget *) { return file; };
    io.print = [&](QWidget *, QTextDocument &doc) {
        printed = doc.toPlainText();
        title = doc.metaInformation(QTextDocument::DocumentTitle);
    };
    form->setIo(io);

    form->findChild<QPushButton *>("BitBtn1")->click();
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("AA 03 09 00\r\nConnected\r\n"));
    form->findChild<QPushButton *>("BitBtn3")->click();
    EXPECT_TRUE(lines().isEmpty());
    form->findChild<QPushButton *>("BitBtn5")->click();
    EXPECT_EQ(lines(), (QStringList{"AA 03 09 00", "Connected"}));
    form->findChild<QPushButton *>("BitBtn2")->click();
    EXPECT_EQ(printed, "AA 03 09 00\nConnected");
    EXPECT_EQ(title, "My Docment");

    // A file that cannot be written or read is reported, the text stays.
    io.saveFileName = [&](QWidget *) { return QDir(plant.path()).filePath("no/such/dir/x.txt"); };
    io.openFileName = io.saveFileName;
    form->setIo(io);
    form->findChild<QPushButton *>("BitBtn1")->click();
    form->findChild<QPushButton *>("BitBtn5")->click();
    ASSERT_EQ(prompt.shown.size(), 2);
    EXPECT_TRUE(prompt.shown[0].text.startsWith("Cannot create file"));
    EXPECT_TRUE(prompt.shown[1].text.startsWith("Cannot open file"));
    EXPECT_EQ(lines().size(), 2);
}

TEST(Memocomm, ShowmessageTogglesTheEchoOfSentAndReceivedFrames)
{
    TempPlant plant;
    plant.write("ComPorts.ini", "[Ports]\nCOM1=/dev/fake1\n");
    ManualScheduler sched;
    FakeBytePort port;
    FakePrompt prompt;
    StationRuntime rt(plant.path(), nullptr, &port, &sched, &sched, &prompt);
    PointModel m;
    m.stations.resize(1);
    m.stationCount = 1;
    m.stations[0].portName = "COM1";
    TFtuRec u;
    u.name = "A";
    u.address = 3;
    u.mark = 1;
    m.stations[0].units.push_back(u);
    rt.InstallPointModel(m);

    QPlainTextEdit memo;
    memo.setObjectName("Memocomm");
    AttachMemocomm(rt, &memo);
    auto *toggle = memo.findChild<QAction *>("showmessage1");
    ASSERT_NE(toggle, nullptr);
    EXPECT_EQ(toggle->text(), "showmessage");
    EXPECT_FALSE(rt.monitorEcho());

    sched.advance(400);
    EXPECT_TRUE(memo.toPlainText().isEmpty()) << "echo is off at start";
    toggle->trigger();
    EXPECT_TRUE(rt.monitorEcho());
    rt.SendFrame(QByteArray("+++"));
    port.feed("OK");
    EXPECT_EQ(memo.toPlainText(), QString::fromUtf8("发送：2B 2B 2B \n收到： 4F 4B"));
    toggle->trigger();
    rt.SendFrame(QByteArray("ATH0\r"));
    EXPECT_EQ(memo.toPlainText().count('\n'), 1);
}

TEST(MonitorPrint, WithoutAPrinterTheTextGoesToAChosenPdfFile)
{
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        GTEST_SKIP() << "a printer is installed: printing would show the print dialog";
    TempPlant dir;
    QTextDocument doc;
    doc.setPlainText("AA 03 09 00");
    PrintDocument(nullptr, doc, "My Docment", [](QWidget *) { return QString(); });
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty()) << "cancelled";
    const QString pdf = QDir(dir.path()).filePath("trace.pdf");
    PrintDocument(nullptr, doc, "My Docment", [&](QWidget *) { return pdf; });
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(5) == "%PDF-");
}
