#include "platform/BytePort.h"
#include "platform/ManualScheduler.h"
#include "platform/Prompt.h"
#include "platform/SingleInstance.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace scada;

TEST(ManualScheduler, FiresTimersAndContinuationsInTimeOrder)
{
    ManualScheduler s;
    QStringList log;
    s.define("Timer4", 400, [&] { log << QString("T4@%1").arg(s.tickMs()); });
    s.define("Timer6", 500, [&] {
        log << QString("T6@%1").arg(s.tickMs());
        s.stop("Timer6");
    });
    s.start("Timer4");
    s.start("Timer6");
    s.singleShot(100, [&] { log << QString("shot@%1").arg(s.tickMs()); });
    s.advance(1000);
    EXPECT_EQ(log, QStringList({"shot@100", "T4@400", "T6@500", "T4@800"}));
    EXPECT_EQ(s.tickMs(), 1000);
    EXPECT_FALSE(s.isActive("Timer6"));
    EXPECT_EQ(s.fireCount("Timer4"), 2);
}

TEST(ManualScheduler, StartOnRunningTimerKeepsPeriodSetIntervalRestarts)
{
    ManualScheduler s;
    int fired = 0;
    s.define("T", 400, [&] { ++fired; });
    s.start("T");
    s.advance(300);
    s.start("T"); // no restart
    s.advance(100);
    EXPECT_EQ(fired, 1);
    s.advance(300);
    s.setInterval("T", 400); // restart at 700
    s.advance(399);
    EXPECT_EQ(fired, 1);
    s.advance(1);
    EXPECT_EQ(fired, 2);
    int id = s.singleShot(10, [&] { fired = 100; });
    s.cancelSingleShot(id);
    s.advance(50);
    EXPECT_EQ(fired, 2);
}

TEST(ManualScheduler, ClockFollowsVirtualTime)
{
    ManualScheduler s(QDateTime(QDate(2024, 1, 1), QTime(23, 59, 59)));
    s.advance(1500);
    EXPECT_EQ(s.now(), QDateTime(QDate(2024, 1, 2), QTime(0, 0, 0, 500)));
}

TEST(FakePrompt, RecordsTextsAndAnswersFromQueue)
{
    FakePrompt p;
    p.queue(PromptAnswer::Yes);
    EXPECT_TRUE(p.yesNo("Are you sure ?"));
    EXPECT_FALSE(p.yesNo("Again?"));
    p.information("done");
    EXPECT_EQ(p.texts(), QStringList({"Are you sure ?", "Again?", "done"}));
}

TEST(FakeBytePort, RecordsWritesAndDeliversBatches)
{
    FakeBytePort port;
    EXPECT_FALSE(port.write("x"));
    ASSERT_TRUE(port.open("/dev/null"));
    QByteArray got;
    QObject::connect(&port, &BytePort::received, [&](const QByteArray &b) { got += b; });
    port.write("ab");
    port.write("c");
    port.feed("xyz");
    EXPECT_EQ(port.allWritten(), "abc");
    EXPECT_EQ(got, "xyz");
}

TEST(SingleInstance, SecondHolderIsRefusedUntilReleased)
{
    QTemporaryDir dir;
    SingleInstance first, second;
    ASSERT_TRUE(first.tryAcquire(dir.path()));
    EXPECT_FALSE(second.tryAcquire(dir.path()));
    first.release();
    EXPECT_TRUE(second.tryAcquire(dir.path()));
}
