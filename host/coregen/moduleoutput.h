// SPDX-License-Identifier: MIT
#pragma once

#include <stagedfiles.h>

#include <QString>
#include <QStringList>

#include <memory>

namespace IPCore {

// The files of one module being written. Its owner (the dialog) opens it in the
// existing-file check; the configuration file and the generated files join it,
// and the generator's success commits them all at once, or hands them to the
// commit group in effect (FileIO::CommitGroup), which commits them with others.
// Any failure on the way, or the owner's end, discards the whole set, so a refused
// run leaves every existing file as it was and creates nothing.
class ModuleOutput
{
public:
    ModuleOutput();
    ~ModuleOutput();
    ModuleOutput(const ModuleOutput &) = delete;
    ModuleOutput &operator=(const ModuleOutput &) = delete;

    // Opens the module folder (`sub` inside the chosen directory `base`), locks the
    // module `stem` and checks that `names` can be replaced there. Once open, this
    // is the output the writer and the generator join.
    bool begin(const QString &base, const QString &sub, const QString &stem, const QStringList &names, QString *problem);
    FileIO::StagedFiles &files() { return *m_files; }
    // True when the set was committed, or joined the commit group in effect.
    bool finish(QString *problem);
    void discard();

    // The output opened last and not yet finished, discarded or destroyed; null when none.
    static ModuleOutput *open();

private:
    void close();

    std::unique_ptr<FileIO::StagedFiles> m_files;
};

} // namespace IPCore
