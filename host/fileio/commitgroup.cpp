// SPDX-License-Identifier: MIT
#include "commitgroup.h"

namespace FileIO {

namespace {
CommitGroup *current = nullptr;
}

CommitGroup::CommitGroup()
    : m_previous(current)
{
    current = this;
}

CommitGroup::~CommitGroup()
{
    current = m_previous;
}

CommitGroup *CommitGroup::active()
{
    return current;
}

void CommitGroup::hold(std::unique_ptr<StagedFiles> set)
{
    m_sets.push_back(std::move(set));
    ++m_joined;
}

void CommitGroup::commit()
{
    std::vector<StagedFiles *> sets;
    for (const auto &set : m_sets)
        sets.push_back(set.get());
    std::vector<QString> problems;
    StagedFiles::commitAll(sets, &problems);
    for (const QString &problem : problems)
        m_results << problem;
    m_sets.clear();
}

QStringList CommitGroup::takeResults()
{
    QStringList results;
    results.swap(m_results);
    return results;
}

void CommitGroup::commitIfHolding(int dir, const QString &stem)
{
    for (const auto &set : m_sets) {
        if (set->isModule(dir, stem)) {
            commit();
            return;
        }
    }
}

} // namespace FileIO
