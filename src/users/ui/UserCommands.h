#pragma once
// The main window's login and logout commands.

#include "users/UserFile.h"

class QObject;
class QWidget;

namespace scada {

class Prompt;

// Shows a new login dialog modally; on a successful login applies the
// rights of the user's type to the commands under rightsRoot. Returns
// whether a user logged in. users is the main window's user list, reloaded
// from Users.paw by the dialog.
bool UserLoginCmd(QWidget *parent, QObject *rightsRoot, const QString &programDir,
                  Prompt &prompt, TUserList &users);

// Disables every rights-bound command under rightsRoot. Active marks and
// Config.Cfg are left as they are.
void UserLogoutCmd(QObject *rightsRoot);

} // namespace scada
