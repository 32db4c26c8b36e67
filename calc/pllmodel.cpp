// SPDX-License-Identifier: MIT
#include "pllmodel.h"

namespace ModMirel::Calc {

QString formatMHz(double mhz)
{
    return QStringLiteral("%1").arg(mhz, 0, 'f', 3);
}

} // namespace ModMirel::Calc
