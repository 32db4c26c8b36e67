// SPDX-License-Identifier: MIT
#include "portfigure.h"

namespace ModMirel::Generate {

QList<Pin> portFigure(const PllSettings &s)
{
    const auto input = [](const char *name) {
        return Pin{QLatin1String(name), false, false};
    };
    const auto bus = [](const char *name) {
        return Pin{QLatin1String(name), false, true};
    };
    const auto output = [](const char *name) {
        return Pin{QLatin1String(name), true, false};
    };

    QList<Pin> pins;
    if (s.reset)
        pins << input("reset");
    if (s.regulator)
        pins << input("vren");
    pins << input("clkin");
    if (s.clkinDivideDynamic && !s.generalMode)
        pins << bus("idsel[5:0]");
    if (s.powerDown)
        pins << input("reset_p");
    if (s.clkfbSource != 0)
        pins << input("clkfb");
    if (s.clkfbDivideDynamic && !s.generalMode)
        pins << bus("fbdsel[5:0]");
    if (s.lock)
        pins << output("lock");
    pins << output("clkout");
    // The ODIV selector exists only where the user gives the dividers and CLKOUT divides.
    if (!s.generalMode && s.clkoutNoBypass && s.clkoutDivideDynamic)
        pins << bus("odsel[5:0]");
    if (s.clkoutpEnabled)
        pins << output("clkoutp");
    if (s.phaseDutyDynamic && s.clkoutpLive())
        pins << bus("psda[3:0]") << bus("dutyda[3:0]") << bus("fdly[3:0]");
    if (s.clkoutdEnabled)
        pins << output("clkoutd");
    if (s.clkoutd3Enabled)
        pins << output("clkoutd3");
    return pins;
}

} // namespace ModMirel::Generate
