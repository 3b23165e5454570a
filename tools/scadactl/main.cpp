// scadactl: the command-line companion of the system.
#include "DemoPlant.h"
#include "PicCommands.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!args.isEmpty() && args.first() == "pic")
        return scada::ctl::RunPic(args.mid(1), out, err);
    if (args.size() == 2 && args.first() == "demo-plant") {
        const scadactl::DemoPlantResult r = scadactl::WriteDemoPlant(args[1]);
        if (!r.ok) {
            err << "scadactl: " << r.error << "\n";
            return 1;
        }
        out << "PLANT " << args[1] << "\nSIM " << r.simulatorPlant << "\n";
        return 0;
    }
    err << "usage: scadactl pic (dump|new|add) ...\n"
           "       scadactl demo-plant DIR\n";
    return 2;
}
