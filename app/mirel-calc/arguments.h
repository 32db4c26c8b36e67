// SPDX-License-Identifier: MIT
#pragma once

// mirel-calc's command line.
#include "request.h"

#include <map>
#include <string>

namespace MirelCalc {

struct CommandLine
{
    OptionValues given;
    bool strict = false; // --strict
    bool json = false;   // --json
    bool jsonl = false;  // --jsonl
    // The options of the searches of modes.h given, by name without dashes: the text,
    // empty for a flag.
    std::map<std::string, std::string> modes;
};

// Reads the command line. Returns -1 when the program goes on with line; otherwise
// help, the version or a usage problem (on standard error) has been printed and the
// result is the exit status.
int readCommandLine(int argc, char *argv[], CommandLine &line);

} // namespace MirelCalc
