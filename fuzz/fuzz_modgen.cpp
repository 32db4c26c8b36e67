// SPDX-License-Identifier: MIT
// Arbitrary argument lists into the module generator. Input: the list's
// elements, one a line, as `mirel-host create --show-args` prints them ("\n"
// inside the header); "$DIR" stands for the output directory, so that a list
// can name the place the generator is given. The generator either
// refuses with a problem and writes nothing, or writes the module and its
// template; its command text carries any list unchanged. In the corpus replay
// every module it accepts to write must also compile.
#include "fuzzing.h"

#include <modgen.h>

#include <QFileInfo>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QTemporaryDir tmp;
    const QString dir = QFileInfo(tmp.path()).canonicalFilePath();
    QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), int(size));
    text.replace(QLatin1String("$DIR"), dir);

    ModGen::Request request;
    request.dir = dir;
    // A text file's final newline ends the last element; it does not start an empty one.
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    request.args = text.split(QLatin1Char('\n'));
    request.args.first().replace(QLatin1String("\\n"), QLatin1String("\n"));
    for (const QString &arg : qAsConst(request.args)) {
        if (arg.startsWith(QLatin1String("-file_name "))) {
            request.fileName = arg.mid(11);
            break;
        }
    }

    ModGen::Request decoded;
    FUZZ_CHECK(ModGen::decodeCommand(ModGen::encodeCommand(request), &decoded) && decoded.args == request.args
                       && decoded.fileName == request.fileName && decoded.dir == request.dir,
               QStringLiteral("the generator command does not carry the request unchanged"));

    QStringList errors, written;
    const bool done = ModGen::generate(request, &errors, &written);
    QStringList files = Fuzz::filesIn(dir);
    if (!done) {
        FUZZ_CHECK(!errors.isEmpty(), QStringLiteral("the generator refused without a problem"));
        FUZZ_CHECK(files.isEmpty(), QStringLiteral("the generator refused but wrote: ") + files.join(' '));
        return 0;
    }
    FUZZ_CHECK(errors.isEmpty() && written.size() == 4,
               QStringLiteral("the generator succeeded with problems or without its four files"));
    QStringList expected;
    for (const QString &path : qAsConst(written)) {
        const QFileInfo info(path);
        FUZZ_CHECK(info.isFile() && info.size() > 0 && info.absolutePath() == dir,
                   QStringLiteral("'%1' is missing, empty or outside the output directory").arg(path));
        expected << info.fileName();
    }
    expected.sort();
    files.sort();
    FUZZ_CHECK(files == expected, QStringLiteral("the generator left other files: ") + files.join(' '));
    Fuzz::expectCompiles(written);
    return 0;
}
