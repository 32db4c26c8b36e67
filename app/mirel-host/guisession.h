// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>

// The gui command with the IDE around it: files the dialog opens appear in
// read-only viewers, and the project's file list is printed when the dialog closes.
namespace GuiSession {

int run(const QStringList &arguments);

} // namespace GuiSession
