// SPDX-License-Identifier: MIT
#include "messages.h"

namespace ModMirel::Calc {

QString SearchMessage::message() const
{
    switch (messageKind) {
    case MessageKind::None:
        break;
    case MessageKind::ClkoutNotGenerated:
        return QStringLiteral("The Expected Frequency of CLKOUT cannot be generated. "
                              "Try to change the Expected Frequency or Tolerance(%)");
    case MessageKind::PfdOutOfRange:
        return QStringLiteral("The value of CLKIN frequency divided by Divide Factor must be "
                              "in the range of %1 ~ %2.")
            .arg(messageArg1)
            .arg(messageArg2);
    case MessageKind::DividersIllegal:
        return QStringLiteral("The value of divide factor for CLKIN and CLKFB is illegal");
    case MessageKind::OdivIllegal:
        // "recommand" is the wording users and scripts already match on.
        return QStringLiteral("The divide factor of CLKOUT is illegal, the recommand value is %1.")
            .arg(messageArg1);
    case MessageKind::ClkoutdNotGenerated:
        return QStringLiteral("The Expected Frequency of CLKOUTD cannot be generated. "
                              "Try to change the Expected Frequency or Tolerance(%)");
    case MessageKind::SdivNotEven:
        return QStringLiteral("The divide factor of CLKOUTD must be an even number.");
    }
    return QString();
}

QString SearchMessage::warningLine() const
{
    if (!hasMessage())
        return QString();
    // The even-number line has always been written without the blank; scripts rely on it.
    const QString prefix = messageKind == MessageKind::SdivNotEven ? QStringLiteral("WARNING:")
                                                                   : QStringLiteral("WARNING: ");
    return prefix + message();
}

SearchMessage sdivNotEvenMessage()
{
    SearchMessage m;
    m.messageKind = MessageKind::SdivNotEven;
    return m;
}

QString vcoDiagnosticText()
{
    return QStringLiteral("PLL : can not find right VCO Divider Factor(CLKOUT).");
}

} // namespace ModMirel::Calc
