// SPDX-License-Identifier: MIT
// The rules read only the flags and the two ODIV radios.
#include "formrules.h"

#include "ui_pllconfig.h"

#include <pllsettings.h>

#include <utility>

namespace ModMirel {

FormRules::FormRules(Ui::PllConfig &ui, const PllSettings &flags, std::function<void()> redrawFigure)
    : ui(ui)
    , pll(flags)
    , redrawFigure(std::move(redrawFigure))
{}

void FormRules::clkinDivider()
{
    ui.clkinGrpBoxDivide->setEnabled(!pll.generalMode);
    ui.clkinSpinDivideStatic->setEnabled(!pll.clkinDivideDynamic && !pll.generalMode);
    ui.clkinSpinDivideDyn->setEnabled(pll.clkinDivideDynamic && !pll.generalMode);
}

void FormRules::clkfbDivider()
{
    ui.clkfbGrpBoxDivide->setEnabled(!pll.generalMode);
    // The spin boxes ignore the mode: in General Mode their group disables them.
    ui.clkfbSpinDivideStatic->setEnabled(!pll.clkfbDivideDynamic);
    ui.clkfbSpinDivideDyn->setEnabled(pll.clkfbDivideDynamic);
}

void FormRules::odivMode()
{
    ui.clkoutComBoxDivideStatic->setEnabled(pll.clkoutNoBypass && ui.clkoutRadioDivideStatic->isChecked());
    ui.clkoutComBoxDivideDyn->setEnabled(pll.clkoutNoBypass && ui.clkoutRadioDivideDyn->isChecked());
    ui.btnCalculate->setEnabled(true);
    redrawFigure();
}

void FormRules::clkout()
{
    ui.clkoutWgtFrequency->setEnabled(pll.clkoutNoBypass && pll.generalMode);
    ui.clkoutGrpDivide->setEnabled(pll.clkoutNoBypass && !pll.generalMode);
    odivMode();
    ui.clkoutWgtActualFrequency->setEnabled(pll.clkoutNoBypass);
    ui.clkoutGrpBoxDutyCycle->hide();
    ui.clkoutCheckBypass->setEnabled(pll.generalMode);
}

void FormRules::clkoutp()
{
    ui.clkoutpCheckBypass->setEnabled(pll.clkoutpEnabled);
    ui.clkoutpGrpBoxPhaseDuty->setEnabled(pll.clkoutpLive() && !pll.phaseDutyDynamic);
    ui.clkoutpGrpBoxDutyCycle->hide();
}

void FormRules::clkoutd()
{
    const bool live = pll.clkoutdLive();
    ui.clkoutdCheckBypass->setEnabled(pll.clkoutdEnabled);
    ui.clkoutdGrpBoxSrc->setEnabled(live);
    ui.clkoutdWgtFrequency->setEnabled(live && pll.generalMode);
    ui.clkoutdWgtDivide->setEnabled(live && !pll.generalMode);
    ui.clkoutdWgtActualFrequency->setEnabled(live);
}

void FormRules::clkoutd3()
{
    ui.clkoutd3GrpBoxSrc->setEnabled(pll.clkoutd3Enabled);
    ui.clkoutd3RadioSrcClkoutp->setEnabled(pll.clkoutd3Enabled && pll.clkoutpEnabled);
    // CLKOUTD3 never keeps CLKOUTP as its source while CLKOUTP is off.
    if (!pll.clkoutpEnabled)
        ui.clkoutd3RadioSrcClkout->setChecked(true);
}

void FormRules::clkoutdSource()
{
    if (!pll.clkoutdEnabled)
        return;
    // CLKOUTD may divide CLKOUTP only while CLKOUTP is a real PLL output; with
    // CLKOUT bypassed it must take CLKOUTP or be bypassed itself.
    const bool clkoutpLive = pll.clkoutpLive();
    if (pll.clkoutNoBypass) {
        ui.clkoutdRadioSrcClkout->setEnabled(pll.clkoutdNoBypass);
        if (clkoutpLive) {
            ui.clkoutdRadioSrcClkoutp->setEnabled(pll.clkoutdNoBypass);
        } else {
            ui.clkoutdRadioSrcClkoutp->setEnabled(false);
            ui.clkoutdRadioSrcClkout->setChecked(true);
        }
    } else if (clkoutpLive) {
        ui.clkoutdRadioSrcClkout->setEnabled(false);
        ui.clkoutdRadioSrcClkoutp->setEnabled(pll.clkoutdNoBypass);
        ui.clkoutdRadioSrcClkoutp->setChecked(true);
    } else if (pll.clkoutpEnabled) {
        ui.clkoutdCheckBypass->setChecked(true);
        ui.clkoutdCheckBypass->setEnabled(false);
        ui.clkoutdRadioSrcClkout->setChecked(true);
    } else {
        ui.clkoutdRadioSrcClkoutp->setEnabled(false);
        ui.clkoutdRadioSrcClkout->setChecked(true);
        ui.clkoutdCheckBypass->setChecked(true);
        ui.clkoutdCheckBypass->setEnabled(false);
    }
}

} // namespace ModMirel
