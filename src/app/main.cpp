// The station program. The plant is the folder that holds the executable.

#include "app/CoverForm.h"
#include "app/MainForm.h"
#include "app/ScadaApplication.h"
#include "history/ui/GlobalExHandler.h"
#include "platform/SingleInstance.h"
#include "platform/ui/MessageBoxPrompt.h"

#include <QFileInfo>
#include <QIcon>
#include <QScreen>
#include <memory>

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

    // 2.-3. The exception handler is in place before any window exists.
    scada::ScadaApplication app(argc, argv);
    scada::MessageBoxPrompt prompt;
    scada::TGlobalExHandler exceptionHandler(prompt, programDir);
    app.setExceptionHandler(&exceptionHandler);
    Q_INIT_RESOURCE(app);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/scada/scada.svg")));

    // 4. The cover while the windows are made.
    auto cover = std::make_unique<scada::TFormCover>();
    cover->show();
    app.processEvents();

    // 5. Title.
    QApplication::setApplicationName(QStringLiteral("Scada System"));
    QApplication::setApplicationDisplayName(QStringLiteral("Scada System"));

    // 6. The windows.
    std::unique_ptr<scada::TMainForm> mainForm;
    try {
        mainForm = std::make_unique<scada::TMainForm>(programDir, prompt);
    } catch (const std::exception &e) {
        // Without its database folder the station cannot run.
        cover.reset();
        exceptionHandler.HandleException(nullptr, e);
        return 1;
    }
    prompt.setParent(mainForm.get());
    mainForm->setErrorReporter([&](const std::exception &e) { exceptionHandler.HandleException(mainForm.get(), e); });

    // 8. The cover goes; 9. the main window is shown maximised and the loop runs.
    cover.reset();
    // Without a window manager a maximised window keeps its own size: give
    // it the screen first.
    if (QScreen *screen = QGuiApplication::primaryScreen())
        mainForm->setGeometry(screen->availableGeometry());
    mainForm->showMaximized();
    return app.exec();
}
