#include "SimLine.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace qelsim {

namespace {
void makeRaw(int fd)
{
    termios t{};
    if (tcgetattr(fd, &t) != 0)
        return;
    cfmakeraw(&t);
    cfsetispeed(&t, B9600);
    cfsetospeed(&t, B9600);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    tcsetattr(fd, TCSANOW, &t);
}
} // namespace

SimLine::SimLine(QObject *parent) : QObject(parent) {}

SimLine::~SimLine()
{
    close();
}

bool SimLine::openPty()
{
    close();
    int master = -1, slave = -1;
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    makeRaw(slave);
    makeRaw(master);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(slave, F_SETFD, FD_CLOEXEC);
    m_fd = master;
    m_slaveFd = slave;
    m_slavePath = QString::fromLocal8Bit(name);
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SimLine::readReady);
    return true;
}

bool SimLine::openDevice(const QString &path)
{
    close();
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    makeRaw(fd);
    m_fd = fd;
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SimLine::readReady);
    return true;
}

void SimLine::close()
{
    delete m_notifier;
    m_notifier = nullptr;
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_slaveFd >= 0)
        ::close(m_slaveFd);
    m_fd = m_slaveFd = -1;
}

void SimLine::readReady()
{
    char buf[1024];
    for (;;) {
        const ssize_t n = ::read(m_fd, buf, sizeof buf);
        if (n > 0) {
            emit received(QByteArray(buf, qsizetype(n)));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break; // EAGAIN, or EIO while no one holds the other side
    }
}

bool SimLine::write(const QByteArray &bytes)
{
    if (m_fd < 0)
        return false;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        } else {
            m_error = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
    }
    return true;
}

bool SimLine::writeComPorts(const QString &dir, int n, const QString &device, QString *error)
{
    const QString path = QDir(dir).filePath(QStringLiteral("ComPorts.ini"));
    QStringList lines;
    QFile in(path);
    if (in.open(QIODevice::ReadOnly))
        lines = QString::fromUtf8(in.readAll()).split('\n');
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    const QString key = QStringLiteral("COM%1").arg(n);
    const QString entry = key + QLatin1Char('=') + device;
    int section = -1;
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].trimmed().compare(QLatin1String("[Ports]"), Qt::CaseInsensitive) == 0)
            section = i;
    if (section < 0) {
        lines << QStringLiteral("[Ports]") << entry;
    } else {
        int i = section + 1;
        bool done = false;
        for (; i < lines.size() && !lines[i].trimmed().startsWith('['); ++i) {
            const QString k = lines[i].section('=', 0, 0).trimmed();
            if (k.compare(key, Qt::CaseInsensitive) == 0) {
                lines[i] = entry;
                done = true;
            }
        }
        if (!done)
            lines.insert(i, entry);
    }
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) {
        *error = out.errorString();
        return false;
    }
    out.write((lines.join('\n') + '\n').toUtf8());
    if (!out.commit()) {
        *error = out.errorString();
        return false;
    }
    return true;
}

} // namespace qelsim
