#pragma once
// A BytePort on a tty device (here the slave side of a pty), raw 9600 8N1.
// Stands in for the serial port on a real line in the end-to-end tests.

#include "platform/BytePort.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

class TtyBytePort : public scada::BytePort {
public:
    using BytePort::BytePort;
    ~TtyBytePort() override { close(); }

    bool open(const QString &device) override
    {
        close();
        m_device = device;
        m_fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (m_fd < 0) {
            m_error = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        termios t{};
        tcgetattr(m_fd, &t);
        cfmakeraw(&t);
        cfsetispeed(&t, B9600);
        cfsetospeed(&t, B9600);
        t.c_cflag |= CLOCAL | CREAD;
        tcsetattr(m_fd, TCSANOW, &t);
        ++opens;
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
        QObject::connect(m_notifier, &QSocketNotifier::activated, this, [this] {
            char buf[1024];
            const ssize_t n = ::read(m_fd, buf, sizeof buf);
            if (n > 0)
                emit received(QByteArray(buf, qsizetype(n)));
        });
        return true;
    }
    void close() override
    {
        delete m_notifier;
        m_notifier = nullptr;
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    bool isOpen() const override { return m_fd >= 0; }
    QString device() const override { return m_device; }
    bool write(const QByteArray &bytes) override
    {
        if (m_fd < 0)
            return false;
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n > 0)
                done += n;
            else if (n < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            else
                return false;
        }
        return true;
    }
    void discardInput() override
    {
        if (m_fd >= 0)
            tcflush(m_fd, TCIFLUSH);
    }
    void discardOutput() override
    {
        if (m_fd >= 0)
            tcflush(m_fd, TCOFLUSH);
    }
    QString errorString() const override { return m_error; }

    int opens = 0;

private:
    int m_fd = -1;
    QString m_device;
    QString m_error;
    QSocketNotifier *m_notifier = nullptr;
};
