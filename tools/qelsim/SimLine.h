#pragma once
// The simulator's end of a serial line: the master side of a new pty, or a
// serial device, in raw mode. Received bytes arrive through received().

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace qelsim {

class SimLine : public QObject {
    Q_OBJECT
public:
    explicit SimLine(QObject *parent = nullptr);
    ~SimLine() override;

    // Creates a pty; the path of its slave side (the device the master
    // station opens) is returned by slavePath(). The slave is held open
    // here as well, so the station may close and reopen it freely.
    bool openPty();
    // Opens a serial device at 9600 8N1, raw.
    bool openDevice(const QString &path);
    void close();
    bool isOpen() const { return m_fd >= 0; }
    QString slavePath() const { return m_slavePath; }
    QString errorString() const { return m_error; }

    bool write(const QByteArray &bytes);

    // Writes COMn=<slave path> into [Ports] of the ComPorts.ini in dir,
    // keeping the file's other lines.
    static bool writeComPorts(const QString &dir, int n, const QString &device, QString *error);

signals:
    void received(const QByteArray &bytes);

private:
    void readReady();
    int m_fd = -1;
    int m_slaveFd = -1;
    QString m_slavePath;
    QString m_error;
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace qelsim
