// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class QScrollArea;

namespace ModMirel {

// Makes the page's window as tall as the page needs, up to the screen's available
// height, when it is first shown: the page then scrolls only where the screen is
// too small. It acts on the page's own show, which comes before its window's, so
// the frame's width fitting sees the height already settled.
class PageFit : public QObject
{
public:
    // Owned by page; area is the page's scroll area.
    PageFit(QWidget *page, QScrollArea *area);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QScrollArea *area;
    bool done = false;
};

} // namespace ModMirel
