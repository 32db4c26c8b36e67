// SPDX-License-Identifier: MIT
#include "batchreport.h"

#include "commandline.h"

#include "reportedsettings.h"

#include <modgen.h>
#include <modulegenerator.h>

#include <QFileInfo>
#include <QJsonArray>
#include <QRegularExpression>
#include <QTextStream>

using namespace HostCommandLine;

BatchOutcome BatchOutcome::collect(bool ok, const QString &device, const QVariantMap &cfgs, const QStringList &messages)
{
    BatchOutcome outcome;
    outcome.ok = ok;
    outcome.device = device;
    outcome.cfgs = cfgs;
    outcome.messages = messages;
    outcome.args = IPCore::lastGeneratorArgs();
    const QStringList generated = IPCore::lastGeneratedFiles();
    if (!generated.isEmpty()) {
        // The .ipc file is written beside the module, before it.
        const QFileInfo module(generated.first());
        outcome.ipc = module.absolutePath() + QLatin1Char('/') + module.completeBaseName() + QStringLiteral(".ipc");
    }
    for (const QString &file : generated)
        outcome.files << QFileInfo(file).absoluteFilePath();
    return outcome;
}

void BatchOutcome::committed(const QString &problem)
{
    if (!problem.isEmpty()) {
        ok = false;
        messages << QStringLiteral("ERROR: ") + problem;
        files.clear();
    } else if (!ipc.isEmpty() && QFileInfo::exists(ipc)) {
        files.prepend(ipc);
    }
}

namespace BatchReport {

namespace {

QJsonValue orNull(double value, bool present = true)
{
    return present ? QJsonValue(value) : QJsonValue();
}

QJsonValue ppm(const QJsonValue &achieved, const QJsonValue &wanted)
{
    if (!achieved.isDouble() || !wanted.isDouble() || wanted.toDouble() == 0.0)
        return QJsonValue();
    return (achieved.toDouble() - wanted.toDouble()) / wanted.toDouble() * 1e6;
}

QJsonObject output(const QString &name, const QJsonValue &wanted, const QJsonValue &achieved,
                   const QJsonValue &rejected = QJsonValue())
{
    return {{QStringLiteral("name"), name},
            {QStringLiteral("wanted_mhz"), wanted},
            {QStringLiteral("achieved_mhz"), achieved},
            {QStringLiteral("error_ppm"), ppm(achieved, wanted)},
            {QStringLiteral("rejected_mhz"), rejected}};
}

// The core's lines are the one thing it hands back about a refusal; these read the
// ones that name an option without effect and the frequencies a target could have.
QJsonArray ignoredOptions(const QStringList &messages)
{
    static const QRegularExpression line(QStringLiteral(
            "^(?:WARNING|ERROR): Option '([A-Z0-9_]+)' for IP '.*' has no effect while ([A-Z0-9_]+)=(true|false)\\.$"));
    QJsonArray ignored;
    for (const QString &message : messages) {
        const QRegularExpressionMatch m = line.match(message);
        if (m.hasMatch())
            ignored.append(QJsonObject{{QStringLiteral("key"), m.captured(1)},
                                       {QStringLiteral("by_key"), m.captured(2)},
                                       {QStringLiteral("by_value"), m.captured(3) == QLatin1String("true")}});
    }
    return ignored;
}

// Each frequency from the generator's own model of the dividers named.
QJsonArray alternatives(const QStringList &messages, double clkin, const QJsonValue &wanted)
{
    static const QRegularExpression line(
            QStringLiteral("^(?:WARNING|ERROR): (?:Closest achievable CLKOUT|Alternative): "
                           ".* with IDIV (\\d+), FBDIV (\\d+), ODIV (\\d+)$"));
    QJsonArray found;
    for (const QString &message : messages) {
        const QRegularExpressionMatch m = line.match(message);
        if (!m.hasMatch())
            continue;
        ModGen::Settings s;
        s.fclkin = clkin;
        s.idiv = m.captured(1).toInt();
        s.fbdiv = m.captured(2).toInt();
        s.odiv = m.captured(3).toInt();
        const double clkout = ModGen::frequencies(s).clkout;
        found.append(QJsonObject{{QStringLiteral("clkout_mhz"), clkout},
                                 {QStringLiteral("error_ppm"), ppm(clkout, wanted)},
                                 {QStringLiteral("idiv"), s.idiv},
                                 {QStringLiteral("fbdiv"), s.fbdiv},
                                 {QStringLiteral("odiv"), s.odiv}});
    }
    return found;
}

// The core's lines as standard error shows them: "ERROR: " added where the host gave none.
QStringList prefixed(const QStringList &messages)
{
    QStringList lines;
    for (const QString &line : messages) {
        const bool known = line.startsWith(QLatin1String("ERROR:")) || line.startsWith(QLatin1String("WARNING:"));
        lines << (known ? line : QStringLiteral("ERROR: ") + line);
    }
    return lines;
}

QJsonValue source(const BatchOutcome &outcome)
{
    if (outcome.sourceFile.isEmpty())
        return QJsonValue();
    return QJsonObject{{QStringLiteral("file"), outcome.sourceFile},
                       {QStringLiteral("item"), outcome.sourceItem ? QJsonValue(outcome.sourceItem) : QJsonValue()},
                       {QStringLiteral("line"), outcome.sourceLine ? QJsonValue(outcome.sourceLine) : QJsonValue()}};
}

} // namespace

void printMessages(const BatchOutcome &outcome)
{
    QTextStream err(stderr);
    bool warned = false;
    for (const QString &line : prefixed(outcome.messages)) {
        warned = warned || line.startsWith(QLatin1String("WARNING:"));
        err << line << '\n';
    }
    if (!outcome.ok && !outcome.source.isEmpty())
        err << "ERROR: nothing created from " << outcome.source << '\n';
    else if (warned && !outcome.source.isEmpty())
        err << "WARNING: created from " << outcome.source << " with the warnings above\n";
    err.flush();
}

void printText(const BatchOutcome &outcome, bool showArgs)
{
    printMessages(outcome);
    if (showArgs) {
        // The header element may span lines; it stays one line here.
        for (QString element : outcome.args)
            out() << element.replace(QLatin1Char('\n'), QLatin1String("\\n")) << '\n';
    }
    for (const QString &file : outcome.files)
        out() << "written: " << file << '\n';
    out().flush();
}

QJsonObject toJson(const BatchOutcome &outcome)
{
    // The generator's own reading of what it was handed; nothing when it was handed nothing sound.
    ModGen::Settings s;
    QStringList problems;
    const bool generated = !outcome.args.isEmpty() && ModGen::parseArgs(outcome.args, &s, &problems);
    const ModGen::Frequencies f = ModGen::frequencies(s);

    const QMap<QString, double> asked = ReportedSettings::wanted(outcome.cfgs, outcome.given);
    const auto wanted = [&asked](const char *name) {
        return asked.contains(QLatin1String(name)) ? QJsonValue(asked.value(QLatin1String(name))) : QJsonValue();
    };
    const QJsonArray nearest = alternatives(outcome.messages,
                                            outcome.cfgs.value(QStringLiteral("CLKIN_FREQ")).toDouble(),
                                            wanted("CLKOUT"));
    QJsonArray outputs;
    if (generated) {
        outputs.append(output(QStringLiteral("CLKOUT"), wanted("CLKOUT"), f.clkout));
        if (s.clkoutp)
            outputs.append(output(QStringLiteral("CLKOUTP"), QJsonValue(), f.clkoutp));
        if (s.clkoutd)
            outputs.append(output(QStringLiteral("CLKOUTD"), wanted("CLKOUTD"), f.clkoutd));
        if (s.clkoutd3)
            outputs.append(output(QStringLiteral("CLKOUTD3"), QJsonValue(), f.clkoutd3));
    } else {
        // Not generated: what was asked, and for CLKOUT the closest the device makes.
        for (auto it = asked.begin(); it != asked.end(); ++it) {
            if (it.key() != QLatin1String("CLKOUTP"))
                outputs.append(output(it.key(), it.value(), QJsonValue(),
                                      it.key() == QLatin1String("CLKOUT") && !nearest.isEmpty()
                                              ? nearest.first().toObject().value(QStringLiteral("clkout_mhz"))
                                              : QJsonValue()));
        }
    }
    const QString module = generated ? s.module
                                     : ReportedSettings::moduleName(outcome.cfgs.contains(QStringLiteral("module"))
                                                                            ? outcome.cfgs
                                                                            : outcome.given);
    return {{QStringLiteral("schema"), QStringLiteral("mirel.module/1")},
            {QStringLiteral("ok"), outcome.ok},
            {QStringLiteral("source"), source(outcome)},
            {QStringLiteral("device"), outcome.device},
            {QStringLiteral("part"), outcome.part.isEmpty() ? QJsonValue() : QJsonValue(outcome.part)},
            {QStringLiteral("module"), module},
            {QStringLiteral("files"), QJsonArray::fromStringList(outcome.files)},
            {QStringLiteral("args"), QJsonArray::fromStringList(outcome.args)},
            {QStringLiteral("idiv"), orNull(s.idiv, generated)},
            {QStringLiteral("fbdiv"), orNull(s.fbdiv, generated)},
            {QStringLiteral("odiv"), orNull(s.odiv, generated)},
            {QStringLiteral("sdiv"), orNull(s.sdiv, generated && s.hasSdiv)},
            {QStringLiteral("pfd_mhz"), orNull(f.pfd, generated)},
            {QStringLiteral("vco_mhz"), orNull(f.vco, generated && f.vco > 0)},
            {QStringLiteral("outputs"), outputs},
            {QStringLiteral("alternatives"), nearest},
            {QStringLiteral("ignored"), ignoredOptions(outcome.messages)},
            {QStringLiteral("messages"), QJsonArray::fromStringList(prefixed(outcome.messages))}};
}

} // namespace BatchReport
