// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

namespace ModMirel::Generate {

// Everything the module generator's argument list is made of, read from the
// dialog at one moment; the builder itself touches no widget.
struct ModArgsInput
{
    QString header;       // the host's header text, one element
    QString moduleName;
    QString fileName;
    QString createPath;   // without trailing "/"
    QString fileTypeWord; // the host's language word
    QString ipVersion;    // empty when the description has none
    QString deviceName;

    bool generalMode = true;
    bool phaseDutyDynamic = true;
    bool clkinDivideDynamic = true;
    bool clkfbDivideDynamic = true;
    bool clkoutNoBypass = true;
    bool clkoutpEnabled = false;
    bool clkoutpNoBypass = true;
    bool clkoutdEnabled = false;
    bool clkoutdNoBypass = true;
    bool clkoutd3Enabled = false;

    // Dividers settled on by the General Mode searches.
    int idivSel = 1;
    int fbdivSel = 1;
    int odivSel = 2;
    int sdivSel = 2;

    // The user's Advanced Mode entries.
    int idivStatic = 1;
    int idivDynamic = 1;
    int fbdivStatic = 1;
    int fbdivDynamic = 1;
    bool odivDynamicChecked = false;
    QString odivDynamicText;
    QString odivStaticText;
    int sdivEntry = 2;

    bool reset = false;
    bool powerDown = false;
    bool regulator = false;
    bool lock = false;
    double clkin = 0.0;
    int clkfbIndex = 0;
    int phaseIndex = 0;
    QString dutyCode;
    bool clkoutdSourceClkout = true;
    bool clkoutd3SourceClkout = true;
};

// The ordered list handed to the host's genModFile.
QStringList buildModArgs(const ModArgsInput &in);

} // namespace ModMirel::Generate
