// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>

namespace FileIO {

// An exclusive flock() on `.NAME.lock` in the module folder. The kernel lets go of
// it when its holder ends in any way, so a killed run never blocks the next one and
// the file a killed run leaves is only an empty name. The holder removes the file
// as it lets go, so a finished run leaves nothing behind; a run that gets a lock on a
// file so removed takes the one now under the name instead.
class ModuleLock
{
public:
    enum Outcome { Taken, Busy, Failed }; // Failed: errno says why

    ModuleLock() = default;
    ~ModuleLock() { release(); }
    ModuleLock(const ModuleLock &) = delete;
    ModuleLock &operator=(const ModuleLock &) = delete;

    // Waits at most `timeoutMs` for runs holding the lock `name` in the folder `dir`.
    Outcome take(int dir, const QByteArray &name, int timeoutMs);
    void release();

private:
    int m_fd = -1;
    int m_dir = -1;
    QByteArray m_name;
};

} // namespace FileIO
