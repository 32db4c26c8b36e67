// SPDX-License-Identifier: MIT
// Arbitrary batch option maps through setProperty, getProperty, the argument
// list and the whole batch OK, as a script creating a module drives them; a
// module created so is re-opened from its .ipc file and must come out the same.
//
// Input: lines "KEY=VALUE". A key "#N" stands for the N-th known key, so that
// mutations reach the real ones; "device" picks the device. A value prefix picks
// its type: "b:" bool, "i:" int, "u:" unsigned, "d:" double, "l:" list (","),
// "y:" bytes, "n:" no value; anything else is text, as on a command line.
#include "fuzzing.h"

#include <configkeys.h>
#include <devicetable.h>
#include <mireldialog.h>
#include <modulegenerator.h>

#include <QFileInfo>
#include <QTemporaryDir>

namespace {

QStringList knownKeys()
{
    namespace C = ModMirel::Config;
    QStringList keys = {C::Batch::Module, C::Batch::File, C::Batch::CreateMode, QStringLiteral("device")};
    for (const C::Entry &entry : C::entries())
        keys << QLatin1String(entry.key);
    return keys;
}

QVariant typed(const QString &value)
{
    const QString rest = value.mid(2);
    switch (value.size() >= 2 && value.at(1) == QLatin1Char(':') ? value.at(0).unicode() : 0) {
    case 'b':
        return rest == QLatin1String("true") || rest == QLatin1String("1");
    case 'i':
        return rest.toInt();
    case 'u':
        return rest.toULongLong();
    case 'd':
        return rest.toDouble();
    case 'l':
        return rest.split(QLatin1Char(','));
    case 'y':
        return rest.toUtf8();
    case 'n':
        return QVariant();
    default:
        return value;
    }
}

// A flow that reports success must have written its files inside the output directory.
void expectFiles(const QString &dir, const QStringList &files, const char *flow)
{
    for (const QString &file : files)
        FUZZ_CHECK(QFileInfo(file).isFile() && QFileInfo(file).canonicalFilePath().startsWith(dir + QLatin1Char('/')),
                   QStringLiteral("%1 reported success but '%2' is missing or outside '%3'").arg(flow, file, dir));
}

// The bypass of a disabled output is not kept in the .ipc file and changes nothing the module does.
QStringList relevant(QStringList args)
{
    for (const QString &output : {QStringLiteral("clkoutp"), QStringLiteral("clkoutd")}) {
        const int at = args.indexOf(QLatin1Char('-') + output + QStringLiteral("_bypass true"));
        if (at >= 0 && args.contains(QStringLiteral("-en_") + output + QStringLiteral(" false")))
            args[at] = QLatin1Char('-') + output + QStringLiteral("_bypass false");
    }
    return args;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QStringList keys = knownKeys();
    static const QVariantMap info = {{QStringLiteral("ipcore.id"), "MIREL"}, {QStringLiteral("ipcore.version"), "1.0"}};
    QVariantMap cfgs;
    DEV::DeviceArg device = DEV::DeviceTable::defaultDevice().arg();
    for (const QString &line : QString::fromUtf8(reinterpret_cast<const char *>(data), int(size)).split('\n')) {
        const int equals = line.indexOf(QLatin1Char('='));
        QString key = line.left(equals);
        const QString value = equals < 0 ? QString() : line.mid(equals + 1);
        if (key.startsWith(QLatin1Char('#')))
            key = keys.at(int(key.mid(1).toUInt() % uint(keys.size())));
        if (key != QLatin1String("device"))
            cfgs.insert(key, typed(value));
        else if (const DEV::DeviceInfo *found = DEV::DeviceTable::find(value))
            device = found->arg();
    }

    QTemporaryDir tmp;
    const QString dir = QFileInfo(tmp.path()).canonicalFilePath();
    ModMirel::Mirel_Dialog dialog(info, nullptr);
    dialog.setCreating(dir, device);
    QStringList lines;
    const bool accepted = dialog.setProperty(cfgs, lines);
    FUZZ_CHECK(accepted || !lines.isEmpty(), QStringLiteral("setProperty refused the options without a line"));
    FUZZ_CHECK(dialog.getProperty().size() == 28, QStringLiteral("getProperty does not report the 28 settings"));
    if (!accepted)
        return 0;
    if (!dialog.generateModFile(lines).isEmpty())
        expectFiles(dir, IPCore::lastGeneratedFiles(), "generateModFile");
    FUZZ_CHECK(!lines.isEmpty() || !IPCore::lastGeneratedFiles().isEmpty(),
               QStringLiteral("generateModFile failed without a line"));

    // The batch OK (checks, searches, .ipc file, module), then `mirel-host open` on its .ipc file.
    lines.clear();
    if (!dialog.accept(lines)) {
        FUZZ_CHECK(!lines.isEmpty(), QStringLiteral("the batch OK failed without a line"));
        return 0;
    }
    const QString ipc = dialog.createPath() + QLatin1Char('/') + dialog.fileName() + QStringLiteral(".ipc");
    expectFiles(dir, IPCore::lastGeneratedFiles() << ipc, "the batch OK");
    Fuzz::expectCompiles(IPCore::lastGeneratedFiles());
    const QStringList args = relevant(IPCore::lastGeneratorArgs());
    ModMirel::Mirel_Dialog reopened(info, nullptr);
    reopened.reportToMessageList(&lines);
    FUZZ_CHECK(reopened.setOpening(ipc, QString()) && reopened.accept(lines),
               QStringLiteral("the module does not generate again: ") + lines.join(QLatin1Char(' ')));
    const QStringList again = relevant(IPCore::lastGeneratorArgs());
    FUZZ_CHECK(again == args, QStringLiteral("re-opened, the module differs:\n%1\n-- re-opened:\n%2")
                                      .arg(args.join(QLatin1Char('\n')), again.join(QLatin1Char('\n'))));
    return 0;
}
