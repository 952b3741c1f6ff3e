#pragma once

#include <QString>

namespace kestrel::registry {

// Orders the writers of one SQLite registry on this machine: a blocking lock on a file beside
// it ("REG-lock"), held for one transaction. Waiters wake as soon as it is released, where
// SQLite's own busy wait sleeps and retries, and under load can leave one writer waiting for
// seconds. Without the lock file (a folder it cannot be made in, a system without flock) the
// transactions alone still order the reservations.
class WriterLock
{
public:
    explicit WriterLock(const QString& databasePath);
    ~WriterLock();
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;

private:
    int fd_ = -1;
};

} // namespace kestrel::registry
