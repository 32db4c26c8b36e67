// SPDX-License-Identifier: MIT
#pragma once

// The dialog's texts for the search results, formatted the toolkit's way.
#include "messages.h"
#include "rangelabels.h"

#include <QString>

namespace ModMirel::Calc::Text {

// A result field's text: fixed notation, three decimals.
QString frequency(double mhz);
// A result field's style: gray when accepted, red when rejected.
QString styleSheet(bool accepted);
// What a warning box shows.
QString message(const SearchMessage &m);
// What batch use appends to the message list.
QString warningLine(const SearchMessage &m);

struct RangeTexts
{
    QString clkinLabel, clkoutLabel, clkoutdLabel;
};
RangeTexts rangeTexts(const RangeLabels &r);

} // namespace ModMirel::Calc::Text
