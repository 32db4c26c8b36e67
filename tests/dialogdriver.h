// SPDX-License-Identifier: MIT
#pragma once

// Drives a dialog the way a user would: "objectName=value" steps set check
// states, items and spin boxes through the widgets, so the dialog's slots and rules run.
#include <QAbstractButton>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QSpinBox>
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
        else if (auto *spin = qobject_cast<QSpinBox *>(widget))
            spin->setValue(value.toInt());
        else if (auto *real = qobject_cast<QDoubleSpinBox *>(widget))
            real->setValue(value.toDouble());
        else
            return QStringLiteral("cannot drive '%1'").arg(step);
    }
    return QString();
}

// The state a user sees: a button's check state, a spin box's value or a combo
// box's current text ("" when none is current), as text.
inline QString controlState(QWidget *dialog, const QString &name)
{
    QWidget *widget = dialog->findChild<QWidget *>(name);
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return button->isChecked() ? QStringLiteral("true") : QStringLiteral("false");
    if (auto *combo = qobject_cast<QComboBox *>(widget))
        return combo->currentText();
    if (auto *spin = qobject_cast<QSpinBox *>(widget))
        return QString::number(spin->value());
    if (auto *real = qobject_cast<QDoubleSpinBox *>(widget))
        return QString::number(real->value());
    return QStringLiteral("<no control %1>").arg(name);
}
