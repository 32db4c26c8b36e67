// SPDX-License-Identifier: MIT
#include "searchtexts.h"

namespace ModMirel::Calc::Text {

QString frequency(double mhz)
{
    return QStringLiteral("%1").arg(mhz, 0, 'f', 3);
}

QString styleSheet(bool accepted)
{
    return accepted ? QStringLiteral("color:gray") : QStringLiteral("color:red");
}

QString message(const SearchMessage &m)
{
    switch (m.messageKind) {
    case MessageKind::None:
        break;
    case MessageKind::ClkoutNotGenerated:
        return QStringLiteral("The Expected Frequency of CLKOUT cannot be generated. "
                              "Try to change the Expected Frequency or Tolerance(%)");
    case MessageKind::PfdOutOfRange:
        return QStringLiteral("The value of CLKIN frequency divided by Divide Factor must be "
                              "in the range of %1 ~ %2.")
                .arg(m.messageArg1)
                .arg(m.messageArg2);
    case MessageKind::DividersIllegal:
        return QStringLiteral("The value of divide factor for CLKIN and CLKFB is illegal");
    case MessageKind::OdivIllegal:
        return QStringLiteral("The divide factor of CLKOUT is illegal, the recommand value is %1.").arg(m.messageArg1);
    case MessageKind::ClkoutdNotGenerated:
        return QStringLiteral("The Expected Frequency of CLKOUTD cannot be generated. "
                              "Try to change the Expected Frequency or Tolerance(%)");
    case MessageKind::SdivNotEven:
        return QStringLiteral("The divide factor of CLKOUTD must be an even number.");
    }
    return QString();
}

QString warningLine(const SearchMessage &m)
{
    if (!m.hasMessage())
        return QString();
    // The even-number line has always been written without the blank; scripts rely on it.
    const QString prefix = m.messageKind == MessageKind::SdivNotEven ? QStringLiteral("WARNING:")
                                                                     : QStringLiteral("WARNING: ");
    return prefix + message(m);
}

RangeTexts rangeTexts(const RangeLabels &r)
{
    const QString expected = QStringLiteral("Expected Frequency (%1~%2):");
    return {QStringLiteral("Clock Frequency (%1~%2):").arg(r.clkinMin).arg(r.clkinMax),
            expected.arg(QString::number(r.clkoutLow, 'g', 7), QString::number(r.clkoutHigh, 'g', 6)),
            expected.arg(QString::number(r.clkoutdLow, 'f', 3), QString::number(r.clkoutdHigh, 'f', 3))};
}

} // namespace ModMirel::Calc::Text
