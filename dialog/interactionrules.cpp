// SPDX-License-Identifier: MIT
// The rule groups that keep the form consistent with the chosen mode and outputs.
// They read only the flags and the two ODIV radios; checking a connected control
// runs its slot at once, nested, before the next step.
#include "mireldialog.h"

#include "ui_pllconfig.h"

namespace ModMirel {

void Mirel_Dialog::applyClkinDividerRules()
{
    ui->clkinGrpBoxDivide->setEnabled(!pll.generalMode);
    ui->clkinSpinDivideStatic->setEnabled(!pll.clkinDivideDynamic && !pll.generalMode);
    ui->clkinSpinDivideDyn->setEnabled(pll.clkinDivideDynamic && !pll.generalMode);
}

void Mirel_Dialog::applyClkfbDividerRules()
{
    ui->clkfbGrpBoxDivide->setEnabled(!pll.generalMode);
    // The spin boxes ignore the mode: in General Mode their group disables them.
    ui->clkfbSpinDivideStatic->setEnabled(!pll.clkfbDivideDynamic);
    ui->clkfbSpinDivideDyn->setEnabled(pll.clkfbDivideDynamic);
}

void Mirel_Dialog::applyOdivModeRules()
{
    ui->clkoutComBoxDivideStatic->setEnabled(pll.clkoutNoBypass && ui->clkoutRadioDivideStatic->isChecked());
    ui->clkoutComBoxDivideDyn->setEnabled(pll.clkoutNoBypass && ui->clkoutRadioDivideDyn->isChecked());
    ui->btnCalculate->setEnabled(true);
    refreshFigure();
}

void Mirel_Dialog::applyClkoutRules()
{
    ui->clkoutWgtFrequency->setEnabled(pll.clkoutNoBypass && pll.generalMode);
    // The figure's "odsel" port reads this group's enabled state, so set it first.
    ui->clkoutGrpDivide->setEnabled(pll.clkoutNoBypass && !pll.generalMode);
    applyOdivModeRules();
    ui->clkoutWgtActualFrequency->setEnabled(pll.clkoutNoBypass);
    ui->clkoutGrpBoxDutyCycle->hide();
    ui->clkoutCheckBypass->setEnabled(pll.generalMode);
}

void Mirel_Dialog::applyClkoutpRules()
{
    ui->clkoutpCheckBypass->setEnabled(pll.clkoutpEnabled);
    ui->clkoutpGrpBoxPhaseDuty->setEnabled(pll.clkoutpLive() && !pll.phaseDutyDynamic);
    ui->clkoutpGrpBoxDutyCycle->hide();
}

void Mirel_Dialog::applyClkoutdRules()
{
    const bool live = pll.clkoutdLive();
    ui->clkoutdCheckBypass->setEnabled(pll.clkoutdEnabled);
    ui->clkoutdGrpBoxSrc->setEnabled(live);
    ui->clkoutdWgtFrequency->setEnabled(live && pll.generalMode);
    ui->clkoutdWgtDivide->setEnabled(live && !pll.generalMode);
    ui->clkoutdWgtActualFrequency->setEnabled(live);
}

void Mirel_Dialog::applyClkoutd3Rules()
{
    ui->clkoutd3GrpBoxSrc->setEnabled(pll.clkoutd3Enabled);
    ui->clkoutd3RadioSrcClkoutp->setEnabled(pll.clkoutd3Enabled && pll.clkoutpEnabled);
    // CLKOUTD3 never keeps CLKOUTP as its source while CLKOUTP is off.
    if (!pll.clkoutpEnabled)
        ui->clkoutd3RadioSrcClkout->setChecked(true);
}

void Mirel_Dialog::applyClkoutdSourceRules()
{
    if (!pll.clkoutdEnabled)
        return;
    // CLKOUTD may divide CLKOUTP only while CLKOUTP is a real PLL output; with
    // CLKOUT bypassed it must take CLKOUTP or be bypassed itself.
    const bool clkoutpLive = pll.clkoutpLive();
    if (pll.clkoutNoBypass) {
        ui->clkoutdRadioSrcClkout->setEnabled(pll.clkoutdNoBypass);
        if (clkoutpLive) {
            ui->clkoutdRadioSrcClkoutp->setEnabled(pll.clkoutdNoBypass);
        } else {
            ui->clkoutdRadioSrcClkoutp->setEnabled(false);
            ui->clkoutdRadioSrcClkout->setChecked(true);
        }
    } else if (clkoutpLive) {
        ui->clkoutdRadioSrcClkout->setEnabled(false);
        ui->clkoutdRadioSrcClkoutp->setEnabled(pll.clkoutdNoBypass);
        ui->clkoutdRadioSrcClkoutp->setChecked(true);
    } else if (pll.clkoutpEnabled) {
        ui->clkoutdCheckBypass->setChecked(true);
        ui->clkoutdCheckBypass->setEnabled(false);
        ui->clkoutdRadioSrcClkout->setChecked(true);
    } else {
        ui->clkoutdRadioSrcClkoutp->setEnabled(false);
        ui->clkoutdRadioSrcClkout->setChecked(true);
        ui->clkoutdCheckBypass->setChecked(true);
        ui->clkoutdCheckBypass->setEnabled(false);
    }
}

} // namespace ModMirel
