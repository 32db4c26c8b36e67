// SPDX-License-Identifier: MIT
#pragma once

#include "stagedfiles.h"

#include <QStringList>

#include <atomic>
#include <deque>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include <sys/types.h>

namespace FileIO {

// While a group is active, the module writes that finish wait in it and are committed
// together (StagedFiles::commitAll): a program writing many modules has their files
// synced in one pass, their records in the next, and each folder once per pass, so
// that the disk's waits are shared. Each module is still committed whole or not at
// all, and stays locked until it is. A commit runs on a thread of its own while the
// program makes the next modules; two may run at once, so that one's disk waits
// overlap the next one's writes. Sets still held when the group ends are discarded;
// the commits under way are finished first.
class CommitGroup
{
public:
    CommitGroup();
    ~CommitGroup();
    CommitGroup(const CommitGroup &) = delete;
    CommitGroup &operator=(const CommitGroup &) = delete;

    // The group in effect, or null: the one made last and not yet destroyed.
    static CommitGroup *active();

    // Takes over an open set whose files are all added.
    void hold(std::unique_ptr<StagedFiles> set);
    int held() const { return int(m_held.size()); }
    // How many sets were ever held, so that a caller can tell whether a write joined.
    int joined() const { return m_joined; }

    // Starts committing the held sets, once at most one commit is still under way.
    void commit();
    // Waits for the commits under way.
    void wait();
    // The outcomes of the commits that have ended, in the order the sets were held:
    // empty for a committed set, else why it was not committed.
    QStringList takeResults();

    // Commits first, and waits, when a set of this group is module `stem` in the
    // folder `dir`, so that a new write of that module does not wait for a lock this
    // group holds.
    void commitIfHolding(int dir, const QString &stem);

private:
    struct Running
    {
        std::vector<std::unique_ptr<StagedFiles>> sets;
        std::vector<std::pair<std::pair<dev_t, ino_t>, QString>> modules; // folder and stem of each set
        std::vector<QString> problems;
        std::atomic<bool> ended{false};
        std::thread thread;
    };
    void waitOldest();

    std::vector<std::unique_ptr<StagedFiles>> m_held;
    std::deque<std::unique_ptr<Running>> m_running; // oldest first
    QStringList m_results;
    int m_joined = 0;
    CommitGroup *m_previous = nullptr;
};

} // namespace FileIO
