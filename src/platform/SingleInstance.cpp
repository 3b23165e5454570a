#include "platform/SingleInstance.h"

#include <QDir>

namespace scada {

bool SingleInstance::tryAcquire(const QString &programDir, const QString &name)
{
    m_lock = std::make_unique<QLockFile>(QDir(programDir).filePath(name + QStringLiteral(".lock")));
    m_lock->setStaleLockTime(0); // only a dead owner makes a lock stale
    if (m_lock->tryLock(0))
        return true;
    m_lock.reset();
    return false;
}

void SingleInstance::release()
{
    if (m_lock)
        m_lock->unlock();
    m_lock.reset();
}

} // namespace scada
