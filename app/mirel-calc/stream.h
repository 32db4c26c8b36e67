// SPDX-License-Identifier: MIT
#pragma once

namespace MirelCalc {

// --jsonl: answers each request line of standard input with one JSON line on standard
// output; returns the exit status.
int stream();

} // namespace MirelCalc
