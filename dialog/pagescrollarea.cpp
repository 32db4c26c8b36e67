// SPDX-License-Identifier: MIT
#include "pagescrollarea.h"

#include <QEvent>

namespace ModMirel {

PageScrollArea::PageScrollArea(QWidget *parent)
    : QScrollArea(parent)
{}

void PageScrollArea::setWidget(QWidget *contents)
{
    // Owned, and found among the dialog's children, from here on.
    contents->setParent(viewport());
    pending = contents;
}

bool PageScrollArea::event(QEvent *event)
{
    // Shown before the page and its window, whose first show fits them to the contents.
    if (event->type() == QEvent::Show && pending) {
        QScrollArea::setWidget(pending);
        pending = nullptr;
    }
    return QScrollArea::event(event);
}

} // namespace ModMirel
