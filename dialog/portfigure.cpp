// SPDX-License-Identifier: MIT
// The ports of the module to be generated, in the order the host draws them.
#include "mireldialog.h"

#include "ui_pllconfig.h"

#include <pinfigure.h>

namespace ModMirel {

void Mirel_Dialog::refreshFigure()
{
    using Utils::PinFigure;
    const auto input = [](const char *name) {
        return PinFigure(QLatin1String(name), 0, false, Qt::AlignLeft);
    };
    const auto bus = [](const char *name) {
        return PinFigure(QLatin1String(name), 0, true, Qt::AlignLeft);
    };
    const auto output = [](const char *name) {
        return PinFigure(QLatin1String(name), 1, false, Qt::AlignRight);
    };
    const bool dynamicPhasePorts = pll.phaseDutyDynamic && pll.clkoutpLive();

    QList<PinFigure> pins;
    if (ui->checkPllReset->isChecked())
        pins << input("reset");
    if (ui->checkPllRegulator->isChecked())
        pins << input("vren");
    pins << input("clkin");
    if (pll.clkinDivideDynamic && !pll.generalMode)
        pins << bus("idsel[5:0]");
    if (ui->checkPllPowerDown->isChecked())
        pins << input("reset_p");
    if (ui->clkfbComBoxSource->currentIndex() != 0)
        pins << input("clkfb");
    if (pll.clkfbDivideDynamic && !pll.generalMode)
        pins << bus("fbdsel[5:0]");
    if (ui->checkLockEn->isChecked())
        pins << output("lock");
    pins << output("clkout");
    // The group's enabled state stands for "Advanced Mode and CLKOUT not bypassed".
    if (ui->clkoutGrpDivide->isEnabled() && ui->clkoutRadioDivideDyn->isChecked())
        pins << bus("odsel[5:0]");
    if (pll.clkoutpEnabled)
        pins << output("clkoutp");
    if (dynamicPhasePorts)
        pins << bus("psda[3:0]") << bus("dutyda[3:0]") << bus("fdly[3:0]");
    if (pll.clkoutdEnabled)
        pins << output("clkoutd");
    if (pll.clkoutd3Enabled)
        pins << output("clkoutd3");
    uiSetFigurePins(pins);
}

} // namespace ModMirel
