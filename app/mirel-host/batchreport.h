// SPDX-License-Identifier: MIT
#pragma once

#include <QJsonObject>
#include <QStringList>
#include <QVariantMap>

// What one batch creation or regeneration did, taken right after the core's call.
struct BatchOutcome
{
    bool ok = false;
    QString source; // where the options came from; empty for a configuration file
    QString device;
    QVariantMap cfgs; // the options as the core handed them back
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
// for a refused item of several the line naming it.
void printMessages(const BatchOutcome &outcome);

// Message lines on standard error ("ERROR: " added where the host gave none),
// the argument list when asked and "written:" lines on standard output.
void printText(const BatchOutcome &outcome, bool showArgs);

// ok, source, device, module, files, args, dividers (IDIV, FBDIV, ODIV, SDIV),
// PFD, VCO, outputs (name, wanted, achieved, errorPpm) and messages; null where
// there is no value.
QJsonObject toJson(const BatchOutcome &outcome);

} // namespace BatchReport
