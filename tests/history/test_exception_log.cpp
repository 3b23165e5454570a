// The exception log and the program-wide exception handler.
#include "common/Errors.h"
#include "history/ExceptionLog.h"
#include "history/ui/GlobalExHandler.h"
#include "platform/Prompt.h"
#include "support/TempDir.h"

#include <QDir>
#include <QEvent>
#include <QCoreApplication>

#include <gtest/gtest.h>
#include <stdexcept>

using namespace scada;

namespace {

QDateTime at(int y, int mo, int d, int h, int mi, int s, int ms = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms));
}

// Hands out the given moments one after another.
struct SteppingClock {
    QList<QDateTime> moments;
    TGlobalExHandler::Now fn()
    {
        return [this] { return moments.size() > 1 ? moments.takeFirst() : moments.first(); };
    }
};

} // namespace

TEST(ExceptionLog, TimestampShowsTimeExceptAtExactMidnight)
{
    struct Case {
        QDateTime when;
        const char *text;
    } cases[] = {
        {at(2005, 3, 12, 10, 15, 30), "2005-3-12 10:15:30"},
        {at(2005, 3, 12, 9, 5, 3), "2005-3-12 9:05:03"},
        {at(2005, 12, 1, 0, 0, 0), "2005-12-1"},
        {at(2005, 12, 1, 0, 0, 0, 1), "2005-12-1 0:00:00"},
        {at(2005, 12, 1, 23, 59, 59), "2005-12-1 23:59:59"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ExceptionLogTimestamp(c.when).toStdString(), c.text);
}

TEST(ExceptionLog, HandlerShowsThenAppendsOldestFirstWithMessageUnchanged)
{
    TempPlant plant;
    FakePrompt prompt;
    SteppingClock clock{{at(2005, 3, 12, 10, 15, 30), at(2005, 3, 12, 10, 15, 31)}};
    TGlobalExHandler handler(prompt, plant.path(), clock.fn());

    handler.HandleException(nullptr, EDBEngineError("Table is busy."));
    handler.HandleException(nullptr, EConvertError("'abc' is not a valid integer value\nsecond line"));

    ASSERT_EQ(prompt.shown.size(), 2);
    EXPECT_EQ(prompt.shown[0].kind, PromptKind::Error);
    EXPECT_EQ(prompt.shown[0].caption, "scada:error");
    EXPECT_EQ(prompt.shown[0].text, "Table is busy.");
    EXPECT_EQ(prompt.shown[1].text, "'abc' is not a valid integer value\nsecond line");

    EXPECT_EQ(QString::fromUtf8(plant.read("except.txt")),
              "[2005-3-12 10:15:30]  EDBEngineErrorTable is busy.\n"
              "[2005-3-12 10:15:31]  EConvertError'abc' is not a valid integer value\n"
              "second line\n");
}

TEST(ExceptionLog, AppendsToExistingFileAndKeepsNonAsciiText)
{
    TempPlant plant;
    plant.write("except.txt", "[2004-1-1 1:00:00]  EInOutErrorold\n");
    FakePrompt prompt;
    SteppingClock clock{{at(2005, 3, 12, 0, 0, 0)}};
    TGlobalExHandler handler(prompt, plant.path(), clock.fn());

    handler.HandleException(nullptr, EInOutError(QString::fromUtf8("文件错误")));

    EXPECT_EQ(QString::fromUtf8(plant.read("except.txt")),
              QString::fromUtf8("[2004-1-1 1:00:00]  EInOutErrorold\n"
                                "[2005-3-12]  EInOutError文件错误\n"));
}

TEST(ExceptionLog, UnwritableLogIsSwallowedAfterTheBox)
{
    TempPlant plant;
    ASSERT_TRUE(QDir(plant.path()).mkdir("except.txt"));  // a folder where the file should be
    FakePrompt prompt;
    TGlobalExHandler handler(prompt, plant.path());

    EXPECT_FALSE(AppendExceptionLog(plant.path(), "x\n"));
    EXPECT_NO_THROW(handler.HandleException(nullptr, ECommError("port lost")));
    EXPECT_NO_THROW(handler.HandleException(nullptr, ECommError("port lost again")));
    EXPECT_EQ(prompt.texts(), QStringList({"port lost", "port lost again"}));

    TGlobalExHandler nowhere(prompt, plant.file("no/such/folder"));
    EXPECT_NO_THROW(nowhere.HandleException(nullptr, ECommError("third")));
    EXPECT_EQ(prompt.lastText(), "third");
}

namespace {

// A prompt whose box runs "its own event loop", in which another exception
// escapes (or whose box itself fails).
class NestingPrompt : public FakePrompt {
public:
    TGlobalExHandler *handler = nullptr;
    bool throwInstead = false;
    void error(const QString &text, const QString &caption) override
    {
        FakePrompt::error(text, caption);
        if (throwInstead)
            throw std::runtime_error("box failed");
        handler->HandleException(nullptr, EReadError("again: " + text));
    }
};

} // namespace

TEST(ExceptionLog, ExceptionWhileBoxIsOpenIsLoggedNotShown)
{
    TempPlant plant;
    NestingPrompt prompt;
    SteppingClock clock{{at(2005, 3, 12, 10, 0, 0)}};
    TGlobalExHandler handler(prompt, plant.path(), clock.fn());
    prompt.handler = &handler;

    handler.HandleException(nullptr, EReadError("paint"));

    EXPECT_EQ(prompt.texts(), QStringList({"paint"}));
    EXPECT_EQ(QString::fromUtf8(plant.read("except.txt")),
              "[2005-3-12 10:00:00]  EReadErroragain: paint\n"
              "[2005-3-12 10:00:00]  EReadErrorpaint\n");

    // The next exception after the box closed is shown again; a box that
    // fails does not keep its line out of the log.
    prompt.throwInstead = true;
    EXPECT_NO_THROW(handler.HandleException(nullptr, EReadError("later")));
    EXPECT_EQ(prompt.lastText(), "later");
    EXPECT_TRUE(QString::fromUtf8(plant.read("except.txt")).endsWith("EReadErrorlater\n"));
}

namespace {

class Thrower : public QObject {
public:
    std::function<void()> raise;
    int seen = 0;
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User) {
            ++seen;
            if (raise)
                raise();
            return true;
        }
        return QObject::event(e);
    }
};

} // namespace

TEST(ExceptionLog, NotifyGuardHandsEscapedExceptionsToHandler)
{
    TempPlant plant;
    FakePrompt prompt;
    SteppingClock clock{{at(2005, 3, 12, 10, 15, 30)}};
    TGlobalExHandler handler(prompt, plant.path(), clock.fn());
    Thrower target;
    QEvent ev(QEvent::User);
    // What ScadaApplication::notify does: the base notify under the guard.
    auto send = [&](TGlobalExHandler *h) {
        return deliverGuarded(h, &target, [&] { return qApp->notify(&target, &ev); });
    };

    EXPECT_TRUE(send(&handler));  // nothing thrown: delivered as usual
    EXPECT_TRUE(prompt.shown.isEmpty());

    struct Case {
        std::function<void()> raise;
        const char *line;
    } cases[] = {
        {[] { throw EDBEngineError("Key violation."); }, "EDBEngineErrorKey violation."},
        {[] { throw std::out_of_range("index 7"); }, "std::out_of_range" "index 7"},
        {[] { throw std::bad_alloc(); }, "EOutOfMemory" "std::bad_alloc"},
        {[] { throw 42; }, "ExceptionUnknown exception"},
    };
    QString expected;
    for (const Case &c : cases) {
        target.raise = c.raise;
        EXPECT_FALSE(send(&handler));
        expected += QStringLiteral("[2005-3-12 10:15:30]  ") + c.line + '\n';
    }
    EXPECT_EQ(target.seen, 5);
    EXPECT_EQ(prompt.shown.size(), 4);
    EXPECT_EQ(prompt.shown.first().caption, "scada:error");
    EXPECT_EQ(QString::fromUtf8(plant.read("except.txt")), expected);

    // No handler installed: still contained.
    target.raise = [] { throw EDBEngineError("dropped"); };
    EXPECT_NO_THROW(EXPECT_FALSE(send(nullptr)));
}
