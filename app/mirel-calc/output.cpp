// SPDX-License-Identifier: MIT
#include "output.h"

#include <cerrno>
#include <cstdio>

namespace MirelCalc {

namespace {

int firstError = 0;

} // namespace

void noteOutputError()
{
    if (firstError == 0)
        firstError = errno;
}

bool flushOutput()
{
    if (std::fflush(stdout) == 0)
        return true;
    noteOutputError();
    return false;
}

bool writeOutput(const std::string &text)
{
    if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && !std::ferror(stdout))
        return true;
    noteOutputError();
    return false;
}

int outputError()
{
    return firstError;
}

void reportDiagnostic(const Outcome &out)
{
    if (out.vcoDiagnostic)
        std::fprintf(stderr, "WARNING: %s\n", vcoDiagnosticText());
}

} // namespace MirelCalc
