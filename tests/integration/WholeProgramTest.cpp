// The whole program on the demo plant: scadactl builds the plant, qelsim
// plays its units on a pty mapped to COM1, and the station program itself
// (offscreen) polls them and records what it sees into the plant database.

#include "support/TempDir.h"
#include "support/WaitFor.h"

#include <QCoreApplication>
#include <QDate>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <gtest/gtest.h>

namespace {

const QString kBuild = QStringLiteral(SCADA_BUILD_DIR);


struct Process {
    QProcess p;
    ~Process()
    {
        if (p.state() != QProcess::NotRunning) {
            p.kill();
            p.waitForFinished(5000);
        }
    }
};

// Reads the plant database as an outside reader (sqlite3 would) while the
// station writes it.
struct Reader {
    QString name = QStringLiteral("whole-program-reader");
    explicit Reader(const QString &file)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        db.open();
    }
    ~Reader() { QSqlDatabase::removeDatabase(name); }
    QList<QStringList> rows(const QString &sql)
    {
        QList<QStringList> out;
        QSqlQuery q(QSqlDatabase::database(name));
        if (!q.exec(sql))
            return out;
        while (q.next()) {
            QStringList row;
            for (int i = 0; i < q.record().count(); ++i)
                row << q.value(i).toString();
            out << row;
        }
        return out;
    }
};

} // namespace

TEST(WholeProgram, StationPollsTheDemoPlantAndRecordsIt)
{
    TempPlant plant;
    const QString dir = plant.path();
    {
        QProcess ctl;
        ctl.start(kBuild + "/tools/scadactl/scadactl", {"demo-plant", dir});
        ASSERT_TRUE(ctl.waitForFinished(30000));
        ASSERT_EQ(ctl.exitCode(), 0) << ctl.readAllStandardError().toStdString();
    }
    // The files whose absence the station reports at start with a message box.
    if (!QFileInfo::exists(plant.file("Sound.wav")))
        plant.write("Sound.wav", QByteArray("RIFF"));
    if (!QFileInfo::exists(plant.file("TreeView")))
        plant.write("TreeView", "GroupState\r\n\tRiverside\r\n\t\tPicture\r\n");
    if (!QFileInfo::exists(plant.file("Main.pic"))) {
        QProcess pic;
        pic.start(kBuild + "/tools/scadactl/scadactl", {"pic", "new", plant.file("Main.pic")});
        ASSERT_TRUE(pic.waitForFinished(30000));
        ASSERT_EQ(pic.exitCode(), 0);
    }
    ASSERT_TRUE(QFile::copy(kBuild + "/src/app/scada", plant.file("scada")));
    QFile::setPermissions(plant.file("scada"), QFile::permissions(kBuild + "/src/app/scada"));

    Process sim;
    sim.p.start(kBuild + "/tools/qelsim/qelsim", {"--pty", "--plant", plant.file("qelsim-plant.json"), "--comports",
                                                 dir, "--com", "1", "--log", plant.file("qelsim.log")});
    QByteArray announced;
    ASSERT_TRUE(waitFor(
        [&] {
            announced += sim.p.readAllStandardOutput();
            return announced.contains("PTY ");
        },
        10000));

    Process station;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    station.p.setProcessEnvironment(env);
    station.p.setWorkingDirectory(dir);
    station.p.start(plant.file("scada"), {});
    ASSERT_TRUE(station.p.waitForStarted(10000));

    const QString today = QDate::currentDate().toString("yyyyMMdd");
    Reader reader(plant.file("Table/DuvUrovuDe.sqlite"));
    // The first replies record every input that is on as a change to on and
    // every analog value that is not 0.
    ASSERT_TRUE(waitFor(
        [&] {
            // Intake, at position 0, is polled first after the cursor wraps.
            return reader.rows("SELECT count(DISTINCT FtuName) FROM YX" + today).value(0).value(0).toInt() >= 5 &&
                   reader.rows("SELECT count(DISTINCT FtuName) FROM YC" + today).value(0).value(0).toInt() >= 5;
        },
        30000))
        << "the station did not record; qelsim log:\n"
        << plant.read("qelsim.log").right(2000).toStdString();

    const auto events = reader.rows("SELECT Station, FtuName, Point, StateChange, Level, Days FROM YX" + today +
                                    " WHERE FtuName = 'Intake' AND Point = 'ScreenRun'");
    ASSERT_FALSE(events.isEmpty()) << [&] {
        QString all;
        for (const auto &r : reader.rows("SELECT FtuName, Point, StateChange FROM YX" + today))
            all += r.join(' ') + '\n';
        return all.toStdString();
    }();
    EXPECT_EQ(events.first(), QStringList({"Riverside", "Intake", "ScreenRun", "from Off to On", "0", "30"}));
    // Feeder has mark 0: never polled, never in the analog history.
    EXPECT_TRUE(reader.rows("SELECT * FROM YC" + today + " WHERE FtuName = 'Feeder'").isEmpty());
    EXPECT_FALSE(plant.read("qelsim.log").contains("AA 05 09")) << "Feeder was polled";
    const auto flow = reader.rows("SELECT SjType FROM YC" + today + " WHERE FtuName = 'Intake' AND PointName = 'Flow'");
    ASSERT_FALSE(flow.isEmpty());
    EXPECT_EQ(flow.first().first(), "1");

    // A second copy on the same plant ends at once and leaves the first alone.
    QProcess second;
    second.setProcessEnvironment(env);
    second.start(plant.file("scada"), {});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(station.p.state(), QProcess::Running);
}
