// SPDX-License-Identifier: MIT
#pragma once

#include <QPointer>
#include <QWidget>

namespace Core {

// Knows the host program's main window, the parent of interactive dialogs.
class ViewManager
{
public:
    static QWidget *dialogParent();
    static void setDialogParent(QWidget *parent);
};

} // namespace Core
