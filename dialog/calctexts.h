// SPDX-License-Identifier: MIT
#pragma once

// The calculation's texts as the dialog shows them; the core writes them.
#include <messages.h>
#include <pllmodel.h>

#include <QString>

namespace ModMirel::CalcText {

// A result field: fixed notation, three decimals.
inline QString frequency(double mhz)
{
    return QString::fromStdString(Calc::formatMHz(mhz));
}
// A result field's style: gray when accepted, red when rejected.
inline QString styleSheet(bool accepted)
{
    return accepted ? QStringLiteral("color:gray") : QStringLiteral("color:red");
}
// What a warning box shows.
inline QString message(const Calc::SearchMessage &m)
{
    return QString::fromStdString(m.message());
}
// What batch use appends to the message list.
inline QString warningLine(const Calc::SearchMessage &m)
{
    return QString::fromStdString(m.warningLine());
}

} // namespace ModMirel::CalcText
