// SPDX-License-Identifier: MIT
#pragma once

#include "pllsettings.h"

#include <QList>
#include <QString>

namespace ModMirel::Generate {

// One port of the module's symbol: an output on the right, an input or a bus
// input on the left.
struct Pin
{
    QString name;
    bool output = false;
    bool bus = false;
};

// The ports the generated module has under these settings, in the order the
// host draws them.
QList<Pin> portFigure(const PllSettings &s);

} // namespace ModMirel::Generate
