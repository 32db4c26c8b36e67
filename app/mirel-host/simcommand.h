// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>

// mirel-host sim: runs a module's self-checking testbench against the
// primitive's simulation model. Exit 0 PASS, 1 FAIL, 2 usage or no simulator.
namespace SimCommand {

// Under a QCoreApplication, as long as the module's files are beside the configuration
// file. Without them the module must be generated, which needs the plug-in's dialog and
// so a widget application: then run() returns NeedsWidgets before it prints anything, and
// the caller runs the command again under one.
int run(const QStringList &arguments);

constexpr int NeedsWidgets = -1;

} // namespace SimCommand
