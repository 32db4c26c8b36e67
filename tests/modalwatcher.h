// SPDX-License-Identifier: MIT
#pragma once

// Observes modal windows while a test runs code that blocks in exec(): every
// message box is recorded and closed through its own button; other modal
// dialogs are recorded by class and rejected when asked to.
#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTimer>

class ModalWatcher : public QObject
{
public:
    struct Box
    {
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        bool hasWindowIcon = false, hasIconPixmap = false;
    };
    enum DialogAction { LeaveDialogs, RejectDialogs };

    explicit ModalWatcher(DialogAction action = LeaveDialogs)
        : m_action(action)
    {
        connect(&m_timer, &QTimer::timeout, this, &ModalWatcher::poll);
        m_timer.start(0);
    }

    QList<Box> boxes;
    QStringList dialogs; // class names of the other modal dialogs seen

    QStringList texts() const
    {
        QStringList list;
        for (const Box &box : boxes)
            list << box.text;
        return list;
    }

private:
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            boxes << Box{box->windowTitle(), box->text(), box->icon(), !box->windowIcon().isNull(),
                         !box->iconPixmap().isNull()};
            if (!box->buttons().isEmpty())
                box->buttons().first()->click();
            else
                box->reject();
        } else if (auto *dialog = qobject_cast<QDialog *>(modal);
                   dialog && m_action == RejectDialogs && dialog->isVisible()) {
            dialogs << QString::fromLatin1(dialog->metaObject()->className());
            dialog->reject();
        }
    }

    QTimer m_timer;
    DialogAction m_action;
};
