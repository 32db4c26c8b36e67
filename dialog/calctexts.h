// SPDX-License-Identifier: MIT
#pragma once

// The calculation's texts as the dialog shows them; the core writes them.
#include <messages.h>
#include <pllmodel.h>

#include <QString>
#include <QStringList>

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
// What a warning box shows: the message, then its hints.
inline QString message(const Calc::SearchMessage &m)
{
    return QString::fromStdString(m.messageWithHints());
}
// What batch use appends to the message list.
inline QString warningLine(const Calc::SearchMessage &m)
{
    return QString::fromStdString(m.warningLine());
}
// The batch lines of a message and its hints.
inline QStringList warningLines(const Calc::SearchMessage &m)
{
    QStringList lines;
    for (const std::string &line : m.warningLines())
        lines << QString::fromStdString(line);
    return lines;
}

} // namespace ModMirel::CalcText
