// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantMap>

#include <optional>

namespace IPCore {

// Writes an IP configuration file in the INI form that QSettings reads: the
// information keys at the top level, the configuration in the group "Config";
// bools as "true"/"false", numbers as decimal text. The file is replaced
// atomically and never through a link, so a failed write leaves an earlier file
// as it was; while a module is being written it is committed with the module. A failure is
// also reported on the warning channel; false tells the caller.
bool writeIPConfig(const QString &path, const QVariantMap &info, const QVariantMap &config);

// The text writeIPConfig writes, as QSettings makes it; none, with the problem, when it cannot be
// made or would not read back as these maps (an empty key).
std::optional<QByteArray> ipConfigText(const QVariantMap &info, const QVariantMap &config, QString *problem = nullptr);

} // namespace IPCore
