// SPDX-License-Identifier: MIT
#include "commandline.h"

#include "optioncheck.h"

#include <echo.h>
#include <inputfile.h>
#include <stagedfiles.h>

#include <QFileInfo>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSettings>

namespace HostCommandLine {

QTextStream &out()
{
    // Straight into stdio's buffer: a second buffer in the QFile below would copy every
    // result once more.
    static QTextStream stream(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    return stream;
}

namespace {
bool displayMissing = false;
}

void setDisplayMissing()
{
    displayMissing = true;
}

std::optional<int> requireDisplay()
{
    if (displayMissing)
        return fail(UsageError, QStringLiteral("gui needs a display, and none is set (DISPLAY, WAYLAND_DISPLAY)"));
    return std::nullopt;
}

int fail(int status, const QString &line)
{
    // Lines handed on from the core carry their prefix already.
    QTextStream(stderr) << (line.startsWith(QLatin1String("ERROR:")) ? QString() : QStringLiteral("ERROR: ")) << line
                        << '\n';
    return status;
}

const char exitStatusText[] = "Exit status: 0 done, 1 refused, 2 usage error.";

std::optional<int> settleModule(const QString &folder, const QString &stem, FileIO::ModuleLock *hold)
{
    QString problem;
    if (!FileIO::StagedFiles::settle(folder, stem, &problem, hold))
        return fail(Refused, problem);
    return std::nullopt;
}

std::optional<int> parse(QCommandLineParser &parser, const QStringList &arguments, const QString &description,
                         const QString &exitStatus)
{
    parser.setApplicationDescription(description + QStringLiteral("\n") + exitStatus);
    parser.addOption({QStringLiteral("plugin-dir"),
                      QStringLiteral("Folder holding the plug-in (default: ../" MIREL_INSTALLED_PLUGIN_DIR
                                     " from the program's folder)."),
                      QStringLiteral("DIR")});
    const QCommandLineOption help = parser.addHelpOption();
    if (!parser.parse(arguments)) {
        QString line = parser.errorText();
        if (const QStringList unknown = parser.unknownOptionNames(); !unknown.isEmpty()) {
            // The parser lists its options only in its help.
            QStringList names;
            static const QRegularExpression option(QStringLiteral("^  (?:-\\w, )?--([\\w-]+)"),
                                                   QRegularExpression::MultilineOption);
            for (auto it = option.globalMatch(parser.helpText()); it.hasNext();)
                names << it.next().captured(1);
            const QString guess = OptionCheck::nearest(unknown.first(), names);
            if (!guess.isEmpty()) {
                if (line.endsWith(QLatin1Char('.')))
                    line.chop(1);
                line += QStringLiteral(" (did you mean '--%1'?)").arg(guess);
            }
        }
        return fail(UsageError, line);
    }
    // --help-all (which addHelpOption adds too) would otherwise fall through and run the command.
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        // The parser names the program by its path; the usage line names the command.
        QString text = parser.helpText();
        const QString command = arguments.value(0).section(QLatin1Char(' '), 1);
        const int end = text.indexOf(QLatin1Char('\n'));
        const int options = text.indexOf(QLatin1String(" [options]"));
        if (options > 0 && options < end)
            text.replace(0, options, QStringLiteral("Usage: mirel-host ") + command);
        out() << text;
        out().flush();
        return Done;
    }
    return std::nullopt;
}

std::optional<int> noArguments(const QCommandLineParser &parser, const char *command)
{
    const QStringList given = parser.positionalArguments();
    if (given.isEmpty())
        return std::nullopt;
    return fail(UsageError, QStringLiteral("%1 takes no arguments, not '%2'; see mirel-host %1 --help")
                                    .arg(QLatin1String(command), Utils::echo(given.first())));
}

namespace {

QString pluginDir(const QCommandLineParser &parser)
{
    return parser.isSet(QStringLiteral("plugin-dir")) ? parser.value(QStringLiteral("plugin-dir"))
                                                      : PluginHost::defaultPluginDir();
}

std::optional<int> checkSupported(const QString &coreName, bool supported, const DEV::DeviceInfo &device)
{
    if (!supported)
        return fail(Refused, QStringLiteral("%1 does not support the device %2").arg(coreName, device.device));
    return std::nullopt;
}

} // namespace

std::optional<int> loadCore(const QCommandLineParser &parser, PluginHost &host)
{
    QString error;
    if (!host.load(pluginDir(parser), &error))
        return fail(Refused, error);
    return std::nullopt;
}

std::optional<int> describeCore(const QCommandLineParser &parser, PluginHost &host)
{
    QString error;
    if (!host.describe(pluginDir(parser), &error))
        return fail(Refused, error);
    return std::nullopt;
}

QCommandLineOption deviceOption(const QString &description)
{
    return {QStringLiteral("device"),
            description.isEmpty()
                    ? QStringLiteral("Target device, by name or part id (default: the first of 'mirel-host devices').")
                    : description,
            QStringLiteral("NAME")};
}

QCommandLineOption jsonOption(const QString &schema)
{
    return {QStringLiteral("json"), QStringLiteral("Print one JSON object on one line (\"") + schema
                                            + QStringLiteral("\", described in the README).")};
}

void printJson(const QJsonObject &object)
{
    out() << QJsonDocument(object).toJson(QJsonDocument::Compact) << '\n';
}

std::optional<int> findDevice(const QCommandLineParser &parser, DEV::DeviceInfo *device)
{
    *device = DEV::DeviceTable::defaultDevice();
    if (!parser.isSet(QStringLiteral("device")))
        return std::nullopt;
    const QString name = parser.value(QStringLiteral("device"));
    const DEV::DeviceInfo *found = DEV::DeviceTable::find(name);
    if (!found)
        return fail(UsageError,
                    QStringLiteral("unknown device '%1'; 'mirel-host devices' lists them").arg(Utils::echo(name)));
    *device = *found;
    return std::nullopt;
}

std::optional<int> checkSupported(PluginHost &host, const DEV::DeviceInfo &device)
{
    return checkSupported(host.core()->name(), host.core()->isSupported(device.arg()), device);
}

bool looksLikeIpc(const QString &path)
{
    QSettings settings(path, QSettings::IniFormat);
    return settings.status() == QSettings::NoError
           && (settings.contains(QStringLiteral("version"))
               || settings.childGroups().contains(QStringLiteral("Config")));
}

QString unknownDeviceProblem(const QString &path)
{
    const QString named = QSettings(path, QSettings::IniFormat).value(QStringLiteral("target_device")).toString();
    if (named.trimmed().isEmpty() || DEV::DeviceTable::find(named.trimmed()))
        return QString();
    return QStringLiteral("'%1' names the device '%2', which the device table does not have; 'mirel-host devices' "
                          "lists them, --device chooses one")
            .arg(Utils::echo(path), Utils::echo(named));
}

std::optional<int> checkConfigFile(const QString &given)
{
    if (!QFileInfo(given).isFile())
        return fail(Refused, QStringLiteral("no configuration file '%1'").arg(Utils::echo(given)));
    // A FIFO, a device or a huge file is refused unread.
    if (const QString problem = FileIO::inputProblem(given); !problem.isEmpty())
        return fail(Refused, problem);
    if (!looksLikeIpc(given))
        return fail(Refused, QStringLiteral("'%1' is not an IP configuration (.ipc) file").arg(Utils::echo(given)));
    if (const QString problem = unknownDeviceProblem(given); !problem.isEmpty())
        return fail(Refused, problem);
    return std::nullopt;
}

std::optional<int> loadCoreFor(const QCommandLineParser &parser, PluginHost &host, DEV::DeviceInfo *device)
{
    if (auto status = findDevice(parser, device))
        return status;
    if (auto status = loadCore(parser, host))
        return status;
    return checkSupported(host, *device);
}

std::optional<int> describeCoreFor(const QCommandLineParser &parser, PluginHost &host, DEV::DeviceInfo *device)
{
    if (auto status = findDevice(parser, device))
        return status;
    if (auto status = describeCore(parser, host))
        return status;
    const TE::TE_IPCore_Def::CoreDescription &core = host.description();
    return checkSupported(core.name, core.isSupported(device->arg()), *device);
}

} // namespace HostCommandLine
