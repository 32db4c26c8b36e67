// SPDX-License-Identifier: MIT
#include "readingorder.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QScrollArea>

#include <algorithm>
#include <tuple>

namespace IPCore {

QList<QWidget *> readingOrder(QWidget *page)
{
    const auto *area = qobject_cast<QScrollArea *>(page) ? qobject_cast<QScrollArea *>(page)
                                                         : page->findChild<QScrollArea *>();
    QWidget *content = area && area->widget() ? area->widget() : page;
    // The page's controls as its own chain has them; parts of a compound control stay inside it.
    QList<QWidget *> controls;
    for (QWidget *w = page->nextInFocusChain(); w != page; w = w->nextInFocusChain()) {
        QWidget *owner = w->parentWidget();
        while (owner && owner != page && !qobject_cast<QAbstractSpinBox *>(owner) && !qobject_cast<QComboBox *>(owner))
            owner = owner->parentWidget();
        if (page->isAncestorOf(w) && owner == page && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy()
            && !controls.contains(w))
            controls << w;
    }
    // Columns are the page's top-level parts whose spans overlap side by side; each
    // column reads top to bottom, then left to right within a line.
    const auto topOf = [content](QWidget *w) {
        while (w->parentWidget() != content)
            w = w->parentWidget();
        return w;
    };
    QList<QPair<int, int>> spans;
    for (QWidget *w : qAsConst(controls)) {
        if (content->isAncestorOf(w))
            spans << qMakePair(topOf(w)->x(), topOf(w)->x() + topOf(w)->width());
    }
    std::sort(spans.begin(), spans.end());
    QList<int> columnStarts;
    int reach = -1;
    for (const auto &span : qAsConst(spans)) {
        if (span.first >= reach)
            columnStarts << span.first;
        reach = std::max(reach, span.second);
    }
    // Widgets whose middles lie within a few pixels share a line, whatever their heights.
    struct Key
    {
        int column, line, x;
    };
    QList<QPair<Key, QWidget *>> keyed;
    Key last{0, 0, 0};
    for (QWidget *w : qAsConst(controls)) {
        // What frames the page, such as its scroll area, comes before what it holds; a
        // hidden control keeps its place after the one before it.
        if (!content->isAncestorOf(w)) {
            keyed << qMakePair(Key{-1, 0, 0}, w);
            continue;
        }
        if (w->isVisibleTo(page->window())) {
            const QPoint at = w->mapTo(content, QPoint(0, w->height() / 2));
            const int column = int(std::upper_bound(columnStarts.begin(), columnStarts.end(), topOf(w)->x())
                                   - columnStarts.begin());
            last = Key{column, at.y(), at.x()};
        }
        keyed << qMakePair(last, w);
    }
    const auto byLine = [](const auto &a, const auto &b) {
        return std::tie(a.first.column, a.first.line, a.first.x) < std::tie(b.first.column, b.first.line, b.first.x);
    };
    std::stable_sort(keyed.begin(), keyed.end(), byLine);
    const int sameLine = page->fontMetrics().height() / 3;
    for (int j = 1, start = 0; j < keyed.size(); ++j) {
        if (keyed[j].first.column == keyed[start].first.column
            && keyed[j].first.line - keyed[start].first.line <= sameLine)
            keyed[j].first.line = keyed[start].first.line;
        else
            start = j;
    }
    std::stable_sort(keyed.begin(), keyed.end(), byLine);
    QList<QWidget *> order;
    for (const auto &entry : qAsConst(keyed))
        order << entry.second;
    return order;
}

} // namespace IPCore
