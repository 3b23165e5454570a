#include "users/ui/TFormUserLogin.h"

#include "platform/Prompt.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace scada {

TFormUserLogin::TFormUserLogin(TUserList &users, const QString &programDir, Prompt &prompt,
                               QWidget *parent)
    : QDialog(parent), m_users(users), m_programDir(programDir), m_prompt(prompt)
{
    setObjectName(QStringLiteral("FormUserLogin"));
    setWindowTitle(QStringLiteral("User Login ,you have 3 times ..."));
    setModal(true);

    Users = new QComboBox(this);
    Users->setObjectName(QStringLiteral("Users"));
    Users->setEditable(true);
    Users->setInsertPolicy(QComboBox::NoInsert);
    // Names compare exactly: neither completion nor Enter may turn a typed
    // "manager" into the listed "Manager".
    Users->completer()->setCaseSensitivity(Qt::CaseSensitive);
    Users->setToolTip(QStringLiteral("Choose or Input User Name"));

    Password = new QLineEdit(this);
    Password->setObjectName(QStringLiteral("Password"));
    Password->setEchoMode(QLineEdit::Password);

    auto *userLabel = new QLabel(QStringLiteral("UserName:"), this);
    userLabel->setObjectName(QStringLiteral("Label1"));
    userLabel->setBuddy(Users);
    auto *passLabel = new QLabel(QStringLiteral("Password:"), this);
    passLabel->setObjectName(QStringLiteral("Label2"));
    passLabel->setBuddy(Password);

    btApply = new QPushButton(QStringLiteral("&Apply"), this);
    btApply->setObjectName(QStringLiteral("btApply"));
    btApply->setDefault(true);
    btApply->setAutoDefault(true);
    btCancel = new QPushButton(QStringLiteral("&Close"), this);
    btCancel->setObjectName(QStringLiteral("btCancel"));
    btCancel->setAutoDefault(false);

    auto *grid = new QGridLayout;
    grid->addWidget(userLabel, 0, 0);
    grid->addWidget(Users, 0, 1);
    grid->addWidget(passLabel, 1, 0);
    grid->addWidget(Password, 1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btApply);
    buttons->addWidget(btCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    // Enter in the password edit reaches the default button, "&Apply".
    connect(btApply, &QPushButton::clicked, this, &TFormUserLogin::btApplyClick);
    connect(btCancel, &QPushButton::clicked, this, &TFormUserLogin::btCancelClick);

    LoadUserList(m_programDir, m_users, m_prompt);
}

void TFormUserLogin::showEvent(QShowEvent *event)
{
    Users->clear();
    for (const Tuserinfo &user : std::as_const(m_users))
        Users->addItem(user.UserName);
    if (Users->count() > 0)
        Users->setCurrentIndex(0);
    Password->setText(QStringLiteral("0000"));
    Password->selectAll();
    Password->setFocus();
    QDialog::showEvent(event);
}

void TFormUserLogin::btApplyClick()
{
    const QString name = Users->currentText();
    ++m_tries;
    m_userType.clear();

    const qsizetype match = MatchLoginUser(m_users, name, Password->text());
    if (match >= 0) {
        m_userName = name;
        m_userType = m_users.at(match).UserType;
        m_mayClose = true;
        WriteLoginRecord(m_programDir, m_userName, m_userType);
        accept();
        return;
    }

    m_prompt.warning(QStringLiteral("Password is Invalid ,You have only %1 time chance ! ")
                         .arg(kMaxTries - m_tries));
    Password->clear();
    Password->setFocus();
    if (m_tries >= kMaxTries)
        btCancel->click();
}

void TFormUserLogin::btCancelClick()
{
    m_mayClose = true;
    reject();
}

void TFormUserLogin::done(int result)
{
    if (!m_mayClose)
        return;
    QDialog::done(result);
}

void TFormUserLogin::closeEvent(QCloseEvent *event)
{
    if (!m_mayClose) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

} // namespace scada
