#pragma once
// The user file "Users.paw" of the program directory and the in-memory user
// list.
//
// One user per line, "[name]#U#[type]#T#[password]", lines ended by CR LF,
// text in code page 936, the whole file written at once. Passwords are kept
// in clear (the user manager shows them), so the file is always written with
// owner-only permissions (0600).
//
// A line is read by the positions of the first "#U#" and the first "#T#";
// the bracket characters are skipped, not verified. A line holding neither
// marker cannot be read and is skipped.

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace scada {

class Prompt;

// One user of the list. The active mark is set for the user who logged in
// and is never stored in the file.
struct Tuserinfo {
    QString UserName;
    QString UserType;
    QString UserPass;
    bool Active = false;

    bool operator==(const Tuserinfo &) const = default;
};

// The user list, in file order; held by the main window for the whole run
// and shared by the login and user maintenance dialogs.
using TUserList = QList<Tuserinfo>;

inline const QString kUserFileName = QStringLiteral("Users.paw");
inline const QString kLoginRecordFileName = QStringLiteral("Config.Cfg");
inline const QString kManagerType = QStringLiteral("Manager");
inline const QString kGeneralType = QStringLiteral("General");

inline const QString kUserFileSaveFailedText = QStringLiteral("Failed to Save the Users.paw file! ");
inline const QString kUserFileOpenFailedText = QStringLiteral("Failed to open the Users.paw file !");
inline const QString kActiveUserDeleteText = QStringLiteral("The Active User Can not be delete");

QString UserFilePath(const QString &programDir);

// The only line of a new user file: user "Manager", type "Manager",
// password "7313".
QString DefaultUserLine();

// "[name]#U#[type]#T#[password]".
QString FormatUserLine(const Tuserinfo &user);

// Reads one line (active mark cleared); nothing when the line lacks "#U#"
// or "#T#".
std::optional<Tuserinfo> ParseUserLine(const QString &line);

// A name, type or password that the line format can store and read back:
// no "#U#", "#T#", CR or LF in it.
bool IsStorableUserField(const QString &text);

// The lines of Users.paw (split at CR LF, LF or CR; a final line end adds no
// empty line). false when the file is missing or cannot be read.
bool ReadUserFileLines(const QString &programDir, QStringList &lines);

// Replaces Users.paw by these lines, each ended by CR LF, with permissions
// 0600. The old file stays intact when the write fails. false on failure.
bool WriteUserFileLines(const QString &programDir, const QStringList &lines);

// Start-up: writes the default file when Users.paw is missing; shows
// "Failed to Save the Users.paw file! " when that fails. Returns whether a
// file was created.
bool EnsureUserFile(const QString &programDir, Prompt &prompt);

// Replaces the list by the users of Users.paw, active marks cleared. A
// missing file is first written with the default line (on failure the
// save-failed message is shown and the list holds the default user all the
// same); a file that exists but cannot be read shows "Failed to open the
// Users.paw file !" and leaves the list empty. Unreadable lines are skipped.
// Returns whether the list holds the file's users.
bool LoadUserList(const QString &programDir, TUserList &list, Prompt &prompt);

// Writes every user of the list as one line, in list order, replacing
// Users.paw. An empty list writes nothing and returns true. false when the
// file cannot be written.
bool SaveUserList(const QString &programDir, const TUserList &list);

// Removes the user at position (0-based). The active user is refused with
// "The Active User Can not be delete"; a position outside the list changes
// nothing. Returns whether a user was removed.
bool RemoveUser(TUserList &list, qsizetype position, Prompt &prompt);

// The login walk: from the first user on, each user's active mark is
// cleared, and the first user whose name and password equal the given ones
// exactly is marked active and ends the walk (later users keep their marks).
// Returns the matched position or -1.
qsizetype MatchLoginUser(TUserList &list, const QString &name, const QString &password);

// Writes Config.Cfg, section "UserInformation": UserName, UserType, and
// UserPass and UserIndex always empty. Other sections of an existing file
// are kept. false when the file cannot be written.
bool WriteLoginRecord(const QString &programDir, const QString &userName, const QString &userType);

} // namespace scada
