// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace Utils {

// A value from outside, fit to be quoted in one message line: control characters
// become \n, \r, \t or \xNN, and text beyond maxChars is cut with "…", so that one
// problem stays one readable line whatever bytes were typed.
QString echo(const QString &text, int maxChars = 80);

} // namespace Utils
