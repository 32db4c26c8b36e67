// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>

// mirel-host sim: runs a module's self-checking testbench against the
// primitive's simulation model. Exit 0 PASS, 1 FAIL, 2 usage or no simulator.
namespace SimCommand {

int run(const QStringList &arguments);

// Whether the run will generate the module, which needs the plug-in's dialog and so a
// widget application: its files are not beside the configuration file. False when the
// arguments or the file are refused, which the run reports.
bool needsWidgets(const QStringList &arguments);

// What run() returns when it must generate the module but no widget application exists:
// the files went after needsWidgets() looked. The caller runs it again with one.
constexpr int NeedsWidgets = -1;

} // namespace SimCommand
