// SPDX-License-Identifier: MIT
#pragma once

#include "pllsettings.h"

#include <QString>
#include <QStringList>

namespace ModMirel::Generate {

// The host frame's fields, in the order the host expects them asked.
struct FrameFields
{
    QString header; // the host's header text, one element
    QString moduleName;
    QString fileName;
    QString createPath;   // without trailing "/"
    QString fileTypeWord; // the host's language word
    QString ipVersion;    // empty when the description has none
    QString deviceName;
};

// The form's entries the list reads beside the settings, taken at one moment.
struct FormValues
{
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

// The ordered list handed to the host's genModFile; it touches no widget.
QStringList buildModArgs(const FrameFields &frame, const PllSettings &pll, const FormValues &form);

} // namespace ModMirel::Generate
