// SPDX-License-Identifier: MIT
#pragma once

#include <devicearg.h>

#include <QVariantMap>

#include <functional>

namespace ModMirel {

// The batch options a script may hand to createModuleBatch, described from the
// key table: one map per key with "kind" (text, bool, switch, language, real,
// int, item), "default", "description", and "items" or "minimum"/"maximum".
// A frequency's range depends on the device: "ranges" maps each device that
// `supported` accepts to its {"minimum", "maximum"}.
QVariantMap batchOptions(const std::function<bool(const DEV::DeviceArg &)> &supported);

} // namespace ModMirel
