// SPDX-License-Identifier: MIT
#include "batchreport.h"

#include "commandline.h"

#include <modulegenerator.h>

#include <QFileInfo>
#include <QJsonArray>
#include <QMap>
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
        const QString ipc = module.absolutePath() + QLatin1Char('/') + module.completeBaseName()
                            + QStringLiteral(".ipc");
        if (QFileInfo::exists(ipc))
            outcome.files << ipc;
    }
    for (const QString &file : generated)
        outcome.files << QFileInfo(file).absoluteFilePath();
    return outcome;
}

namespace BatchReport {

namespace {

// "-name value" elements by name; the header element may span lines.
QMap<QString, QString> argValues(const QStringList &args)
{
    QMap<QString, QString> values;
    for (const QString &element : args) {
        const int blank = element.indexOf(QLatin1Char(' '));
        if (element.startsWith(QLatin1Char('-')) && blank > 0)
            values.insert(element.left(blank), element.mid(blank + 1));
    }
    return values;
}

QJsonValue number(const QMap<QString, QString> &values, const char *name)
{
    bool ok = false;
    const double v = values.value(QLatin1String(name)).toDouble(&ok);
    return ok ? QJsonValue(v) : QJsonValue();
}

QJsonObject output(const char *name, const QJsonValue &wanted, const QJsonValue &achieved)
{
    QJsonValue ppm;
    if (wanted.isDouble() && achieved.isDouble() && wanted.toDouble() != 0.0)
        ppm = (achieved.toDouble() - wanted.toDouble()) / wanted.toDouble() * 1e6;
    return {{QStringLiteral("name"), QLatin1String(name)},
            {QStringLiteral("wanted"), wanted},
            {QStringLiteral("achieved"), achieved},
            {QStringLiteral("errorPpm"), ppm}};
}

QJsonValue divided(const QJsonValue &f, const QJsonValue &divider)
{
    if (!f.isDouble() || !divider.isDouble() || divider.toDouble() == 0.0)
        return QJsonValue();
    return f.toDouble() / divider.toDouble();
}

} // namespace

void printText(const BatchOutcome &outcome, bool showArgs)
{
    QTextStream err(stderr);
    for (const QString &line : outcome.messages) {
        const bool prefixed = line.startsWith(QLatin1String("ERROR:")) || line.startsWith(QLatin1String("WARNING:"));
        err << (prefixed ? QString() : QStringLiteral("ERROR: ")) << line << '\n';
    }
    if (!outcome.ok && !outcome.source.isEmpty())
        err << "ERROR: nothing created from " << outcome.source << '\n';
    err.flush();
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
    const QMap<QString, QString> args = argValues(outcome.args);
    const auto flag = [&](const char *name) {
        return args.value(QLatin1String(name)) == QLatin1String("true");
    };
    const QJsonValue clkin = number(args, "-fclkin");
    const QJsonValue idiv = number(args, "-idiv_sel"), fbdiv = number(args, "-fbdiv_sel");
    const QJsonValue odiv = number(args, "-odiv_sel"), sdiv = number(args, "-dyn_sdiv_sel");
    const bool bypass = flag("-clkout_bypass");
    const QJsonValue pfd = divided(clkin, idiv);
    const QJsonValue clkout = bypass ? clkin
                                     : divided(clkin.isDouble() && fbdiv.isDouble()
                                                       ? QJsonValue(clkin.toDouble() * fbdiv.toDouble())
                                                       : QJsonValue(),
                                               idiv);
    QJsonValue vco;
    if (!bypass && clkout.isDouble() && odiv.isDouble())
        vco = clkout.toDouble() * odiv.toDouble();
    const QJsonValue clkoutp = flag("-clkoutp_bypass") ? clkin : clkout;

    // Wanted frequencies exist only where a General Mode search ran for them.
    const bool general = outcome.cfgs.value(QStringLiteral("MODE_GENERAL")).toBool();
    const auto wanted = [&](const char *key, bool live) {
        return general && live ? QJsonValue(outcome.cfgs.value(QLatin1String(key)).toDouble()) : QJsonValue();
    };
    QJsonArray outputs;
    if (!outcome.args.isEmpty()) {
        outputs.append(output("CLKOUT", wanted("CLKOUT_FREQ", !bypass), clkout));
        if (flag("-en_clkoutp"))
            outputs.append(output("CLKOUTP", QJsonValue(), clkoutp));
        if (flag("-en_clkoutd")) {
            const bool live = !flag("-clkoutd_bypass");
            const QJsonValue source = args.value(QStringLiteral("-clkoutd_src")) == QLatin1String("CLKOUTP") ? clkoutp
                                                                                                             : clkout;
            outputs.append(output("CLKOUTD", wanted("CLKOUTD_FREQ", live), live ? divided(source, sdiv) : clkin));
        }
        if (flag("-en_clkoutd3")) {
            const bool fromClkout = args.value(QStringLiteral("-clkoutd3_src")) != QLatin1String("CLKOUTP");
            outputs.append(output("CLKOUTD3", QJsonValue(), divided(fromClkout ? clkout : clkoutp, 3.0)));
        }
    }
    const QJsonValue module = outcome.cfgs.contains(QStringLiteral("module"))
                                      ? QJsonValue(outcome.cfgs.value(QStringLiteral("module")).toString())
                                      : QJsonValue(args.value(QStringLiteral("-mod_name")));
    return {{QStringLiteral("ok"), outcome.ok},
            {QStringLiteral("source"), outcome.source.isEmpty() ? QJsonValue() : QJsonValue(outcome.source)},
            {QStringLiteral("device"), outcome.device},
            {QStringLiteral("module"), module},
            {QStringLiteral("files"), QJsonArray::fromStringList(outcome.files)},
            {QStringLiteral("args"), QJsonArray::fromStringList(outcome.args)},
            {QStringLiteral("dividers"), QJsonObject{{QStringLiteral("IDIV"), idiv},
                                                     {QStringLiteral("FBDIV"), fbdiv},
                                                     {QStringLiteral("ODIV"), odiv},
                                                     {QStringLiteral("SDIV"), sdiv}}},
            {QStringLiteral("PFD"), pfd},
            {QStringLiteral("VCO"), vco},
            {QStringLiteral("outputs"), outputs},
            {QStringLiteral("messages"), QJsonArray::fromStringList(outcome.messages)}};
}

} // namespace BatchReport
