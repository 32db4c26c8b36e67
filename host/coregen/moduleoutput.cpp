// SPDX-License-Identifier: MIT
#include "moduleoutput.h"

#include <stagedfiles.h>

#include <QDir>

namespace IPCore::ModuleOutput {

namespace {
FileIO::StagedFiles &current()
{
    static FileIO::StagedFiles files;
    return files;
}
} // namespace

bool begin(const QString &base, const QString &sub, const QString &stem, const QStringList &names, QString *problem)
{
    return current().open(base, sub, stem, problem) && (current().check(names, problem) || (discard(), false));
}

FileIO::StagedFiles *openFor(const QString &folder)
{
    if (!current().isOpen() || QDir::cleanPath(current().folder()) != QDir::cleanPath(folder))
        return nullptr;
    return &current();
}

bool finish(QString *problem)
{
    return current().commit(problem);
}

void discard()
{
    current().discard();
}

} // namespace IPCore::ModuleOutput
