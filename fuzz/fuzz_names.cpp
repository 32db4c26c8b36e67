// SPDX-License-Identifier: MIT
// Arbitrary text as module and file names and as echoed values: an accepted
// module name is an identifier of both languages, an accepted file name stays a
// plain name in the output folder, and every problem and echo is one line.
#include "fuzzing.h"

#include <echo.h>
#include <filenames.h>
#include <names.h>

#include <QRegularExpression>

namespace {

bool noControl(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    }
    return true;
}

// Line and paragraph separators may stand in a file name, but not in a message line.
bool oneLine(const QString &text)
{
    return noControl(text) && !text.contains(QChar(0x2028)) && !text.contains(QChar(0x2029));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Both readings: UTF-8 as typed, and raw UTF-16 units, which reach lone surrogates.
    const QString utf8 = QString::fromUtf8(reinterpret_cast<const char *>(data), int(size));
    const QString utf16 = QString::fromUtf16(reinterpret_cast<const char16_t *>(data), int(size / 2));
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z](?:_?[A-Za-z0-9])*$"));
    for (const QString &text : {utf8, utf16}) {
        const QString echoed = Utils::echo(text);
        FUZZ_CHECK(oneLine(echoed) && echoed.size() <= 80 + 7, QStringLiteral("an echo that is not one short line"));
        const QString moduleProblem = ModGen::moduleNameProblem(text);
        FUZZ_CHECK(oneLine(moduleProblem), QStringLiteral("a module name problem that is not one line"));
        FUZZ_CHECK(!moduleProblem.isEmpty() || identifier.match(text).hasMatch(),
                   QStringLiteral("a module name that is no identifier was accepted"));
        const QString fileProblem = FileIO::fileNameProblem(text);
        FUZZ_CHECK(oneLine(fileProblem), QStringLiteral("a file name problem that is not one line"));
        FUZZ_CHECK(!fileProblem.isEmpty()
                           || (noControl(text) && !text.contains(QLatin1Char('/')) && !text.startsWith(QLatin1Char('.'))
                               && QString::fromUtf8(text.toUtf8()) == text),
                   QStringLiteral("a file name that leaves the folder or has no encoding was accepted"));
    }
    return 0;
}
