// SPDX-License-Identifier: MIT
#include "batchcommands.h"

#include "batchreport.h"
#include "commandline.h"
#include "optioncheck.h"
#include "optionfiles.h"

#include <commitgroup.h>
#include <devicetable.h>
#include <echo.h>
#include <inputfile.h>
#include <modulegenerator.h>

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTextStream>

#include <algorithm>
#include <optional>

namespace BatchCommands {

using namespace HostCommandLine;

namespace {

// Adds the options both batch commands take, then the common ones.
std::optional<int> parseBatch(QCommandLineParser &parser, const QStringList &arguments, const QString &description,
                              const QCommandLineOption &device)
{
    parser.addOption(device);
    parser.addOption(
            {QStringLiteral("show-args"), QStringLiteral("Print the generator's argument list, one element a line.")});
    parser.addOption({QStringLiteral("json"),
                      QStringLiteral("Print one JSON object a line per module (\"mirel.module/1\", see the README): "
                                     "ok, device, files, dividers, frequencies, what was ignored, messages.")});
    return parse(parser, arguments, description);
}

void report(BatchOutcome outcome, const QCommandLineParser &parser, const OptionSet &set = {})
{
    outcome.sourceFile = set.file;
    outcome.sourceItem = set.item;
    outcome.sourceLine = set.line;
    if (!parser.isSet(QStringLiteral("json"))) {
        BatchReport::printText(outcome, parser.isSet(QStringLiteral("show-args")));
        return;
    }
    BatchReport::printMessages(outcome);
    printJson(BatchReport::toJson(outcome));
    out().flush();
}

// Where one item's files go, resolved as the frame resolves dir, file and ip_creat_mode.
struct Target
{
    QString folder; // absolute, clean
    QString file;
    bool ownFolder = true; // the folder is the module's own, named after the file
    QString source;
};

Target targetOf(const QVariantMap &cfgs, const QString &source)
{
    const QString base = cfgs.value(QStringLiteral("dir")).toString();
    const QString file = cfgs.value(QStringLiteral("file")).toString().trimmed();
    const QString mode = cfgs.value(QStringLiteral("ip_creat_mode"), true).toString().trimmed();
    const bool own = mode.compare(QLatin1String("false"), Qt::CaseInsensitive) != 0 && mode != QLatin1String("0");
    const QString path = (own ? (base.isEmpty() ? file : QDir(base).filePath(file)) : base).trimmed();
    return {QDir::cleanPath(QDir::current().absoluteFilePath(path)), file, own, source};
}

bool within(const QString &folder, const QString &outer)
{
    return folder.startsWith(outer) && (folder.size() == outer.size() || folder.at(outer.size()) == QLatin1Char('/'));
}

// Why an item may not be written after the items already created in this run, or empty:
// it would replace their files, or write into a folder that is one of theirs (or make
// its own folder around theirs), and the earlier module would be lost unreported.
QString clashProblem(const Target &later, const QVector<Target> &earlier)
{
    if (later.file.isEmpty())
        return QString(); // the core refuses it
    for (const Target &first : earlier) {
        const auto where = [&first] {
            return Utils::echo(first.folder + QLatin1Char('/') + first.file, 120);
        };
        if (first.folder == later.folder && first.file == later.file)
            return QStringLiteral("ERROR: %1 writes the same files as %2 (\"%3\")")
                    .arg(later.source, first.source, where());
        if ((first.ownFolder && within(later.folder, first.folder))
            || (later.ownFolder && within(first.folder, later.folder)))
            return QStringLiteral("ERROR: %1 writes into the module folder of %2 (\"%3\")")
                    .arg(later.source, first.source, where());
    }
    return QString();
}

} // namespace

int create(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.addOption(
            {QStringLiteral("options"),
             QStringLiteral("Batch options: a JSON object, a JSON array of objects or JSON lines, one module per "
                            "object. May be given several times; every module is created in this one run."),
             QStringLiteral("FILE")});
    parser.addOption({QStringLiteral("strict"),
                      QStringLiteral("Refuse a module for any warning, such as an option its other settings leave "
                                     "without effect: its warnings become errors and nothing of it is written.")});
    parser.addPositionalArgument(QStringLiteral("KEY=VALUE"),
                                 QStringLiteral("Batch options ('mirel-host keys' lists them); they override --options "
                                                "for every module."),
                                 QStringLiteral("[KEY=VALUE ...]"));
    if (auto status = parseBatch(parser, arguments,
                                 QStringLiteral("Creates MIREL modules from batch options, as a script does."),
                                 deviceOption()))
        return *status;

    QVariantMap overrides;
    // A key given again with another value keeps the last, as a command line does, and says so.
    QStringList repeated;
    for (const QString &setting : parser.positionalArguments()) {
        const int equals = setting.indexOf(QLatin1Char('='));
        if (equals <= 0)
            return fail(UsageError, QStringLiteral("'%1' is not KEY=VALUE").arg(Utils::echo(setting)));
        const QString key = setting.left(equals), value = setting.mid(equals + 1);
        if (overrides.contains(key) && overrides.value(key).toString() != value)
            repeated << QStringLiteral("Option '%1' is given twice, as '%2' and as '%3'")
                                .arg(Utils::echo(key), Utils::echo(overrides.value(key).toString()), Utils::echo(value));
        overrides.insert(key, value);
    }
    const bool strict = parser.isSet(QStringLiteral("strict"));
    for (const QString &line : qAsConst(repeated))
        QTextStream(stderr) << (strict ? QStringLiteral("ERROR: %1.\n")
                                       : QStringLiteral("WARNING: %1; the last counts.\n"))
                                       .arg(line);
    if (strict && !repeated.isEmpty())
        return Refused;
    DEV::DeviceInfo device;
    PluginHost host;
    if (auto status = loadCoreFor(parser, host, &device))
        return *status;
    IPCore::setStrictBatch(strict);

    const QVariantMap options = host.core()->options();
    for (auto it = overrides.begin(); it != overrides.end(); ++it)
        it.value() = OptionCheck::fromText(it.value().toString(), options.value(it.key()).toMap());
    QVector<OptionSet> sets;
    for (const QString &path : parser.values(QStringLiteral("options"))) {
        QString error;
        if (!OptionFiles::read(path, options, &sets, &error))
            return fail(UsageError, error);
    }
    // A misspelt key would silently leave its setting at the default: refuse the
    // whole run, naming every such key, before anything is written.
    QStringList unknown = OptionCheck::unknownKeys(overrides, options);
    for (const OptionSet &set : qAsConst(sets)) {
        for (const QString &line : OptionCheck::unknownKeys(set.cfgs, options))
            unknown << line + QStringLiteral(" in ") + set.source;
    }
    if (!unknown.isEmpty()) {
        QTextStream(stderr) << unknown.join(QLatin1Char('\n')) << '\n';
        return Refused;
    }
    if (sets.isEmpty())
        sets.append(OptionSet());

    // The modules' files are committed a group at a time, so that their syncs share the disk's
    // waits, each group while the next is made; each module is reported, in order, once its
    // files are committed.
    constexpr int GroupSize = 16;
    FileIO::CommitGroup group;
    struct Waiting
    {
        BatchOutcome outcome;
        Target target;
        bool joined = false; // its files wait in the group
        OptionSet set;       // where its options came from
    };
    QList<Waiting> waiting;
    QStringList results; // of the modules at the front of `waiting` that joined the group
    bool allCreated = true;
    QVector<Target> created;
    // Reports the modules whose outcome is known, in order.
    const auto reportKnown = [&] {
        results << group.takeResults();
        while (!waiting.isEmpty() && (!waiting.first().joined || !results.isEmpty())) {
            Waiting item = waiting.takeFirst();
            const bool committed = item.outcome.ok;
            item.outcome.committed(item.joined ? results.takeFirst() : QString());
            if (committed && !item.outcome.ok) {
                created.erase(std::remove_if(created.begin(), created.end(),
                                             [&](const Target &t) {
                                                 return t.folder == item.target.folder && t.file == item.target.file;
                                             }),
                              created.end());
            }
            report(item.outcome, parser, item.set);
            allCreated = allCreated && item.outcome.ok;
        }
    };
    const auto commitAll = [&] {
        group.commit();
        group.wait();
        reportKnown();
    };
    for (const OptionSet &set : qAsConst(sets)) {
        QVariantMap cfgs = set.cfgs;
        for (auto it = overrides.begin(); it != overrides.end(); ++it)
            cfgs.insert(it.key(), it.value());
        const Target target = targetOf(cfgs, set.source);
        // An earlier module that clashes may still fail to be committed; then there is no clash.
        if (!clashProblem(target, created).isEmpty())
            commitAll();
        if (const QString clash = clashProblem(target, created); !clash.isEmpty()) {
            BatchOutcome refused;
            refused.device = device.device;
            refused.part = device.id;
            refused.given = refused.cfgs = cfgs;
            refused.messages = QStringList{clash};
            refused.source = set.source;
            waiting.append({refused, target, false, set});
        } else {
            const QVariantMap given = cfgs;
            QStringList messages;
            IPCore::clearLastGeneration();
            const int joined = group.joined();
            const bool ok = host.core()->createModuleBatch(cfgs, device.arg(), messages);
            BatchOutcome outcome = BatchOutcome::collect(ok, device.device, cfgs, messages);
            outcome.part = device.id;
            outcome.given = given;
            outcome.source = sets.size() > 1 ? set.source : QString();
            waiting.append({outcome, target, group.joined() > joined, set});
            if (ok)
                created.append(target);
        }
        if (group.held() >= GroupSize)
            group.commit();
        reportKnown();
    }
    commitAll();
    return allCreated ? Done : Refused;
}

int open(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("FILE.ipc"), QStringLiteral("Configuration to generate again."));
    if (auto status = parseBatch(parser, arguments,
                                 QStringLiteral("Generates a MIREL module again from its configuration file."),
                                 deviceOption(
                                         QStringLiteral("Target device, by name or part id (default: the device the "
                                                        "configuration file names)."))))
        return *status;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        return fail(UsageError, QStringLiteral("open needs exactly one configuration file"));
    const QString path = positional.first();
    if (!QFileInfo::exists(path))
        return fail(Refused, QStringLiteral("no configuration file '%1'").arg(Utils::echo(path)));
    // A FIFO or a device would never end a read, a huge file would take long.
    if (const QString problem = FileIO::inputProblem(path); !problem.isEmpty())
        return fail(Refused, problem);
    if (auto status = settleModule(QFileInfo(path).absolutePath(), QFileInfo(path).completeBaseName()))
        return *status;
    if (!looksLikeIpc(path))
        return fail(Refused, QStringLiteral("'%1' is not an IP configuration (.ipc) file").arg(Utils::echo(path)));
    DEV::DeviceInfo device;
    if (auto status = findDevice(parser, &device))
        return *status;
    if (!parser.isSet(QStringLiteral("device"))) {
        if (const QString problem = unknownDeviceProblem(path); !problem.isEmpty())
            return fail(Refused, problem);
    }
    // Without --device the configuration file's own device is used.
    const QString deviceName = parser.isSet(QStringLiteral("device")) ? device.device : QString();
    PluginHost host;
    if (auto status = loadCore(parser, host))
        return *status;

    QVariantMap cfgs;
    QStringList messages;
    IPCore::clearLastGeneration();
    const bool ok = host.core()->openModuleBatch(QFileInfo(path).absoluteFilePath(), deviceName, cfgs, messages);
    // The file names its device by part id; the report names devices as create does.
    const QSettings file(path, QSettings::IniFormat);
    const DEV::DeviceInfo *known = DEV::DeviceTable::find(
            deviceName.isEmpty() ? file.value(QStringLiteral("target_device")).toString() : device.device);
    BatchOutcome outcome = BatchOutcome::collect(ok,
                                                 known ? known->device
                                                       : file.value(QStringLiteral("target_device")).toString(),
                                                 cfgs, messages);
    outcome.part = known ? known->id : QString();
    // A refused file hands nothing back; its module is the one the file names.
    outcome.given.insert(QStringLiteral("module"), file.value(QStringLiteral("module")));
    outcome.committed();
    OptionSet set;
    set.file = QFileInfo(path).absoluteFilePath();
    report(outcome, parser, set);
    return ok ? Done : Refused;
}

} // namespace BatchCommands
