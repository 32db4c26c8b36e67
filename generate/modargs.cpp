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

QStringList buildModArgs(const ModArgsInput &in)
{
    const bool sdivPresent = in.clkoutdEnabled && in.clkoutdNoBypass;
    QStringList list;
    list << in.header
         << element("-mod_name", in.moduleName)
         << element("-file_name", in.fileName)
         << element("-path", in.createPath + QLatin1Char('/'))
         << element("-type", QStringLiteral("PLL"))
         << element("-mirel", flag(true))
         << element("-file_type", in.fileTypeWord)
         << element("-ip_version", in.ipVersion)
         << element("-dev_type", in.deviceName);

    if (in.generalMode) {
        list << element("-dyn_idiv_sel", flag(false))
             << element("-idiv_sel", in.clkoutNoBypass ? in.idivSel : 1)
             << element("-dyn_fbdiv_sel", flag(false))
             << element("-fbdiv_sel", in.clkoutNoBypass ? in.fbdivSel : 1)
             << element("-dyn_odiv_sel", flag(false))
             << element("-odiv_sel", in.odivSel);
        if (sdivPresent)
            list << element("-dyn_sdiv_sel", in.sdivSel);
    } else {
        // A divider text that is not a number goes out as 0.
        const QString odivText = in.odivDynamicChecked ? in.odivDynamicText : in.odivStaticText;
        list << element("-dyn_idiv_sel", flag(in.clkinDivideDynamic))
             << element("-idiv_sel", in.clkinDivideDynamic ? in.idivDynamic : in.idivStatic)
             << element("-dyn_fbdiv_sel", flag(in.clkfbDivideDynamic))
             << element("-fbdiv_sel", in.clkfbDivideDynamic ? in.fbdivDynamic : in.fbdivStatic)
             << element("-dyn_odiv_sel", flag(in.odivDynamicChecked))
             << element("-odiv_sel", odivText.toInt());
        if (sdivPresent)
            list << element("-dyn_sdiv_sel", in.sdivEntry);
    }

    const bool clkoutpActive = in.clkoutpEnabled && in.clkoutpNoBypass;
    list << element("-dyn_da_en", flag(in.phaseDutyDynamic))
         << element("-rst_sig", flag(in.reset))
         << element("-rst_sig_p", flag(in.powerDown))
         << element("-pll_reg", flag(in.regulator))
         << element("-fclkin", QString::number(in.clkin))
         << element("-clkfb_sel", in.clkfbIndex)
         << element("-en_lock", flag(in.lock))
         << element("-clkout_bypass", flag(!in.clkoutNoBypass));
    if (in.phaseDutyDynamic)
        list << element("-clkout_ft_dir", 1);
    list << element("-en_clkoutp", flag(in.clkoutpEnabled))
         << element("-clkoutp_bypass", flag(!in.clkoutpNoBypass));
    if (clkoutpActive && in.phaseDutyDynamic)
        list << element("-clkoutp_ft_dir", 1);
    if (clkoutpActive && !in.phaseDutyDynamic)
        list << element("-psda_sel", in.phaseIndex) << element("-dutyda_sel", in.dutyCode);
    list << element("-en_clkoutd", flag(in.clkoutdEnabled))
         << element("-clkoutd_bypass", flag(!in.clkoutdNoBypass));
    if (sdivPresent)
        list << element("-clkoutd_src", source(in.clkoutdSourceClkout));
    list << element("-en_clkoutd3", flag(in.clkoutd3Enabled));
    if (in.clkoutd3Enabled)
        list << element("-clkoutd3_src", source(in.clkoutd3SourceClkout));
    return list;
}

} // namespace ModMirel::Generate
