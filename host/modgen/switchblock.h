// SPDX-License-Identifier: MIT
#pragma once

#include "modgen.h"

#include <QList>
#include <QStringList>

namespace ModGen {

// The dividers one profile of a switching block sets through the module's dynamic selects.
struct SwitchProfile
{
    int idiv = 1;
    int fbdiv = 1;
    int odiv = 2;
};

// The most profiles a block switches between: a 6-bit profile number.
constexpr int MaxSwitchProfiles = 64;

// The module as it runs with one profile's dividers in place of its own.
Settings withProfile(const Settings &s, const SwitchProfile &p);

// Why the module cannot be switched through the profiles, one problem per line: it needs a
// reset and a lock port, a dynamic select for every divider the profiles change, and each
// profile's VCO inside the device's window.
QStringList switchProblems(const Settings &s, const QList<SwitchProfile> &profiles);

// "<module>_switch", the block's name; its bench is that name with "_tb".
QString switchName(const Settings &s);

// A synthesizable block that takes a profile number and a request strobe, holds the PLL in
// reset while it sets the select codes, releases it, waits for lock and pulses done.
QString switchText(const Settings &s, const QList<SwitchProfile> &profiles);

// A self-checking testbench of the module and the block: it walks every profile and back,
// measures each output of the module after each relock and ends with PASS or FAIL.
QString switchBenchText(const Settings &s, const QList<SwitchProfile> &profiles);

// Writes <file>_switch.v and <file>_switch_tb.v (or .vhd) into dir, the module's folder, as
// one set under the module's lock; written lists them, the block first. Appends problems to
// errors and writes nothing when there is one.
bool generateSwitch(const QString &dir, const Settings &s, const QList<SwitchProfile> &profiles, QStringList *errors,
                    QStringList *written = nullptr);

} // namespace ModGen
