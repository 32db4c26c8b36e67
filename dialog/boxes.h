// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QWidget;

namespace ModMirel::Boxes {

// Modal boxes parented to the dialog, with the core's window icon.
void warning(QWidget *parent, const QString &text);
// A refused configuration file: titled "Error", with the exclamation image.
void error(QWidget *parent, const QString &text);

} // namespace ModMirel::Boxes
