// SPDX-License-Identifier: MIT
#include "pagefit.h"

#include <QCoreApplication>
#include <QEvent>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace ModMirel {

PageFit::PageFit(QWidget *page, QScrollArea *area)
    : QObject(page)
    , area(area)
{
    page->installEventFilter(this);
}

bool PageFit::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Show || done || !area->widget())
        return QObject::eventFilter(watched, event);
    done = true;
    QWidget *window = area->window();
    // Nested layouts settle through posted requests.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    int height = window->height() + area->widget()->sizeHint().height() - area->viewport()->height();
    if (const QScreen *screen = window->screen()) {
        // The title bar is not part of the height yet while the window is still hidden.
        const int frame = std::max(window->frameGeometry().height() - window->geometry().height(),
                                   window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window));
        height = std::min(height, screen->availableGeometry().height() - frame);
    }
    window->resize(window->width(), std::max(height, window->minimumSizeHint().height()));
    return QObject::eventFilter(watched, event);
}

} // namespace ModMirel
