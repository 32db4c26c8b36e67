// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>

namespace Core {

// The IDE's editors. The stand-in keeps the order in which files were opened and,
// when the host program has a display, shows each file in a read-only viewer.
class EditorManager
{
public:
    // Opens path; false when the file cannot be read. The flag is the IDE's own and unused here.
    static bool openEditor(const QString &path, bool flag);

    static QStringList openedFiles();
    static void clearOpenedFiles();

    // Viewer windows are opened only when the host program enables them.
    static void setViewersEnabled(bool enabled);
    static int openViewerCount();
};

} // namespace Core
