// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>

// The host program's commands that show the dialog. Each takes its own arguments
// (the command word first) and returns the exit status: 0 done, 1 refused, 2 usage error.
namespace DialogCommands {

int gui(const QStringList &arguments);
int screenshot(const QStringList &arguments);

} // namespace DialogCommands
