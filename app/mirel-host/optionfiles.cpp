// SPDX-License-Identifier: MIT
#include "optionfiles.h"

#include "optioncheck.h"

#include <echo.h>
#include <inputfile.h>
#include <jsonnames.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace OptionFiles {

namespace {

bool toSet(const QJsonValue &value, const QVariantMap &options, const QString &source, OptionSet *set, QString *error)
{
    set->source = source;
    if (!value.isObject()) {
        *error = QStringLiteral("%1 is not a JSON object").arg(source);
        return false;
    }
    const QJsonObject object = value.toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QJsonValue v = it.value();
        if (!v.isString() && !v.isBool() && !v.isDouble()) {
            *error = QStringLiteral("option '%1' in %2 is not a text, number or flag").arg(Utils::echo(it.key()), source);
            return false;
        }
        set->cfgs.insert(it.key(), OptionCheck::fromJson(v, options.value(it.key()).toMap()));
    }
    return true;
}

} // namespace

bool read(const QString &path, const QVariantMap &options, QVector<OptionSet> *sets, QString *error)
{
    // A regular file within the input limit: a FIFO would block, a device never end.
    QByteArray content;
    return FileIO::readInput(path, &content, error) && parse(content, path, options, sets, error);
}

bool parse(const QByteArray &content, const QString &path, const QVariantMap &options, QVector<OptionSet> *sets,
           QString *error)
{
    const QString name = QStringLiteral("'%1'").arg(Utils::echo(path));

    // A name given twice would lose its first value: the file is refused, naming it.
    const auto repeated = [error](const QString &source, const QString &option) {
        *error = QStringLiteral("%1 gives '%2' twice").arg(source, Utils::echo(option));
        return false;
    };
    const FileIO::RepeatedName named = FileIO::repeatedName(content);
    if (!named.name.isNull() && named.single)
        return repeated(named.item ? QStringLiteral("%1 item %2").arg(name).arg(named.item) : name, named.name);
    QJsonParseError parseError;
    const QJsonDocument document = named.name.isNull() ? QJsonDocument::fromJson(content, &parseError)
                                                       : QJsonDocument();
    if (document.isObject()) {
        OptionSet set;
        set.file = path;
        if (!toSet(document.object(), options, name, &set, error))
            return false;
        sets->append(set);
        return true;
    }
    // A refused file adds no set, and a file with none is refused: a script
    // that asked for modules and got none should hear of it.
    QVector<OptionSet> read;
    if (document.isArray()) {
        const QJsonArray array = document.array();
        for (int i = 0; i < array.size(); ++i) {
            OptionSet set;
            set.file = path;
            set.item = i + 1;
            if (!toSet(array.at(i), options, QStringLiteral("%1 item %2").arg(name).arg(i + 1), &set, error))
                return false;
            read.append(set);
        }
    }
    // JSON lines: a document of several objects does not parse as one.
    const QList<QByteArray> lines = document.isArray() ? QList<QByteArray>() : content.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        if (lines.at(i).trimmed().isEmpty())
            continue;
        const QString source = QStringLiteral("%1 line %2").arg(name).arg(i + 1);
        const QString option = FileIO::repeatedName(lines.at(i)).name;
        if (!option.isNull())
            return repeated(source, option);
        const QJsonDocument line = QJsonDocument::fromJson(lines.at(i), &parseError);
        if (!line.isObject()) {
            *error = QStringLiteral("%1 is not a JSON object, an array of objects or JSON lines (%2: %3)")
                             .arg(name, source,
                                  line.isNull() ? parseError.errorString() : QStringLiteral("not an object"));
            return false;
        }
        OptionSet set;
        set.file = path;
        set.line = i + 1;
        if (!toSet(line.object(), options, source, &set, error))
            return false;
        read.append(set);
    }
    if (read.isEmpty()) {
        *error = QStringLiteral("%1 holds no JSON object").arg(name);
        return false;
    }
    *sets += read;
    return true;
}

} // namespace OptionFiles
