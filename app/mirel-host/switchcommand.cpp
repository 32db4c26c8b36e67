// SPDX-License-Identifier: MIT
#include "switchcommand.h"

#include "batchreport.h"
#include "commandline.h"

#include <echo.h>
#include <inputfile.h>
#include <jsonnames.h>
#include <modgen.h>
#include <switchblock.h>

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <cmath>

namespace SwitchCommand {

using namespace HostCommandLine;

namespace {

// The names of mirel-calc's answer to --profiles --json that the block needs ("mirel.profiles/1").
namespace Field {
const QString schema = QStringLiteral("schema");
const QString ok = QStringLiteral("ok");
const QString device = QStringLiteral("device");
const QString part = QStringLiteral("part");
const QString clkin = QStringLiteral("clkin_mhz");
const QString sdiv = QStringLiteral("sdiv");
const QString profiles = QStringLiteral("profiles");
const QString idiv = QStringLiteral("idiv");
const QString fbdiv = QStringLiteral("fbdiv");
const QString odiv = QStringLiteral("odiv");
} // namespace Field

struct ProfileSet
{
    QString device, part;
    double clkin = 0.0;
    int sdiv = 0; // 0: no profile asked for a CLKOUTD
    QList<ModGen::SwitchProfile> profiles;
};

// Reads a profile set as mirel-calc answers it; an empty result with the problem otherwise.
QString readProfiles(const QString &path, ProfileSet *set)
{
    QByteArray bytes;
    QString problem;
    if (!FileIO::readInput(path, &bytes, &problem))
        return problem;
    // mirel-calc never repeats a name (and Qt's reader would leak the value it drops).
    const bool repeats = !FileIO::repeatedName(bytes).name.isNull();
    QJsonParseError error{};
    const QJsonObject o = repeats ? QJsonObject() : QJsonDocument::fromJson(bytes, &error).object();
    const QString shown = Utils::echo(path);
    if (repeats || error.error != QJsonParseError::NoError
        || o.value(Field::schema) != QLatin1String("mirel.profiles/1") || !o.value(Field::profiles).isArray())
        return QStringLiteral("'%1' is not a profile set (mirel-calc --profiles LIST --json)").arg(shown);
    if (!o.value(Field::ok).toBool())
        return QStringLiteral("'%1' holds a profile set mirel-calc refused; no block is made of it").arg(shown);
    set->device = o.value(Field::device).toString();
    set->part = o.value(Field::part).toString();
    set->clkin = o.value(Field::clkin).toDouble();
    set->sdiv = o.value(Field::sdiv).toInt();
    const QJsonArray list = o.value(Field::profiles).toArray();
    for (int i = 0; i < list.size(); ++i) {
        const QJsonObject p = list[i].toObject();
        for (const QString &name : {Field::idiv, Field::fbdiv, Field::odiv}) {
            if (!p.value(name).isDouble())
                return QStringLiteral("'%1': profile %2 has no %3").arg(shown).arg(i).arg(name);
        }
        set->profiles << ModGen::SwitchProfile{p.value(Field::idiv).toInt(), p.value(Field::fbdiv).toInt(),
                                               p.value(Field::odiv).toInt()};
    }
    return QString();
}

// The module as the generator reads the argument list the core builds from the configuration,
// generated into a temporary folder so that nothing beside it changes.
std::optional<int> moduleSettings(const QCommandLineParser &parser, const QString &ipc, const QString &given,
                                  ModGen::Settings *s)
{
    QTemporaryDir work;
    const QString copy = work.filePath(QFileInfo(ipc).fileName());
    if (!work.isValid() || !QFile::copy(ipc, copy))
        return fail(Refused, QStringLiteral("cannot copy '%1' into a temporary folder").arg(Utils::echo(given)));
    PluginHost host;
    if (auto status = loadCore(parser, host))
        return status;
    QVariantMap cfgs;
    QStringList messages, errors;
    const bool ok = host.core()->openModuleBatch(copy, QString(), cfgs, messages);
    const BatchOutcome outcome = BatchOutcome::collect(ok, QString(), cfgs, messages);
    for (const QString &line : messages)
        fail(Refused, QString(line).replace(copy, Utils::echo(given)));
    if (!ok || !ModGen::parseArgs(outcome.args, s, &errors))
        return messages.isEmpty()
                       ? fail(Refused, QStringLiteral("'%1' does not generate a module").arg(Utils::echo(given)))
                       : int(Refused);
    return std::nullopt;
}

} // namespace

int run(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("PROFILES.json"),
                                 QStringLiteral("A profile set: what mirel-calc --profiles LIST --json prints."));
    parser.addPositionalArgument(QStringLiteral("FILE.ipc"),
                                 QStringLiteral("Configuration of the module the block switches."));
    if (auto status
        = parse(parser, arguments,
                QStringLiteral(
                        "Writes the switching block of a profile set for the module FILE.ipc generates, and its\n"
                        "self-checking testbench, beside FILE.ipc: FILE_switch.v and FILE_switch_tb.v (.vhd for a\n"
                        "VHDL module). The module needs a reset and a lock port and a dynamic select for each\n"
                        "divider the profiles change (Advanced Mode); CLKIN, device and SDIV must be the set's.\n"
                        "'mirel-host sim --switch FILE.ipc' runs the testbench.")))
        return *status;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2)
        return fail(UsageError, QStringLiteral("switch needs a profile set and a configuration file"));
    const QString given = positional[1];
    const QString ipc = QFileInfo(given).absoluteFilePath();
    if (auto status = checkConfigFile(given))
        return *status;
    ProfileSet set;
    if (const QString problem = readProfiles(positional[0], &set); !problem.isEmpty())
        return fail(Refused, problem);

    ModGen::Settings s;
    if (auto status = moduleSettings(parser, ipc, given, &s))
        return *status;
    QStringList problems;
    // The generator names the module's device by family; the set names the family and the part
    // whose limits its dividers keep, which must be one of the table's parts of that family.
    const DEV::DeviceInfo *mine = DEV::DeviceTable::find(s.device), *theirs = DEV::DeviceTable::find(set.part);
    if (!mine || !theirs || theirs->id.compare(set.part, Qt::CaseInsensitive) != 0
        || theirs->device.compare(set.device, Qt::CaseInsensitive) != 0 || mine->device != theirs->device)
        problems << QStringLiteral("The profiles are for %1, the module for %2.")
                            .arg(Utils::echo(set.part), Utils::echo(s.device));
    // The generator's argument list carries CLKIN with six significant digits.
    if (!(std::fabs(set.clkin - s.fclkin) <= 1e-5 * s.fclkin))
        problems << QStringLiteral("The profiles are for CLKIN %1 MHz, the module for %2 MHz.")
                            .arg(set.clkin)
                            .arg(s.fclkin);
    if (set.sdiv && !(s.clkoutd && s.hasSdiv && s.sdiv == set.sdiv))
        problems << QStringLiteral("The profiles share CLKOUTD divider SDIV %1; generate the module with CLKOUTD=true "
                                   "CLKOUTD_DIVIDE=%1.")
                            .arg(set.sdiv);
    problems << ModGen::switchProblems(s, set.profiles);
    QStringList written;
    if (problems.isEmpty()
        && ModGen::generateSwitch(QFileInfo(ipc).absolutePath(), s, set.profiles, &problems, &written)) {
        for (const QString &path : written)
            out() << "written: " << Utils::echo(path, 4096) << '\n';
        return Done;
    }
    for (const QString &problem : problems)
        fail(Refused, problem);
    return Refused;
}

} // namespace SwitchCommand
