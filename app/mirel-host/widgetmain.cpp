// SPDX-License-Identifier: MIT
// The entry of mirel-host's widget library: the commands that build the dialog.
#include "batchcommands.h"
#include "commandline.h"
#include "dialogcommands.h"
#include "guisession.h"
#include "simcommand.h"
#include "switchcommand.h"
#include "widgetcommand.h"

#include <QApplication>

#include <cstdio>

namespace {

// Offscreen rendering makes Qt chatter about things that do not matter without a
// display; keep standard error for our own lines. What remains, such as the search's
// diagnostic on the debug output, is a line like every other: with its prefix.
void quietOffscreenMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR"))
        || message.contains(QLatin1String("does not support propagateSizeHints")))
        return;
    const bool error = type == QtCriticalMsg || type == QtFatalMsg;
    std::fputs(qPrintable((error ? QStringLiteral("ERROR: ") : QStringLiteral("WARNING: "))
                          + qFormatLogMessage(type, context, message) + QLatin1Char('\n')),
               stderr);
}

} // namespace

extern "C" Q_DECL_EXPORT int mirelHostWidgetCommand(int argc, char **argv)
{
    // Commands other than gui never need a display. Without one, gui still
    // answers --help and usage errors, and then says that it needs one.
    const bool wantsDisplay = qstrcmp(argv[1], "gui") == 0;
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
    WidgetCommand::applicationMade();
    const QStringList args = QCoreApplication::arguments();
    const QString command = args.value(1);
    const QStringList commandArgs = WidgetCommand::commandArguments(args);
    if (command == QLatin1String("gui"))
        return GuiSession::run(commandArgs);
    if (command == QLatin1String("create"))
        return BatchCommands::create(commandArgs);
    if (command == QLatin1String("open"))
        return BatchCommands::open(commandArgs);
    if (command == QLatin1String("screenshot"))
        return DialogCommands::screenshot(commandArgs);
    if (command == QLatin1String("switch"))
        return SwitchCommand::run(commandArgs);
    return SimCommand::run(commandArgs);
}
