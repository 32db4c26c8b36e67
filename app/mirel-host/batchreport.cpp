// SPDX-License-Identifier: MIT
#include "batchreport.h"

#include "commandline.h"

#include "reportedsettings.h"

#include <modgen.h>
#include <modulegenerator.h>

#include <QFileInfo>
#include <QJsonArray>
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

QJsonObject output(const char *name, const QJsonValue &wanted, double achieved)
{
    QJsonValue ppm;
    if (wanted.isDouble() && wanted.toDouble() != 0.0)
        ppm = (achieved - wanted.toDouble()) / wanted.toDouble() * 1e6;
    return {{QStringLiteral("name"), QLatin1String(name)},
            {QStringLiteral("wanted"), wanted},
            {QStringLiteral("achieved"), achieved},
            {QStringLiteral("errorPpm"), ppm}};
}

} // namespace

void printMessages(const BatchOutcome &outcome)
{
    QTextStream err(stderr);
    for (const QString &line : outcome.messages) {
        const bool prefixed = line.startsWith(QLatin1String("ERROR:")) || line.startsWith(QLatin1String("WARNING:"));
        err << (prefixed ? QString() : QStringLiteral("ERROR: ")) << line << '\n';
    }
    if (!outcome.ok && !outcome.source.isEmpty())
        err << "ERROR: nothing created from " << outcome.source << '\n';
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
    const auto value = [generated](double v, bool present = true) {
        return generated && present ? QJsonValue(v) : QJsonValue();
    };

    const QMap<QString, double> asked = ReportedSettings::wanted(outcome.cfgs);
    const auto wanted = [&asked](const char *name) {
        return asked.contains(QLatin1String(name)) ? QJsonValue(asked.value(QLatin1String(name))) : QJsonValue();
    };
    QJsonArray outputs;
    if (generated) {
        outputs.append(output("CLKOUT", wanted("CLKOUT"), f.clkout));
        if (s.clkoutp)
            outputs.append(output("CLKOUTP", QJsonValue(), f.clkoutp));
        if (s.clkoutd)
            outputs.append(output("CLKOUTD", wanted("CLKOUTD"), f.clkoutd));
        if (s.clkoutd3)
            outputs.append(output("CLKOUTD3", QJsonValue(), f.clkoutd3));
    }
    const QString module = generated ? s.module : ReportedSettings::moduleName(outcome.cfgs);
    return {{QStringLiteral("ok"), outcome.ok},
            {QStringLiteral("source"), outcome.source.isEmpty() ? QJsonValue() : QJsonValue(outcome.source)},
            {QStringLiteral("device"), outcome.device},
            {QStringLiteral("module"), module},
            {QStringLiteral("files"), QJsonArray::fromStringList(outcome.files)},
            {QStringLiteral("args"), QJsonArray::fromStringList(outcome.args)},
            {QStringLiteral("dividers"), QJsonObject{{QStringLiteral("IDIV"), value(s.idiv)},
                                                     {QStringLiteral("FBDIV"), value(s.fbdiv)},
                                                     {QStringLiteral("ODIV"), value(s.odiv)},
                                                     {QStringLiteral("SDIV"), value(s.sdiv, s.hasSdiv)}}},
            {QStringLiteral("PFD"), value(f.pfd)},
            {QStringLiteral("VCO"), value(f.vco, f.vco > 0)},
            {QStringLiteral("outputs"), outputs},
            {QStringLiteral("messages"), QJsonArray::fromStringList(outcome.messages)}};
}

} // namespace BatchReport
