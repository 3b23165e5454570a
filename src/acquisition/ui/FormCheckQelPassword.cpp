#include "acquisition/ui/FormCheckQelPassword.h"

#include "common/Colour.h"
#include "platform/Prompt.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace scada {

namespace {
constexpr uint32_t kOnColour = 255;     // red
constexpr uint32_t kOffColour = 65280;  // lime
} // namespace

TFormCheckQelPassword::TFormCheckQelPassword(Prompt &prompt, const QString &unitWord, QWidget *parent)
    : QDialog(parent), m_prompt(prompt)
{
    setObjectName(QStringLiteral("FormCheckQelPassword"));
    setWindowTitle(QStringLiteral("Check %1 Password ...").arg(unitWord));

    auto *label1 = new QLabel(QStringLiteral("Please Input Password for Current %1,").arg(unitWord), this);
    label1->setObjectName(QStringLiteral("Label1"));
    auto *label2 = new QLabel(QStringLiteral("and you have three times ..."), this);
    label2->setObjectName(QStringLiteral("Label2"));

    auto *currentLabel = new QLabel(QStringLiteral("Current %1:").arg(unitWord), this);
    currentLabel->setObjectName(QStringLiteral("Label3"));
    m_current = new QLineEdit(this);
    m_current->setObjectName(QStringLiteral("EditCurrent"));
    m_current->setReadOnly(true);
    auto *passwordLabel = new QLabel(QStringLiteral("Password:"), this);
    passwordLabel->setObjectName(QStringLiteral("Label4"));
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("EditPassword"));
    m_password->setEchoMode(QLineEdit::Password);

    m_direction = new QGroupBox(this);
    m_direction->setObjectName(QStringLiteral("RadioGroup1"));
    m_direction->setEnabled(false);
    m_offToOn = new QRadioButton(QStringLiteral("From Off to On"), m_direction);
    m_offToOn->setObjectName(QStringLiteral("RadioOffToOn"));
    m_onToOff = new QRadioButton(QStringLiteral("From On to Off"), m_direction);
    m_onToOff->setObjectName(QStringLiteral("RadioOnToOff"));
    auto *dirLayout = new QVBoxLayout(m_direction);
    dirLayout->addWidget(m_offToOn);
    dirLayout->addWidget(m_onToOff);

    auto *statusBox = new QGroupBox(QStringLiteral("Status"), this);
    statusBox->setObjectName(QStringLiteral("GroupBox1"));
    m_status = new QFrame(statusBox);
    m_status->setObjectName(QStringLiteral("PanelStatus"));
    m_status->setFrameShape(QFrame::Panel);
    m_status->setMinimumSize(40, 24);
    m_status->setAutoFillBackground(true);
    auto *statusLayout = new QVBoxLayout(statusBox);
    statusLayout->addWidget(m_status);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("BtnOK"));
    m_ok->setDefault(true);
    m_close = new QPushButton(QStringLiteral("Close"), this);
    m_close->setObjectName(QStringLiteral("BtnClose"));
    m_close->setAutoDefault(false);
    connect(m_ok, &QPushButton::clicked, this, &TFormCheckQelPassword::OKClick);
    connect(m_close, &QPushButton::clicked, this, &TFormCheckQelPassword::CloseClick);
    // Enter in the password edit presses OK, the default button.

    auto *grid = new QGridLayout;
    grid->addWidget(currentLabel, 0, 0);
    grid->addWidget(m_current, 0, 1);
    grid->addWidget(passwordLabel, 1, 0);
    grid->addWidget(m_password, 1, 1);
    auto *middle = new QHBoxLayout;
    middle->addWidget(m_direction, 1);
    middle->addWidget(statusBox);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label1);
    layout->addWidget(label2);
    layout->addLayout(grid);
    layout->addLayout(middle);
    layout->addLayout(buttons);
}

void TFormCheckQelPassword::setRequest(const PasswordRequest &r)
{
    m_pointName = r.pointName;
    m_check.setPassword(r.password);
    m_current->setText(r.pointName);
    m_direction->setTitle(r.pointName + QLatin1Char(':'));
    (r.state ? m_onToOff : m_offToOn)->setChecked(true);
    QPalette pal = m_status->palette();
    pal.setColor(QPalette::Window, toQColor(r.state ? kOnColour : kOffColour));
    m_status->setPalette(pal);
}

void TFormCheckQelPassword::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    m_check.reset();
    m_password->clear();
    if (m_pointName == QLatin1String("None")) {
        m_password->setEnabled(false);
        m_close->setFocus();
    } else {
        m_password->setEnabled(true);
        m_password->setFocus();
    }
}

void TFormCheckQelPassword::OKClick()
{
    switch (m_check.submit(m_password->text(), m_prompt)) {
    case PasswordCheck::Result::Accepted:
        done(QDialog::Accepted);
        break;
    case PasswordCheck::Result::Invalid:
        m_password->clear();
        m_password->setFocus();
        break;
    case PasswordCheck::Result::Exhausted:
        m_password->clear();
        CloseClick();
        break;
    }
}

void TFormCheckQelPassword::CloseClick()
{
    m_check.close();
    done(QDialog::Rejected);
}

void TFormCheckQelPassword::done(int r)
{
    // Escape and the window's close box do not end the dialog.
    if (!m_check.mayClose())
        return;
    QDialog::done(r);
}

PasswordDialogRunner MakePasswordDialogRunner(QWidget *parent, Prompt &prompt, const QString &unitWord)
{
    QPointer<QWidget> owner(parent);
    return [owner, &prompt, unitWord](const PasswordRequest &r) {
        TFormCheckQelPassword dialog(prompt, unitWord, owner.data());
        dialog.setRequest(r);
        return dialog.exec() == QDialog::Accepted;
    };
}

} // namespace scada
