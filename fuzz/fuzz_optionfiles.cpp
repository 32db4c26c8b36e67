// SPDX-License-Identifier: MIT
// Arbitrary bytes as a batch options file, at the layer under the dialog: the
// reader takes a JSON object, an array of objects or JSON lines, each value a
// text, number or flag, or refuses with one line and adds nothing.
#include "fuzzing.h"

#include <optionfiles.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), int(size));
    QVector<OptionSet> sets(1);
    QString error;
    if (!OptionFiles::parse(content, QStringLiteral("o.json"), {}, &sets, &error)) {
        FUZZ_CHECK(!error.isEmpty() && !error.contains(QLatin1Char('\n')) && !error.contains(QLatin1Char('\r')),
                   QStringLiteral("a refusal that is not one line: ") + error);
        FUZZ_CHECK(sets.size() == 1, QStringLiteral("a refused file added option sets"));
        return 0;
    }
    FUZZ_CHECK(sets.size() > 1, QStringLiteral("an accepted file gave no option set"));
    for (const OptionSet &set : qAsConst(sets)) {
        for (auto it = set.cfgs.constBegin(); it != set.cfgs.constEnd(); ++it)
            FUZZ_CHECK(it.value().isValid(), QStringLiteral("the option %1 has no value").arg(it.key()));
    }
    return 0;
}
