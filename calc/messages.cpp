// SPDX-License-Identifier: MIT
#include "messages.h"

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
