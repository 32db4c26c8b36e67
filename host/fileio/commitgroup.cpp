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
    if (m_held.empty())
        return;
    constexpr size_t MaxRunning = 2;
    while (m_running.size() >= MaxRunning)
        waitOldest();
    auto running = std::make_unique<Running>();
    running->sets.swap(m_held);
    // Read here, so that this thread never looks at a set the commit is working on.
    std::vector<StagedFiles *> sets;
    for (const auto &set : running->sets) {
        running->modules.emplace_back(identity(set->folder()), set->stem());
        sets.push_back(set.get());
    }
    Running *commit = running.get();
    commit->thread = std::thread([sets, commit] {
        StagedFiles::commitAll(sets, &commit->problems);
        commit->ended = true;
    });
    m_running.push_back(std::move(running));
}

void CommitGroup::waitOldest()
{
    Running &oldest = *m_running.front();
    oldest.thread.join();
    for (const QString &problem : oldest.problems)
        m_results << problem;
    m_running.pop_front();
}

void CommitGroup::wait()
{
    while (!m_running.empty())
        waitOldest();
}

QStringList CommitGroup::takeResults()
{
    // Commits that have ended report without waiting, oldest first.
    while (!m_running.empty() && m_running.front()->ended)
        waitOldest();
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
    const bool committing = std::any_of(m_running.begin(), m_running.end(), [&](const auto &running) {
        return std::any_of(running->modules.begin(), running->modules.end(), same);
    });
    if (committing)
        wait();
}

} // namespace FileIO
