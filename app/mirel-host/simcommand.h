// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>

// mirel-host sim: runs a module's self-checking testbench against the
// primitive's simulation model. Exit 0 PASS, 1 FAIL, 2 usage or no simulator.
namespace SimCommand {

int run(const QStringList &arguments);

} // namespace SimCommand
