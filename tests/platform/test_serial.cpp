#include "platform/SerialBytePort.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

using namespace scada;

namespace {
// A pty pair: the port opens the slave, the test plays the far end on the master.
struct Pty {
    int master = -1;
    int slave = -1;
    QString slavePath;
    Pty()
    {
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) == 0) {
            slavePath = QString::fromLocal8Bit(name);
            struct termios t;
            tcgetattr(master, &t);
            cfmakeraw(&t);
            tcsetattr(master, TCSANOW, &t);
            fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
        }
    }
    ~Pty()
    {
        if (slave >= 0)
            ::close(slave);
        if (master >= 0)
            ::close(master);
    }
    QByteArray readMaster(int expected)
    {
        QByteArray got;
        QDeadlineTimer deadline(5000);
        while (got.size() < expected && !deadline.hasExpired()) {
            char buf[256];
            ssize_t n = ::read(master, buf, sizeof buf);
            if (n > 0)
                got.append(buf, n);
            else
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return got;
    }
};
} // namespace

TEST(SerialBytePort, SendsAndReceivesOverAPty)
{
    Pty pty;
    ASSERT_FALSE(pty.slavePath.isEmpty());
    SerialBytePort port;
    ASSERT_TRUE(port.open(pty.slavePath)) << port.errorString().toStdString();
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(SerialBytePort::settingsText(), "9600,n,8,1");

    QByteArray frame(26, '\0');
    frame[0] = char(0xAA);
    frame[1] = 3;
    frame[2] = 9;
    frame[25] = char(0xB6);
    ASSERT_TRUE(port.write(frame));
    EXPECT_EQ(pty.readMaster(26), frame);

    QByteArray received;
    QObject::connect(&port, &BytePort::received, [&](const QByteArray &b) { received += b; });
    ASSERT_EQ(::write(pty.master, "\xAA\x03\x09", 3), 3);
    QDeadlineTimer deadline(5000);
    while (received.size() < 3 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(received, QByteArray("\xAA\x03\x09"));

    port.close();
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.write("x"));
}

TEST(ComPorts, NamesMapThroughTheIniFileOrTheDefaultDevice)
{
    TempPlant plant;
    plant.write("ComPorts.ini", "[Ports]\r\nCOM3=/dev/pts/77\r\n");
    EXPECT_EQ(ComPortDevice(plant.path(), 3), "/dev/pts/77");
    EXPECT_EQ(ComPortDevice(plant.path(), 1), "/dev/ttyS0");
    EXPECT_EQ(ComPortDevice(plant.path(), 16), "/dev/ttyS15");
    EXPECT_EQ(ComPortNumber("COM12"), 12);
    EXPECT_EQ(ComPortNumber("com3"), 3);
    EXPECT_EQ(ComPortNumber(""), 0);
    EXPECT_EQ(ComPortNumber("COMx"), 0);
}

TEST(ComPorts, PortInUseIsNotListed)
{
    Pty pty;
    TempPlant plant;
    plant.write("ComPorts.ini", QStringLiteral("[Ports]\nCOM2=%1\nCOM4=/nonexistent/tty\n").arg(pty.slavePath).toLocal8Bit());
    QStringList usable = ListUsablePorts(plant.path());
    EXPECT_TRUE(usable.contains("COM2"));
    EXPECT_FALSE(usable.contains("COM4"));

    SerialBytePort holder;
    ASSERT_TRUE(holder.open(pty.slavePath));
    EXPECT_FALSE(ListUsablePorts(plant.path()).contains("COM2"));
}
