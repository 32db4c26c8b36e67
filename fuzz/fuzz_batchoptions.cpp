// SPDX-License-Identifier: MIT
// Arbitrary bytes as a JSON options file, at the layer under the dialog: the
// reader either takes a whole object, every value as text, or refuses with one
// line and leaves the map as it was.
#include "fuzzing.h"

#include <batchoptions.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray json(reinterpret_cast<const char *>(data), int(size));
    const QVariantMap before{{QStringLiteral("kept"), QStringLiteral("yes")}};
    QVariantMap cfgs = before;
    QString problem;
    if (!IPCore::parseBatchOptions(json, QStringLiteral("o.json"), &cfgs, &problem)) {
        FUZZ_CHECK(!problem.isEmpty() && !problem.contains(QLatin1Char('\n')) && !problem.contains(QLatin1Char('\r')),
                   QStringLiteral("a refusal that is not one line: ") + problem);
        FUZZ_CHECK(cfgs == before, QStringLiteral("a refused file changed the options"));
        return 0;
    }
    for (auto it = cfgs.constBegin(); it != cfgs.constEnd(); ++it)
        FUZZ_CHECK(it.value().userType() == QMetaType::QString, QStringLiteral("the option %1 is not a text").arg(it.key()));
    return 0;
}
