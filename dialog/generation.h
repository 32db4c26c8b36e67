// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

namespace IPCore {
class ModuleGenDialog;
}

namespace ModMirel {

struct PllSettings;

// The generator's side of OK: the argument list from the frame's fields and the
// settings value, and the interactive run of the command the host built from it.
class Generation
{
public:
    // ipVersion: the core's version, which the generated header names.
    Generation(const IPCore::ModuleGenDialog &frame, QString ipVersion);

    QStringList args(const PllSettings &settings) const;

    enum class Run { Refused, NoModule, Opened };
    // The host's generator on `command` in the frame's language; a module that
    // reached the disk is opened with its template and added to the project.
    Run run(const QString &command) const;

private:
    const IPCore::ModuleGenDialog &frame;
    QString ipVersion;
};

} // namespace ModMirel
