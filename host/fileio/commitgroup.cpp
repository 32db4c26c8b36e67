// SPDX-License-Identifier: MIT
#include "commitgroup.h"

#include <algorithm>

#include <sys/stat.h>

namespace FileIO {

namespace {

CommitGroup *current = nullptr;

std::pair<dev_t, ino_t> identity(int dir)
{
    struct stat info;
    return fstat(dir, &info) == 0 ? std::pair{info.st_dev, info.st_ino} : std::pair<dev_t, ino_t>{0, 0};
}

} // namespace

CommitGroup::CommitGroup()
    : m_previous(current)
{
    current = this;
}

CommitGroup::~CommitGroup()
{
    wait();
    current = m_previous;
}

CommitGroup *CommitGroup::active()
{
    return current;
}

void CommitGroup::hold(std::unique_ptr<StagedFiles> set)
{
    m_held.push_back(std::move(set));
    ++m_joined;
}

void CommitGroup::commit()
{
    wait();
    if (m_held.empty())
        return;
    m_running = std::make_unique<Running>();
    Running &running = *m_running;
    running.sets.swap(m_held);
    // Read here, so that this thread never looks at a set the commit is working on.
    std::vector<StagedFiles *> sets;
    for (const auto &set : running.sets) {
        running.modules.emplace_back(identity(set->folder()), set->stem());
        sets.push_back(set.get());
    }
    running.thread = std::thread([sets, &running] { StagedFiles::commitAll(sets, &running.problems); });
}

void CommitGroup::wait()
{
    if (!m_running)
        return;
    m_running->thread.join();
    for (const QString &problem : m_running->problems)
        m_results << problem;
    m_running.reset();
}

QStringList CommitGroup::takeResults()
{
    QStringList results;
    results.swap(m_results);
    return results;
}

void CommitGroup::commitIfHolding(int dir, const QString &stem)
{
    const std::pair<dev_t, ino_t> folder = identity(dir);
    const auto same = [&](const std::pair<std::pair<dev_t, ino_t>, QString> &module) {
        return module.first == folder && module.second == stem;
    };
    bool holding = false;
    for (const auto &set : m_held)
        holding = holding || same({identity(set->folder()), set->stem()});
    if (holding)
        commit();
    if (m_running && std::any_of(m_running->modules.begin(), m_running->modules.end(), same))
        wait();
}

} // namespace FileIO
