// SPDX-License-Identifier: MIT
#include "entryguard.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

namespace ModMirel {

namespace {

QString nameOf(const QWidget *control)
{
    return control->accessibleName().isEmpty() ? control->objectName() : control->accessibleName();
}

QString legalValues(const QAbstractSpinBox *spin)
{
    if (const auto *real = qobject_cast<const QDoubleSpinBox *>(spin))
        return QStringLiteral("%1 to %2")
                .arg(real->minimum(), 0, 'f', real->decimals())
                .arg(real->maximum(), 0, 'f', real->decimals());
    const auto *whole = qobject_cast<const QSpinBox *>(spin);
    return whole ? QStringLiteral("%1 to %2").arg(whole->minimum()).arg(whole->maximum()) : QString();
}

// The last legal value as the field shows it.
QString valueText(const QAbstractSpinBox *spin)
{
    if (const auto *real = qobject_cast<const QDoubleSpinBox *>(spin))
        return spin->locale().toString(real->value(), 'f', real->decimals());
    const auto *whole = qobject_cast<const QSpinBox *>(spin);
    return whole ? spin->locale().toString(whole->value()) : QString();
}

bool isNumber(const QAbstractSpinBox *spin, const QString &text)
{
    bool ok = false;
    if (qobject_cast<const QDoubleSpinBox *>(spin))
        spin->locale().toDouble(text.trimmed(), &ok);
    else
        spin->locale().toInt(text.trimmed(), &ok);
    return ok;
}

bool acceptable(const QAbstractSpinBox *spin)
{
    QString text = spin->text();
    int pos = 0;
    return spin->validate(text, pos) == QValidator::Acceptable;
}

} // namespace

EntryGuard::EntryGuard(QWidget *page, QLabel *status)
    : QObject(page)
    , status(status)
{
    for (QComboBox *list : page->findChildren<QComboBox *>()) {
        list->setFocusPolicy(Qt::StrongFocus);
        list->installEventFilter(this);
    }
    for (QAbstractSpinBox *spin : page->findChildren<QAbstractSpinBox *>()) {
        spin->setFocusPolicy(Qt::StrongFocus);
        spin->installEventFilter(this);
        // A value is taken when the entry is finished, never from a half-typed one.
        spin->setKeyboardTracking(false);
        // The field shows every keystroke, so a refused entry is seen as typed;
        // the spin box still takes only what its own validation accepts.
        auto *edit = spin->findChild<QLineEdit *>();
        edit->setValidator(nullptr);
        connect(edit, &QLineEdit::textEdited, this, [this, spin] { check(spin); });
        connect(spin, &QAbstractSpinBox::editingFinished, this, [this, spin] { finished(spin); });
    }
}

bool EntryGuard::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Wheel && !static_cast<QWidget *>(watched)->hasFocus()) {
        // Ignored and filtered: the control keeps its value, the page under it scrolls.
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void EntryGuard::check(QAbstractSpinBox *spin)
{
    if (acceptable(spin)) {
        spin->setStyleSheet(QString());
        if (refused == spin) {
            refused = nullptr;
            status->clear();
        }
        return;
    }
    refused = spin;
    refusedText = spin->text();
    spin->setStyleSheet(QStringLiteral("color:red"));
    const QString why = isNumber(spin, refusedText)
                                ? QStringLiteral("is outside the legal values %1").arg(legalValues(spin))
                                : QStringLiteral("is not a number (legal values %1)").arg(legalValues(spin));
    status->setText(tr("%1: \"%2\" %3 and is not taken; leaving the field keeps %4.")
                            .arg(nameOf(spin), refusedText, why, valueText(spin)));
}

void EntryGuard::finished(QAbstractSpinBox *spin)
{
    spin->setStyleSheet(QString());
    if (refused != spin)
        return;
    refused = nullptr;
    status->setText(tr("%1: \"%2\" was not taken; the field keeps %3.").arg(nameOf(spin), refusedText, spin->text()));
}

} // namespace ModMirel
