// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QVariantMap>

// The few settings the core hands back (getProperty) whose meaning the host
// needs and that neither options() nor the generator's argument list carries:
// whether the dividers were searched for wanted frequencies, and which ones.
// These keys are spelt here and nowhere else in the host program.
namespace ReportedSettings {

struct Wanted
{
    bool general = false; // General Mode: the dividers were searched for these
    double clkout = 0;
    double clkoutd = 0;
};

Wanted wanted(const QVariantMap &cfgs);

// The module name the core was given, for a run that never reached the generator.
QString moduleName(const QVariantMap &cfgs);

} // namespace ReportedSettings
