// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>

// Batch creation and regeneration, as a script drives the IP-core generator.
// Same exit statuses as HostCommands.
namespace BatchCommands {

int create(const QStringList &arguments);
int open(const QStringList &arguments);

} // namespace BatchCommands
