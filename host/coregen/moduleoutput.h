// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

namespace FileIO {
class StagedFiles;
}

namespace IPCore {

// The one module being written: the existing-file check opens it, the
// configuration file and the generated files join it, and the generator's
// success commits them all at once. Any failure on the way discards the whole
// set, so a refused run leaves every existing file as it was and creates nothing.
namespace ModuleOutput {

// Opens the module folder (`sub` inside the chosen directory `base`), locks the
// module `stem` and checks that `names` can be replaced there.
bool begin(const QString &base, const QString &sub, const QString &stem, const QStringList &names, QString *problem);
// The open set whose folder is `folder`, or null.
FileIO::StagedFiles *openFor(const QString &folder);
bool finish(QString *problem);
void discard();

} // namespace ModuleOutput
} // namespace IPCore
