// SPDX-License-Identifier: MIT
#include "modargs.h"

namespace ModMirel::Generate {

namespace {

QString flag(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString element(const char *name, const QString &value)
{
    // One blank between switch and value, never quoted, even for an empty value.
    return QStringLiteral("%1 %2").arg(QLatin1String(name), value);
}

QString element(const char *name, int value)
{
    return element(name, QString::number(value));
}

QString source(bool clkout)
{
    return clkout ? QStringLiteral("CLKOUT") : QStringLiteral("CLKOUTP");
}

} // namespace

QStringList buildModArgs(const FrameFields &frame, const PllSettings &pll)
{
    QStringList list;
    list << frame.header << element("-mod_name", frame.moduleName) << element("-file_name", frame.fileName)
         << element("-path", frame.createPath + QLatin1Char('/')) << element("-type", QStringLiteral("PLL"))
         << element("-mirel", flag(true)) << element("-file_type", frame.fileTypeWord)
         << element("-ip_version", frame.ipVersion) << element("-dev_type", frame.deviceName);

    if (pll.generalMode) {
        list << element("-dyn_idiv_sel", flag(false)) << element("-idiv_sel", pll.clkoutNoBypass ? pll.idivSel : 1)
             << element("-dyn_fbdiv_sel", flag(false)) << element("-fbdiv_sel", pll.clkoutNoBypass ? pll.fbdivSel : 1)
             << element("-dyn_odiv_sel", flag(false)) << element("-odiv_sel", pll.odivSel);
        if (pll.clkoutdLive())
            list << element("-dyn_sdiv_sel", pll.sdivSel);
    } else {
        list << element("-dyn_idiv_sel", flag(pll.clkinDivideDynamic)) << element("-idiv_sel", pll.idiv())
             << element("-dyn_fbdiv_sel", flag(pll.clkfbDivideDynamic)) << element("-fbdiv_sel", pll.fbdiv())
             << element("-dyn_odiv_sel", flag(pll.clkoutDivideDynamic)) << element("-odiv_sel", pll.odiv());
        if (pll.clkoutdLive())
            list << element("-dyn_sdiv_sel", pll.sdivEntry);
    }

    list << element("-dyn_da_en", flag(pll.phaseDutyDynamic)) << element("-rst_sig", flag(pll.reset))
         << element("-rst_sig_p", flag(pll.powerDown)) << element("-pll_reg", flag(pll.regulator))
         << element("-fclkin", QString::number(pll.clkinFreq)) << element("-clkfb_sel", pll.clkfbSource)
         << element("-en_lock", flag(pll.lock)) << element("-clkout_bypass", flag(!pll.clkoutNoBypass));
    if (pll.phaseDutyDynamic)
        list << element("-clkout_ft_dir", 1);
    list << element("-en_clkoutp", flag(pll.clkoutpEnabled)) << element("-clkoutp_bypass", flag(!pll.clkoutpNoBypass));
    if (pll.clkoutpLive() && pll.phaseDutyDynamic)
        list << element("-clkoutp_ft_dir", 1);
    if (pll.clkoutpLive() && !pll.phaseDutyDynamic)
        list << element("-psda_sel", pll.phaseIndex) << element("-dutyda_sel", pll.dutyCode());
    list << element("-en_clkoutd", flag(pll.clkoutdEnabled)) << element("-clkoutd_bypass", flag(!pll.clkoutdNoBypass));
    if (pll.clkoutdLive())
        list << element("-clkoutd_src", source(pll.clkoutdSourceClkout));
    list << element("-en_clkoutd3", flag(pll.clkoutd3Enabled));
    if (pll.clkoutd3Enabled)
        list << element("-clkoutd3_src", source(pll.clkoutd3SourceClkout));
    return list;
}

} // namespace ModMirel::Generate
