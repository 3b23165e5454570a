#include "acquisition/ui/FormQelGroupControl.h"

#include "common/Colour.h"
#include "platform/Prompt.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace scada {

namespace {
const QString kOne = QStringLiteral("1");
const QString kZero = QStringLiteral("0");

QString styleFor(uint32_t colour)
{
    return QStringLiteral("background-color: %1;").arg(toQColor(colour).name());
}
} // namespace

TFormQelGroupControl::TFormQelGroupControl(Database &db, Prompt &prompt, const QString &programDir,
                                           const QString &unitWord, QWidget *parent)
    : QDialog(parent), m_db(db), m_prompt(prompt), m_programDir(programDir), m_unitWord(unitWord)
{
    setObjectName(QStringLiteral("FormQelGroupControl"));
    auto *menu = new QMenuBar(this);
    QMenu *options = menu->addMenu(QStringLiteral("Options"));
    QAction *colours = options->addAction(QStringLiteral("Set Control color "));
    colours->setObjectName(QStringLiteral("SetControlcolor1"));
    connect(colours, &QAction::triggered, this, &TFormQelGroupControl::SetControlcolor1Click);

    auto *title = new QLabel(this);
    title->setObjectName(QStringLiteral("LabelTitle"));
    auto *listBox = new QGroupBox(this);
    listBox->setObjectName(QStringLiteral("GroupBoxList"));
    m_list = new QListWidget(listBox);
    m_list->setObjectName(QStringLiteral("clbQelName"));
    m_list->setToolTip(QStringLiteral("Click to Check Box"));
    auto *listLayout = new QVBoxLayout(listBox);
    listLayout->addWidget(m_list);
    connect(m_list, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) { clbQelNameClick(m_list->row(item)); });
    connect(m_list, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        if (!m_filling)
            clbQelNameClick(m_list->row(item));
    });

    auto *info = new QGroupBox(this);
    info->setObjectName(QStringLiteral("GroupBoxInfo"));
    auto *general = new QGroupBox(QStringLiteral("General"), info);
    general->setObjectName(QStringLiteral("GroupBoxGeneral"));
    auto *nameLabel = new QLabel(general);
    nameLabel->setObjectName(QStringLiteral("LabelNameCaption"));
    m_name = new QLabel(general);
    m_name->setObjectName(QStringLiteral("LabelName"));
    m_address = new QLabel(general);
    m_address->setObjectName(QStringLiteral("LabelAddress"));
    m_type = new QLabel(general);
    m_type->setObjectName(QStringLiteral("LabelType"));
    m_currentPoint = new QLabel(general);
    m_currentPoint->setObjectName(QStringLiteral("LabelCurrentPoint"));
    auto *g = new QGridLayout(general);
    g->addWidget(nameLabel, 0, 0);
    g->addWidget(m_name, 0, 1);
    g->addWidget(new QLabel(QStringLiteral("Address:"), general), 1, 0);
    g->addWidget(m_address, 1, 1);
    g->addWidget(new QLabel(QStringLiteral("Type:"), general), 2, 0);
    g->addWidget(m_type, 2, 1);
    g->addWidget(new QLabel(QStringLiteral("Current Point:"), general), 3, 0);
    g->addWidget(m_currentPoint, 3, 1);

    m_outputArea = new QGroupBox(QStringLiteral("Point Setting"), info);
    m_outputArea->setObjectName(QStringLiteral("GroupBoxPoints"));
    m_outputArea->installEventFilter(this);
    auto *pg = new QGridLayout(m_outputArea);
    for (int k = 0; k < kGroupMaxOutputs; ++k) {
        m_pointNames[size_t(k)] = new QLabel(m_outputArea);
        m_pointNames[size_t(k)]->setObjectName(QStringLiteral("LabelPoint%1").arg(k + 1));
        m_panels[size_t(k)] = new QPushButton(m_outputArea);
        m_panels[size_t(k)]->setObjectName(QStringLiteral("Point%1").arg(k + 1));
        m_panels[size_t(k)]->setFlat(true);
        m_panels[size_t(k)]->setAutoFillBackground(true);
        m_panels[size_t(k)]->setMinimumSize(40, 28);
        m_panels[size_t(k)]->installEventFilter(this);
        m_boxes[size_t(k)] = new QCheckBox(m_outputArea);
        m_boxes[size_t(k)]->setObjectName(QStringLiteral("CheckBox%1").arg(k + 1));
        m_boxes[size_t(k)]->installEventFilter(this);
        connect(m_panels[size_t(k)], &QPushButton::clicked, this, [this, k] { Point1Click(k); });
        connect(m_boxes[size_t(k)], &QCheckBox::clicked, this, [this, k] { CheckBox1Click(k); });
        pg->addWidget(m_pointNames[size_t(k)], 0, k);
        pg->addWidget(m_panels[size_t(k)], 1, k);
        pg->addWidget(m_boxes[size_t(k)], 2, k, Qt::AlignHCenter);
    }
    auto *legend = new QHBoxLayout;
    legend->addWidget(new QLabel(QStringLiteral("From Off to On"), m_outputArea));
    legend->addWidget(new QLabel(QStringLiteral("From On to Off"), m_outputArea));
    pg->addLayout(legend, 3, 0, 1, kGroupMaxOutputs);
    auto *infoLayout = new QVBoxLayout(info);
    infoLayout->addWidget(general);
    infoLayout->addWidget(m_outputArea);

    m_btnSend = new QPushButton(QStringLiteral("Send"), this);
    m_btnSend->setObjectName(QStringLiteral("btnSend"));
    m_btnSave = new QPushButton(QStringLiteral("Save"), this);
    m_btnSave->setObjectName(QStringLiteral("btnSave"));
    m_btnSave->setToolTip(QStringLiteral("Save Config to File"));
    m_btnClear = new QPushButton(QStringLiteral("Clear"), this);
    m_btnClear->setObjectName(QStringLiteral("btnClear"));
    m_btnClear->setToolTip(QStringLiteral("Clear Config"));
    m_btnClose = new QPushButton(QStringLiteral("Close"), this);
    m_btnClose->setObjectName(QStringLiteral("btnClose"));
    m_btnClose->setToolTip(QStringLiteral("Close"));
    connect(m_btnSend, &QPushButton::clicked, this, &TFormQelGroupControl::btnSendClick);
    connect(m_btnSave, &QPushButton::clicked, this, &TFormQelGroupControl::btnSaveClick);
    connect(m_btnClear, &QPushButton::clicked, this, &TFormQelGroupControl::btnClearClick);
    connect(m_btnClose, &QPushButton::clicked, this, &QDialog::close);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton *b : {m_btnSend, m_btnSave, m_btnClear, m_btnClose})
        buttons->addWidget(b);

    auto *body = new QHBoxLayout;
    body->addWidget(listBox);
    body->addWidget(info, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setMenuBar(menu);
    layout->addWidget(title);
    layout->addLayout(body);
    layout->addLayout(buttons);

    // Captions with the unit word.
    setWindowTitle(QStringLiteral("Control for %1 Group").arg(m_unitWord));
    title->setText(QStringLiteral("Control for %1 Group").arg(m_unitWord));
    listBox->setTitle(QStringLiteral("Valid %1(s)").arg(m_unitWord));
    info->setTitle(QStringLiteral("%1 Infomation").arg(m_unitWord));
    nameLabel->setText(QStringLiteral("%1 Name:").arg(m_unitWord));
    m_btnSend->setToolTip(QStringLiteral("Send data to %1").arg(m_unitWord));

    m_colours = LoadControlColours(QDir(m_programDir).filePath(QStringLiteral("controlcolor.set")));
}

void TFormQelGroupControl::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    FormShow();
}

void TFormQelGroupControl::paintPanel(int output, uint32_t colour)
{
    m_panelColours[size_t(output)] = colour;
    m_panels[size_t(output)]->setStyleSheet(styleFor(colour));
}

void TFormQelGroupControl::FormShow()
{
    m_saved = true;
    m_current = -1;
    m_filling = true;
    m_list->clear();
    m_outputArea->setEnabled(false);
    for (QLabel *l : {m_name, m_address, m_type, m_currentPoint})
        l->clear();
    for (int k = 0; k < kGroupMaxOutputs; ++k) {
        paintPanel(k, m_colours.off);
        m_pointNames[size_t(k)]->clear();
    }
    m_units = BuildQelGroupList(m_db);
    for (const QelGroupUnit &u : std::as_const(m_units)) {
        auto *item = new QListWidgetItem(u.name, m_list);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    m_filling = false;
    updateSend();
}

void TFormQelGroupControl::updateSend()
{
    bool any = false;
    for (const QelGroupUnit &u : std::as_const(m_units))
        any = any || u.checked;
    m_btnSend->setEnabled(any);
}

void TFormQelGroupControl::clbQelNameClick(int row)
{
    if (row < 0 || row >= m_units.size())
        return;
    m_saved = false;
    m_outputArea->setEnabled(false);
    QelGroupUnit &u = m_units[row];
    u.checked = m_list->item(row)->checkState() == Qt::Checked;
    m_current = row;
    if (u.checked) {
        u.visited = 1;
        m_outputArea->setEnabled(true);
        m_name->setText(u.name);
        m_address->setText(QString::number(u.address));
        m_type->setText(u.outputs == 4 ? QStringLiteral("10 Points") : QStringLiteral("20 Points"));
        for (int k = 0; k < kGroupMaxOutputs; ++k) {
            const bool shown = k < u.outputs;
            m_panels[size_t(k)]->setVisible(shown);
            m_boxes[size_t(k)]->setVisible(shown);
            m_pointNames[size_t(k)]->setVisible(shown);
            m_pointNames[size_t(k)]->clear();
            if (!shown)
                continue;
            // What the window shows is what the files will hold: a flag not
            // yet set takes the value shown for it.
            QString &enable = u.enable[size_t(k)];
            QString &state = u.state[size_t(k)];
            enable = enable == kZero ? kZero : kOne;
            state = state == kZero ? kZero : kOne;
            const bool enabled = enable == kOne;
            m_boxes[size_t(k)]->setChecked(enabled);
            m_panels[size_t(k)]->setEnabled(enabled);
            if (!enabled)
                state = kZero;
            paintPanel(k, state == kOne ? m_colours.on : m_colours.off);
        }
    }
    updateSend();
}

void TFormQelGroupControl::showPointName(int output)
{
    if (m_current < 0 || output < 0 || output >= m_units[m_current].outputs)
        return;
    const QString name = m_units[m_current].outputNames[size_t(output)];
    for (int k = 0; k < kGroupMaxOutputs; ++k)
        m_pointNames[size_t(k)]->setText(k == output ? name : QString());
    m_currentPoint->setText(name);
}

QString TFormQelGroupControl::currentPointText() const
{
    return m_currentPoint->text();
}

void TFormQelGroupControl::Point1Click(int output)
{
    if (m_current < 0 || output < 0 || output >= m_units[m_current].outputs)
        return;
    m_saved = false;
    QString &state = m_units[m_current].state[size_t(output)];
    if (panelColour(output) == m_colours.on && state == kOne) {
        paintPanel(output, m_colours.off);
        state = kZero;
    } else {
        paintPanel(output, m_colours.on);
        state = kOne;
    }
    showPointName(output);
}

void TFormQelGroupControl::CheckBox1Click(int output)
{
    if (m_current < 0 || output < 0 || output >= m_units[m_current].outputs)
        return;
    m_saved = false;
    QelGroupUnit &u = m_units[m_current];
    const bool checked = m_boxes[size_t(output)]->isChecked();
    m_panels[size_t(output)]->setEnabled(checked);
    u.enable[size_t(output)] = checked ? kOne : kZero;
    if (!checked) {
        paintPanel(output, m_colours.off);
        u.state[size_t(output)] = kZero;
    }
}

bool TFormQelGroupControl::save()
{
    for (QPushButton *b : {m_btnSend, m_btnSave, m_btnClear})
        b->setEnabled(false);
    const QDir dir(m_programDir);
    bool ok = SaveQelGroup(dir.filePath(QStringLiteral("QelGroup.ini")), m_units);
    m_saved = true;
    ok = SaveQelList(dir.filePath(QStringLiteral("QelList.ini")), m_units) && ok;
    for (QPushButton *b : {m_btnSend, m_btnSave, m_btnClear})
        b->setEnabled(true);
    updateSend();
    if (!ok)
        m_prompt.error(QStringLiteral("Cannot write the batch files in \"%1\".").arg(m_programDir));
    return ok;
}

void TFormQelGroupControl::btnSaveClick()
{
    save();
}

void TFormQelGroupControl::btnSendClick()
{
    // A batch that could not be saved is not sent: the list on disk would
    // not be the one shown.
    if (!save())
        return;
    if (m_send)
        QMetaObject::invokeMethod(this, [this] {
            if (m_send)
                m_send();
        }, Qt::QueuedConnection);
}

void TFormQelGroupControl::btnClearClick()
{
    if (!m_prompt.yesNo(QStringLiteral("Clear all current infomation,\rand get the new value when it display next !")))
        return;
    QFile::remove(QDir(m_programDir).filePath(QStringLiteral("QelGroup.ini")));
    m_saved = true;
    close();
}

void TFormQelGroupControl::SetControlcolor1Click()
{
    ControlColours c = m_colours;
    if (!EditControlColours(this, c, m_colourRun, m_chooser))
        return;
    m_colours = c;
    if (!SaveControlColours(QDir(m_programDir).filePath(QStringLiteral("controlcolor.set")), m_colours))
        m_prompt.error(QStringLiteral("Cannot write \"controlcolor.set\"."));
    if (m_current >= 0)
        for (int k = 0; k < m_units[m_current].outputs; ++k)
            paintPanel(k, m_units[m_current].state[size_t(k)] == kOne ? m_colours.on : m_colours.off);
}

void TFormQelGroupControl::closeEvent(QCloseEvent *e)
{
    if (!m_saved && m_prompt.yesNo(QStringLiteral("The Value was modified ,Save it ?")))
        save();
    m_saved = true;
    QDialog::closeEvent(e);
}

bool TFormQelGroupControl::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Enter) {
        for (int k = 0; k < kGroupMaxOutputs; ++k)
            if (watched == m_panels[size_t(k)] || watched == m_boxes[size_t(k)])
                showPointName(k);
    } else if (event->type() == QEvent::Leave && watched == m_outputArea) {
        for (QLabel *l : m_pointNames)
            l->clear();
        m_currentPoint->clear();
    }
    return QDialog::eventFilter(watched, event);
}

int MonitorSetBatchCtrlCmdExecute(QWidget *parent, Database &db, Prompt &prompt, const QString &programDir,
                                  std::function<void()> sendBatch, const GroupDialogRunner &run)
{
    TFormQelGroupControl form(db, prompt, programDir, QStringLiteral("QEL"), parent);
    form.setSendHandler(std::move(sendBatch));
    return run ? run(form) : form.exec();
}

} // namespace scada
