#include "app/MainForm.h"
#include "pictures/instruments/Instruments.h"

#include "app/AboutForm.h"
#include "app/DragFrame.h"
#include "common/Errors.h"
#include "acquisition/ui/CommMonitor.h"
#include "acquisition/ui/FormPorts.h"
#include "store/StoreSetup.h"
#include "users/UserRights.h"
#include "users/ui/UserCommands.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStandardPaths>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

// The program's resources live in this static library.
static void initAppResources()
{
    Q_INIT_RESOURCE(app);
}

namespace scada {

namespace {

struct CommandDef {
    const char *name;
    const char *caption; // may hold %s for the unit word
    const char *hint;    // may hold %s for the unit word
    bool onAtStart;
    QStyle::StandardPixmap icon;
};

// The commands in the order of the two action lists.
const CommandDef kCommands[] = {
    {"HelpContextCmd", "Context", "Help context", true, QStyle::SP_DialogHelpButton},
    {"HelpAboutCmd", "About...", "About Scada System", true, QStyle::SP_MessageBoxInformation},
    {"SysSetTimeCmd", "Set %s time", "Set %s time", false, QStyle::SP_BrowserReload},
    {"SysSetPrintCmd", "Printer...", "Set Printer", true, QStyle::SP_FileDialogDetailedView},
    {"SysDeployCmd", "Deploy", "Deploy project", false, QStyle::SP_ArrowUp},
    {"SysExitCmd", "Exit", "Exit Scada system", true, QStyle::SP_DialogCloseButton},
    {"MonitorClearAlarmCmd", "Clear alarm", "Clear alarm", false, QStyle::SP_MediaVolumeMuted},
    {"MonitorDrawToolsCmd", "Draw tools", "Draw tools", false, QStyle::SP_FileDialogContentsView},
    {"MonitorDesignStationCmd", "Station Design", "Create a station", false, QStyle::SP_ComputerIcon},
    {"MonitorAddQelCmd", "Add/delete %s", "Add or delete %s", false, QStyle::SP_FileDialogNewFolder},
    {"MonitorDesignQelCmd", "Design %s", "Design %s param", false, QStyle::SP_DriveHDIcon},
    {"MonitorCommStateCmd", "Communication", "Comm receive char", true, QStyle::SP_DriveNetIcon},
    {"MonitorSetVideoCmd", "SetVideo", "", false, QStyle::SP_MediaPlay},
    {"MonitorDiaplayVideoCmd", "MonitorDiaplayVideo", "", false, QStyle::SP_MediaSeekForward},
    {"MoniorDesignVar", "Design var", "Design variable", false, QStyle::SP_FileIcon},
    {"MonitorSetBatchCtrlCmd", "SetBatchCtrl", "Set Batch Control", false, QStyle::SP_FileDialogListView},
    {"MonitorBatchCtrlCmd", "BatchControl", "Batch Control", false, QStyle::SP_DialogApplyButton},
    {"QueryHisYcCmd", "Yc", "Query history Yc", true, QStyle::SP_FileDialogInfoView},
    {"QueryHisYmCmd", "Ym", "Query history Ym", false, QStyle::SP_FileDialogInfoView},
    {"QuerySoeCmd", "SOE", "", true, QStyle::SP_FileDialogStart},
    {"QueryLineCmd", "Line", "Yc run line", true, QStyle::SP_ArrowRight},
    {"ReportCreateCmd", "Create reprot", "Create report", false, QStyle::SP_FileDialogNewFolder},
    {"ReportBrowseCmd", "Browse", "Browse report", true, QStyle::SP_DirOpenIcon},
    {"UserManageCmd", "UserManage", "User manage", false, QStyle::SP_DirHomeIcon},
    {"UserLoginCmd", "UserLogin", "User login", true, QStyle::SP_DialogYesButton},
    {"UserModifyMangerCmd", "UserModifyManager", "", false, QStyle::SP_DialogResetButton},
    {"UserLogoutCmd", "UserLogout", "Logout", true, QStyle::SP_DialogNoButton},
};

QString fill(const char *pattern, const QString &word)
{
    QString p = QString::fromLatin1(pattern);
    return p.contains(QLatin1String("%s")) ? p.replace(QLatin1String("%s"), word) : p;
}

} // namespace

TMainForm::TMainForm(const QString &programDir, Prompt &prompt, QWidget *parent)
    : QMainWindow(parent), m_programDir(programDir), m_prompt(prompt)
{
    initAppResources();
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Scada System"));
    m_timers = std::make_unique<QtTimerService>(this);

    createActions();
    createMenus();
    createToolBars();
    createCentralArea();
    createFloatingPanels();
    createStatusBar();
    createTimers();
    connectCommands();

    // 1. The communication trace is off (its echo flag lives with the
    //    runtime) and hidden.
    m_memoComm->hide();
    // 2. Branding and unit word; the set-time question from the unit word.
    m_branding = 0;
    m_unitWord = QString::fromLatin1(kUnitWord);
    m_setTimeQuestion = QStringLiteral("Set all %1 time?").arg(m_unitWord);
    // 4. The program directory (file-type registration is the .desktop file
    //    and MIME type installed with the program; no serial control library
    //    needs registering here).
    // 9. The database directory.
    const QString tableDir = QDir(m_programDir).filePath(QStringLiteral("Table"));
    if (!QFileInfo(tableDir).isDir() && !QDir().mkpath(tableDir))
        throw EFCreateError(QStringLiteral("Cannot create ") + QDir::toNativeSeparators(tableDir));
    // 10. The database and its missing start-up tables ("No BDE,Install it!"
    //     when it cannot be opened; the start goes on).
    m_db = std::make_unique<Database>(m_programDir);
    CreateDataBase(*m_db, m_prompt);
    // 8. The link, the frame layer and the poll cycle, reset.
    createRuntime();
    // 7. The alarm sound and its recorders.
    createRecording();
    // Switching, parameter writes, block programs, batch control.
    createControl();
    // 11. The live picture (empty until the main picture loads).
    createPicture();
    m_pictureRuntime->setRemoteControl(&m_control->remote());
    m_pictureRuntime->setBlockProgram(&m_control->blocks());
    // 11. The user file, the rights of nobody, unit-word captions (the save
    //     period and the picture-sound flag live with the point model and
    //     the sound window).
    EnsureUserFile(m_programDir, m_prompt);
    DisableRightsBoundCommands(this);
    setUnitWordCaptions();
    // 12. Polling may run. (13. The GIF library is the live picture's.)
    m_runMode = 1;
}

TMainForm::~TMainForm()
{
    shutdown();
    // Children that use the timers or the runtime go before them.
    m_recorder.reset();
    delete m_playSoundForm;
    m_playSoundForm = nullptr;
    m_pictureSoundPlayer.reset();
    m_picture.reset();
}

void TMainForm::createActions()
{
    for (const CommandDef &c : kCommands) {
        auto *a = new QAction(this);
        a->setObjectName(QString::fromLatin1(c.name));
        a->setText(QString::fromLatin1(c.caption));
        const QString hint = QString::fromLatin1(c.hint);
        a->setToolTip(hint.isEmpty() ? a->text() : hint);
        a->setStatusTip(hint);
        a->setEnabled(c.onAtStart);
        a->setIcon(style()->standardIcon(c.icon));
        m_actions.insert(a->objectName(), a);
    }
    // Plain menu items that carry rights or toggles.
    auto item = [this](const char *name, const QString &caption, bool enabled) {
        auto *a = new QAction(caption, this);
        a->setObjectName(QString::fromLatin1(name));
        a->setEnabled(enabled);
        m_actions.insert(a->objectName(), a);
        return a;
    };
    item("SeletedCOMM1", QStringLiteral("Seleted COM"), false);
    item("SetBatchCtrl1", QStringLiteral("Set Batch Control"), false);
    for (auto [name, caption, checked] :
         {std::tuple{"ToolsSystemItem", "System Toolbar", true}, std::tuple{"ToolsMointorItem", "Monitor toolbar", true},
          std::tuple{"ToolsGroupItem", "Group state", true}, std::tuple{"veiw_ListBox1", "Data box", false}}) {
        QAction *a = item(name, QString::fromLatin1(caption), true);
        a->setCheckable(true);
        a->setChecked(checked);
    }
    item("SetControlColor1", QStringLiteral("Set Control Color"), true);
}

QAction *TMainForm::action(const QString &name) const
{
    return m_actions.value(name);
}

// A menu item or tool button with a caption or hint of its own that runs an
// action and follows its enabled state.
QAction *TMainForm::proxy(QAction *target, const QString &caption, const QString &hint)
{
    auto *a = new QAction(target->icon(), caption, target->parent());
    a->setObjectName(target->objectName() + QStringLiteral("Item"));
    a->setEnabled(target->isEnabled());
    a->setStatusTip(hint.isEmpty() ? target->statusTip() : hint);
    a->setToolTip(hint.isEmpty() ? target->toolTip() : hint);
    connect(a, &QAction::triggered, target, &QAction::trigger);
    connect(target, &QAction::enabledChanged, a, &QAction::setEnabled);
    return a;
}

void TMainForm::createMenus()
{
    auto menu = [this](const char *name, const QString &title) {
        auto *m = new QMenu(title, this);
        m->setObjectName(QString::fromLatin1(name));
        m->setToolTipsVisible(true);
        return m;
    };
    m_menuSystem = menu("System1", QStringLiteral("System"));
    m_menuSystem->addAction(action("SysSetTimeCmd"));
    m_menuSystem->addAction(action("SysSetPrintCmd"));
    m_menuSystem->addSeparator();
    m_menuSystem->addAction(action("SysExitCmd"));

    m_menuMonitor = menu("Monitor1", QStringLiteral("Monitor"));
    for (const char *n : {"MonitorClearAlarmCmd", "MonitorDrawToolsCmd", "MonitorDesignStationCmd", "MonitorAddQelCmd",
                          "MonitorDesignQelCmd"})
        m_menuMonitor->addAction(action(n));
    auto hidden = [this](QAction *a) {
        a->setVisible(false);
        m_menuMonitor->addAction(a);
    };
    hidden(proxy(action("MonitorSetVideoCmd"), QStringLiteral("SetVideo")));
    hidden(proxy(action("MonitorDiaplayVideoCmd"), QStringLiteral("DiaplayVideo")));
    m_menuMonitor->addSeparator()->setVisible(false);
    hidden(proxy(action("MonitorCommStateCmd"), QStringLiteral("Communication")));
    m_menuMonitor->addAction(action("SeletedCOMM1"));
    m_menuMonitor->addAction(action("SetBatchCtrl1"));

    m_menuUser = menu("User1", QStringLiteral("User"));
    for (const char *n : {"UserModifyMangerCmd", "UserManageCmd", "UserLoginCmd"})
        m_menuUser->addAction(action(n));
    m_menuUser->addSeparator();
    m_menuUser->addAction(action("UserLogoutCmd"));

    m_menuQuery = menu("Query1", QStringLiteral("Query"));
    QMenu *history = m_menuQuery->addMenu(QStringLiteral("History"));
    history->setObjectName(QStringLiteral("History1"));
    history->addAction(proxy(action("QueryHisYcCmd"), QStringLiteral("Analog")));
    m_menuQuery->addAction(proxy(action("QuerySoeCmd"), QStringLiteral("SOE(Digital)")));

    m_menuReport = menu("Report1", QStringLiteral("Report"));
    m_menuReport->addAction(action("ReportCreateCmd"));
    m_menuReport->addAction(action("ReportBrowseCmd"));

    m_menuTools = menu("Tools1", QStringLiteral("Tools"));
    for (const char *n : {"ToolsSystemItem", "ToolsMointorItem", "ToolsGroupItem", "veiw_ListBox1"})
        m_menuTools->addAction(action(n));

    m_menuOptions = menu("Options1", QStringLiteral("Options"));
    m_menuOptions->addAction(action("SetControlColor1"));
    m_menuOptions->menuAction()->setVisible(false);

    m_menuHelp = menu("Help1", QStringLiteral("Help"));
    m_menuHelp->addAction(action("HelpAboutCmd"));
}

void TMainForm::createToolBars()
{
    m_coolBar = new QWidget(this);
    m_coolBar->setObjectName(QStringLiteral("CoolBar1"));
    auto *bands = new QHBoxLayout(m_coolBar);
    bands->setContentsMargins(2, 2, 2, 2);
    bands->setSpacing(6);

    m_animate = new QLabel(m_coolBar);
    m_animate->setObjectName(QStringLiteral("Animate1"));
    m_animate->setFixedSize(40, 40);
    m_animate->setPixmap(windowIcon().pixmap(36, 36));
    bands->addWidget(m_animate);

    auto bar = [this](const char *name) {
        auto *t = new QToolBar(m_coolBar);
        t->setObjectName(QString::fromLatin1(name));
        t->setIconSize(QSize(20, 20));
        t->setMovable(false);
        return t;
    };
    auto *column = new QVBoxLayout;
    column->setSpacing(0);
    auto *row1 = new QHBoxLayout;
    auto *row2 = new QHBoxLayout;
    column->addLayout(row1);
    column->addLayout(row2);
    bands->addLayout(column, 1);

    m_toolBarMainMenu = bar("ToolBarMainMenu");
    m_toolBarMainMenu->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (QMenu *m : {m_menuSystem, m_menuMonitor, m_menuUser, m_menuQuery, m_menuReport, m_menuTools, m_menuHelp}) {
        auto *b = new QToolButton(m_toolBarMainMenu);
        b->setObjectName(m->objectName() + QStringLiteral("Button"));
        b->setText(m->title());
        b->setMenu(m);
        b->setPopupMode(QToolButton::InstantPopup);
        m_toolBarMainMenu->addWidget(b);
    }
    row1->addWidget(m_toolBarMainMenu);

    m_toolBarPicName = bar("ToolBarPicName");
    auto *caption = new QLabel(QStringLiteral("Current picture"), m_toolBarPicName);
    m_toolBarPicName->addWidget(caption);
    m_pictureName = new QLineEdit(QStringLiteral("Main.pic"), m_toolBarPicName);
    m_pictureName->setObjectName(QStringLiteral("Edit1"));
    m_pictureName->setMinimumWidth(180);
    m_toolBarPicName->addWidget(m_pictureName);
    m_openPicture = new QPushButton(QStringLiteral("..."), m_toolBarPicName);
    m_openPicture->setObjectName(QStringLiteral("Button1"));
    m_openPicture->setFixedWidth(28);
    m_toolBarPicName->addWidget(m_openPicture);
    row1->addWidget(m_toolBarPicName);
    row1->addStretch(1);

    m_toolBarXiTong = bar("ToolBarXiTong");
    for (const char *n : {"SysSetTimeCmd", "SysSetPrintCmd", "", "MonitorClearAlarmCmd", "MonitorCommStateCmd", "",
                          "UserModifyMangerCmd", "UserManageCmd", "UserLoginCmd", "UserLogoutCmd", "", "HelpAboutCmd",
                          "HelpContextCmd"}) {
        if (*n)
            m_toolBarXiTong->addAction(action(n));
        else
            m_toolBarXiTong->addSeparator();
    }
    row2->addWidget(m_toolBarXiTong);

    m_toolBarCeKong = bar("ToolBarCeKong");
    for (const char *n : {"MonitorDrawToolsCmd", "MonitorDesignStationCmd", "MonitorAddQelCmd", "MonitorDesignQelCmd",
                          "MonitorSetVideoCmd", "MonitorDiaplayVideoCmd", "", "MonitorSetBatchCtrlCmd",
                          "MonitorBatchCtrlCmd", "", "QuerySoeCmd", "QueryHisYcCmd", "", "ReportCreateCmd",
                          "ReportBrowseCmd"}) {
        if (!*n)
            m_toolBarCeKong->addSeparator();
        else if (QLatin1String(n) == QLatin1String("QueryHisYcCmd"))
            m_toolBarCeKong->addAction(proxy(action(n), action(n)->text(), QStringLiteral("Query history Analog")));
        else
            m_toolBarCeKong->addAction(action(n));
    }
    row2->addWidget(m_toolBarCeKong);
    row2->addStretch(1);

    setMenuWidget(m_coolBar);
    m_coolBar->hide();
}

void TMainForm::createCentralArea()
{
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("Splitter1"));
    m_splitter->setChildrenCollapsible(false);

    m_panel1 = new QWidget(m_splitter);
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    auto *dock = new QVBoxLayout(m_panel1);
    dock->setContentsMargins(0, 0, 0, 0);
    PictureTreeView::Environment treeEnv;
    treeEnv.ProgramDir = m_programDir;
    treeEnv.prompt = &m_prompt;
    treeEnv.choosePictureFile = [this] { return ChoosePictureFile(this, m_programDir); };
    treeEnv.openPicture = [this](const QString &path) { m_picture->OpenPictureQuietly(path); };
    m_tree = new PictureTreeView(treeEnv, m_panel1);
    m_tree->setObjectName(QStringLiteral("TreeView1"));
    m_tree->setHeaderHidden(true);
    m_tree->hide();
    dock->addWidget(m_tree);
    m_panel1->setMinimumWidth(2);

    m_panel3 = new QWidget(m_splitter);
    m_panel3->setObjectName(QStringLiteral("Panel3"));
    auto *client = new QVBoxLayout(m_panel3);
    client->setContentsMargins(0, 0, 0, 0);
    client->setSpacing(0);
    m_scrollBox = new QScrollArea(m_panel3);
    m_scrollBox->setObjectName(QStringLiteral("ScrollBox1"));
    m_scrollBox->setWidgetResizable(false);
    m_scrollBox->setFocusPolicy(Qt::ClickFocus);
    m_scrollBox->setBackgroundRole(QPalette::Base);
    client->addWidget(m_scrollBox, 1);
    m_memoComm = new QPlainTextEdit(m_panel3);
    m_memoComm->setObjectName(QStringLiteral("Memocomm"));
    m_memoComm->setReadOnly(true);
    m_memoComm->setMaximumHeight(120);
    client->addWidget(m_memoComm);

    m_splitter->addWidget(m_panel1);
    m_splitter->addWidget(m_panel3);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({2, 1000});
    setCentralWidget(m_splitter);
}

void TMainForm::createFloatingPanels()
{
    auto *panel = new DragFrame(this);
    m_panel2 = panel;
    panel->setObjectName(QStringLiteral("Panel2"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setAutoFillBackground(true);
    auto *layout = new QHBoxLayout(panel);
    layout->setContentsMargins(4, 4, 4, 4);
    auto *gif = new QLabel(panel);
    gif->setObjectName(QStringLiteral("Image1"));
    gif->setToolTip(QStringLiteral("View Tools"));
    gif->setStatusTip(QStringLiteral("View Tools"));
    gif->setPixmap(windowIcon().pixmap(24, 24));
    layout->addWidget(gif);
    auto *tools = new QToolBar(panel);
    tools->setObjectName(QStringLiteral("ToolBar1"));
    tools->setIconSize(QSize(18, 18));
    auto button = [&](const char *name, const QString &hint, QStyle::StandardPixmap icon) {
        auto *a = new QAction(style()->standardIcon(icon), hint, panel);
        a->setObjectName(QString::fromLatin1(name));
        a->setToolTip(hint);
        a->setStatusTip(hint);
        tools->addAction(a);
        m_actions.insert(a->objectName(), a);
        return a;
    };
    connect(button("ShowMainMenu", QStringLiteral("Show MainMenu"), QStyle::SP_TitleBarUnshadeButton),
            &QAction::triggered, this, &TMainForm::toggleToolBarArea);
    connect(button("ShowTreeView", QStringLiteral("Show TreeView"), QStyle::SP_FileDialogListView),
            &QAction::triggered, this, &TMainForm::togglePictureTree);
    // Reloads the main picture; connected when pictures are shown.
    button("LoadMainForm", QStringLiteral("Load Main Form"), QStyle::SP_DirHomeIcon);
    layout->addWidget(tools);
    panel->adjustSize();

    auto *list = new Draggable<QListWidget>(this);
    m_listBoxMsg = list;
    list->setObjectName(QStringLiteral("ListBoxmsg"));
    list->resize(520, 160);
    QPalette red = list->palette();
    red.setColor(QPalette::Text, Qt::red);
    list->setPalette(red);
    list->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto *close = new QAction(QStringLiteral("Close"), list);
    close->setObjectName(QStringLiteral("Close1"));
    list->addAction(close);
    connect(close, &QAction::triggered, list, &QWidget::hide);
    list->hide();
}

void TMainForm::createStatusBar()
{
    auto *bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("MSBar"));
    setStatusBar(bar);
    const int widths[] = {150, 150, 80, 130, 50, 50};
    for (int i = 0; i < 6; ++i) {
        auto *l = new QLabel(bar);
        l->setObjectName(QStringLiteral("MSBarPanel%1").arg(i));
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setMinimumWidth(widths[i]);
        if (i < 5)
            l->setFixedWidth(widths[i] + (i == 4 ? 20 : 0));
        bar->addPermanentWidget(l, i == 5 ? 1 : 0);
        m_panels << l;
    }
    m_panels[4]->setText(QString::fromLatin1(kVersionText));
}

QLabel *TMainForm::statusPanel(int index) const
{
    return m_panels.value(index);
}

void TMainForm::setStatusText(int panel, const QString &text)
{
    if (QLabel *l = statusPanel(panel))
        l->setText(text);
}

QString TMainForm::clockText(const QDateTime &when)
{
    return QLocale::c().toString(when, QStringLiteral("yyyy-M-d  dddd  hh:mm:ss AP"));
}

void TMainForm::createTimers()
{
    // Handlers arrive with the parts that own them; the timers exist by name.
    m_timers->define(QStringLiteral("Timer1"), 1000, {});
    m_timers->define(QStringLiteral("Timer2"), 1000, {});
    m_timers->define(QStringLiteral("Timer3"), 1000, [this] { m_timers->stop(QStringLiteral("Timer3")); });
    m_timers->define(QStringLiteral("Timer4"), 400,
                     [this] { setStatusText(5, clockText(QDateTime::currentDateTime())); });
    m_timers->define(QStringLiteral("Timer6"), 500, {});
}

void TMainForm::createRuntime()
{
    m_port = new SerialBytePort(this);
    m_port->setObjectName(QStringLiteral("MSComm"));
    m_runtime = std::make_unique<StationRuntime>(m_programDir, m_db.get(), m_port, m_timers.get(), &m_clock,
                                                 &m_prompt);
    connect(m_runtime.get(), &StationRuntime::statusTextChanged, this, &TMainForm::setStatusText);
    connect(m_runtime.get(), &StationRuntime::messageInserted, this, &TMainForm::addMessageLine);
    connect(m_runtime.get(), &StationRuntime::messagesCleared, m_listBoxMsg, &QListWidget::clear);
    AttachMemocomm(*m_runtime, m_memoComm);
    connect(action("SeletedCOMM1"), &QAction::triggered, this, [this] {
        m_runMode = 0;
        SeletedCOMM1Click(this, *m_runtime, *m_db, m_prompt, m_programDir);
        m_runMode = 1;
    });
    connect(action("MonitorCommStateCmd"), &QAction::triggered, this,
            [this] { MonitorCommStateCmdExecute(this, *m_runtime, &m_prompt); });
}

void TMainForm::createRecording()
{
    m_alarmSound = new QtAlarmSound(this);
    m_alarmSound->setObjectName(QStringLiteral("MediaPlayer1"));
    PrepareAlarmSound(*m_alarmSound, m_programDir, m_prompt);
    m_pictureSound = new QtAlarmSound(this);
    m_playSoundForm = new TFormPlaySound(*m_pictureSound, *m_timers, this);
    m_playSoundForm->setObjectName(QStringLiteral("FormPlaySound"));
    m_playSoundForm->hide();
    m_pictureSoundPlayer = std::make_unique<PlaySoundFormPlayer>(*m_playSoundForm);

    // The recorder defines and handles Timer2 (analog history).
    m_recorder = std::make_unique<Recorder>(*m_runtime, *m_db, m_prompt, *m_timers, m_clock);
    m_recorder->setAlarmSound(m_alarmSound);
    m_recorder->setVideoLink(&m_videoLink);
    m_recorder->pictureSoundPlaying = [this] { return m_playSoundForm->pictureSoundFlag(); };
    m_recorder->dailyTables().setTerminateHandler(
        [] { QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(1); }, Qt::QueuedConnection); });
    connect(m_recorder.get(), &Recorder::recordFailed, this,
            [this](const QString &text) { reportError(EDBEngineError(text)); });
    connect(action("MonitorClearAlarmCmd"), &QAction::triggered, this,
            [this] { MonitorClearAlarmCmdExecute(m_prompt, *m_alarmSound); });
}

void TMainForm::createControl()
{
    m_control = std::make_unique<ControlCommands>(this, *m_runtime, *m_timers, m_clock, m_prompt, *m_db, m_programDir);
    connect(action("SysSetTimeCmd"), &QAction::triggered, this, [this] { m_control->SysSetTimeCmdExecute(); });
    auto setBatch = [this] {
        m_runMode = 0;
        m_control->MonitorSetBatchCtrlCmdExecute();
        m_runMode = 1;
    };
    connect(action("MonitorSetBatchCtrlCmd"), &QAction::triggered, this, setBatch);
    connect(action("SetBatchCtrl1"), &QAction::triggered, this, setBatch);
    connect(action("MonitorBatchCtrlCmd"), &QAction::triggered, this, [this] { m_control->MonitorBatchCtrlCmdExecute(); });
}

void TMainForm::createPicture()
{
    PictureEnvironment env;
    env.ProgramDir = m_programDir;
    env.prompt = &m_prompt;
    env.ScrollBox1 = m_scrollBox;
    env.Edit1 = m_pictureName;
    env.timers = m_timers.get();
    env.points = &m_runtime->model();
    env.soundPlayer = m_pictureSoundPlayer.get();
    env.stationLoaded = [this] { return m_runtime->model().stationCount > 0; };
    env.reportError = [this](const ScadaError &e) { reportError(e); };
    InstallInstrumentPainter();
    PictureRuntimeEnvironment live;
    live.window = this;
    live.points = &m_runtime->model();
    live.timers = m_timers.get();
    live.clock = &m_clock;
    live.loggedIn = [this] {
        return std::any_of(m_users.begin(), m_users.end(), [](const Tuserinfo &u) { return u.Active; });
    };
    live.stationLoaded = env.stationLoaded;
    m_pictureRuntime = std::make_unique<PictureRuntime>(live);
    env.setupInstrument = [this](TfrIoCompView &obj, QWidget *surface) -> QWidget * {
        return m_pictureRuntime->SetUpInstrument(obj, surface);
    };
    m_picture = std::make_unique<LivePicture>(env);
    m_pictureRuntime->attach(*m_picture);
    m_recorder->notifyEventInstruments = [this](int station, int unit, int point) {
        m_pictureRuntime->NotifyEventInstruments(station, unit, point);
    };
    connect(m_openPicture, &QPushButton::clicked, this,
            [this] { m_picture->OpenChosenPicture(ChoosePictureFile(this, m_programDir)); });
    connect(action("LoadMainForm"), &QAction::triggered, this, [this] { m_picture->LoadMainPicture(); });
    connect(m_runtime.get(), &StationRuntime::unitRefreshed, this, [this](int, int unit) {
        if (m_closing)
            return;
        m_pictureRuntime->RefreshPicture(unit);
    });
}

void TMainForm::reportError(const std::exception &e)
{
    if (m_reportError) {
        m_reportError(e);
        return;
    }
    const auto *own = dynamic_cast<const ScadaError *>(&e);
    m_prompt.error(own ? own->message() : QString::fromLocal8Bit(e.what()), QStringLiteral("scada:error"));
}

void TMainForm::setUnitWordCaptions()
{
    action("SeletedCOMM1")->setVisible(true);
    setStatusText(2, m_unitWord);
    for (const CommandDef &c : kCommands) {
        if (QString::fromLatin1(c.caption).contains(QLatin1String("%s")) ||
            QString::fromLatin1(c.hint).contains(QLatin1String("%s"))) {
            QAction *a = action(QString::fromLatin1(c.name));
            a->setText(fill(c.caption, m_unitWord));
            a->setToolTip(fill(c.hint, m_unitWord));
            a->setStatusTip(fill(c.hint, m_unitWord));
        }
    }
}

void TMainForm::connectCommands()
{
    connect(action("HelpContextCmd"), &QAction::triggered, this, &TMainForm::openHelp);
    connect(action("HelpAboutCmd"), &QAction::triggered, this, &TMainForm::showAbout);
    connect(action("SysSetPrintCmd"), &QAction::triggered, this, &TMainForm::runPrinterSetup);
    connect(action("SysExitCmd"), &QAction::triggered, this, &QWidget::close);
    connect(action("UserLoginCmd"), &QAction::triggered, this,
            [this] { UserLoginCmd(this, this, m_programDir, m_prompt, m_users); });
    connect(action("UserLogoutCmd"), &QAction::triggered, this, [this] { UserLogoutCmd(this); });

    connect(action("ToolsSystemItem"), &QAction::toggled, m_toolBarXiTong, &QWidget::setVisible);
    connect(action("ToolsMointorItem"), &QAction::toggled, m_toolBarCeKong, &QWidget::setVisible);
    connect(action("ToolsGroupItem"), &QAction::toggled, this, [this](bool on) {
        if (m_tree->isVisible() != on)
            togglePictureTree();
    });
    connect(action("veiw_ListBox1"), &QAction::toggled, m_listBoxMsg, &QWidget::setVisible);
    // The check mark follows the list, also when its pop-up hides it.
    m_listBoxMsg->installEventFilter(this);
}

bool TMainForm::event(QEvent *e)
{
    if (e->type() == QEvent::StatusTip) {
        // Every hint is copied into panel 0.
        const QString tip = static_cast<QStatusTipEvent *>(e)->tip();
        setStatusText(0, tip);
        emit hintChanged(tip);
        return true;
    }
    return QMainWindow::event(e);
}

bool TMainForm::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == m_listBoxMsg && (e->type() == QEvent::Show || e->type() == QEvent::Hide)) {
        QSignalBlocker block(action("veiw_ListBox1"));
        action("veiw_ListBox1")->setChecked(e->type() == QEvent::Show);
    }
    return QMainWindow::eventFilter(watched, e);
}

void TMainForm::addMessageLine(const QString &line)
{
    if (m_listBoxMsg->count() > 1000)
        m_listBoxMsg->clear();
    m_listBoxMsg->insertItem(0, line);
    if (!m_listBoxMsg->isVisible()) {
        m_listBoxMsg->show();
        m_listBoxMsg->raise();
    }
    action("veiw_ListBox1")->setChecked(m_listBoxMsg->isVisible());
}

void TMainForm::toggleToolBarArea()
{
    m_coolBar->setVisible(!m_coolBar->isVisible());
}

void TMainForm::togglePictureTree()
{
    const bool show = !m_tree->isVisible();
    m_tree->setVisible(show);
    const int width = show ? 80 : 2;
    m_panel1->setMinimumWidth(width);
    m_panel1->setMaximumWidth(show ? QWIDGETSIZE_MAX : 2);
    m_splitter->setSizes({width, qMax(0, m_splitter->width() - width)});
    QSignalBlocker block(action("ToolsGroupItem"));
    action("ToolsGroupItem")->setChecked(show);
}

void TMainForm::showEvent(QShowEvent *e)
{
    QMainWindow::showEvent(e);
    if (!m_shown) {
        m_shown = true;
        runShowingSteps();
    }
}

void TMainForm::runShowingSteps()
{
    // 1. The menu stays detached: its menus are reached through the buttons
    //    of the tool bar area.
    // 2.-7. Tree shown while the plant loads, then hidden again.
    togglePictureTree();
    // 3. The point model; it opens the port and starts polling.
    m_runtime->LoadPointModel();
    // 4. The picture tree. A missing or unreadable tree file is reported and
    //    the tree stays empty; the main picture and the history timer still
    //    start, so that nothing goes unrecorded.
    try {
        m_tree->LoadTree();
    } catch (const std::exception &e) {
        reportError(e);
    }
    // 5. The main picture.
    m_picture->LoadMainPicture();
    // 6. Analog history.
    m_timers->start(QStringLiteral("Timer2"));
    togglePictureTree();
    // 9. The floating panel and the message list lie on the window itself.
    placeFloatingPanels();
    setStatusText(5, clockText(QDateTime::currentDateTime()));
}

void TMainForm::placeFloatingPanels()
{
    const QPoint origin = m_scrollBox->mapTo(this, QPoint(0, 0));
    m_panel2->move(origin + QPoint(m_scrollBox->width() - m_panel2->width() - 24, 8));
    m_panel2->raise();
    m_listBoxMsg->move(origin + QPoint(16, qMax(8, m_scrollBox->height() - m_listBoxMsg->height() - 16)));
    m_listBoxMsg->raise();
}

void TMainForm::resizeEvent(QResizeEvent *e)
{
    QMainWindow::resizeEvent(e);
    if (m_shown) {
        // Keep the floating panels inside the window.
        for (QWidget *w : {m_panel2, static_cast<QWidget *>(m_listBoxMsg)}) {
            QPoint p = w->pos();
            p.setX(qBound(0, p.x(), qMax(0, width() - w->width())));
            p.setY(qBound(0, p.y(), qMax(0, height() - w->height())));
            w->move(p);
        }
    }
}

void TMainForm::openHelp()
{
    // The plant's own help page when it has one, else the page built into
    // the program (written out to a temporary file for the browser).
    QString help = QDir(m_programDir).filePath(QStringLiteral("Scada.html"));
    if (!QFileInfo::exists(help)) {
        help = QDir(QStandardPaths::writableLocation(QStandardPaths::TempLocation)).filePath(QStringLiteral("Scada.html"));
        QFile::remove(help);
        if (!QFile::copy(QStringLiteral(":/scada/Scada.html"), help)) {
            m_prompt.information(QStringLiteral("The help page cannot be written to %1.").arg(help));
            return;
        }
        QFile::setPermissions(help, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }
    openUrl(QUrl::fromLocalFile(help));
}

void TMainForm::runPrinterSetup()
{
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("PrinterSetupDialog1"));
    dialog.exec();
}

void TMainForm::showAbout()
{
    TFormAbout about(m_unitWord, m_branding, this);
    about.exec();
}

void TMainForm::closeEvent(QCloseEvent *e)
{
    shutdown();
    QMainWindow::closeEvent(e);
}

void TMainForm::shutdown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    // 1.-2. Polling and history stop; a modem line is hung up ("+++",
    //       "ATH0\r" on every station).
    // 3. No picture refresh from here on; the live objects go.
    // 5.-6. Supervision stops and the port closes, errors ignored.
    m_closing = true;
    try {
        if (m_runtime)
            m_runtime->ShutdownLink();
    } catch (...) {
    }
    if (m_picture)
        m_picture->Clear();
    // 4. The alarm sound stops.
    if (m_alarmSound && m_alarmSound->isPlaying())
        m_alarmSound->stop();
    m_timers->stop(QStringLiteral("Timer2"));
    m_timers->stop(QStringLiteral("Timer3"));
    // The history tables close, errors ignored.
    try {
        if (m_recorder)
            m_recorder->CloseTables();
    } catch (...) {
    }
}

} // namespace scada
