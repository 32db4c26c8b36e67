// SPDX-License-Identifier: MIT
#pragma once

#include <QMap>
#include <QString>
#include <QVariantMap>

// The few settings of the core whose meaning the host needs and that neither
// options() nor the generator's argument list carries: whether the dividers were
// searched for wanted frequencies, and which ones. The core's reported settings
// and a configuration file's group carry them under the same keys, which are
// spelt here and nowhere else in the host program.
namespace ReportedSettings {

// The frequencies asked for, in MHz, by output name ("CLKOUT", "CLKOUTP",
// "CLKOUTD"): only in General Mode, and only for an output that is divided
// rather than passed through. A frequency in `given` (the options as a script
// gave them) wins over the settings', which hold it with the form's decimals.
QMap<QString, double> wanted(const QVariantMap &settings, const QVariantMap &given = {});

// The module name the core was given, for a run that never reached the generator.
QString moduleName(const QVariantMap &cfgs);

} // namespace ReportedSettings
