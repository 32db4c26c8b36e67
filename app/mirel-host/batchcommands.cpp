// SPDX-License-Identifier: MIT
#include "batchcommands.h"

#include "commandline.h"

#include <devicetable.h>
#include <modulegenerator.h>

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <optional>

namespace BatchCommands {

using namespace HostCommandLine;

namespace {

// Adds the options both batch commands take, then the common ones.
std::optional<int> parseBatch(QCommandLineParser &parser, const QStringList &arguments, const QString &description)
{
    parser.addOption(deviceOption());
    parser.addOption({QStringLiteral("show-args"), QStringLiteral("Print the generator's argument list, one element a line.")});
    return parse(parser, arguments, description);
}

// The option values travel as text, whatever type the JSON gave them.
std::optional<int> readOptions(const QString &path, QVariantMap *cfgs)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(UsageError, QStringLiteral("cannot read '%1'").arg(path));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (!document.isObject())
        return fail(UsageError, QStringLiteral("'%1' is not a JSON object: %2").arg(path, error.errorString()));
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QJsonValue value = it.value();
        if (value.isString())
            cfgs->insert(it.key(), value.toString());
        else if (value.isBool())
            cfgs->insert(it.key(), value.toBool() ? QStringLiteral("true") : QStringLiteral("false"));
        else if (value.isDouble())
            cfgs->insert(it.key(), QString::number(value.toDouble()));
        else
            return fail(UsageError, QStringLiteral("option '%1' in '%2' is not a text, number or flag").arg(it.key(), path));
    }
    return std::nullopt;
}

int report(bool ok, const QStringList &messages, bool showArgs)
{
    for (const QString &line : messages)
        out() << line << '\n';
    if (showArgs) {
        // The header element may span lines; it stays one line here.
        for (QString element : IPCore::lastGeneratorArgs())
            out() << element.replace(QLatin1Char('\n'), QLatin1String("\\n")) << '\n';
    }
    if (ok) {
        const QStringList files = IPCore::lastGeneratedFiles();
        if (!files.isEmpty()) {
            const QFileInfo module(files.first());
            const QString ipc = module.absolutePath() + QLatin1Char('/') + module.completeBaseName() + QStringLiteral(".ipc");
            if (QFileInfo::exists(ipc))
                out() << "written: " << ipc << '\n';
        }
        for (const QString &file : files)
            out() << "written: " << QFileInfo(file).absoluteFilePath() << '\n';
    }
    out().flush();
    return ok ? Done : Refused;
}

} // namespace

int create(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("options"), QStringLiteral("JSON object of batch options."), QStringLiteral("FILE.json")});
    parser.addPositionalArgument(QStringLiteral("KEY=VALUE"),
                                 QStringLiteral("Batch options (\"module\", \"file\", \"dir\", \"ip_creat_mode\", \"LANG\" "
                                                "and the configuration keys); they override --options."),
                                 QStringLiteral("[KEY=VALUE ...]"));
    if (auto status = parseBatch(parser, arguments, QStringLiteral("Creates a MIREL module from batch options, as a script does.")))
        return *status;

    QVariantMap cfgs;
    if (parser.isSet(QStringLiteral("options"))) {
        if (auto status = readOptions(parser.value(QStringLiteral("options")), &cfgs))
            return *status;
    }
    for (const QString &setting : parser.positionalArguments()) {
        const int equals = setting.indexOf(QLatin1Char('='));
        if (equals <= 0)
            return fail(UsageError, QStringLiteral("'%1' is not KEY=VALUE").arg(setting));
        cfgs.insert(setting.left(equals), setting.mid(equals + 1));
    }

    DEV::DeviceInfo device;
    if (auto status = findDevice(parser, &device))
        return *status;
    PluginHost host;
    if (auto status = loadCore(parser, host))
        return *status;
    if (auto status = checkSupported(host, device))
        return *status;

    QStringList messages;
    const bool ok = host.core()->createModuleBatch(cfgs, device.arg(), messages);
    return report(ok, messages, parser.isSet(QStringLiteral("show-args")));
}

int open(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("FILE.ipc"), QStringLiteral("Configuration to generate again."));
    if (auto status = parseBatch(parser, arguments, QStringLiteral("Generates a MIREL module again from its configuration file.")))
        return *status;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        return fail(UsageError, QStringLiteral("open needs exactly one configuration file"));
    if (!QFileInfo(positional.first()).isFile())
        return fail(Refused, QStringLiteral("no configuration file '%1'").arg(positional.first()));
    DEV::DeviceInfo device;
    if (auto status = findDevice(parser, &device))
        return *status;
    // Without --device the configuration file's own device is used.
    const QString deviceName = parser.isSet(QStringLiteral("device")) ? device.device : QString();
    PluginHost host;
    if (auto status = loadCore(parser, host))
        return *status;

    QVariantMap cfgs;
    QStringList messages;
    const bool ok = host.core()->openModuleBatch(QFileInfo(positional.first()).absoluteFilePath(), deviceName, cfgs, messages);
    return report(ok, messages, parser.isSet(QStringLiteral("show-args")));
}

} // namespace BatchCommands
