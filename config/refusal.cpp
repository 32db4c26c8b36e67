// SPDX-License-Identifier: MIT
#include "refusal.h"

#include <QStringList>

namespace ModMirel::Config {

QString echo(const QString &text, int maxChars)
{
    QString shown;
    for (int i = 0; i < text.size(); ++i) {
        if (shown.size() >= maxChars) {
            shown += QChar(0x2026);
            break;
        }
        const ushort ch = text.at(i).unicode();
        const bool pairedHigh = QChar::isHighSurrogate(ch) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const bool pairedLow = QChar::isLowSurrogate(ch) && i > 0 && text.at(i - 1).isHighSurrogate();
        if (ch == '\n')
            shown += QLatin1String("\\n");
        else if (ch == '\r')
            shown += QLatin1String("\\r");
        else if (ch == '\t')
            shown += QLatin1String("\\t");
        // Line and paragraph separators and lone surrogates would break or garble the line too.
        else if (ch < 0x20 || ch == 0x7f || ch == 0x2028 || ch == 0x2029
                 || (QChar::isSurrogate(ch) && !pairedHigh && !pairedLow))
            shown += QStringLiteral("\\x%1").arg(ch, ch > 0xff ? 4 : 2, 16, QLatin1Char('0'));
        else
            shown += text.at(i);
    }
    return shown;
}

QString refusalLine(const QVariant &value, const QString &key, const QString &ipName, const QString &legal)
{
    const QString shown = value.userType() == QMetaType::QStringList ? value.toStringList().join(QLatin1Char(','))
                                                                     : value.toString();
    // One arg() call, so that a '%' in the value cannot pull in the later texts.
    QString line = QStringLiteral("ERROR: Value '%1' is out of the range for configuration option '%2' for IP '%3'.")
                           .arg(echo(shown), echo(key), echo(ipName));
    if (!legal.isEmpty())
        line += QStringLiteral(" Legal values: %1.").arg(legal);
    return line;
}

} // namespace ModMirel::Config
