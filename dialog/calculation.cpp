// SPDX-License-Identifier: MIT
#include "calculation.h"

#include "pllform.h"

#include <alternatives.h>
#include <configkeys.h>
#include <pllsettings.h>

#include <QDebug>
#include <QStringList>

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

QString mhz(double f)
{
    return QString::fromStdString(Calc::formatMHz(f)) + QStringLiteral(" MHz");
}

// An output's line: its frequency, and its error when a wanted value exists.
QString outputLine(const char *name, double f, double wanted)
{
    QString line = QStringLiteral("%1 %2").arg(QLatin1String(name), mhz(f));
    if (wanted > 0.0) {
        const double ppm = (f - wanted) / wanted * 1e6;
        line += QStringLiteral(" (%1%2 ppm)").arg(ppm >= 0.0 ? QStringLiteral("+") : QString()).arg(ppm, 0, 'f', 1);
    }
    return line;
}

QString window(double low, double high)
{
    return QStringLiteral("window %1~%2 MHz").arg(low).arg(high);
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

QString Calculation::alternatives(const PllSettings &now, const Calc::PllLimits &limits, double asked)
{
    const Calc::ClkoutInput input = clkoutInput(now, limits);
    if (input.searchCase() != Calc::ClkoutCase::General || input.expected <= 0.0)
        return QString();
    const std::vector<Calc::Alternative> nearest = Calc::nearestClkouts(input, 6);
    QStringList lines;
    for (std::size_t i = 0; i < nearest.size(); ++i) {
        const Calc::Alternative &a = nearest[i];
        const QString choice = outputLine("", a.frequency, asked > 0.0 ? asked : input.expected).mid(1)
                               + QStringLiteral(" with IDIV %1, FBDIV %2, ODIV %3").arg(a.idiv).arg(a.fbdiv).arg(a.odiv);
        lines << (i == 0 ? QStringLiteral("Closest achievable CLKOUT: ") : QStringLiteral("Alternative: ")) + choice;
    }
    return lines.join(QLatin1Char('\n'));
}

QString Calculation::report(const PllSettings &s, const Calc::PllLimits &limits)
{
    // The dividers as the generator's list carries them.
    const bool general = s.generalMode;
    const int idiv = general ? (s.clkoutNoBypass ? s.idivSel : 1) : s.idiv();
    const int fbdiv = general ? (s.clkoutNoBypass ? s.fbdivSel : 1) : s.fbdiv();
    const int odiv = general ? s.odivSel : s.odiv();
    const int sdiv = general ? s.sdivSel : s.sdivEntry;

    // CLKOUTP copies the PLL's output, not the CLKOUT pin; every bypass passes CLKIN through.
    const double pll = s.clkinFreq * fbdiv / idiv;
    const double clkout = s.clkoutNoBypass ? pll : s.clkinFreq;
    const double clkoutp = s.clkoutpNoBypass ? pll : s.clkinFreq;
    const bool wantsClkout = general && s.clkoutNoBypass;
    const double wantedClkout = wantsClkout ? s.clkoutFreq : 0.0;
    const double wantedClkoutp = wantsClkout && s.clkoutpNoBypass ? s.clkoutFreq : 0.0;

    QString dividers = QStringLiteral("IDIV %1, FBDIV %2, ODIV %3").arg(idiv).arg(fbdiv).arg(odiv);
    if (s.clkoutdLive())
        dividers += QStringLiteral(", SDIV %1").arg(sdiv);
    QStringList lines{dividers,
                      QStringLiteral("PFD %1 (%2)")
                              .arg(mhz(s.clkinFreq / idiv), window(limits.clkinMin, limits.clkinMax)),
                      QStringLiteral("VCO %1 (%2)").arg(mhz(pll * odiv), window(limits.vcoMin, limits.vcoMax)),
                      outputLine("CLKOUT", clkout, wantedClkout)};
    if (s.clkoutpEnabled)
        lines << outputLine("CLKOUTP", clkoutp, wantedClkoutp);
    if (s.clkoutdEnabled) {
        const bool fromP = !s.clkoutdSourceClkout;
        const double source = fromP ? clkoutp : clkout;
        lines << (s.clkoutdNoBypass ? outputLine("CLKOUTD", source / sdiv, general ? s.clkoutdFreq : 0.0)
                                    : outputLine("CLKOUTD", s.clkinFreq, 0.0));
    }
    if (s.clkoutd3Enabled) {
        const bool fromP = !s.clkoutd3SourceClkout;
        lines << outputLine("CLKOUTD3", (fromP ? clkoutp : clkout) / 3.0, (fromP ? wantedClkoutp : wantedClkout) / 3.0);
    }
    return lines.join(QLatin1Char('\n'));
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
