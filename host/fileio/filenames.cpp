// SPDX-License-Identifier: MIT
#include "filenames.h"

#include <echo.h>

namespace FileIO {

QString fileNameProblem(const QString &name)
{
    const QString shown = Utils::echo(name);
    if (name.isEmpty())
        return QStringLiteral("The file name is empty.");
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return QStringLiteral("The file name \"%1\" must not contain a directory separator.").arg(shown);
    if (name == QLatin1String(".") || name == QLatin1String("..") || name.startsWith(QLatin1Char('.')))
        return QStringLiteral("The file name \"%1\" must not begin with a dot.").arg(shown);
    // A lone surrogate or a noncharacter has no encoding on disk: it would name another file.
    if (QString::fromUtf8(name.toUtf8()) != name)
        return QStringLiteral("The file name \"%1\" contains a character that file systems reject.").arg(shown);
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || QStringLiteral(":*?\"<>|").contains(c))
            return QStringLiteral("The file name \"%1\" contains a character that file systems reject.").arg(shown);
    }
    if (name.endsWith(QLatin1Char(' ')) || name.endsWith(QLatin1Char('.')))
        return QStringLiteral("The file name \"%1\" must not end with a blank or a dot.").arg(shown);
    // Leaves room for "_tmp.vhd" and the marks of its temporary file
    // (".", ".staged-XXXXXX") within the usual 255-byte limit.
    if (name.toUtf8().size() > 232)
        return QStringLiteral("The file name \"%1\" is too long.").arg(shown);
    return {};
}

} // namespace FileIO
