// SPDX-License-Identifier: MIT
#include "boxes.h"

#include <QIcon>
#include <QMessageBox>
#include <QPixmap>

namespace ModMirel::Boxes {

namespace {

void show(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text, const QString &pixmap = {})
{
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.setWindowIcon(QIcon(QStringLiteral("://image/module.png")));
    if (!pixmap.isEmpty())
        box.setIconPixmap(QPixmap(pixmap));
    box.exec();
}

} // namespace

void warning(QWidget *parent, const QString &text)
{
    show(parent, QMessageBox::Warning, QStringLiteral("Warning"), text);
}

void error(QWidget *parent, const QString &text)
{
    show(parent, QMessageBox::NoIcon, QStringLiteral("Error"), text, QStringLiteral("://image/exclamation.png"));
}

} // namespace ModMirel::Boxes
