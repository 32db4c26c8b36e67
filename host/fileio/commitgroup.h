// SPDX-License-Identifier: MIT
#pragma once

#include "stagedfiles.h"

#include <QStringList>

#include <memory>
#include <vector>

namespace FileIO {

// While a group is active, the module writes that finish wait in it and are committed
// together (StagedFiles::commitAll): a program writing many modules has their files
// synced in one pass, their records in the next, and each folder once per pass, so
// that the disk's waits are shared. Each module is still committed whole or not at
// all, and stays locked until it is. Whatever is held when the group ends is discarded.
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
    int held() const { return int(m_sets.size()); }
    // How many sets were ever held, so that a caller can tell whether a write joined.
    int joined() const { return m_joined; }

    // Commits the held sets; each one's outcome joins the results.
    void commit();
    // The outcomes since the last call, in the order the sets were held: empty for a
    // committed set, else why it was not committed.
    QStringList takeResults();

    // Commits first when a held set is module `stem` in the folder `dir`, so that a
    // new write of that module does not wait for a lock this group holds.
    void commitIfHolding(int dir, const QString &stem);

private:
    std::vector<std::unique_ptr<StagedFiles>> m_sets;
    QStringList m_results;
    int m_joined = 0;
    CommitGroup *m_previous = nullptr;
};

} // namespace FileIO
