#pragma once
// The login dialog: choose or type a user name, type the password, three
// tries. The dialog closes only after a successful login (OK) or through
// "&Close" (also pressed by itself after the third failure); every other way
// of closing is refused.

#include "users/UserFile.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace scada {

class Prompt;

class TFormUserLogin : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxTries = 3;

    // Reloads the user list from the program directory's Users.paw (writing
    // the default file when it is missing).
    TFormUserLogin(TUserList &users, const QString &programDir, Prompt &prompt,
                   QWidget *parent = nullptr);

    // After a successful login: the matched user's type and the name as typed.
    QString loggedInType() const { return m_userType; }
    QString loggedInName() const { return m_userName; }
    int tries() const { return m_tries; }

    QComboBox *Users = nullptr;
    QLineEdit *Password = nullptr;
    QPushButton *btApply = nullptr;
    QPushButton *btCancel = nullptr;

public slots:
    void btApplyClick();
    void btCancelClick();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

public:
    void done(int result) override;

private:
    TUserList &m_users;
    QString m_programDir;
    Prompt &m_prompt;
    int m_tries = 0;
    bool m_mayClose = false;
    QString m_userName;
    QString m_userType;
};

} // namespace scada
