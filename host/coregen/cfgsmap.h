// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

class QWidget;

namespace IPCore {

enum class Refusal { OutOfRange, NotANumber };

// The refusal line of a batch option; `legal` (may be empty) lists what the
// option takes, e.g. "3.000 to 450.000" or "0.0, 0.2, 0.5, 2.0".
QString refusalLine(const QVariant &value, const QString &key, const QString &ipName, const QString &legal = {},
                    Refusal why = Refusal::OutOfRange);
// What a control can hold, in the form refusalLine shows it.
QString legalValues(const QWidget *control);

// Sets one control from a batch option map: the option under `key` when the map
// holds it, otherwise `defaultValue`. A check box or radio button takes a bool or
// the text "true"/"false"; a spin box a whole number within its range; a double
// spin box a finite number within its range (rounded to its decimals); a combo box
// one of its item texts exactly. A value the control cannot hold is refused, never
// bounded: one "ERROR: " line naming the value, the key, ipName and the legal
// values (or that the value is not a number) goes to messagelist and the result
// is false. A default outside the control's range (a
// device with narrower limits) is bounded by the control, since nobody asked for it.
bool setValueByCfgsMap(const QString &key, const QVariant &defaultValue, QWidget *control, const QVariantMap &cfgs,
                       const QString &ipName, QStringList &messagelist);

// Stores the control's current value under `key`: bool for check boxes and radio
// buttons, int for spin boxes, double for double spin boxes, the current item text
// for combo boxes. Other widgets add nothing.
void insertToCfgsMap(const QString &key, QWidget *control, QVariantMap &map);

} // namespace IPCore
