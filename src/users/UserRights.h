#pragma once
// The rights of the user types: which commands of the main window are
// enabled with nobody logged in, for a "General" user and for a "Manager".
//
// Commands are found by objectName under a root object (the main window):
// its actions, and the two menu items "SeletedCOMM1" and "SetBatchCtrl1".
// Every object with such a name that is a QAction or a QWidget is enabled or
// disabled; commands not in the table are never touched.

#include <QString>
#include <span>

class QObject;

namespace scada {

struct UserRight {
    const char *command; // objectName of the action or menu item
    bool general;        // enabled for a "General" user
    bool manager;        // enabled for a "Manager"
    // With nobody logged in every command of the table is disabled.
};

enum class RightsColumn { NoUser, General, Manager };

std::span<const UserRight> UserRightsTable();

// Whether the command is in the table; if so, its state in the column.
bool IsRightsBoundCommand(const QString &command);
bool RightEnabled(const UserRight &right, RightsColumn column);

void ApplyRightsColumn(QObject *root, RightsColumn column);

// After a login: the "Manager" or the "General" column; any other type
// changes nothing. Returns whether a column was applied.
bool ApplyUserRights(QObject *root, const QString &userType);

// At start and on logout: every rights-bound command disabled.
void DisableRightsBoundCommands(QObject *root);

} // namespace scada
