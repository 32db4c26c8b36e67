// SPDX-License-Identifier: MIT
#include "calculation.h"

#include "pllform.h"

#include <configkeys.h>
#include <pllsettings.h>

#include <QDebug>

namespace ModMirel {

namespace {

// The tolerance list's item as a number: 0.5 for "0.5", 0 without a current item.
double tolerancePercent(int item)
{
    return Config::findByKey(QLatin1String(Config::Key::ClkoutTolerance))->items.value(item).toDouble();
}

Calc::ClkoutInput clkoutInput(const PllSettings &s, const Calc::PllLimits &limits)
{
    Calc::ClkoutInput input;
    input.limits = limits;
    input.generalMode = s.generalMode;
    input.clkoutNoBypass = s.clkoutNoBypass;
    input.clkin = s.clkinFreq;
    input.expected = s.clkoutFreq;
    input.tolerancePercent = tolerancePercent(s.clkoutTolerance);
    input.idiv = s.idiv();
    input.fbdiv = s.fbdiv();
    input.odiv = s.odiv();
    return input;
}

Calc::ClkoutdInput clkoutdInput(const PllSettings &s, double clkoutFreq)
{
    Calc::ClkoutdInput input;
    input.generalMode = s.generalMode;
    input.clkoutFrequency = clkoutFreq;
    input.expected = s.clkoutdFreq;
    input.tolerancePercent = tolerancePercent(s.clkoutdTolerance);
    input.sdiv = s.sdivEntry;
    return input;
}

} // namespace

Calculation::Calculation(PllForm &form, PllSettings &settled)
    : form(form)
    , settled(settled)
{}

Calc::ClkoutResult Calculation::clkout(const PllSettings &now, const Calc::PllLimits &limits)
{
    Calc::ClkoutResult result = Calc::searchClkout(clkoutInput(now, limits));
    if (result.setsDividers) {
        settled.odivSel = form.showStaticDividers(result.idiv, result.fbdiv, result.odiv);
        if (settled.odivSel != result.odiv)
            result.vcoDiagnostic = result.searchCase == Calc::ClkoutCase::Bypassed;
        if (result.setsIdivFbdivSel) {
            settled.idivSel = result.idiv;
            settled.fbdivSel = result.fbdiv;
        }
    }
    if (result.showsFrequency)
        form.showClkoutFrequency(result.shownFrequency, result.accepted);
    if (result.vcoDiagnostic)
        qDebug().noquote() << Calc::vcoDiagnosticText();
    return result;
}

Calc::SearchMessage Calculation::oddSdivMessage(const PllSettings &now, const Calc::PllLimits &limits)
{
    Calc::SearchMessage m = Calc::sdivNotEvenMessage();
    const Calc::ClkoutResult clkout = Calc::searchClkout(clkoutInput(now, limits));
    m.hints.push_back(clkout.ok ? Calc::evenSdivHint(clkout.frequency, clkout.frequency / now.sdivEntry)
                                : Calc::evenSdivHint(now.sdivEntry));
    return m;
}

Calc::ClkoutdResult Calculation::clkoutd(const PllSettings &now, double clkoutFreq)
{
    const Calc::ClkoutdResult result = Calc::searchClkoutd(clkoutdInput(now, clkoutFreq));
    if (result.setsSdiv) {
        settled.sdivSel = result.sdiv;
        form.showSdiv(result.sdiv);
    }
    form.showClkoutdResult(result.shownFrequency, result.accepted);
    return result;
}

} // namespace ModMirel
