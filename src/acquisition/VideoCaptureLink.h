#pragma once
// The start-recording signal to the external video capture program: one
// line "Start Record\n" to the local socket server it listens on. When no
// such server runs, nothing is sent and nothing is reported.

#include <QString>

namespace scada {

class VideoCaptureLink {
public:
    explicit VideoCaptureLink(QString serverName = QStringLiteral("Video Capture"))
        : m_server(std::move(serverName)) {}
    virtual ~VideoCaptureLink() = default;

    QString serverName() const { return m_server; }
    // Sends the line; true when the server took it.
    virtual bool StartRecord();

private:
    QString m_server;
};

} // namespace scada
