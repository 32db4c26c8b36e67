// SPDX-License-Identifier: MIT
// mirel-host: a small IP-core generator host that loads the MIREL plug-in as
// the design environment does and offers its dialog and queries on the command line.
#include "batchcommands.h"
#include "commandline.h"
#include "guisession.h"
#include "hostcommands.h"
#include "optioncheck.h"
#include "simcommand.h"
#include "switchcommand.h"

#include <echo.h>

#include <QApplication>
#include <QTextStream>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>

static const char usage[]
        = "Usage: mirel-host COMMAND [options]\n"
          "\n"
          "Commands:\n"
          "  info                      the IP core's id, name, version, category, summary and devices\n"
          "  devices                   the device table with each device's PLL limits\n"
          "  gui [FILE.ipc]            open the configuration dialog (new module, or re-open FILE.ipc)\n"
          "  screenshot OUT.png        render the dialog to a PNG without a display\n"
          "  create [KEY=VALUE ...]    create modules from batch options, as a script does\n"
          "  open FILE.ipc             generate a module again from its configuration file\n"
          "  keys                      the batch options of create: kind, default, legal values\n"
          "  sim FILE.ipc              simulate the module with its self-checking testbench\n"
          "  switch PROFILES.json FILE.ipc\n"
          "                            write the block that switches the module between profiles\n"
          "\n"
          "Options:\n"
          "  -h, --help                this list\n"
          "  --version                 the program's name and version\n"
          "\n"
          "Run 'mirel-host COMMAND --help' for the options of a command.\n"
          "\n"
          "Exit status: 0 done, 1 refused, 2 usage error (sim: 0 PASS, 1 FAIL or refused,\n"
          "2 usage error or no simulator).\n";

// Offscreen rendering makes Qt chatter about things that do not matter without a
// display; keep standard error for our own lines. What remains, such as the search's
// diagnostic on the debug output, is a line like every other: with its prefix.
static void quietOffscreenMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR"))
        || message.contains(QLatin1String("does not support propagateSizeHints")))
        return;
    const bool error = type == QtCriticalMsg || type == QtFatalMsg;
    std::fputs(qPrintable((error ? QStringLiteral("ERROR: ") : QStringLiteral("WARNING: "))
                          + qFormatLogMessage(type, context, message) + QLatin1Char('\n')),
               stderr);
}

// A closed standard stream would hand its number to the next file opened, and results
// meant for the terminal would land in a module file. Held by /dev/null opened for
// reading, a write to it fails and is reported as any failed write is.
static void holdStandardStreams()
{
    // open() takes the lowest free number, which is the one closed.
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) < 0 && errno == EBADF)
            ::open("/dev/null", O_RDONLY);
    }
}

// Every command's results reach standard output through out() or stdio; this is where
// it shows whether they arrived. A lost result is a failure, as for cat or printf.
static int finishOutput(int status)
{
    HostCommandLine::out().flush();
    bool failed = HostCommandLine::out().status() != QTextStream::Ok;
    int error = failed ? errno : 0;
    if (std::fflush(stdout) != 0) {
        failed = true;
        error = errno;
    }
    if (!failed && !std::ferror(stdout))
        return status;
    std::fprintf(stderr, "ERROR: cannot write the results to standard output%s%s\n", error ? ": " : "",
                 error ? std::strerror(error) : "");
    return HostCommandLine::Refused;
}

static int runCommand(int argc, char *argv[]);

int main(int argc, char *argv[])
{
    holdStandardStreams();
    return finishOutput(runCommand(argc, argv));
}

static int runCommand(int argc, char *argv[])
{
    // Past a file-size limit a write then fails with its own line instead of
    // the signal ending the program silently.
    std::signal(SIGXFSZ, SIG_IGN);

    // Commands other than gui never need a display. Without one, gui still
    // answers --help and usage errors, and then says that it needs one.
    const bool wantsDisplay = argc > 1 && qstrcmp(argv[1], "gui") == 0;
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    const bool noDisplay = (platform.isEmpty() || platform.startsWith("xcb")) && qEnvironmentVariableIsEmpty("DISPLAY")
                           && (platform.startsWith("xcb") || qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"));
    if (wantsDisplay && noDisplay)
        HostCommandLine::setDisplayMissing();
    if (!wantsDisplay || noDisplay)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen")
        qInstallMessageHandler(quietOffscreenMessages);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("mirel-host"));
    QApplication::setApplicationVersion(QStringLiteral(MIREL_VERSION));

    const QStringList args = QApplication::arguments();
    const QString command = args.value(1);
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        std::fputs(usage, stdout);
        return HostCommandLine::Done;
    }
    if (command == QLatin1String("--version")) {
        std::fputs("mirel-host " MIREL_VERSION "\n", stdout);
        return HostCommandLine::Done;
    }
    if (command.isEmpty()) {
        std::fputs(usage, stderr);
        return HostCommandLine::UsageError;
    }
    const QStringList commandArgs = QStringList{args.first() + QLatin1Char(' ') + command} + args.mid(2);
    if (command == QLatin1String("info"))
        return HostCommands::info(commandArgs);
    if (command == QLatin1String("devices"))
        return HostCommands::devices(commandArgs);
    if (command == QLatin1String("gui"))
        return GuiSession::run(commandArgs);
    if (command == QLatin1String("create"))
        return BatchCommands::create(commandArgs);
    if (command == QLatin1String("open"))
        return BatchCommands::open(commandArgs);
    if (command == QLatin1String("keys"))
        return HostCommands::keys(commandArgs);
    if (command == QLatin1String("sim"))
        return SimCommand::run(commandArgs);
    if (command == QLatin1String("switch"))
        return SwitchCommand::run(commandArgs);
    if (command == QLatin1String("screenshot"))
        return HostCommands::screenshot(commandArgs);
    const QString guess = OptionCheck::nearest(command, {"info", "devices", "gui", "create", "open", "keys", "sim",
                                                         "screenshot"});
    QTextStream(stderr) << "ERROR: unknown command '" << Utils::echo(command) << "'"
                        << (guess.isEmpty() ? QString() : QStringLiteral(" (did you mean '%1'?)").arg(guess))
                        << "; see mirel-host --help\n";
    return HostCommandLine::UsageError;
}
