// SPDX-License-Identifier: MIT
#pragma once

#include <QJsonValue>
#include <QStringList>
#include <QVariantMap>

// What the host checks in a script's option map before the core sees it, using
// the core's own description of its options (options()): every key must be
// known, and JSON numbers keep their exact value (the core checks the values).
namespace OptionCheck {

// The known key closest to `key` (case ignored, a swap of two neighbours counts
// as one edit), or an empty text when `known` is empty.
QString nearest(const QString &key, const QStringList &known);

// One "ERROR: unknown option …" line per key of `cfgs` that `options` lacks.
QStringList unknownKeys(const QVariantMap &cfgs, const QVariantMap &options);

// A JSON value as the option described by `option` takes it: flags as
// "true"/"false", a number for an item list as the item of the same numeric
// value, other numbers unrounded. An unknown key (empty `option`) keeps text.
QVariant fromJson(const QJsonValue &value, const QVariantMap &option);

} // namespace OptionCheck
