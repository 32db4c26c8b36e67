// SPDX-License-Identifier: MIT
#pragma once

#include <devicearg.h>

#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace IPCore {

// Reads an IP description file (a JSON object of "ipcore.*" keys). An unreadable
// or malformed file gives an empty map, which checkCommonInfo rejects.
QVariantMap processIPInfoSpec(const QString &path);

// A description is usable when it names the core's id, name and version.
bool checkCommonInfo(const QVariantMap &info);

// A device is supported unless it matches an entry of the unsupported list; when a
// supported list is given it must also match one of it. Entries match the device name
// or id, case-insensitively, with '*' and '?' as wildcards.
bool isSupported(const DEV::DeviceArg &device, const QStringList &unsupported, const QStringList &supported);

// Options overlaid with settings; with overwrite false, keys already in options win.
QVariantMap mergeVariantMaps(const QVariantMap &options, const QVariantMap &settings, bool overwrite);

} // namespace IPCore
