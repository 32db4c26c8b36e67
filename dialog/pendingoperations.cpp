// SPDX-License-Identifier: MIT
// Operations whose flows are not built yet. Each refuses plainly rather than
// pretending to succeed.
#include "mireldialog.h"

#include "ui_pllconfig.h"

#include <QMessageBox>

namespace ModMirel {

void Mirel_Dialog::accept()
{
    QMessageBox box(QMessageBox::Information, tr("Warning"),
                    tr("Module generation is not available in this build."), QMessageBox::Ok, this);
    box.setWindowIcon(QIcon(QStringLiteral("://image/module.png")));
    box.exec();
}

bool Mirel_Dialog::accept(QStringList &messagelist)
{
    messagelist << QStringLiteral("ERROR: Batch generation is not available in this build.");
    return false;
}

} // namespace ModMirel
