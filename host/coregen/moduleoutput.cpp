// SPDX-License-Identifier: MIT
#include "moduleoutput.h"

#include <commitgroup.h>

#include <utility>

namespace IPCore {

namespace {
// The host contract's writer and generator calls carry no handle to the dialog
// whose module they belong to; the dialog's output makes itself known here.
ModuleOutput *openOutput = nullptr;
} // namespace

ModuleOutput::ModuleOutput()
    : m_files(std::make_unique<FileIO::StagedFiles>())
{}

ModuleOutput::~ModuleOutput()
{
    discard();
}

bool ModuleOutput::begin(const QString &base, const QString &sub, const QString &stem, const QStringList &names,
                         QString *problem)
{
    close();
    if (!m_files->open(base, sub, stem, problem) || !m_files->check(names, problem)) {
        discard();
        return false;
    }
    openOutput = this;
    return true;
}

bool ModuleOutput::finish(QString *problem)
{
    close();
    if (FileIO::CommitGroup *group = FileIO::CommitGroup::active()) {
        group->hold(std::exchange(m_files, std::make_unique<FileIO::StagedFiles>()));
        return true;
    }
    return m_files->commit(problem);
}

void ModuleOutput::discard()
{
    close();
    m_files->discard();
}

ModuleOutput *ModuleOutput::open()
{
    return openOutput;
}

void ModuleOutput::close()
{
    if (openOutput == this)
        openOutput = nullptr;
}

} // namespace IPCore
