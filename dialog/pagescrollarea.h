// SPDX-License-Identifier: MIT
#pragma once

#include <QPointer>
#include <QScrollArea>

namespace ModMirel {

// The page's scroll area. It takes the page's contents at once, but hands them to
// QScrollArea only when it is first shown: fitting the scroll bars to the contents
// measures every control of the page, which a dialog driven in batch, and never
// shown, does not need.
class PageScrollArea : public QScrollArea
{
public:
    explicit PageScrollArea(QWidget *parent = nullptr);

    // Hides QScrollArea::setWidget for the generated form, which calls it on this type.
    void setWidget(QWidget *contents);

protected:
    bool event(QEvent *event) override;

private:
    QPointer<QWidget> pending;
};

} // namespace ModMirel
