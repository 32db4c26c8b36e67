// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>

// The host program's commands that show nothing and need no widgets. Each takes its
// own arguments (the command word first) and returns the exit status: 0 done, 1
// refused, 2 usage error.
namespace HostCommands {

int info(const QStringList &arguments);
int devices(const QStringList &arguments);
int keys(const QStringList &arguments);

} // namespace HostCommands
