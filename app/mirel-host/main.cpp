// SPDX-License-Identifier: MIT
// mirel-host: a small IP-core generator host that loads the MIREL plug-in as
// the design environment does and offers its dialog and queries on the command line.
#include "commandline.h"
#include "hostcommands.h"
#include "optioncheck.h"
#include "simcommand.h"
#include "widgetcommand.h"

#include <echo.h>

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

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

// Set once the widget library is loaded.
static bool widgetsLoaded = false;

// For a command without widgets, which has written and flushed all it writes: the
// libraries' static destructors would only free memory the kernel takes back, and
// touching their code costs a short command more than some of its own work.
[[noreturn]] static void endWithoutDestructors(int status)
{
#if defined(__SANITIZE_ADDRESS__)
    // The leak check would have run at exit.
    __lsan_do_leak_check();
#endif
    std::_Exit(status);
}

int main(int argc, char *argv[])
{
    holdStandardStreams();
    const int status = finishOutput(runCommand(argc, argv));
    if (widgetsLoaded)
        return status;
    endWithoutDestructors(status);
}

// Set when main() chose the plain event loop; unset once the application exists.
static bool noGlibHere = false;

void WidgetCommand::applicationMade()
{
    QCoreApplication::setApplicationName(QStringLiteral("mirel-host"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MIREL_VERSION));
    if (noGlibHere)
        qunsetenv("QT_NO_GLIB");
}

static int runCoreCommand();

// The commands that show nothing and build no widget run under a QCoreApplication,
// without loading the widget libraries: a fraction of what a QApplication costs to start.
static int runWithoutWidgets(int argc, char *argv[])
{
    // Left to the kernel at the end, as the libraries' statics are (endWithoutDestructors);
    // deleted only for a widget command that follows, which builds its own application.
    auto *app = new QCoreApplication(argc, argv);
    WidgetCommand::applicationMade();
    const int status = runCoreCommand();
    if (status == SimCommand::NeedsWidgets)
        delete app;
    return status;
}

static int runCoreCommand()
{
    const QStringList args = QCoreApplication::arguments();
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
    const QStringList commandArgs = WidgetCommand::commandArguments(args);
    if (command == QLatin1String("info"))
        return HostCommands::info(commandArgs);
    if (command == QLatin1String("devices"))
        return HostCommands::devices(commandArgs);
    if (command == QLatin1String("keys"))
        return HostCommands::keys(commandArgs);
    if (command == QLatin1String("sim"))
        return SimCommand::run(commandArgs);
    const QString guess = OptionCheck::nearest(command, {"info", "devices", "gui", "create", "open", "keys", "sim",
                                                         "screenshot", "switch"});
    QTextStream(stderr) << "ERROR: unknown command '" << Utils::echo(command) << "'"
                        << (guess.isEmpty() ? QString() : QStringLiteral(" (did you mean '%1'?)").arg(guess))
                        << "; see mirel-host --help\n";
    return HostCommandLine::UsageError;
}

QStringList WidgetCommand::commandArguments(const QStringList &args)
{
    return QStringList{args.first() + QLatin1Char(' ') + args.value(1)} + args.mid(2);
}

// The commands that build widgets live in a library of their own, loaded only for them.
// The widget library sits beside the host libraries the program links. A sanitizer
// runtime wraps dlopen, which then searches its own run path rather than the
// program's, so the library is named by the folder its neighbour was loaded from.
static QByteArray widgetLibraryPath()
{
    char origin[4096] = {};
    void *neighbour = dlopen("libUtils.so", RTLD_LAZY | RTLD_NOLOAD);
    const bool found = neighbour && dlinfo(neighbour, RTLD_DI_ORIGIN, origin) == 0 && origin[0];
    if (neighbour)
        dlclose(neighbour);
    return found ? QByteArray(origin) + '/' + WidgetCommand::LibraryName : QByteArray(WidgetCommand::LibraryName);
}

static int runWithWidgets(int argc, char *argv[])
{
    widgetsLoaded = true;
    void *library = dlopen(widgetLibraryPath().constData(), RTLD_NOW | RTLD_LOCAL);
    const auto run = library ? reinterpret_cast<decltype(&mirelHostWidgetCommand)>(
                             dlsym(library, WidgetCommand::EntryName))
                             : nullptr;
    if (!run) {
        std::fprintf(stderr, "ERROR: cannot load %s: %s\n", WidgetCommand::LibraryName, dlerror());
        return HostCommandLine::Refused;
    }
    return run(argc, argv);
}

static int runCommand(int argc, char *argv[])
{
    // Past a file-size limit a write then fails with its own line instead of
    // the signal ending the program silently.
    std::signal(SIGXFSZ, SIG_IGN);

    const QByteArray command = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    // A batch run processes no events, and glib's event loop wakes itself with a system
    // call for every event posted, hundreds per dialog; the plain one does not. The
    // tools sim runs do not inherit the choice.
    noGlibHere = command != "gui" && !qEnvironmentVariableIsSet("QT_NO_GLIB");
    if (noGlibHere)
        qputenv("QT_NO_GLIB", "1");
    const int status = WidgetCommand::isOne(command) ? runWithWidgets(argc, argv) : runWithoutWidgets(argc, argv);
    if (status != SimCommand::NeedsWidgets)
        return status;
    if (noGlibHere)
        qputenv("QT_NO_GLIB", "1");
    return runWithWidgets(argc, argv);
}
