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

// The ordered list handed to the host's genModFile; it touches no widget.
QStringList buildModArgs(const FrameFields &frame, const PllSettings &pll);

} // namespace ModMirel::Generate
