// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QVariant>

namespace ModMirel::Config {

// A value from outside, fit to be quoted in one message line: control characters
// become \n, \r, \t or \xNN, and text beyond maxChars is cut with "…", so that one
// problem stays one readable line whatever bytes a script handed over.
QString echo(const QString &text, int maxChars = 80);

// The core's line for a batch option it refuses; `legal` (may be empty) lists
// what the option takes.
QString refusalLine(const QVariant &value, const QString &key, const QString &ipName, const QString &legal = {});

} // namespace ModMirel::Config
