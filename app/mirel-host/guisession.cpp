// SPDX-License-Identifier: MIT
#include "guisession.h"

#include "commandline.h"
#include "dialogcommands.h"

#include <editormanager.h>
#include <modulegenerator.h>

#include <QApplication>
#include <QTextStream>

namespace GuiSession {

int run(const QStringList &arguments)
{
    Core::EditorManager::setViewersEnabled(true);
    const int status = DialogCommands::gui(arguments);
    const QStringList project = IPCore::projectFiles();
    if (!project.isEmpty()) {
        QTextStream &out = HostCommandLine::out();
        out << "project files:\n";
        for (const QString &file : project)
            out << "  " << file << '\n';
        out.flush();
    }
    // The viewers stay until the user closes the last of them.
    if (status == HostCommandLine::Done && Core::EditorManager::openViewerCount() > 0)
        QApplication::exec();
    return status;
}

} // namespace GuiSession
