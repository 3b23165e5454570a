#include "users/ui/UserCommands.h"

#include "users/UserRights.h"
#include "users/ui/TFormUserLogin.h"

namespace scada {

bool UserLoginCmd(QWidget *parent, QObject *rightsRoot, const QString &programDir,
                  Prompt &prompt, TUserList &users)
{
    TFormUserLogin form(users, programDir, prompt, parent);
    if (form.exec() != QDialog::Accepted)
        return false;
    ApplyUserRights(rightsRoot, form.loggedInType());
    return true;
}

void UserLogoutCmd(QObject *rightsRoot)
{
    DisableRightsBoundCommands(rightsRoot);
}

} // namespace scada
