#include "platform/BytePort.h"

namespace scada {

bool FakeBytePort::open(const QString &device)
{
    ++openCount;
    m_device = device;
    if (failOpen) {
        m_error = QStringLiteral("cannot open %1").arg(device);
        m_open = false;
        return false;
    }
    m_error.clear();
    m_open = true;
    return true;
}

bool FakeBytePort::write(const QByteArray &bytes)
{
    if (!m_open || failWrite)
        return false;
    writes.append(bytes);
    return true;
}

QByteArray FakeBytePort::allWritten() const
{
    QByteArray all;
    for (const auto &w : writes)
        all += w;
    return all;
}

QByteArray FakeBytePort::takeWritten()
{
    QByteArray all = allWritten();
    writes.clear();
    return all;
}

} // namespace scada
