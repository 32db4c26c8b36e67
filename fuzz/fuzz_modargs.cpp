// SPDX-License-Identifier: MIT
// Arbitrary argument lists into the generator's parser, at the layer under the
// HDL text and the file writing: a list is refused with one-line problems or
// accepted without any, with names the checks accept; the generator command
// carries any list unchanged. Input as for
// fuzz_modgen: the elements one a line, "\n" inside the header.
#include "fuzzing.h"

#include <filenames.h>
#include <modgen.h>
#include <names.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), int(size));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    ModGen::Request request{QStringLiteral("f"), QStringLiteral("/out"), text.split(QLatin1Char('\n'))};
    request.args.first().replace(QLatin1String("\\n"), QLatin1String("\n"));

    ModGen::Request decoded;
    FUZZ_CHECK(ModGen::decodeCommand(ModGen::encodeCommand(request), &decoded) && decoded.args == request.args,
               QStringLiteral("the generator command does not carry the list unchanged"));
    ModGen::Settings settings;
    QStringList errors;
    if (!ModGen::parseArgs(request.args, &settings, &errors)) {
        FUZZ_CHECK(!errors.isEmpty(), QStringLiteral("the parser refused without a problem"));
        for (const QString &error : qAsConst(errors))
            FUZZ_CHECK(!error.contains(QLatin1Char('\n')) && !error.contains(QLatin1Char('\r')),
                       QStringLiteral("a problem that is not one line: ") + error);
        return 0;
    }
    FUZZ_CHECK(errors.isEmpty() && ModGen::moduleNameProblem(settings.module).isEmpty()
                       && FileIO::fileNameProblem(settings.file).isEmpty(),
               QStringLiteral("the parser accepted with problems or with a refused name"));
    return 0;
}
