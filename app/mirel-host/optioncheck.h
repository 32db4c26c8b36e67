// SPDX-License-Identifier: MIT
#pragma once

#include <QJsonValue>
#include <QStringList>
#include <QVariantMap>

// What the host checks in a script's option map before the core sees it, using
// the core's own description of its options (options()): every key must be
// known, and JSON numbers keep their exact value (the core checks the values).
namespace OptionCheck {

// The known name closest to `key` (case ignored, a swap of two neighbours counts
// as one edit), or an empty text when none is within a third of its letters.
QString nearest(const QString &key, const QStringList &known);

// One "ERROR: unknown option …" line per key of `cfgs` that `options` lacks.
QStringList unknownKeys(const QVariantMap &cfgs, const QVariantMap &options);

// A JSON value as the option described by `option` takes it: flags as
// "true"/"false", a number for an item list as the item of the same numeric
// value, other numbers unrounded. An unknown key (empty `option`) keeps text.
QVariant fromJson(const QJsonValue &value, const QVariantMap &option);

// A typed value (KEY=VALUE, or a JSON text) as the option takes it: for an item
// list, a number that is no item's text picks the item of the same value
// ("2" the tolerance "2.0", "90.0" the phase "90"); anything else stays as typed.
QVariant fromText(const QString &text, const QVariantMap &option);

} // namespace OptionCheck
