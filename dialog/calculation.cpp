// SPDX-License-Identifier: MIT
// The dialog side of the divider searches: build the input from the settings,
// run the pure search, write dividers, members and result fields back, then
// report by box or by line.
#include "boxes.h"
#include "calctexts.h"
#include "devicelimits.h"
#include "mireldialog.h"
#include "pllform.h"

#include <clkoutdsearch.h>
#include <clkoutsearch.h>
#include <configkeys.h>
#include <pllmodel.h>

#include <QDebug>
#include <QMessageBox>

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

Calc::ClkoutResult Mirel_Dialog::runClkoutSearch()
{
    Calc::ClkoutResult result = Calc::searchClkout(clkoutInput(settings(), currentLimits(device())));
    if (result.setsDividers) {
        pll.odivSel = form->showStaticDividers(result.idiv, result.fbdiv, result.odiv);
        if (pll.odivSel != result.odiv)
            result.vcoDiagnostic = result.searchCase == Calc::ClkoutCase::Bypassed;
        if (result.setsIdivFbdivSel) {
            pll.idivSel = result.idiv;
            pll.fbdivSel = result.fbdiv;
        }
    }
    if (result.showsFrequency)
        form->showClkoutFrequency(result.shownFrequency, result.accepted);
    if (result.vcoDiagnostic)
        qDebug().noquote() << Calc::vcoDiagnosticText();
    return result;
}

double Mirel_Dialog::calculateClkout()
{
    const Calc::ClkoutResult result = runClkoutSearch();
    if (result.hasMessage())
        Boxes::warning(this, CalcText::message(result));
    return result.frequency;
}

double Mirel_Dialog::calculateClkout(QStringList &messagelist)
{
    const Calc::ClkoutResult result = runClkoutSearch();
    if (result.hasMessage())
        messagelist << CalcText::warningLine(result);
    return result.frequency;
}

Calc::ClkoutdResult Mirel_Dialog::runClkoutdSearch(double clkoutFreq)
{
    const Calc::ClkoutdResult result = Calc::searchClkoutd(clkoutdInput(settings(), clkoutFreq));
    if (result.setsSdiv) {
        pll.sdivSel = result.sdiv;
        form->showSdiv(result.sdiv);
    }
    form->showClkoutdResult(result.shownFrequency, result.accepted);
    return result;
}

bool Mirel_Dialog::calculateClkoutd(double clkoutFreq)
{
    const Calc::ClkoutdResult result = runClkoutdSearch(clkoutFreq);
    if (result.hasMessage())
        Boxes::warning(this, CalcText::message(result));
    return result.ok;
}

bool Mirel_Dialog::calculateClkoutd(double clkoutFreq, QStringList &messagelist)
{
    const Calc::ClkoutdResult result = runClkoutdSearch(clkoutFreq);
    if (result.hasMessage())
        messagelist << CalcText::warningLine(result);
    return result.ok;
}

bool Mirel_Dialog::onBtnCalculate(bool btnCal)
{
    const double clkoutFreq = calculateClkout();
    if (clkoutFreq == -1.0)
        return false;
    bool ok = true;
    if (pll.clkoutdLive())
        ok = calculateClkoutd(clkoutFreq);
    if (ok && btnCal)
        QMessageBox::information(this, QStringLiteral("info"), QStringLiteral("Succeed"));
    return ok;
}

} // namespace ModMirel
