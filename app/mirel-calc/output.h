// SPDX-License-Identifier: MIT
#pragma once

// Standard output and error as mirel-calc uses them.
#include "request.h"

#include <string>

namespace MirelCalc {

enum ExitCode { ExitOk = 0, ExitSearchFailed = 1, ExitUsage = 2 };

// Flushes standard output; false when a write failed.
bool flushOutput();
// Writes text to standard output's buffer; false when a write failed.
bool writeOutput(const std::string &text);
// Why a write to standard output first failed; 0 while none did.
int outputError();
// Notes errno as the reason, unless a reason is known already.
void noteOutputError();

// The bypassed case's debug line, as a warning on standard error.
void reportDiagnostic(const Outcome &out);

} // namespace MirelCalc
