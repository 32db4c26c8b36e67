// SPDX-License-Identifier: MIT
// The rule groups that keep the form consistent with the chosen mode and outputs.
// They read only the flags and the two ODIV radios; checking a connected control
// runs its slot at once, nested, before the next step.
#include "mireldialog.h"

#include "ui_pllconfig.h"

namespace ModMirel {

void Mirel_Dialog::applyClkinDividerRules()
{
    ui->clkinGrpBoxDivide->setEnabled(!generalMode);
    ui->clkinSpinDivideStatic->setEnabled(!clkinDivideDynamic && !generalMode);
    ui->clkinSpinDivideDyn->setEnabled(clkinDivideDynamic && !generalMode);
}

void Mirel_Dialog::applyClkfbDividerRules()
{
    ui->clkfbGrpBoxDivide->setEnabled(!generalMode);
    // The spin boxes ignore the mode: in General Mode their group disables them.
    ui->clkfbSpinDivideStatic->setEnabled(!clkfbDivideDynamic);
    ui->clkfbSpinDivideDyn->setEnabled(clkfbDivideDynamic);
}

void Mirel_Dialog::applyOdivModeRules()
{
    ui->clkoutComBoxDivideStatic->setEnabled(clkoutNoBypass && ui->clkoutRadioDivideStatic->isChecked());
    ui->clkoutComBoxDivideDyn->setEnabled(clkoutNoBypass && ui->clkoutRadioDivideDyn->isChecked());
    ui->btnCalculate->setEnabled(true);
    refreshFigure();
}

void Mirel_Dialog::applyClkoutRules()
{
    ui->clkoutWgtFrequency->setEnabled(clkoutNoBypass && generalMode);
    // The figure's "odsel" port reads this group's enabled state, so set it first.
    ui->clkoutGrpDivide->setEnabled(clkoutNoBypass && !generalMode);
    applyOdivModeRules();
    ui->clkoutWgtActualFrequency->setEnabled(clkoutNoBypass);
    ui->clkoutGrpBoxDutyCycle->hide();
    ui->clkoutCheckBypass->setEnabled(generalMode);
}

void Mirel_Dialog::applyClkoutpRules()
{
    ui->clkoutpCheckBypass->setEnabled(clkoutpEnabled);
    ui->clkoutpGrpBoxPhaseDuty->setEnabled(clkoutpEnabled && clkoutpNoBypass && !phaseDutyDynamic);
    ui->clkoutpGrpBoxDutyCycle->hide();
}

void Mirel_Dialog::applyClkoutdRules()
{
    const bool live = clkoutdEnabled && clkoutdNoBypass;
    ui->clkoutdCheckBypass->setEnabled(clkoutdEnabled);
    ui->clkoutdGrpBoxSrc->setEnabled(live);
    ui->clkoutdWgtFrequency->setEnabled(live && generalMode);
    ui->clkoutdWgtDivide->setEnabled(live && !generalMode);
    ui->clkoutdWgtActualFrequency->setEnabled(live);
}

void Mirel_Dialog::applyClkoutd3Rules()
{
    ui->clkoutd3GrpBoxSrc->setEnabled(clkoutd3Enabled);
    ui->clkoutd3RadioSrcClkoutp->setEnabled(clkoutd3Enabled && clkoutpEnabled);
    // CLKOUTD3 never keeps CLKOUTP as its source while CLKOUTP is off.
    if (!clkoutpEnabled)
        ui->clkoutd3RadioSrcClkout->setChecked(true);
}

void Mirel_Dialog::applyClkoutdSourceRules()
{
    if (!clkoutdEnabled)
        return;
    // CLKOUTD may divide CLKOUTP only while CLKOUTP is a real PLL output; with
    // CLKOUT bypassed it must take CLKOUTP or be bypassed itself.
    const bool clkoutpLive = clkoutpEnabled && clkoutpNoBypass;
    if (clkoutNoBypass) {
        ui->clkoutdRadioSrcClkout->setEnabled(clkoutdNoBypass);
        if (clkoutpLive) {
            ui->clkoutdRadioSrcClkoutp->setEnabled(clkoutdNoBypass);
        } else {
            ui->clkoutdRadioSrcClkoutp->setEnabled(false);
            ui->clkoutdRadioSrcClkout->setChecked(true);
        }
    } else if (clkoutpLive) {
        ui->clkoutdRadioSrcClkout->setEnabled(false);
        ui->clkoutdRadioSrcClkoutp->setEnabled(clkoutdNoBypass);
        ui->clkoutdRadioSrcClkoutp->setChecked(true);
    } else if (clkoutpEnabled) {
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
