// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QPointer>

class QAbstractSpinBox;
class QLabel;
class QWidget;

namespace ModMirel {

// Keeps the page's value controls from changing behind the designer's back.
// The wheel moves a spin box or a list only while it has focus; otherwise the
// page scrolls. A spin box takes a typed entry only when it is whole and legal:
// anything else stays visible, marked, and explained in the status line with the
// legal values, and leaving the field brings back the last legal value.
class EntryGuard : public QObject
{
    Q_OBJECT
public:
    EntryGuard(QWidget *page, QLabel *status);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void check(QAbstractSpinBox *spin);
    void finished(QAbstractSpinBox *spin);

    QLabel *status;
    QPointer<QAbstractSpinBox> refused; // the field the status line speaks of
    QString refusedText;
};

} // namespace ModMirel
