#include "acquisition/VideoCaptureLink.h"

#include <QLocalSocket>

namespace scada {

bool VideoCaptureLink::StartRecord()
{
    // A local socket connects or fails at once; the short waits only cover
    // a server that is slow to accept.
    QLocalSocket socket;
    socket.connectToServer(m_server, QIODevice::WriteOnly);
    if (!socket.waitForConnected(200))
        return false;
    socket.write("Start Record\n");
    const bool sent = socket.waitForBytesWritten(200) || socket.bytesToWrite() == 0;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(200);
    return sent;
}

} // namespace scada
