#include "users/UserFile.h"

#include "common/Cp936.h"
#include "common/IniFile.h"
#include "platform/Prompt.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace scada {

namespace {

const QString kUserMark = QStringLiteral("#U#");
const QString kTypeMark = QStringLiteral("#T#");

// Substring by 1-based start and count; a start before the text counts from
// its first character, a count of zero or less or a start past the end gives
// an empty text.
QString copyText(const QString &s, qsizetype start, qsizetype count)
{
    if (start < 1)
        start = 1;
    if (count <= 0 || start > s.size())
        return {};
    return s.mid(start - 1, count);
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype begin = 0;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            lines << text.mid(begin, i - begin);
            if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
            begin = i + 1;
        }
        ++i;
    }
    if (begin < n)
        lines << text.mid(begin);
    return lines;
}

} // namespace

QString UserFilePath(const QString &programDir)
{
    return QDir(programDir).filePath(kUserFileName);
}

QString DefaultUserLine()
{
    return FormatUserLine({kManagerType, kManagerType, QStringLiteral("7313"), false});
}

QString FormatUserLine(const Tuserinfo &user)
{
    return QStringLiteral("[%1]#U#[%2]#T#[%3]").arg(user.UserName, user.UserType, user.UserPass);
}

std::optional<Tuserinfo> ParseUserLine(const QString &line)
{
    const qsizetype p1 = line.indexOf(kUserMark) + 1; // 1-based, 0 when absent
    const qsizetype p2 = line.indexOf(kTypeMark) + 1;
    if (p1 == 0 || p2 == 0)
        return std::nullopt;
    Tuserinfo user;
    user.UserName = copyText(line, 2, p1 - 3);
    user.UserType = copyText(line, p1 + 4, p2 - p1 - 5);
    user.UserPass = copyText(line, p2 + 4, line.size() - p2 - 4);
    return user;
}

bool IsStorableUserField(const QString &text)
{
    return !text.contains(kUserMark) && !text.contains(kTypeMark) && !text.contains(u'\r')
        && !text.contains(u'\n');
}

bool ReadUserFileLines(const QString &programDir, QStringList &lines)
{
    lines.clear();
    QFile f(UserFilePath(programDir));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return false;
    lines = splitLines(fromCp936(bytes));
    return true;
}

bool WriteUserFileLines(const QString &programDir, const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += toCp936(line) + "\r\n";

    QSaveFile f(UserFilePath(programDir));
    if (!f.open(QIODevice::WriteOnly))
        return false;
    // The temporary file becomes Users.paw on commit: restrict it before any
    // password is written into it.
    if (!f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        f.cancelWriting();
        return false;
    }
    if (f.write(bytes) != bytes.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

bool EnsureUserFile(const QString &programDir, Prompt &prompt)
{
    if (QFileInfo::exists(UserFilePath(programDir)))
        return false;
    if (!WriteUserFileLines(programDir, {DefaultUserLine()})) {
        prompt.error(kUserFileSaveFailedText);
        return false;
    }
    return true;
}

bool LoadUserList(const QString &programDir, TUserList &list, Prompt &prompt)
{
    list.clear();
    QStringList lines;
    if (!QFileInfo::exists(UserFilePath(programDir))) {
        lines << DefaultUserLine();
        if (!WriteUserFileLines(programDir, lines))
            prompt.error(kUserFileSaveFailedText);
    } else if (!ReadUserFileLines(programDir, lines)) {
        prompt.error(kUserFileOpenFailedText);
        return false;
    }
    for (const QString &line : std::as_const(lines)) {
        if (auto user = ParseUserLine(line))
            list.append(*user);
    }
    return true;
}

bool SaveUserList(const QString &programDir, const TUserList &list)
{
    if (list.isEmpty())
        return true;
    QStringList lines;
    for (const Tuserinfo &user : list)
        lines << FormatUserLine(user);
    return WriteUserFileLines(programDir, lines);
}

bool RemoveUser(TUserList &list, qsizetype position, Prompt &prompt)
{
    if (position < 0 || position >= list.size())
        return false;
    if (list.at(position).Active) {
        prompt.warning(kActiveUserDeleteText);
        return false;
    }
    list.removeAt(position);
    return true;
}

qsizetype MatchLoginUser(TUserList &list, const QString &name, const QString &password)
{
    for (qsizetype i = 0; i < list.size(); ++i) {
        Tuserinfo &user = list[i];
        user.Active = false;
        if (user.UserName == name && user.UserPass == password) {
            user.Active = true;
            return i;
        }
    }
    return -1;
}

bool WriteLoginRecord(const QString &programDir, const QString &userName, const QString &userType)
{
    const QString path = QDir(programDir).filePath(kLoginRecordFileName);
    IniFile ini;
    ini.load(path);
    const QString section = QStringLiteral("UserInformation");
    ini.setValue(section, QStringLiteral("UserName"), userName);
    ini.setValue(section, QStringLiteral("UserType"), userType);
    ini.setValue(section, QStringLiteral("UserPass"), QString());
    ini.setValue(section, QStringLiteral("UserIndex"), QString());
    return ini.save(path);
}

} // namespace scada
