// SPDX-License-Identifier: MIT
#include "messages.h"

#include "pllmodel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace ModMirel::Calc {

std::string SearchMessage::message() const
{
    switch (messageKind) {
    case MessageKind::None:
        break;
    case MessageKind::ClkoutNotGenerated:
        return "The Expected Frequency of CLKOUT cannot be generated. "
               "Try to change the Expected Frequency or Tolerance(%)";
    case MessageKind::PfdOutOfRange:
        return "The value of CLKIN frequency divided by Divide Factor must be in the range of "
               + std::to_string(messageArg1) + " ~ " + std::to_string(messageArg2) + ".";
    case MessageKind::DividersIllegal:
        return "The value of divide factor for CLKIN and CLKFB is illegal";
    case MessageKind::OdivIllegal:
        // "recommand" is the wording users and scripts already match on.
        return "The divide factor of CLKOUT is illegal, the recommand value is " + std::to_string(messageArg1) + ".";
    case MessageKind::ClkoutdNotGenerated:
        return "The Expected Frequency of CLKOUTD cannot be generated. "
               "Try to change the Expected Frequency or Tolerance(%)";
    case MessageKind::SdivNotEven:
        return "The divide factor of CLKOUTD must be an even number.";
    }
    return {};
}

std::string SearchMessage::warningLine() const
{
    if (!hasMessage())
        return {};
    // The even-number line has always been written without the blank; scripts rely on it.
    return (messageKind == MessageKind::SdivNotEven ? "WARNING:" : "WARNING: ") + message();
}

std::vector<std::string> SearchMessage::warningLines() const
{
    std::vector<std::string> lines;
    if (!hasMessage())
        return lines;
    lines.push_back(warningLine());
    for (const std::string &hint : hints)
        lines.push_back("WARNING: " + hint);
    return lines;
}

std::string SearchMessage::messageWithHints() const
{
    std::string text = message();
    for (const std::string &hint : hints)
        text += "\n" + hint;
    return text;
}

std::string clkoutMaximumHint(float clkoutMax)
{
    char limit[32];
    std::snprintf(limit, sizeof limit, "%g", double(clkoutMax));
    return std::string("This device makes CLKOUT up to ") + limit
           + " MHz: choose an Expected Frequency at or below it, or a device with a higher maximum.";
}

namespace {

// The even dividers at or next to ratio, within 2 to 128 (one when both are the same).
std::pair<int, int> evenDividersAround(double ratio)
{
    const auto even = [](double v) {
        return std::clamp(int(v) / 2 * 2, kSdivMin, kSdivMax);
    };
    const int below = even(std::floor(ratio));
    const int above = std::clamp(below < ratio ? below + 2 : below, kSdivMin, kSdivMax);
    return {below, above};
}

std::string sdivRule()
{
    return "CLKOUTD divides its source by an even SDIV from " + std::to_string(kSdivMin) + " to "
           + std::to_string(kSdivMax);
}

} // namespace

std::string evenSdivHint(double source, double wanted)
{
    const auto [below, above] = evenDividersAround(source / wanted);
    const auto value = [source](int sdiv) {
        return formatMHz(source / sdiv) + " MHz (SDIV " + std::to_string(sdiv) + ")";
    };
    const std::string from = sdivRule() + "; from " + formatMHz(source) + " MHz the nearest ";
    if (above == below)
        return from + "is " + value(below) + ".";
    return from + "are " + value(below) + " and " + value(above) + ".";
}

std::string evenSdivHint(int sdiv)
{
    const auto [below, above] = evenDividersAround(sdiv);
    return sdivRule() + "; the nearest are " + std::to_string(below)
           + (above != below ? " and " + std::to_string(above) : std::string()) + ".";
}

SearchMessage sdivNotEvenMessage()
{
    SearchMessage m;
    m.messageKind = MessageKind::SdivNotEven;
    return m;
}

const char *vcoDiagnosticText()
{
    return "PLL : can not find right VCO Divider Factor(CLKOUT).";
}

} // namespace ModMirel::Calc
