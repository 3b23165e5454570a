// scadactl: the command-line companion of the system.
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
    err << "usage: scadactl pic (dump|new|add) ...\n";
    return 2;
}
