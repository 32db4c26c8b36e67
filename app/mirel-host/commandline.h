// SPDX-License-Identifier: MIT
#pragma once

#include "pluginhost.h"

#include <devicetable.h>
#include <modulelock.h>

#include <QCommandLineParser>
#include <QJsonObject>
#include <QTextStream>

#include <optional>

// What every mirel-host command shares: output, one-line errors, the common
// options, loading the core and choosing the device. Functions that may end the
// command return its exit status; empty means go on.
namespace HostCommandLine {

enum ExitStatus { Done = 0, Refused = 1, UsageError = 2 };

QTextStream &out();

// Commands that show windows refuse, after their options were parsed, when
// main() found no display to show them on.
void setDisplayMissing();
std::optional<int> requireDisplay();

// Writes "ERROR: LINE" to standard error and returns the status.
int fail(int status, const QString &line);

// The exit statuses as every command's help names them.
extern const char exitStatusText[];

// Before a command reads module `stem` in `folder`: completes or discards what a
// run killed while writing it left, so that it reads one run's files; with `hold`,
// runs writing the module wait until the caller lets go of it.
std::optional<int> settleModule(const QString &folder, const QString &stem, FileIO::ModuleLock *hold = nullptr);

// Adds --plugin-dir and --help to the command's own options, then parses. --help and
// --help-all show the help, ending with exitStatus, and end the command.
std::optional<int> parse(QCommandLineParser &parser, const QStringList &arguments, const QString &description,
                         const QString &exitStatus = QLatin1String(exitStatusText));
// For a command that takes no arguments: refuses one, which was meant for something the
// command would otherwise answer without.
std::optional<int> noArguments(const QCommandLineParser &parser, const char *command);
std::optional<int> loadCore(const QCommandLineParser &parser, PluginHost &host);
// As loadCore, for a command that only shows the core: host.description() answers, and a
// plug-in whose metadata describes its core is not loaded (PluginHost::describe).
std::optional<int> describeCore(const QCommandLineParser &parser, PluginHost &host);

QCommandLineOption deviceOption(const QString &description = QString());
// --json, whose document is `schema` (the README and schemas/ describe each).
QCommandLineOption jsonOption(const QString &schema);
// A JSON answer: one compact line on standard output (through out()).
void printJson(const QJsonObject &object);
// The device that --device names, or the table's default device.
std::optional<int> findDevice(const QCommandLineParser &parser, DEV::DeviceInfo *device);
std::optional<int> checkSupported(PluginHost &host, const DEV::DeviceInfo &device);
// Whether the file looks like a configuration file at all (the version check is the core's);
// FileIO::inputProblem has already bounded its size and kind.
bool looksLikeIpc(const QString &path);
// Why the configuration file at `path` cannot be opened on the device it names, or empty:
// a device the table does not have (a typo) would otherwise become the default device.
QString unknownDeviceProblem(const QString &path);
// The checks a command that reads the configuration file `given` makes before anything
// else, as open makes them: there, readable, a configuration, on a known device.
std::optional<int> checkConfigFile(const QString &given);
// The device --device names, and the core loaded and asked whether it supports it.
std::optional<int> loadCoreFor(const QCommandLineParser &parser, PluginHost &host, DEV::DeviceInfo *device);
// The same with the core described rather than loaded (describeCore).
std::optional<int> describeCoreFor(const QCommandLineParser &parser, PluginHost &host, DEV::DeviceInfo *device);

} // namespace HostCommandLine
