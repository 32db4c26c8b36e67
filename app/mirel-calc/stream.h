// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace MirelCalc {

// --jsonl: answers each line of standard input with one JSON line on standard output,
// a request without "device" on defaultDevice (none: the default device) and under
// strict its warnings as errors; returns the exit status.
int stream(const std::string &defaultDevice, bool strict);

} // namespace MirelCalc
