#pragma once
// The control password dialog of a switch command: shows the point, its
// current state and direction, and allows three attempts at the unit's
// password. It closes only through OK with the right password or Close.

#include "acquisition/RemoteControl.h"

#include <QDialog>

class QFrame;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace scada {

class Prompt;

class TFormCheckQelPassword : public QDialog {
    Q_OBJECT
public:
    TFormCheckQelPassword(Prompt &prompt, const QString &unitWord = QStringLiteral("QEL"),
                          QWidget *parent = nullptr);

    // Fills the dialog for a command: point name, unit password, state.
    void setRequest(const PasswordRequest &r);
    const PasswordCheck &check() const { return m_check; }

    void done(int r) override;

protected:
    void showEvent(QShowEvent *e) override;

private:
    void OKClick();
    void CloseClick();

    Prompt &m_prompt;
    PasswordCheck m_check;
    QString m_pointName;
    QLineEdit *m_current;
    QLineEdit *m_password;
    QGroupBox *m_direction;
    QRadioButton *m_offToOn;
    QRadioButton *m_onToOff;
    QFrame *m_status;
    QPushButton *m_ok;
    QPushButton *m_close;
};

// The runner RemoteControl::setPasswordDialog takes: the dialog shown
// modally over parent.
PasswordDialogRunner MakePasswordDialogRunner(QWidget *parent, Prompt &prompt,
                                              const QString &unitWord = QStringLiteral("QEL"));

} // namespace scada
