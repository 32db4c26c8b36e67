// SPDX-License-Identifier: MIT
#include "viewmanager.h"

namespace Core {

static QPointer<QWidget> &mainWindow()
{
    static QPointer<QWidget> window;
    return window;
}

QWidget *ViewManager::dialogParent()
{
    return mainWindow().data();
}

void ViewManager::setDialogParent(QWidget *parent)
{
    mainWindow() = parent;
}

} // namespace Core
