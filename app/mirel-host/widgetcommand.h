// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QStringList>

// The commands that build widgets (gui, screenshot, create, open, switch, and sim when it must
// generate the module) run in a library of their own, which mirel-host loads only for
// them, so that the others start without loading the widget libraries at all. The
// library calls back into the program for everything the commands share.

// In the library: makes the QApplication and runs the command named by argv[1].
extern "C" int mirelHostWidgetCommand(int argc, char **argv);

namespace WidgetCommand {

inline constexpr char LibraryName[] = "libmirel-host-widgets.so";
inline constexpr char EntryName[] = "mirelHostWidgetCommand";

inline bool isOne(const QByteArray &command)
{
    return command == "gui" || command == "screenshot" || command == "create" || command == "open"
           || command == "switch";
}

// In the program: names the application and makes its settings once it exists.
void applicationMade();
// A command's own arguments: "PROGRAM COMMAND", then the rest.
QStringList commandArguments(const QStringList &args);

} // namespace WidgetCommand
