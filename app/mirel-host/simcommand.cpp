// SPDX-License-Identifier: MIT
#include "simcommand.h"

#include "commandline.h"
#include "reportedsettings.h"

#include <echo.h>
#include <filenames.h>
#include <inputfile.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <csignal>
#include <optional>

namespace SimCommand {

using namespace HostCommandLine;

namespace {

// A testbench ends within seconds; this only stops a run that would hang.
const int StepLimitMs = 300000;

struct Files
{
    QString name; // the module's
    QString module;
    QString bench;
    QString top;
    QString block; // the switching block, when it is what is simulated
    bool vhdl = false;
    bool fresh = false; // generated into a temporary folder for this run
};

struct Row
{
    QString name;
    QJsonValue wanted;
    double achieved = 0, measured = 0, error = 0;
    QString unit, errorUnit;
    bool ok = false;
};

struct Outcome
{
    bool pass = false;
    QList<Row> rows;
    QStringList problems; // lines that say why it failed beyond the table
};

// The module and testbench that sit beside the configuration file, when both are there.
std::optional<Files> filesBeside(const QString &ipc)
{
    const QFileInfo info(ipc);
    const QSettings settings(info.absoluteFilePath(), QSettings::IniFormat);
    const QString file = settings.value(QStringLiteral("file"), info.completeBaseName()).toString();
    const QString module = settings.value(QStringLiteral("module"), file).toString();
    for (const char *extension : {".v", ".vhd"}) {
        Files files;
        files.module = info.absolutePath() + QLatin1Char('/') + file + QLatin1String(extension);
        files.bench = info.absolutePath() + QLatin1Char('/') + file + QStringLiteral("_tb") + QLatin1String(extension);
        files.name = module;
        files.top = module + QStringLiteral("_tb");
        files.vhdl = qstrcmp(extension, ".vhd") == 0;
        if (QFileInfo(files.module).isFile() && QFileInfo(files.bench).isFile())
            return files;
    }
    return std::nullopt;
}

// The module with its switching block and their bench beside the configuration file.
std::optional<Files> switchFilesBeside(const QString &ipc)
{
    std::optional<Files> files = filesBeside(ipc);
    if (!files)
        return files;
    const QString extension = files->vhdl ? QStringLiteral(".vhd") : QStringLiteral(".v");
    const QString stem = files->module.chopped(extension.size());
    files->block = stem + QStringLiteral("_switch") + extension;
    files->bench = stem + QStringLiteral("_switch_tb") + extension;
    files->top = files->top.chopped(3) + QStringLiteral("_switch_tb");
    if (!QFileInfo(files->block).isFile() || !QFileInfo(files->bench).isFile())
        return std::nullopt;
    return files;
}

// What the user asked for, from the configuration's own settings.
QJsonObject wantedFrequencies(const QString &ipc)
{
    QSettings file(ipc, QSettings::IniFormat);
    file.beginGroup(QStringLiteral("Config"));
    QVariantMap settings;
    for (const QString &key : file.childKeys())
        settings.insert(key, file.value(key));
    QJsonObject wanted;
    const QMap<QString, double> asked = ReportedSettings::wanted(settings);
    for (auto it = asked.begin(); it != asked.end(); ++it)
        wanted.insert(it.key(), it.value());
    return wanted;
}

QString modelDir(const QCommandLineParser &parser)
{
    if (parser.isSet(QStringLiteral("model-dir")))
        return parser.value(QStringLiteral("model-dir"));
    return PluginHost::programDir() + QStringLiteral("/../share/mirel/hdl");
}

// A bench prints a few dozen lines; far more is a module printing in a loop.
constexpr int OutputLimit = 1 << 20;

// Set by a signal that ends the command, so that the tool is stopped and the
// temporary folder removed before the signal takes its course.
volatile std::sig_atomic_t endingSignal = 0;

void noteSignal(int signal)
{
    endingSignal = signal;
}

// Runs one tool to its end, reading its output as it comes; false with the reason
// in *problem when it could not run, was stopped or printed past the limit.
bool step(const QString &program, const QStringList &arguments, const QString &dir, QString *output, QString *problem)
{
    QProcess process;
    process.setWorkingDirectory(dir);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const QString name = QFileInfo(program).fileName();
    if (!process.waitForStarted()) {
        *problem = QStringLiteral("%1 cannot be started: %2").arg(name, process.errorString());
        return false;
    }
    QByteArray bytes;
    QElapsedTimer clock;
    clock.start();
    while (process.state() != QProcess::NotRunning) {
        process.waitForReadyRead(100);
        bytes += process.readAll();
        if (bytes.size() > OutputLimit)
            *problem = QStringLiteral("%1 printed more than %2 bytes; the module prints in a loop")
                               .arg(name)
                               .arg(OutputLimit);
        else if (clock.elapsed() > StepLimitMs)
            *problem = QStringLiteral("%1 did not finish within %2 s").arg(name).arg(StepLimitMs / 1000);
        else if (endingSignal)
            *problem = QStringLiteral("%1 was stopped: sim was interrupted").arg(name);
        if (!problem->isEmpty()) {
            process.kill();
            process.waitForFinished();
            return false;
        }
    }
    bytes += process.readAll();
    *output += QString::fromUtf8(bytes);
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// The tool's own first diagnostic, to say why it refused the module.
QString toolReason(const QString &output)
{
    for (const QString &line : output.split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty())
            return Utils::echo(line.trimmed(), 200);
    }
    return QStringLiteral("no reason given");
}

Outcome readOutput(const QString &output, const QJsonObject &wanted)
{
    static const QRegularExpression checkLine(
            QStringLiteral("^(.+): achieved (\\S+) (\\S+), measured (\\S+) \\S+, error (\\S+) (\\S+): (ok|FAIL)$"));
    static const QRegularExpression
            problemLine(QStringLiteral("(FATAL|assertion failure|no clock edges|error|did not finish)"),
                        QRegularExpression::CaseInsensitiveOption);
    Outcome outcome;
    for (QString line : output.split(QLatin1Char('\n'))) {
        line = line.trimmed();
        const QRegularExpressionMatch match = checkLine.match(line);
        if (match.hasMatch()) {
            Row row;
            row.name = match.captured(1);
            row.wanted = wanted.contains(row.name) ? wanted.value(row.name) : QJsonValue(QJsonValue::Null);
            row.achieved = match.captured(2).toDouble();
            row.unit = match.captured(3);
            row.measured = match.captured(4).toDouble();
            row.error = match.captured(5).toDouble();
            row.errorUnit = match.captured(6);
            row.ok = match.captured(7) == QLatin1String("ok");
            outcome.rows << row;
        } else if (line.startsWith(QLatin1String("PASS"))) {
            outcome.pass = true;
        } else if (problemLine.match(line).hasMatch()) {
            outcome.problems << line;
        }
    }
    // A model that stopped the run, or a bench that never printed its verdict, is a failure.
    outcome.pass = outcome.pass && outcome.problems.isEmpty();
    if (!outcome.pass && outcome.problems.isEmpty() && !output.contains(QLatin1String("FAIL")))
        outcome.problems << QStringLiteral("the testbench ended without a verdict");
    return outcome;
}

void printTable(const Outcome &outcome, const Files &files)
{
    const QString where = files.fresh ? QStringLiteral(" (generated for this run)") : QString();
    // A path with a line break in it stays on its line.
    out() << "module:  " << Utils::echo(files.module, 4096) << where << '\n'
          << "bench:   " << Utils::echo(files.bench, 4096) << where << '\n';
    // A switching block's rows name their profile too.
    int width = 14;
    for (const Row &row : outcome.rows)
        width = std::max(width, int(row.name.size()));
    out() << QStringLiteral("%1 %2 %3 %4 %5\n")
                     .arg(QStringLiteral("output"), -width)
                     .arg(QStringLiteral("wanted"), 12)
                     .arg(QStringLiteral("achieved"), 14)
                     .arg(QStringLiteral("measured"), 14)
                     .arg(QStringLiteral("error"), 14);
    for (const Row &row : outcome.rows) {
        const QString wanted = row.wanted.isNull() ? QStringLiteral("-")
                                                   : QString::number(row.wanted.toDouble(), 'f', 3);
        out() << QStringLiteral("%1 %2 %3 %4 %5 %6\n")
                         .arg(row.name, -width)
                         .arg(wanted, 12)
                         .arg(QString::number(row.achieved, 'f', 6) + QLatin1Char(' ') + row.unit, 14)
                         .arg(QString::number(row.measured, 'f', 6) + QLatin1Char(' ') + row.unit, 14)
                         .arg(QString::number(row.error, 'f', 2) + QLatin1Char(' ') + row.errorUnit, 14)
                         .arg(row.ok ? QStringLiteral("ok") : QStringLiteral("FAIL"));
    }
    QStringList failed;
    for (const Row &row : outcome.rows) {
        if (!row.ok)
            failed << row.name;
    }
    failed.removeDuplicates(); // a profile visited twice fails twice
    out() << (outcome.pass ? QStringLiteral("PASS") : QStringLiteral("FAIL"))
          << (failed.isEmpty() ? QString() : QStringLiteral(": ") + failed.join(QStringLiteral(", "))) << '\n';
}

void printJson(const Outcome &outcome, const Files &files, const QString &simulator)
{
    QJsonArray rows;
    for (const Row &row : outcome.rows) {
        rows.append(QJsonObject{{QStringLiteral("name"), row.name},
                                {QStringLiteral("wanted_mhz"), row.wanted},
                                {QStringLiteral("achieved"), row.achieved},
                                {QStringLiteral("measured"), row.measured},
                                {QStringLiteral("unit"), row.unit},
                                {QStringLiteral("error"), row.error},
                                {QStringLiteral("error_unit"), row.errorUnit},
                                {QStringLiteral("ok"), row.ok}});
    }
    HostCommandLine::printJson(
            {{QStringLiteral("schema"), QStringLiteral("mirel.sim/1")},
             {QStringLiteral("ok"), outcome.pass},
             {QStringLiteral("result"), outcome.pass ? QStringLiteral("PASS") : QStringLiteral("FAIL")},
             {QStringLiteral("simulator"), simulator},
             {QStringLiteral("module"), files.name},
             {QStringLiteral("module_file"), files.module},
             {QStringLiteral("bench_file"), files.bench},
             {QStringLiteral("generated"), files.fresh},
             {QStringLiteral("checks"), rows},
             {QStringLiteral("problems"), QJsonArray::fromStringList(outcome.problems)}});
}

// Copies a file the simulators read into the temporary folder under a plain name.
std::optional<QString> copyIn(const QString &from, const QString &to)
{
    QByteArray bytes;
    QString problem;
    if (!FileIO::readInput(from, &bytes, &problem, 16 << 20))
        return problem;
    QFile file(to);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        return QStringLiteral("cannot copy '%1' into a temporary folder: %2").arg(Utils::echo(from), file.errorString());
    return std::nullopt;
}

// The command up to the signal that may end it, so that its temporary folder is gone when that comes.
int simulate(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("FILE.ipc"),
                                 QStringLiteral("Configuration whose module is simulated."));
    parser.addOption(jsonOption(QStringLiteral("mirel.sim/1")));
    parser.addOption({QStringLiteral("switch"),
                      QStringLiteral("Simulate the switching block beside FILE.ipc (mirel-host switch writes it) with "
                                     "the module: every profile and back.")});
    parser.addOption({QStringLiteral("model-dir"),
                      QStringLiteral("Folder holding the primitive's models mirel.v and mirel.vhd "
                                     "(default: ../share/mirel/hdl beside the program)."),
                      QStringLiteral("DIR")});
    if (auto status
        = parse(parser, arguments,
                QStringLiteral("Simulates a MIREL module with its self-checking testbench: the files beside\n"
                               "FILE.ipc when they are there, else a fresh copy generated into a temporary folder.\n"
                               "The HDL beside FILE.ipc is run as it is, and a simulator lets it do what any\n"
                               "program may (read and write files): simulate only modules you trust.\n"
                               "Each tool is stopped after %1 s, or when it prints more than %2 bytes.")
                        .arg(StepLimitMs / 1000)
                        .arg(OutputLimit),
                QStringLiteral("Exit status: 0 PASS, 1 FAIL or refused, 2 usage error or no simulator.")))
        return *status;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        return fail(UsageError, QStringLiteral("sim needs exactly one configuration file"));
    const QString given = positional.first();
    const QString ipc = QFileInfo(given).absoluteFilePath();
    if (auto status = checkConfigFile(given))
        return *status;

    // The module and bench beside the configuration may carry another name than it, but
    // only one that open would write: never a path out of the folder.
    const QString folder = QFileInfo(ipc).absolutePath(), stem = QFileInfo(ipc).completeBaseName();
    const QString file = QSettings(ipc, QSettings::IniFormat).value(QStringLiteral("file"), stem).toString();
    FileIO::ModuleLock reading;
    if (file != stem) {
        if (const QString problem = FileIO::fileNameProblem(file); !problem.isEmpty())
            return fail(Refused, problem);
        if (auto status = settleModule(folder, stem))
            return *status;
    }
    // Runs writing the module wait until it is copied, so that it is one run's.
    if (auto status = settleModule(folder, file, &reading))
        return *status;

    // Made where it is first needed: a run refused before it copies anything makes none.
    std::optional<QTemporaryDir> work;
    const auto makeWork = [&work]() -> std::optional<int> {
        if (!work)
            work.emplace();
        if (!work->isValid())
            return fail(Refused, QStringLiteral("cannot make a temporary folder: %1").arg(work->errorString()));
        return std::nullopt;
    };
    const bool switching = parser.isSet(QStringLiteral("switch"));
    std::optional<Files> files = switching ? switchFilesBeside(ipc) : filesBeside(ipc);
    if (!files && switching)
        return fail(Refused, QStringLiteral("no switching block and module beside '%1'; 'mirel-host switch "
                                            "PROFILES.json FILE.ipc' writes the block")
                                     .arg(Utils::echo(given)));
    // Generating needs the plug-in's dialog, and so widgets: the caller runs the command again
    // under a widget application. Nothing is printed or kept before this point.
    if (!files && !QCoreApplication::instance()->inherits("QApplication"))
        return NeedsWidgets;
    if (!files) {
        // Generate a fresh copy from a copy of the configuration, so nothing beside it changes.
        if (auto status = makeWork())
            return *status;
        const QString copy = work->filePath(QFileInfo(ipc).fileName());
        if (!QFile::copy(ipc, copy))
            return fail(Refused, QStringLiteral("cannot copy '%1' into a temporary folder").arg(Utils::echo(given)));
        PluginHost host;
        if (auto status = loadCore(parser, host))
            return *status;
        QVariantMap cfgs;
        QStringList messages;
        const bool ok = host.core()->openModuleBatch(copy, QString(), cfgs, messages);
        // The lines name the file the user gave, not the copy.
        for (const QString &line : messages)
            fail(Refused, QString(line).replace(copy, Utils::echo(given)));
        if (!ok || !(files = filesBeside(copy)))
            return messages.isEmpty()
                           ? fail(Refused,
                                  QStringLiteral("'%1' does not generate a module to simulate").arg(Utils::echo(given)))
                           : int(Refused);
        files->fresh = true;
    }

    const QString extension = files->vhdl ? QStringLiteral(".vhd") : QStringLiteral(".v");
    const QString model = modelDir(parser) + QStringLiteral("/mirel") + extension;
    if (!QFileInfo(model).isFile())
        return fail(UsageError, QStringLiteral("no simulation model '%1'; name its folder with --model-dir")
                                        .arg(Utils::echo(model)));
    const QString simulator = files->vhdl ? QStringLiteral("ghdl") : QStringLiteral("iverilog");
    const QString tool = QStandardPaths::findExecutable(simulator);
    const QString runner = files->vhdl ? tool : QStandardPaths::findExecutable(QStringLiteral("vvp"));
    if (tool.isEmpty() || runner.isEmpty())
        return fail(UsageError,
                    files->vhdl ? QStringLiteral("GHDL (ghdl) is not installed; install the Debian package 'ghdl'")
                                : QStringLiteral("Icarus Verilog (iverilog, vvp) is not installed; "
                                                 "install the Debian package 'iverilog'"));

    // The simulators write the paths they compile into what they build and print, so a
    // quote, line break or tab in the user's path would break the run: they get copies
    // under plain names in the temporary folder.
    if (auto status = makeWork())
        return *status;
    const QString dir = work->path();
    const QString model0 = QStringLiteral("mirel") + extension, module0 = QStringLiteral("module") + extension,
                  bench0 = QStringLiteral("bench") + extension, block0 = QStringLiteral("block") + extension;
    QList<std::pair<QString, QString>> copies{{model, model0}, {files->module, module0}, {files->bench, bench0}};
    QStringList sources{model0, module0, bench0};
    if (switching) {
        copies.append({files->block, block0});
        sources.insert(2, block0);
    }
    for (const auto &[from, to] : copies) {
        if (auto problem = copyIn(from, work->filePath(to)))
            return fail(Refused, *problem);
    }
    reading.release(); // the tools read the copies

    QString output, problem;
    // GHDL keeps its library in the working folder, which the temporary folder is, and
    // elaborates the bench as it runs it.
    const bool built = files->vhdl ? step(tool, QStringList{"-a", "--std=08"} + sources, dir, &output, &problem)
                                   : step(tool, QStringList{"-g2005", "-s", files->top, "-o", "bench.vvp"} + sources,
                                          dir, &output, &problem);
    const QString refusal = QStringLiteral("%1 refused the module '%2': %3").arg(simulator, Utils::echo(files->module));
    if (!built)
        return fail(Refused, problem.isEmpty() ? refusal.arg(toolReason(output)) : problem);
    output.clear();
    const bool ran = step(files->vhdl ? tool : runner,
                          files->vhdl ? QStringList{"--elab-run", "--std=08", files->top}
                                      : QStringList{"-n", "bench.vvp"},
                          dir, &output, &problem);
    if (!problem.isEmpty())
        return fail(Refused, problem);
    Outcome outcome = readOutput(output, wantedFrequencies(ipc));
    // A tool that stopped before the bench printed anything refused the module (GHDL elaborates here).
    if (!ran && outcome.rows.isEmpty() && !outcome.pass)
        return fail(Refused, refusal.arg(toolReason(output)));

    for (const QString &line : outcome.problems)
        QTextStream(stderr) << "ERROR: " << Utils::echo(line, 200) << '\n';
    if (parser.isSet(QStringLiteral("json")))
        printJson(outcome, *files, simulator);
    else
        printTable(outcome, *files);
    out().flush();
    return outcome.pass ? Done : Refused;
}

} // namespace

int run(const QStringList &arguments)
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, noteSignal);
    const int status = simulate(arguments);
    if (endingSignal) {
        std::signal(endingSignal, SIG_DFL);
        std::raise(endingSignal);
    }
    return status;
}

} // namespace SimCommand
