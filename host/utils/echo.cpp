// SPDX-License-Identifier: MIT
#include "echo.h"

namespace Utils {

QString echo(const QString &text, int maxChars)
{
    QString shown;
    for (int i = 0; i < text.size(); ++i) {
        if (shown.size() >= maxChars) {
            shown += QChar(0x2026);
            break;
        }
        const ushort ch = text.at(i).unicode();
        switch (ch) {
        case '\n':
            shown += QLatin1String("\\n");
            break;
        case '\r':
            shown += QLatin1String("\\r");
            break;
        case '\t':
            shown += QLatin1String("\\t");
            break;
        default:
            // Line and paragraph separators and lone surrogates would break or garble the line too.
            if (ch < 0x20 || ch == 0x7f || ch == 0x2028 || ch == 0x2029
                || (QChar::isHighSurrogate(ch) && !(i + 1 < text.size() && text.at(i + 1).isLowSurrogate()))
                || (QChar::isLowSurrogate(ch) && !(i > 0 && text.at(i - 1).isHighSurrogate())))
                shown += QStringLiteral("\\x%1").arg(ch, ch > 0xff ? 4 : 2, 16, QLatin1Char('0'));
            else
                shown += text.at(i);
        }
    }
    return shown;
}

} // namespace Utils
