// SPDX-License-Identifier: MIT
#pragma once

#include <QList>

class QWidget;

namespace IPCore {

// The controls of a laid-out page that Tab should visit, in the order a reader
// takes them: the page's columns left to right, each from the top, and the
// controls of one line from the left. A compound control (spin box, combo box)
// counts once; a hidden control keeps its place after the one before it.
QList<QWidget *> readingOrder(QWidget *page);

} // namespace IPCore
