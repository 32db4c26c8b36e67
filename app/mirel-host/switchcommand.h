// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>

// mirel-host switch: writes the switching block of a profile set (mirel-calc --profiles
// --json) for the module a configuration file generates, and its testbench, beside it.
namespace SwitchCommand {

int run(const QStringList &arguments);

} // namespace SwitchCommand
