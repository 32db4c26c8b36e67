// SPDX-License-Identifier: MIT
#include "batchoptions.h"

#include <echo.h>
#include <inputfile.h>

#include <QJsonDocument>
#include <QJsonObject>

namespace IPCore {

bool parseBatchOptions(const QByteArray &json, const QString &source, QVariantMap *cfgs, QString *problem)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (!document.isObject()) {
        *problem = QStringLiteral("'%1' is not a JSON object: %2").arg(Utils::echo(source), error.errorString());
        return false;
    }
    const QJsonObject object = document.object();
    QVariantMap result;
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QJsonValue value = it.value();
        if (value.isString()) {
            result.insert(it.key(), value.toString());
        } else if (value.isBool()) {
            result.insert(it.key(), value.toBool() ? QStringLiteral("true") : QStringLiteral("false"));
        } else if (value.isDouble()) {
            result.insert(it.key(), QString::number(value.toDouble()));
        } else {
            *problem = QStringLiteral("option '%1' in '%2' is not a text, number or flag").arg(Utils::echo(it.key()), Utils::echo(source));
            return false;
        }
    }
    for (auto it = result.constBegin(); it != result.constEnd(); ++it)
        cfgs->insert(it.key(), it.value());
    return true;
}

bool readBatchOptions(const QString &path, QVariantMap *cfgs, QString *problem)
{
    QByteArray json;
    return FileIO::readInput(path, &json, problem) && parseBatchOptions(json, path, cfgs, problem);
}

} // namespace IPCore
