// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace ModMirel::Calc {

enum class MessageKind {
    None,
    ClkoutNotGenerated,  // General Mode: no admissible pair within tolerance
    PfdOutOfRange,       // Advanced Mode: CLKIN / IDIV outside the window; args clkinMin, clkinMax
    DividersIllegal,     // Advanced Mode: CLKOUT outside the output bounds, or no ODIV legal for it
    OdivIllegal,         // Advanced Mode: user's ODIV puts the VCO outside; arg the recommended ODIV
    ClkoutdNotGenerated, // General Mode: no SDIV within tolerance
    SdivNotEven,         // an odd CLKOUTD divider, refused before any search
};

// A user message of a search, as a code with its arguments. The dialog turns it
// into its own texts; programs without Qt use message() and warningLine().
struct SearchMessage
{
    MessageKind messageKind = MessageKind::None;
    int messageArg1 = 0;
    int messageArg2 = 0;

    bool hasMessage() const { return messageKind != MessageKind::None; }
    std::string message() const;
    // The batch form's line: "WARNING: " and the message.
    std::string warningLine() const;
};

// The even-number rule for SDIV, applied by the OK and batch flows.
inline bool sdivIsEven(int sdiv)
{
    return sdiv % 2 == 0;
}

SearchMessage sdivNotEvenMessage();

// Debug output of the bypassed case when no ODIV is legal; not a user message.
const char *vcoDiagnosticText();

} // namespace ModMirel::Calc
