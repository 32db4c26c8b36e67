// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

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

    // Sentences that follow the message: the limit that really stopped it and a way out.
    std::vector<std::string> hints;

    bool hasMessage() const { return messageKind != MessageKind::None; }
    std::string message() const;
    // The batch form's line: "WARNING: " and the message.
    std::string warningLine() const;
    // warningLine(), then one "WARNING: " line per hint, so each line stays one problem.
    std::vector<std::string> warningLines() const;
    // A box's text: the message, then each hint on a line of its own.
    std::string messageWithHints() const;
};

// The even-number rule for SDIV, applied by the OK and batch flows.
inline bool sdivIsEven(int sdiv)
{
    return sdiv % 2 == 0;
}

SearchMessage sdivNotEvenMessage();

// The device's CLKOUT maximum, for a wanted CLKOUT above it.
std::string clkoutMaximumHint(float clkoutMax);
// The even-SDIV rule and the CLKOUTD values nearest to wanted that the source
// frequency (CLKOUT) makes with an even SDIV.
std::string evenSdivHint(double source, double wanted);
// The even dividers next to an odd sdiv, when the source frequency is unknown.
std::string evenSdivHint(int sdiv);

// Debug output of the bypassed case when no ODIV is legal; not a user message.
const char *vcoDiagnosticText();

} // namespace ModMirel::Calc
