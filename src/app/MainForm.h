#pragma once
// The main window: picture area, tool bars, menus reached through the tool
// bar buttons, status bar panels, the floating tool panel and message list,
// the commands, the timers, start-up and shutdown steps.

#include "platform/Prompt.h"
#include "platform/QtTimerService.h"
#include "acquisition/Recorder.h"
#include "acquisition/ui/ControlCommands.h"
#include "acquisition/StationRuntime.h"
#include "acquisition/VideoCaptureLink.h"
#include "acquisition/ui/AlarmSoundPlayer.h"
#include "acquisition/ui/PlaySoundForm.h"
#include "pictures/ui/PictureSoundAdapter.h"
#include "platform/SerialBytePort.h"
#include "store/Database.h"
#include "pictures/ui/LivePicture.h"
#include "pictures/ui/PictureRuntime.h"
#include "pictures/ui/PictureTree.h"
#include "users/UserFile.h"

#include <QAction>
#include <QDesktopServices>
#include <QUrl>
#include <QMainWindow>
#include <QPointer>
#include <memory>

class QLabel;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QScrollArea;
class QSplitter;
class QToolBar;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace scada {

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    static constexpr const char *kUnitWord = "QEL";
    static constexpr const char *kVersionText = "Ver 3.34";

    // Runs the creation steps. programDir is the plant folder; prompt shows
    // every message of the window. Throws EFCreateError when the database
    // folder cannot be created.
    TMainForm(const QString &programDir, Prompt &prompt, QWidget *parent = nullptr);
    ~TMainForm() override;

    const QString &programDir() const { return m_programDir; }
    QString unitWord() const { return m_unitWord; }
    QString setTimeQuestion() const { return m_setTimeQuestion; }
    int runMode() const { return m_runMode; }
    void setRunMode(int mode) { m_runMode = mode; }
    TimerService &timers() { return *m_timers; }
    Database &database() { return *m_db; }
    StationRuntime &runtime() { return *m_runtime; }
    LivePicture &picture() { return *m_picture; }
    PictureRuntime &pictureRuntime() { return *m_pictureRuntime; }
    Recorder &recorder() { return *m_recorder; }
    ControlCommands &control() { return *m_control; }
    AlarmSound &alarmSound() { return *m_alarmSound; }
    PictureTreeView &pictureTree() { return *m_tree; }
    // Errors the window reports without stopping (a missing picture tree
    // file): main() hands them to the program-wide exception handler.
    // Opens a link or file in the desktop's default application; replaceable
    // for tests.
    std::function<bool(const QUrl &)> openUrl = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    void setErrorReporter(std::function<void(const std::exception &)> report) { m_reportError = std::move(report); }
    const TUserList &users() const { return m_users; }

    QAction *action(const QString &name) const;
    QLabel *statusPanel(int index) const;
    void setStatusText(int panel, const QString &text);
    // The clock of panel 5: "yyyy-m-d  dddd  hh:mm:ss AM/PM".
    static QString clockText(const QDateTime &when);

    // Inserts a line at the top of the message list (cleared first when it
    // holds more than 1000 lines) and shows the list.
    void addMessageLine(const QString &line);

    // Toggles of the floating panel and the Tools menu.
    void toggleToolBarArea();
    void togglePictureTree();

    // Shutdown steps; also run by closeEvent. Safe to call twice.
    void shutdown();
    bool closing() const { return m_closing; }

signals:
    void hintChanged(const QString &hint);

protected:
    bool event(QEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    void createActions();
    void createMenus();
    void createToolBars();
    void createCentralArea();
    void createFloatingPanels();
    void createStatusBar();
    void createTimers();
    void createRuntime();
    void createPicture();
    void createRecording();
    void createControl();
    void reportError(const std::exception &e);
    void setUnitWordCaptions();
    void connectCommands();
    void runShowingSteps();
    void placeFloatingPanels();
    void openHelp();
    void runPrinterSetup();
    void showAbout();
    QAction *proxy(QAction *target, const QString &caption, const QString &hint = {});

    QString m_programDir;
    Prompt &m_prompt;
    std::unique_ptr<QtTimerService> m_timers;
    std::unique_ptr<Database> m_db;
    SystemClock m_clock;
    SerialBytePort *m_port = nullptr;
    std::unique_ptr<StationRuntime> m_runtime;
    QtAlarmSound *m_alarmSound = nullptr;
    QtAlarmSound *m_pictureSound = nullptr;
    VideoCaptureLink m_videoLink;
    TFormPlaySound *m_playSoundForm = nullptr;
    std::unique_ptr<PlaySoundFormPlayer> m_pictureSoundPlayer;
    std::unique_ptr<Recorder> m_recorder;
    std::unique_ptr<ControlCommands> m_control;
    TUserList m_users;
    QString m_unitWord;
    QString m_setTimeQuestion;
    int m_runMode = 0;
    int m_branding = 0;
    bool m_closing = false;
    bool m_shown = false;
    bool m_shutDown = false;

    QHash<QString, QAction *> m_actions;
    QMenu *m_menuSystem = nullptr;
    QMenu *m_menuMonitor = nullptr;
    QMenu *m_menuUser = nullptr;
    QMenu *m_menuQuery = nullptr;
    QMenu *m_menuReport = nullptr;
    QMenu *m_menuTools = nullptr;
    QMenu *m_menuOptions = nullptr;
    QMenu *m_menuHelp = nullptr;

    QWidget *m_coolBar = nullptr;
    QLabel *m_animate = nullptr;
    QToolBar *m_toolBarMainMenu = nullptr;
    QToolBar *m_toolBarXiTong = nullptr;
    QToolBar *m_toolBarCeKong = nullptr;
    QToolBar *m_toolBarPicName = nullptr;
    QLineEdit *m_pictureName = nullptr;
    QPushButton *m_openPicture = nullptr;

    QSplitter *m_splitter = nullptr;
    QWidget *m_panel1 = nullptr;
    PictureTreeView *m_tree = nullptr;
    QWidget *m_panel3 = nullptr;
    QScrollArea *m_scrollBox = nullptr;
    std::unique_ptr<LivePicture> m_picture;
    std::unique_ptr<PictureRuntime> m_pictureRuntime;
    std::function<void(const std::exception &)> m_reportError;
    QPlainTextEdit *m_memoComm = nullptr;
    QWidget *m_panel2 = nullptr;
    QListWidget *m_listBoxMsg = nullptr;
    QList<QLabel *> m_panels;
};

} // namespace scada
