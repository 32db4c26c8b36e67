// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantMap>
#include <QVector>

// One module's batch options and where they came from, for the report.
struct OptionSet
{
    QString source; // "'a.json'", "'a.json' item 2", "'a.jsonl' line 3", or empty for the command line
    QString file;   // the options file as given, or empty
    int item = 0;   // the object's place in a JSON array from 1, or 0
    int line = 0;   // its line in JSON lines from 1, or 0
    QVariantMap cfgs;
};

namespace OptionFiles {

// Reads a file of batch options: one JSON object, a JSON array of objects, or
// JSON lines (one object a line, blank lines skipped). Values are converted as
// the core's option descriptions say (OptionCheck::fromJson). False with a
// one-line reason when the file is unreadable or not one of these forms.
bool read(const QString &path, const QVariantMap &options, QVector<OptionSet> *sets, QString *error);

// The same for the file's content; `path` names it in the reason.
bool parse(const QByteArray &content, const QString &path, const QVariantMap &options, QVector<OptionSet> *sets,
           QString *error);

} // namespace OptionFiles
