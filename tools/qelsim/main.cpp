// qelsim: simulated field units on a pty or a serial device.
//
//   qelsim --pty [--plant plant.json] [--comports DIR [--com N]] [--log FILE]
//   qelsim --port /dev/ttyUSB0 [--plant plant.json]
//   add --modem [--connect-delay MS] to put a Hayes modem in front of the
//   units: they are then reached by dialling their "phone" numbers.
//
// With --pty the path of the new device is printed as "PTY <path>". Control
// commands are read from standard input, one per line (see QelSimulator);
// each is answered with one line on standard output.

#include "HayesModem.h"
#include "QelSimulator.h"
#include "SimLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTextStream>

#include <cstdio>
#include <memory>
#include <unistd.h>

using namespace qelsim;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("qelsim");
    QCommandLineParser cl;
    cl.setApplicationDescription("Simulated QEL units for the master station.");
    cl.addHelpOption();
    cl.addOption({"pty", "Create a pty and print its path."});
    cl.addOption({"port", "Open a serial device.", "device"});
    cl.addOption({"plant", "Plant description (JSON).", "file"});
    cl.addOption({"comports", "Write COMn=<pty> into DIR/ComPorts.ini.", "dir"});
    cl.addOption({"com", "Port number for --comports (default 1).", "n", "1"});
    cl.addOption({"log", "Hex log of every frame (default: standard error).", "file"});
    cl.addOption({"modem", "A Hayes modem in front of the units (dial their phone numbers)."});
    cl.addOption({"connect-delay", "Modem: milliseconds from dialling to CONNECT.", "ms"});
    cl.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);
    SimPlant plant;
    if (cl.isSet("plant")) {
        QFile f(cl.value("plant"));
        if (!f.open(QIODevice::ReadOnly)) {
            err << "qelsim: cannot read " << f.fileName() << ": " << f.errorString() << Qt::endl;
            return 2;
        }
        QString error;
        if (!SimPlant::fromJson(f.readAll(), &plant, &error)) {
            err << "qelsim: " << f.fileName() << ": " << error << Qt::endl;
            return 2;
        }
    } else {
        SimUnit u;
        u.address = 1;
        u.analogMask = 0x0FFF;
        plant.units.append(u);
    }

    if (cl.isSet("connect-delay")) {
        bool ok = false;
        const int ms = cl.value("connect-delay").toInt(&ok);
        if (!ok || ms < 0) {
            err << "qelsim: --connect-delay needs milliseconds" << Qt::endl;
            return 2;
        }
        plant.modem.connectDelayMs = ms;
    }

    SimLine line;
    if (cl.isSet("port")) {
        if (!line.openDevice(cl.value("port"))) {
            err << "qelsim: cannot open " << cl.value("port") << ": " << line.errorString() << Qt::endl;
            return 1;
        }
    } else if (cl.isSet("pty")) {
        if (!line.openPty()) {
            err << "qelsim: cannot create a pty: " << line.errorString() << Qt::endl;
            return 1;
        }
        if (cl.isSet("comports")) {
            QString error;
            if (!SimLine::writeComPorts(cl.value("comports"), cl.value("com").toInt(), line.slavePath(), &error)) {
                err << "qelsim: cannot write ComPorts.ini: " << error << Qt::endl;
                return 1;
            }
        }
        // Printed once the device is ready to be opened by its port name.
        out << "PTY " << line.slavePath() << Qt::endl;
    } else {
        err << "qelsim: give --pty or --port DEVICE" << Qt::endl;
        return 2;
    }

    QFile logFile;
    QTextStream log(stderr);
    if (cl.isSet("log")) {
        logFile.setFileName(cl.value("log"));
        if (!logFile.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
            err << "qelsim: cannot write " << logFile.fileName() << Qt::endl;
            return 1;
        }
        log.setDevice(&logFile);
    }

    QelSimulator sim(plant);
    std::unique_ptr<HayesModem> modem;
    if (cl.isSet("modem")) {
        modem = std::make_unique<HayesModem>(sim, plant.modem);
        QObject::connect(&line, &SimLine::received, modem.get(), &HayesModem::receive);
        QObject::connect(modem.get(), &HayesModem::transmit, &line, [&line](const QByteArray &b) { line.write(b); });
        QObject::connect(modem.get(), &HayesModem::logLine, &sim, [&log](const QString &l) { log << l << Qt::endl; });
    } else {
        QObject::connect(&line, &SimLine::received, &sim, &QelSimulator::receive);
        QObject::connect(&sim, &QelSimulator::transmit, &line, [&line](const QByteArray &b) { line.write(b); });
    }
    QObject::connect(&sim, &QelSimulator::logLine, &sim, [&log](const QString &l) { log << l << Qt::endl; });

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    QObject::connect(&input, &QSocketNotifier::activated, &sim, [&] {
        char buf[512];
        const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n <= 0) {
            input.setEnabled(false); // end of the control channel; keep simulating
            return;
        }
        pending.append(buf, n);
        qsizetype nl;
        while ((nl = pending.indexOf('\n')) >= 0) {
            const QString cmd = QString::fromUtf8(pending.left(nl)).trimmed();
            pending.remove(0, nl + 1);
            if (cmd == QLatin1String("quit"))
                QCoreApplication::quit();
            else if (!cmd.isEmpty())
                out << sim.command(cmd) << Qt::endl;
        }
    });
    return app.exec();
}
