// SPDX-License-Identifier: MIT
// The dialog side of the divider searches: read the widgets, run the pure search,
// write dividers, members and result fields back, then report by box or by line.
#include "boxes.h"
#include "devicelimits.h"
#include "mireldialog.h"

#include "ui_pllconfig.h"

#include <clkoutdsearch.h>
#include <clkoutsearch.h>
#include <pllmodel.h>
#include <searchtexts.h>

#include <QDebug>
#include <QMessageBox>

namespace ModMirel {

Calc::ClkoutResult Mirel_Dialog::runClkoutSearch()
{
    Calc::ClkoutInput input;
    input.limits = currentLimits(device());
    input.generalMode = pll.generalMode;
    input.clkoutNoBypass = pll.clkoutNoBypass;
    input.clkin = ui->clkinSpinFrequency->value();
    input.expected = ui->clkoutSpinFrequency->value();
    input.tolerancePercent = ui->clkoutComBoxTolerance->currentText().toDouble();
    input.idiv = ui->clkinRadioDivideDynamic->isChecked() ? ui->clkinSpinDivideDyn->value()
                                                          : ui->clkinSpinDivideStatic->value();
    input.fbdiv = ui->clkfbRadioDivideDynamic->isChecked() ? ui->clkfbSpinDivideDyn->value()
                                                           : ui->clkfbSpinDivideStatic->value();
    input.odiv = (ui->clkoutRadioDivideDyn->isChecked() ? ui->clkoutComBoxDivideDyn : ui->clkoutComBoxDivideStatic)
                         ->currentText()
                         .toInt();

    Calc::ClkoutResult result = Calc::searchClkout(input);
    if (result.setsDividers) {
        ui->clkinSpinDivideStatic->setValue(result.idiv);
        ui->clkfbSpinDivideStatic->setValue(result.fbdiv);
        int item = ui->clkoutComBoxDivideStatic->findText(QString::number(result.odiv));
        if (item < 0) {
            // A divider the list does not offer falls back as a missing legal one does.
            item = ui->clkoutComBoxDivideStatic->findText(QString::number(Calc::kOdivFallback));
            result.vcoDiagnostic = result.searchCase == Calc::ClkoutCase::Bypassed;
        }
        ui->clkoutComBoxDivideStatic->setCurrentIndex(item);
        pll.odivSel = ui->clkoutComBoxDivideStatic->currentText().toInt();
        if (result.setsIdivFbdivSel) {
            pll.idivSel = result.idiv;
            pll.fbdivSel = result.fbdiv;
        }
    }
    if (result.showsFrequency) {
        ui->clkoutEditActualFrequency->setText(Calc::Text::frequency(result.shownFrequency));
        ui->clkoutEditActualFrequency->setStyleSheet(Calc::Text::styleSheet(result.accepted));
    }
    if (result.vcoDiagnostic)
        qDebug().noquote() << Calc::vcoDiagnosticText();
    return result;
}

double Mirel_Dialog::calculateClkout()
{
    const Calc::ClkoutResult result = runClkoutSearch();
    if (result.hasMessage())
        Boxes::warning(this, Calc::Text::message(result));
    return result.frequency;
}

double Mirel_Dialog::calculateClkout(QStringList &messagelist)
{
    const Calc::ClkoutResult result = runClkoutSearch();
    if (result.hasMessage())
        messagelist << Calc::Text::warningLine(result);
    return result.frequency;
}

Calc::ClkoutdResult Mirel_Dialog::runClkoutdSearch(double clkoutFreq)
{
    Calc::ClkoutdInput input;
    input.generalMode = pll.generalMode;
    input.clkoutFrequency = clkoutFreq;
    input.expected = ui->clkoutdSpinFrequency->value();
    input.tolerancePercent = ui->clkoutdComBoxTolerance->currentText().toDouble();
    input.sdiv = ui->clkoutdSpinDivider->value();

    const Calc::ClkoutdResult result = Calc::searchClkoutd(input);
    if (result.setsSdiv) {
        pll.sdivSel = result.sdiv;
        ui->clkoutdSpinDivider->setValue(result.sdiv);
    }
    ui->clkoutdEditActualFrequency->setText(Calc::Text::frequency(result.shownFrequency));
    ui->clkoutdEditActualFrequency->setStyleSheet(Calc::Text::styleSheet(result.accepted));
    return result;
}

bool Mirel_Dialog::calculateClkoutd(double clkoutFreq)
{
    const Calc::ClkoutdResult result = runClkoutdSearch(clkoutFreq);
    if (result.hasMessage())
        Boxes::warning(this, Calc::Text::message(result));
    return result.ok;
}

bool Mirel_Dialog::calculateClkoutd(double clkoutFreq, QStringList &messagelist)
{
    const Calc::ClkoutdResult result = runClkoutdSearch(clkoutFreq);
    if (result.hasMessage())
        messagelist << Calc::Text::warningLine(result);
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
