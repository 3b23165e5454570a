// The station program. The plant is the folder that holds the executable.

#include "app/CoverForm.h"
#include "app/MainForm.h"
#include "platform/SingleInstance.h"
#include "platform/ui/MessageBoxPrompt.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QScreen>

namespace {
QString programDirectory(const char *argv0)
{
    QFileInfo self(QStringLiteral("/proc/self/exe"));
    QString path = self.exists() ? self.canonicalFilePath() : QFileInfo(QString::fromLocal8Bit(argv0)).absoluteFilePath();
    return QFileInfo(path).absolutePath();
}
} // namespace

int main(int argc, char **argv)
{
    const QString programDir = programDirectory(argv[0]);

    // 1. One copy per plant: a second one ends at once, silently.
    scada::SingleInstance instance;
    if (!instance.tryAcquire(programDir))
        return 0;

    QApplication app(argc, argv);
    Q_INIT_RESOURCE(app);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/scada/scada.svg")));

    scada::TFormCover cover;
    cover.show();
    app.processEvents();

    QApplication::setApplicationName(QStringLiteral("Scada System"));
    QApplication::setApplicationDisplayName(QStringLiteral("Scada System"));

    scada::MessageBoxPrompt prompt;
    scada::TMainForm mainForm(programDir, prompt);
    prompt.setParent(&mainForm);

    cover.hide();
    // Without a window manager a maximised window keeps its own size: give
    // it the screen first.
    if (QScreen *screen = QGuiApplication::primaryScreen())
        mainForm.setGeometry(screen->availableGeometry());
    mainForm.showMaximized();
    return app.exec();
}
