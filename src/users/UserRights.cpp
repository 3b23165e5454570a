#include "users/UserRights.h"

#include "users/UserFile.h"

#include <QAction>
#include <QObject>
#include <array>

namespace scada {

namespace {

constexpr std::array<UserRight, 15> kRights{{
    {"SysSetTimeCmd", true, true},
    {"SysDeployCmd", false, true},
    {"MonitorClearAlarmCmd", false, true},
    {"MonitorDrawToolsCmd", false, true},
    {"MonitorDesignStationCmd", false, true},
    {"MonitorAddQelCmd", false, true},
    {"MonitorDesignQelCmd", false, true},
    {"MoniorDesignVar", false, true},
    {"UserManageCmd", false, true},
    {"UserModifyMangerCmd", true, true},
    {"ReportCreateCmd", false, true},
    {"MonitorSetBatchCtrlCmd", true, true},
    {"MonitorBatchCtrlCmd", true, true},
    {"SeletedCOMM1", true, true},
    {"SetBatchCtrl1", true, true},
}};

void setEnabled(QObject *object, bool on)
{
    if (auto *action = qobject_cast<QAction *>(object))
        action->setEnabled(on);
    else if (object->isWidgetType())
        object->setProperty("enabled", on);
}

} // namespace

std::span<const UserRight> UserRightsTable()
{
    return kRights;
}

bool IsRightsBoundCommand(const QString &command)
{
    for (const UserRight &r : kRights)
        if (command == QLatin1String(r.command))
            return true;
    return false;
}

bool RightEnabled(const UserRight &right, RightsColumn column)
{
    switch (column) {
    case RightsColumn::NoUser:
        return false;
    case RightsColumn::General:
        return right.general;
    case RightsColumn::Manager:
        return right.manager;
    }
    return false;
}

void ApplyRightsColumn(QObject *root, RightsColumn column)
{
    if (!root)
        return;
    const QList<QObject *> objects = root->findChildren<QObject *>();
    for (const UserRight &r : kRights) {
        const QLatin1String name(r.command);
        const bool on = RightEnabled(r, column);
        if (root->objectName() == name)
            setEnabled(root, on);
        for (QObject *o : objects)
            if (o->objectName() == name)
                setEnabled(o, on);
    }
}

bool ApplyUserRights(QObject *root, const QString &userType)
{
    if (userType == kManagerType) {
        ApplyRightsColumn(root, RightsColumn::Manager);
        return true;
    }
    if (userType == kGeneralType) {
        ApplyRightsColumn(root, RightsColumn::General);
        return true;
    }
    return false;
}

void DisableRightsBoundCommands(QObject *root)
{
    ApplyRightsColumn(root, RightsColumn::NoUser);
}

} // namespace scada
