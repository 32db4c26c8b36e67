// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantMap>

namespace IPCore {

// A batch option map from a JSON object. The values travel as text, whatever
// type the JSON gave them; false with one line in problem when the text is not
// such an object. `source` names the input in that line.
bool parseBatchOptions(const QByteArray &json, const QString &source, QVariantMap *cfgs, QString *problem);

// The same for a file, which must be a regular file within the input limit.
bool readBatchOptions(const QString &path, QVariantMap *cfgs, QString *problem);

} // namespace IPCore
