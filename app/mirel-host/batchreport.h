// SPDX-License-Identifier: MIT
#pragma once

#include <QJsonObject>
#include <QStringList>
#include <QVariantMap>

// What one batch creation or regeneration did, taken right after the core's call.
struct BatchOutcome
{
    bool ok = false;
    QString source;     // where the options came from, as lines name it; empty for one set
    QString sourceFile; // the options or configuration file, or empty
    int sourceItem = 0; // the object's place in an array, or its line in JSON lines, from 1
    int sourceLine = 0;
    QString device;
    QString part;      // the device's part id, or empty where unknown
    QVariantMap given; // the options as the script gave them
    QVariantMap cfgs;  // the options as the core handed them back
    QStringList messages;
    QStringList files; // written, the .ipc first
    QStringList args;  // the generator's argument list; empty when none was built
    QString ipc;       // the configuration file written with the module's files

    // Reads the generator's last run; call right after the core returns.
    static BatchOutcome collect(bool ok, const QString &device, const QVariantMap &cfgs, const QStringList &messages);
    // Once the module's files are committed, or why they were not: the files as written.
    void committed(const QString &problem = QString());
};

namespace BatchReport {

// The message lines on standard error, "ERROR: " added where the host gave none, and
// for an item of several the line naming it: what was not created, or what was
// created with warnings.
void printMessages(const BatchOutcome &outcome);

// Message lines on standard error ("ERROR: " added where the host gave none),
// the argument list when asked and "written:" lines on standard output.
void printText(const BatchOutcome &outcome, bool showArgs);

// The "mirel.module/1" document (schemas/module.schema.json): what was written and
// the generator's reading of it, what was asked and ignored, and for a refused
// General Mode target the closest frequencies the device makes.
QJsonObject toJson(const BatchOutcome &outcome);

} // namespace BatchReport
