// SPDX-License-Identifier: MIT
#include "modgen.h"

#include "names.h"

#include <devicetable.h>
#include <echo.h>
#include <filenames.h>
#include <jsonnames.h>
#include <stagedfiles.h>

#include <QDir>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <cmath>

namespace ModGen {

namespace {

const QString CommandKind = QStringLiteral("mirel-modgen/1");

class ArgReader
{
public:
    ArgReader(const QHash<QString, QString> &values, QStringList *errors)
        : m_values(values)
        , m_errors(errors)
    {}

    bool has(const QString &name) const { return m_values.contains(name); }

    QString text(const QString &name)
    {
        if (!has(name))
            m_errors->append(QStringLiteral("The argument list has no \"%1\".").arg(name));
        return m_values.value(name);
    }

    bool flag(const QString &name)
    {
        const QString value = text(name);
        if (value == QLatin1String("true"))
            return true;
        if (value != QLatin1String("false") && has(name))
            m_errors->append(QStringLiteral("\"%1\" must be true or false, not \"%2\".").arg(name, Utils::echo(value)));
        return false;
    }

    int number(const QString &name, int low, int high)
    {
        const QString value = text(name);
        bool ok = false;
        const int result = value.toInt(&ok);
        if (has(name) && (!ok || result < low || result > high)) {
            m_errors->append(QStringLiteral("\"%1\" must be a whole number from %2 to %3, not \"%4\".")
                                     .arg(name)
                                     .arg(low)
                                     .arg(high)
                                     .arg(Utils::echo(value)));
            return low;
        }
        return ok ? result : low;
    }

    void expectPresence(const QString &name, bool wanted)
    {
        if (has(name) && !wanted)
            m_errors->append(QStringLiteral("\"%1\" does not fit the other settings.").arg(name));
    }

private:
    const QHash<QString, QString> &m_values;
    QStringList *m_errors;
};

const QSet<QString> &knownSwitches()
{
    static const QSet<QString> names = {"-mod_name",     "-file_name",      "-path",           "-type",
                                        "-mirel",        "-file_type",      "-ip_version",     "-dev_type",
                                        "-dyn_idiv_sel", "-idiv_sel",       "-dyn_fbdiv_sel",  "-fbdiv_sel",
                                        "-dyn_odiv_sel", "-odiv_sel",       "-dyn_sdiv_sel",   "-dyn_da_en",
                                        "-rst_sig",      "-rst_sig_p",      "-pll_reg",        "-fclkin",
                                        "-clkfb_sel",    "-en_lock",        "-clkout_bypass",  "-clkout_ft_dir",
                                        "-en_clkoutp",   "-clkoutp_bypass", "-clkoutp_ft_dir", "-psda_sel",
                                        "-dutyda_sel",   "-en_clkoutd",     "-clkoutd_bypass", "-clkoutd_src",
                                        "-en_clkoutd3",  "-clkoutd3_src"};
    return names;
}

// A family name, a part id, or a part of a known family ("BRN-4LP-QN48").
const DEV::DeviceInfo *findDevice(const QString &name)
{
    if (const DEV::DeviceInfo *info = DEV::DeviceTable::find(name))
        return info;
    for (const DEV::DeviceInfo &info : DEV::DeviceTable::devices()) {
        if (name.startsWith(info.device + QLatin1Char('-'), Qt::CaseInsensitive))
            return &info;
    }
    return nullptr;
}

bool sourceIsClkoutp(ArgReader &reader, const QString &name, QStringList *errors)
{
    const QString value = reader.text(name);
    if (value != QLatin1String("CLKOUT") && value != QLatin1String("CLKOUTP"))
        errors->append(QStringLiteral("\"%1\" must be CLKOUT or CLKOUTP, not \"%2\".").arg(name, Utils::echo(value)));
    return value == QLatin1String("CLKOUTP");
}

} // namespace

QString encodeCommand(const Request &request)
{
    QJsonObject object;
    object.insert(QStringLiteral("kind"), CommandKind);
    object.insert(QStringLiteral("file"), request.fileName);
    object.insert(QStringLiteral("dir"), request.dir);
    object.insert(QStringLiteral("args"), QJsonArray::fromStringList(request.args));
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

bool decodeCommand(const QString &command, Request *request)
{
    // encodeCommand never repeats a name; Qt's reader would drop (and leak) a repeated one's value.
    const QByteArray bytes = command.toUtf8();
    if (!FileIO::repeatedName(bytes).name.isNull())
        return false;
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    const QJsonObject object = document.object();
    if (!document.isObject() || object.value(QStringLiteral("kind")).toString() != CommandKind
        || !object.value(QStringLiteral("file")).isString() || !object.value(QStringLiteral("dir")).isString()
        || !object.value(QStringLiteral("args")).isArray())
        return false;
    Request result;
    result.fileName = object.value(QStringLiteral("file")).toString();
    result.dir = object.value(QStringLiteral("dir")).toString();
    for (const QJsonValue &value : object.value(QStringLiteral("args")).toArray()) {
        if (!value.isString())
            return false;
        result.args << value.toString();
    }
    *request = result;
    return true;
}

const QList<int> &odivValues()
{
    static const QList<int> values = {2, 4, 8, 16, 32, 48, 64, 80, 96, 112, 128};
    return values;
}

bool parseArgs(const QStringList &args, Settings *settings, QStringList *errors)
{
    const int errorsBefore = errors->size();
    if (args.isEmpty()) {
        errors->append(QStringLiteral("The argument list is empty."));
        return false;
    }
    Settings s;
    QString header = args.first();
    header.remove(QLatin1Char('\r'));
    s.header = header.split(QLatin1Char('\n'));
    while (!s.header.isEmpty() && s.header.last().isEmpty())
        s.header.removeLast();

    QHash<QString, QString> values;
    for (int i = 1; i < args.size(); ++i) {
        const QString &element = args[i];
        const int blank = element.indexOf(QLatin1Char(' '));
        const QString name = blank < 0 ? element : element.left(blank);
        if (blank < 0 || !knownSwitches().contains(name)) {
            errors->append(QStringLiteral("Unknown argument \"%1\".").arg(Utils::echo(element)));
            continue;
        }
        if (values.contains(name))
            errors->append(QStringLiteral("The argument \"%1\" is given twice.").arg(name));
        values.insert(name, element.mid(blank + 1));
    }

    ArgReader r(values, errors);
    s.module = r.text(QStringLiteral("-mod_name"));
    s.file = r.text(QStringLiteral("-file_name"));
    s.path = r.text(QStringLiteral("-path"));
    if (r.text(QStringLiteral("-type")) != QLatin1String("PLL") && r.has(QStringLiteral("-type")))
        errors->append(QStringLiteral("This generator makes only PLL modules."));
    if (r.text(QStringLiteral("-mirel")) != QLatin1String("true") && r.has(QStringLiteral("-mirel")))
        errors->append(QStringLiteral("\"-mirel\" must be true."));
    const QString fileType = r.text(QStringLiteral("-file_type"));
    if (fileType != QLatin1String("Verilog") && fileType != QLatin1String("VHDL") && r.has(QStringLiteral("-file_type")))
        errors->append(QStringLiteral("Unknown language \"%1\".").arg(Utils::echo(fileType)));
    s.vhdl = fileType == QLatin1String("VHDL");
    s.ipVersion = r.text(QStringLiteral("-ip_version"));
    s.device = r.text(QStringLiteral("-dev_type"));
    if (const DEV::DeviceInfo *info = findDevice(s.device)) {
        s.vcoMin = info->pll.vcoMin;
        s.vcoMax = info->pll.vcoMax;
    }

    s.dynIdiv = r.flag(QStringLiteral("-dyn_idiv_sel"));
    s.idiv = r.number(QStringLiteral("-idiv_sel"), 1, 64);
    s.dynFbdiv = r.flag(QStringLiteral("-dyn_fbdiv_sel"));
    s.fbdiv = r.number(QStringLiteral("-fbdiv_sel"), 1, 64);
    s.dynOdiv = r.flag(QStringLiteral("-dyn_odiv_sel"));
    s.odiv = r.number(QStringLiteral("-odiv_sel"), 2, 128);
    if (r.has(QStringLiteral("-odiv_sel")) && !odivValues().contains(s.odiv))
        errors->append(QStringLiteral("\"-odiv_sel\" %1 is not an ODIV value of the hardware.").arg(s.odiv));
    s.dynDa = r.flag(QStringLiteral("-dyn_da_en"));
    s.reset = r.flag(QStringLiteral("-rst_sig"));
    s.resetP = r.flag(QStringLiteral("-rst_sig_p"));
    s.regulator = r.flag(QStringLiteral("-pll_reg"));
    bool fclkinOk = false;
    s.fclkin = r.text(QStringLiteral("-fclkin")).toDouble(&fclkinOk);
    if (r.has(QStringLiteral("-fclkin")) && (!fclkinOk || !std::isfinite(s.fclkin) || s.fclkin <= 0))
        errors->append(QStringLiteral("\"-fclkin\" must be a frequency above 0 MHz."));
    s.clkfbSel = r.number(QStringLiteral("-clkfb_sel"), 0, 1);
    s.lock = r.flag(QStringLiteral("-en_lock"));
    s.clkoutBypass = r.flag(QStringLiteral("-clkout_bypass"));
    s.clkoutp = r.flag(QStringLiteral("-en_clkoutp"));
    s.clkoutpBypass = r.flag(QStringLiteral("-clkoutp_bypass"));
    s.clkoutd = r.flag(QStringLiteral("-en_clkoutd"));
    s.clkoutdBypass = r.flag(QStringLiteral("-clkoutd_bypass"));
    s.clkoutd3 = r.flag(QStringLiteral("-en_clkoutd3"));

    const bool clkoutpActive = s.clkoutp && !s.clkoutpBypass;
    const bool clkoutdActive = s.clkoutd && !s.clkoutdBypass;
    r.expectPresence(QStringLiteral("-clkout_ft_dir"), s.dynDa);
    r.expectPresence(QStringLiteral("-clkoutp_ft_dir"), clkoutpActive && s.dynDa);
    r.expectPresence(QStringLiteral("-psda_sel"), clkoutpActive && !s.dynDa);
    r.expectPresence(QStringLiteral("-dutyda_sel"), clkoutpActive && !s.dynDa);
    r.expectPresence(QStringLiteral("-dyn_sdiv_sel"), clkoutdActive);
    r.expectPresence(QStringLiteral("-clkoutd_src"), clkoutdActive);
    r.expectPresence(QStringLiteral("-clkoutd3_src"), s.clkoutd3);
    if (clkoutpActive && !s.dynDa) {
        s.hasPsda = true;
        s.psda = r.number(QStringLiteral("-psda_sel"), 0, 15);
        s.dutyda = r.number(QStringLiteral("-dutyda_sel"), 2, 14);
    }
    if (clkoutdActive) {
        s.hasSdiv = true;
        s.sdiv = r.number(QStringLiteral("-dyn_sdiv_sel"), 2, 128);
        if (s.sdiv % 2 != 0)
            errors->append(QStringLiteral("The CLKOUTD divider %1 is odd; the hardware divides only by even numbers.")
                                   .arg(s.sdiv));
        s.clkoutdSrcClkoutp = sourceIsClkoutp(r, QStringLiteral("-clkoutd_src"), errors);
    }
    if (s.clkoutd3)
        s.clkoutd3SrcClkoutp = sourceIsClkoutp(r, QStringLiteral("-clkoutd3_src"), errors);

    if (r.has(QStringLiteral("-mod_name"))) {
        const QString problem = moduleNameProblem(s.module);
        if (!problem.isEmpty())
            errors->append(problem);
    }
    if (r.has(QStringLiteral("-file_name"))) {
        const QString problem = FileIO::fileNameProblem(s.file);
        if (!problem.isEmpty())
            errors->append(problem);
    }
    if (r.has(QStringLiteral("-path")) && (s.path.size() < 2 || !s.path.endsWith(QLatin1Char('/'))))
        errors->append(QStringLiteral("\"-path\" must name a directory followed by \"/\"."));

    if (errors->size() != errorsBefore)
        return false;
    *settings = s;
    return true;
}

QList<Port> ports(const Settings &s)
{
    QList<Port> list;
    const auto in = [&list](const char *name, int width = 1) {
        list << Port{QLatin1String(name), false, width};
    };
    const auto out = [&list](const char *name) {
        list << Port{QLatin1String(name), true, 1};
    };
    if (s.reset)
        in("reset");
    if (s.regulator)
        in("vren");
    in("clkin");
    if (s.dynIdiv)
        in("idsel", 6);
    if (s.resetP)
        in("reset_p");
    if (s.clkfbSel != 0)
        in("clkfb");
    if (s.dynFbdiv)
        in("fbdsel", 6);
    if (s.lock)
        out("lock");
    out("clkout");
    if (s.dynOdiv && !s.clkoutBypass)
        in("odsel", 6);
    if (s.clkoutp)
        out("clkoutp");
    if (s.dynDa && s.clkoutp && !s.clkoutpBypass) {
        in("psda", 4);
        in("dutyda", 4);
        in("fdly", 4);
    }
    if (s.clkoutd)
        out("clkoutd");
    if (s.clkoutd3)
        out("clkoutd3");
    return list;
}

Frequencies frequencies(const Settings &s)
{
    // CLKOUTP is a phase-shifted copy of the PLL's output, not of the CLKOUT pin, so it keeps
    // running at FBDIV/IDIV x CLKIN when CLKOUT alone passes CLKIN through. Every bypass hands
    // CLKIN straight through.
    Frequencies f;
    const double pll = s.fclkin * s.fbdiv / s.idiv;
    f.pfd = s.fclkin / s.idiv;
    f.clkout = s.clkoutBypass ? s.fclkin : pll;
    f.clkoutp = s.clkoutpBypass ? s.fclkin : pll;
    const double dSource = s.clkoutdSrcClkoutp ? f.clkoutp : f.clkout;
    f.clkoutd = s.clkoutdBypass ? s.fclkin : dSource / s.sdiv;
    f.clkoutd3 = (s.clkoutd3SrcClkoutp ? f.clkoutp : f.clkout) / 3.0;
    const bool fromPll = !s.clkoutBypass || (s.clkoutp && !s.clkoutpBypass)
                         || (s.clkoutd && !s.clkoutdBypass && s.clkoutdSrcClkoutp && !s.clkoutpBypass)
                         || (s.clkoutd3 && s.clkoutd3SrcClkoutp && !s.clkoutpBypass);
    f.vco = fromPll ? pll * s.odiv : 0.0;
    return f;
}

bool generate(const Request &request, QStringList *errors, QStringList *written, FileIO::StagedFiles *into)
{
    Settings s;
    if (!parseArgs(request.args, &s, errors))
        return false;
    if (request.fileName != s.file || request.dir + QLatin1Char('/') != s.path) {
        errors->append(
                QStringLiteral("The file name or directory given to the generator differs from its argument list."));
        return false;
    }
    const QString extension = s.vhdl ? QStringLiteral(".vhd") : QStringLiteral(".v");
    const QString moduleName = s.file + extension;
    const QString templateName = s.file + QStringLiteral("_tmp") + extension;
    const QString sdcName = s.file + QStringLiteral(".sdc");
    const QString benchName = s.file + QStringLiteral("_tb") + extension;
    FileIO::StagedFiles own;
    FileIO::StagedFiles *files = into ? into : &own;
    QString problem;
    if (!into && !own.open(request.dir, QString(), s.file, &problem)) {
        errors->append(problem);
        return false;
    }
    // The module file goes last: its presence is what tells a caller that generation succeeded.
    if (!files->add(sdcName, sdcText(s).toUtf8(), &problem) || !files->add(benchName, benchText(s).toUtf8(), &problem)
        || !files->add(templateName, templateText(s).toUtf8(), &problem)
        || !files->add(moduleName, moduleText(s).toUtf8(), &problem) || (!into && !own.commit(&problem))) {
        errors->append(problem);
        return false;
    }
    if (written) {
        for (const QString &name : {moduleName, templateName, sdcName, benchName})
            *written << request.dir + QLatin1Char('/') + name;
    }
    return true;
}

} // namespace ModGen
