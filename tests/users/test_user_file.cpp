#include "common/Cp936.h"
#include "common/IniFile.h"
#include "platform/Prompt.h"
#include "support/TempDir.h"
#include "users/UserFile.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace scada;
using namespace Qt::StringLiterals;

namespace {

constexpr auto kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

QFileDevice::Permissions unixPermissions(const QString &path)
{
    // Only the owner/group/other bits; Qt also reports ReadUser etc.
    const auto all = QFile(path).permissions();
    return all & (QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                  | QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
                  | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther);
}

} // namespace

TEST(UserLine, ParsesByMarkerPositions)
{
    struct Case {
        const char16_t *line;
        const char16_t *name, *type, *pass;
    } cases[] = {
        {u"[Manager]#U#[Manager]#T#[7313]", u"Manager", u"Manager", u"7313"},
        {u"[op]#U#[General]#T#[]", u"op", u"General", u""},
        {u"[]#U#[]#T#[]", u"", u"", u""},
        // brackets are skipped, not verified
        {u"xAbcx#U#xTypx#T#xPwx", u"Abc", u"Typ", u"Pw"},
        // the first markers count; a later "#T#" stays in the password
        {u"[a]#U#[b]#T#[c#T#d]", u"a", u"b", u"c#T#d"},
        {u"[张三]#U#[General]#T#[密码]", u"张三", u"General", u"密码"},
        // markers in the wrong order: the positions still decide, nothing
        // is read outside the line
        {u"#T##U#", u"T", u"", u"U"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.line).toStdString());
        auto user = ParseUserLine(QString::fromUtf16(c.line));
        ASSERT_TRUE(user.has_value());
        EXPECT_EQ(user->UserName, QString::fromUtf16(c.name));
        EXPECT_EQ(user->UserType, QString::fromUtf16(c.type));
        EXPECT_EQ(user->UserPass, QString::fromUtf16(c.pass));
        EXPECT_FALSE(user->Active);
    }
}

TEST(UserLine, LinesWithoutBothMarkersAreUnreadable)
{
    for (const QString &line : {u""_s, u"[x]"_s, u"[a]#U#[b]"_s, u"[a]#T#[b]"_s, u"#U"_s,
                               u"[a]#C#[b]#V#[c]"_s}) {
        SCOPED_TRACE(line.toStdString());
        EXPECT_FALSE(ParseUserLine(line).has_value());
    }
}

TEST(UserLine, FormatReadsBackAndDefaultIsManager)
{
    EXPECT_EQ(DefaultUserLine(), u"[Manager]#U#[Manager]#T#[7313]"_s);
    const Tuserinfo u{u"Zhang 张"_s, u"General"_s, u"p]w["_s, true};
    EXPECT_EQ(FormatUserLine(u), u"[Zhang 张]#U#[General]#T#[p]w[]"_s);
    auto back = ParseUserLine(FormatUserLine(u));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->UserName, u.UserName);
    EXPECT_EQ(back->UserPass, u.UserPass);
    EXPECT_EQ(FormatUserLine({u"%2%1"_s, u"%3"_s, u"%1"_s}), u"[%2%1]#U#[%3]#T#[%1]"_s);

    EXPECT_TRUE(IsStorableUserField(u"ab#U c"_s));
    for (const QString &bad : {u"a#U#b"_s, u"#T#"_s, u"a\r\nb"_s, u"a\nb"_s})
        EXPECT_FALSE(IsStorableUserField(bad)) << bad.toStdString();
}

TEST(UserFile, EnsureCreatesDefaultFileOwnerOnlyAndKeepsExistingOne)
{
    TempPlant plant;
    FakePrompt prompt;
    EXPECT_TRUE(EnsureUserFile(plant.path(), prompt));
    EXPECT_EQ(plant.read("Users.paw"), QByteArray("[Manager]#U#[Manager]#T#[7313]\r\n"));
    EXPECT_EQ(unixPermissions(plant.file("Users.paw")), kOwnerOnly);

    plant.write("Users.paw", "[a]#U#[General]#T#[1]\r\n");
    EXPECT_FALSE(EnsureUserFile(plant.path(), prompt));
    EXPECT_EQ(plant.read("Users.paw"), QByteArray("[a]#U#[General]#T#[1]\r\n"));
    EXPECT_TRUE(prompt.shown.isEmpty());
}

TEST(UserFile, EnsureReportsAFileThatCannotBeWritten)
{
    TempPlant plant;
    FakePrompt prompt;
    const QString missingDir = plant.file("no/such/dir");
    EXPECT_FALSE(EnsureUserFile(missingDir, prompt));
    EXPECT_EQ(prompt.texts(), QStringList{u"Failed to Save the Users.paw file! "_s});
}

TEST(UserFile, SaveWritesCp936CrLfLinesOwnerOnlyAndLoadReadsThemBack)
{
    TempPlant plant;
    // An older file readable by everybody becomes owner-only on the next save.
    plant.write("Users.paw", "[old]#U#[General]#T#[x]\r\n");
    QFile::setPermissions(plant.file("Users.paw"), kOwnerOnly | QFileDevice::ReadGroup
                                                       | QFileDevice::ReadOther);

    const TUserList users{{u"Manager"_s, u"Manager"_s, u"7313"_s, true},
                          {u"值班员"_s, u"General"_s, u""_s, false}};
    ASSERT_TRUE(SaveUserList(plant.path(), users));
    const QByteArray expected = "[Manager]#U#[Manager]#T#[7313]\r\n["
        + toCp936(u"值班员"_s) + "]#U#[General]#T#[]\r\n";
    EXPECT_EQ(plant.read("Users.paw"), expected);
    EXPECT_EQ(unixPermissions(plant.file("Users.paw")), kOwnerOnly);

    FakePrompt prompt;
    TUserList loaded{{u"stale"_s, u"General"_s, u"s"_s, true}};
    EXPECT_TRUE(LoadUserList(plant.path(), loaded, prompt));
    ASSERT_EQ(loaded.size(), 2);
    EXPECT_EQ(loaded[0], (Tuserinfo{u"Manager"_s, u"Manager"_s, u"7313"_s, false}));
    EXPECT_EQ(loaded[1], (Tuserinfo{u"值班员"_s, u"General"_s, u""_s, false}));

    // An empty list leaves the file alone.
    EXPECT_TRUE(SaveUserList(plant.path(), {}));
    EXPECT_EQ(plant.read("Users.paw"), expected);
}

TEST(UserFile, SaveReportsAFileThatCannotBeWritten)
{
    TempPlant plant;
    EXPECT_FALSE(SaveUserList(plant.file("missing"), {{u"a"_s, u"General"_s, u"1"_s}}));
}

TEST(UserFile, LoadSkipsUnreadableLinesAndAcceptsAnyLineEnd)
{
    TempPlant plant;
    plant.write("Users.paw", "[a]#U#[General]#T#[1]\n"
                             "garbage\r"
                             "\r\n"
                             "[b]#U#[b]\r\n"
                             "[c]#U#[Manager]#T#[3]");
    FakePrompt prompt;
    TUserList users;
    EXPECT_TRUE(LoadUserList(plant.path(), users, prompt));
    ASSERT_EQ(users.size(), 2);
    EXPECT_EQ(users[0].UserName, u"a"_s);
    EXPECT_EQ(users[1].UserName, u"c"_s);
    EXPECT_EQ(users[1].UserPass, u"3"_s);
    EXPECT_TRUE(prompt.shown.isEmpty());
}

TEST(UserFile, LoadWritesTheDefaultFileWhenMissingAndReportsUnreadableFile)
{
    TempPlant plant;
    FakePrompt prompt;
    TUserList users;
    EXPECT_TRUE(LoadUserList(plant.path(), users, prompt));
    ASSERT_EQ(users.size(), 1);
    EXPECT_EQ(users[0], (Tuserinfo{u"Manager"_s, u"Manager"_s, u"7313"_s, false}));
    EXPECT_EQ(plant.read("Users.paw"), QByteArray("[Manager]#U#[Manager]#T#[7313]\r\n"));

    // A Users.paw that exists but cannot be read as a file.
    TempPlant other;
    QDir(other.path()).mkdir("Users.paw");
    users = {{u"x"_s, u"General"_s, u""_s}};
    EXPECT_FALSE(LoadUserList(other.path(), users, prompt));
    EXPECT_TRUE(users.isEmpty());
    EXPECT_EQ(prompt.texts(), QStringList{u"Failed to open the Users.paw file !"_s});
}

TEST(UserList, RemoveRefusesTheActiveUserAndIgnoresBadPositions)
{
    TUserList users{{u"a"_s, u"Manager"_s, u"1"_s, false},
                    {u"b"_s, u"General"_s, u"2"_s, true},
                    {u"c"_s, u"General"_s, u"3"_s, false}};
    FakePrompt prompt;
    EXPECT_FALSE(RemoveUser(users, 1, prompt));
    EXPECT_EQ(prompt.texts(), QStringList{u"The Active User Can not be delete"_s});
    EXPECT_FALSE(RemoveUser(users, -1, prompt));
    EXPECT_FALSE(RemoveUser(users, 3, prompt));
    EXPECT_EQ(users.size(), 3);

    EXPECT_TRUE(RemoveUser(users, 0, prompt));
    ASSERT_EQ(users.size(), 2);
    EXPECT_EQ(users[0].UserName, u"b"_s);
    EXPECT_EQ(users[1].UserName, u"c"_s);
    EXPECT_EQ(prompt.shown.size(), 1);
}

TEST(UserList, LoginWalkMarksTheMatchAndClearsMarksBeforeIt)
{
    TUserList users{{u"a"_s, u"Manager"_s, u"1"_s, true},
                    {u"b"_s, u"General"_s, u"2"_s, false},
                    {u"b"_s, u"General"_s, u"2"_s, false},
                    {u"d"_s, u"General"_s, u"4"_s, true}};
    EXPECT_EQ(MatchLoginUser(users, u"b"_s, u"2"_s), 1);
    EXPECT_FALSE(users[0].Active);
    EXPECT_TRUE(users[1].Active);
    EXPECT_FALSE(users[2].Active);
    EXPECT_TRUE(users[3].Active); // after the match: untouched

    // Exact comparison: case and surrounding text count; no match clears all.
    EXPECT_EQ(MatchLoginUser(users, u"B"_s, u"2"_s), -1);
    EXPECT_EQ(MatchLoginUser(users, u"b"_s, u"2 "_s), -1);
    for (const Tuserinfo &u : users)
        EXPECT_FALSE(u.Active);
}

TEST(LoginRecord, WritesUserInformationAndKeepsOtherSections)
{
    TempPlant plant;
    plant.write("Config.Cfg", "[Other]\r\nKey=1\r\n[UserInformation]\r\nUserPass=secret\r\n");
    ASSERT_TRUE(WriteLoginRecord(plant.path(), u"Manager"_s, u"Manager"_s));
    IniFile ini(plant.file("Config.Cfg"));
    EXPECT_EQ(ini.value("Other", "Key"), u"1"_s);
    EXPECT_EQ(ini.value("UserInformation", "UserName"), u"Manager"_s);
    EXPECT_EQ(ini.value("UserInformation", "UserType"), u"Manager"_s);
    EXPECT_TRUE(ini.contains("UserInformation", "UserPass"));
    EXPECT_EQ(ini.value("UserInformation", "UserPass", "x"), QString());
    EXPECT_TRUE(ini.contains("UserInformation", "UserIndex"));
    EXPECT_EQ(ini.value("UserInformation", "UserIndex", "x"), QString());
}
