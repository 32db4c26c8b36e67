// SPDX-License-Identifier: MIT
#pragma once

// Drives a dialog the way a user would: "objectName=value" steps set check
// states and items through the widgets, so the dialog's slots and rules run.
#include <QAbstractButton>
#include <QComboBox>
#include <QStringList>
#include <QWidget>

inline QString driveDialog(QWidget *dialog, const QStringList &steps)
{
    for (const QString &step : steps) {
        const QString name = step.section(QLatin1Char('='), 0, 0);
        const QString value = step.section(QLatin1Char('='), 1);
        QWidget *widget = dialog->findChild<QWidget *>(name);
        if (auto *button = qobject_cast<QAbstractButton *>(widget))
            button->setChecked(value == QLatin1String("true"));
        else if (auto *combo = qobject_cast<QComboBox *>(widget))
            combo->setCurrentText(value);
        else
            return QStringLiteral("cannot drive '%1'").arg(step);
    }
    return QString();
}
