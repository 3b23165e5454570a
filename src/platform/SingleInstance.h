#pragma once
// Only one copy of the program runs per plant folder: a lock file named
// after the instance name in the program directory, held while the program
// runs. A lock left by a crashed copy is taken over.

#include <QLockFile>
#include <QString>
#include <memory>

namespace scada {

class SingleInstance {
public:
    static constexpr const char *kName = "QELscada_DEDEDEVOZ";

    // true when this process now holds the lock.
    bool tryAcquire(const QString &programDir, const QString &name = QString::fromLatin1(kName));
    bool held() const { return m_lock && m_lock->isLocked(); }
    void release();

private:
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace scada
