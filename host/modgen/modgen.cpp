// SPDX-License-Identifier: MIT
#include "modgen.h"

#include "names.h"

#include <QDir>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSet>

#include <cmath>

namespace ModGen {

namespace {

const QString CommandKind = QStringLiteral("mirel-modgen/1");

// Text from outside that goes into a comment line: control characters would end
// the comment and let the text become code.
QString commentSafe(const QString &text)
{
    QString safe = text;
    for (QChar &c : safe) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QLatin1Char(' ');
    }
    return safe;
}

QString mhz(double value)
{
    return QString::number(value, 'f', 3);
}

QString bits(int value, int width)
{
    return QString::number(value, 2).rightJustified(width, QLatin1Char('0'));
}

QString boolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

class ArgReader
{
public:
    ArgReader(const QHash<QString, QString> &values, QStringList *errors) : m_values(values), m_errors(errors) {}

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
            m_errors->append(QStringLiteral("\"%1\" must be true or false, not \"%2\".").arg(name, value));
        return false;
    }

    int number(const QString &name, int low, int high)
    {
        const QString value = text(name);
        bool ok = false;
        const int result = value.toInt(&ok);
        if (has(name) && (!ok || result < low || result > high)) {
            m_errors->append(QStringLiteral("\"%1\" must be a whole number from %2 to %3, not \"%4\".")
                                 .arg(name).arg(low).arg(high).arg(value));
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
    static const QSet<QString> names = {
        "-mod_name", "-file_name", "-path", "-type", "-mirel", "-file_type", "-ip_version",
        "-dev_type", "-dyn_idiv_sel", "-idiv_sel", "-dyn_fbdiv_sel", "-fbdiv_sel", "-dyn_odiv_sel",
        "-odiv_sel", "-dyn_sdiv_sel", "-dyn_da_en", "-rst_sig", "-rst_sig_p", "-pll_reg", "-fclkin",
        "-clkfb_sel", "-en_lock", "-clkout_bypass", "-clkout_ft_dir", "-en_clkoutp",
        "-clkoutp_bypass", "-clkoutp_ft_dir", "-psda_sel", "-dutyda_sel", "-en_clkoutd",
        "-clkoutd_bypass", "-clkoutd_src", "-en_clkoutd3", "-clkoutd3_src"};
    return names;
}

bool sourceIsClkoutp(ArgReader &reader, const QString &name, QStringList *errors)
{
    const QString value = reader.text(name);
    if (value != QLatin1String("CLKOUT") && value != QLatin1String("CLKOUTP"))
        errors->append(QStringLiteral("\"%1\" must be CLKOUT or CLKOUTP, not \"%2\".").arg(name, value));
    return value == QLatin1String("CLKOUTP");
}

QString portDecl(const Port &port)
{
    return port.width > 1 ? QStringLiteral("[%1:0] %2").arg(port.width - 1).arg(port.name) : port.name;
}

// The primitive's ports: name, whether an output, width, and the constant an
// unused input is tied to (Verilog and VHDL spelling).
struct PrimitivePort
{
    const char *name;
    const char *modulePort;
    bool output;
    int width;
    const char *tieVerilog;
    const char *tieVhdl;
};

const PrimitivePort primitivePorts[] = {
    {"CLKOUT", "clkout", true, 1, "", ""},
    {"LOCK", "lock", true, 1, "", ""},
    {"CLKOUTP", "clkoutp", true, 1, "", ""},
    {"CLKOUTD", "clkoutd", true, 1, "", ""},
    {"CLKOUTD3", "clkoutd3", true, 1, "", ""},
    {"RESET", "reset", false, 1, "1'b0", "'0'"},
    {"RESET_P", "reset_p", false, 1, "1'b0", "'0'"},
    // Without a vren port the regulator stays on.
    {"VREN", "vren", false, 1, "1'b1", "'1'"},
    {"CLKIN", "clkin", false, 1, "", ""},
    {"CLKFB", "clkfb", false, 1, "1'b0", "'0'"},
    {"IDSEL", "idsel", false, 6, "6'b000000", "\"000000\""},
    {"FBDSEL", "fbdsel", false, 6, "6'b000000", "\"000000\""},
    {"ODSEL", "odsel", false, 6, "6'b000000", "\"000000\""},
    {"PSDA", "psda", false, 4, "4'b0000", "\"0000\""},
    {"DUTYDA", "dutyda", false, 4, "4'b0000", "\"0000\""},
    {"FDLY", "fdly", false, 4, "4'b0000", "\"0000\""},
};

struct Parameter
{
    QString name;
    QString verilog;
    QString vhdl;
    QString vhdlType;
};

QList<Parameter> parameters(const Settings &s)
{
    const auto str = [](const QString &name, const QString &value) {
        return Parameter{name, QLatin1Char('"') + value + QLatin1Char('"'), QLatin1Char('"') + value + QLatin1Char('"'),
                         QStringLiteral("string")};
    };
    const auto num = [](const QString &name, int value) {
        return Parameter{name, QString::number(value), QString::number(value), QStringLiteral("integer")};
    };
    const auto bit = [](const QString &name, bool value) {
        return Parameter{name, value ? QStringLiteral("1'b1") : QStringLiteral("1'b0"),
                         value ? QStringLiteral("'1'") : QStringLiteral("'0'"), QStringLiteral("std_logic")};
    };
    // A dynamic ODIV select only exists while CLKOUT goes through the dividers.
    const bool dynOdiv = s.dynOdiv && !s.clkoutBypass;
    return {str(QStringLiteral("FCLKIN"), QString::number(s.fclkin)),
            str(QStringLiteral("DYN_IDIV_SEL"), boolText(s.dynIdiv)),
            num(QStringLiteral("IDIV_SEL"), s.idiv),
            str(QStringLiteral("DYN_FBDIV_SEL"), boolText(s.dynFbdiv)),
            num(QStringLiteral("FBDIV_SEL"), s.fbdiv),
            str(QStringLiteral("DYN_ODIV_SEL"), boolText(dynOdiv)),
            num(QStringLiteral("ODIV_SEL"), s.odiv),
            num(QStringLiteral("SDIV_SEL"), s.hasSdiv ? s.sdiv : 2),
            str(QStringLiteral("DYN_DA_EN"), boolText(s.dynDa)),
            str(QStringLiteral("PSDA_SEL"), bits(s.psda, 4)),
            str(QStringLiteral("DUTYDA_SEL"), bits(s.dutyda, 4)),
            bit(QStringLiteral("CLKOUT_FT_DIR"), true),
            bit(QStringLiteral("CLKOUTP_FT_DIR"), true),
            str(QStringLiteral("CLKOUT_BYPASS"), boolText(s.clkoutBypass)),
            str(QStringLiteral("CLKOUTP_BYPASS"), boolText(s.clkoutpBypass)),
            str(QStringLiteral("CLKOUTD_BYPASS"), boolText(s.clkoutdBypass)),
            str(QStringLiteral("CLKFB_SEL"), s.clkfbSel ? QStringLiteral("external") : QStringLiteral("internal")),
            str(QStringLiteral("CLKOUTD_SRC"), s.clkoutdSrcClkoutp ? QStringLiteral("CLKOUTP") : QStringLiteral("CLKOUT")),
            str(QStringLiteral("CLKOUTD3_SRC"), s.clkoutd3SrcClkoutp ? QStringLiteral("CLKOUTP") : QStringLiteral("CLKOUT")),
            str(QStringLiteral("LOCK_EN"), boolText(s.lock))};
}

QStringList describe(const Settings &s)
{
    const Frequencies f = frequencies(s);
    const auto divider = [](int value, bool dynamic, const char *port) {
        return dynamic ? QStringLiteral("%1 (dynamic, from %2)").arg(value).arg(QLatin1String(port))
                       : QString::number(value);
    };
    QStringList lines;
    lines << QStringLiteral("Module: %1").arg(s.module)
          << QStringLiteral("IP version: %1").arg(commentSafe(s.ipVersion))
          << QStringLiteral("Device: %1").arg(commentSafe(s.device))
          << QStringLiteral("Settings: CLKIN %1 MHz, IDIV %2, FBDIV %3, ODIV %4, feedback %5")
                 .arg(QString::number(s.fclkin), divider(s.idiv, s.dynIdiv, "idsel"),
                      divider(s.fbdiv, s.dynFbdiv, "fbdsel"),
                      divider(s.odiv, s.dynOdiv && !s.clkoutBypass, "odsel"),
                      s.clkfbSel ? QStringLiteral("external") : QStringLiteral("internal"))
          << QStringLiteral("Settings: CLKOUT bypass %1, reset %2, power-down %3, regulator %4, lock %5")
                 .arg(boolText(s.clkoutBypass), boolText(s.reset), boolText(s.resetP), boolText(s.regulator),
                      boolText(s.lock));
    if (s.clkoutp)
        lines << (s.dynDa ? QStringLiteral("Settings: CLKOUTP bypass %1, phase and duty dynamic").arg(boolText(s.clkoutpBypass))
                          : QStringLiteral("Settings: CLKOUTP bypass %1, phase code %2 (%3 degrees), duty code %4 (%4/16)")
                                .arg(boolText(s.clkoutpBypass)).arg(s.psda).arg(s.psda * 22.5, 0, 'f', 1).arg(s.dutyda));
    if (s.clkoutd)
        lines << QStringLiteral("Settings: CLKOUTD bypass %1, source %2, SDIV %3")
                     .arg(boolText(s.clkoutdBypass), s.clkoutdSrcClkoutp ? QStringLiteral("CLKOUTP") : QStringLiteral("CLKOUT"),
                          s.hasSdiv ? QString::number(s.sdiv) : QStringLiteral("-"));
    if (s.clkoutd3)
        lines << QStringLiteral("Settings: CLKOUTD3 source %1").arg(s.clkoutd3SrcClkoutp ? QStringLiteral("CLKOUTP") : QStringLiteral("CLKOUT"));
    QString actual = QStringLiteral("Actual frequencies (MHz): CLKOUT %1").arg(mhz(f.clkout));
    if (s.clkoutp)
        actual += QStringLiteral(", CLKOUTP %1").arg(mhz(f.clkoutp));
    if (s.clkoutd)
        actual += QStringLiteral(", CLKOUTD %1").arg(mhz(f.clkoutd));
    if (s.clkoutd3)
        actual += QStringLiteral(", CLKOUTD3 %1").arg(mhz(f.clkoutd3));
    lines << actual;
    return lines;
}

QString commentBlock(const Settings &s, const QString &prefix)
{
    QString text;
    for (const QString &line : s.header)
        text += prefix + commentSafe(line) + QLatin1Char('\n');
    text += prefix.trimmed() + QLatin1Char('\n');
    for (const QString &line : describe(s))
        text += prefix + line + QLatin1Char('\n');
    return text + QLatin1Char('\n');
}

QString vhdlType(int width)
{
    return width > 1 ? QStringLiteral("std_logic_vector(%1 downto 0)").arg(width - 1) : QStringLiteral("std_logic");
}

// The module port a primitive port connects to, when the module has it.
bool hasPort(const QList<Port> &list, const QString &name)
{
    for (const Port &port : list) {
        if (port.name == name)
            return true;
    }
    return false;
}

QString verilogModule(const Settings &s)
{
    const QList<Port> list = ports(s);
    QString text = commentBlock(s, QStringLiteral("// "));
    text += QStringLiteral("`timescale 1ns / 1ps\n\nmodule %1 (\n").arg(s.module);
    for (int i = 0; i < list.size(); ++i) {
        text += QStringLiteral("    %1 %2%3\n")
                    .arg(list[i].output ? QStringLiteral("output") : QStringLiteral("input"), portDecl(list[i]),
                         i + 1 < list.size() ? QStringLiteral(",") : QString());
    }
    text += QStringLiteral(");\n\n");
    // Outputs the module does not offer still get a wire: an empty pin reads as an oversight to lint tools.
    bool anyUnused = false;
    for (const PrimitivePort &p : primitivePorts) {
        if (p.output && !hasPort(list, QLatin1String(p.modulePort))) {
            text += QStringLiteral("wire %1_unused;\n").arg(QLatin1String(p.modulePort));
            anyUnused = true;
        }
    }
    text += QLatin1String(anyUnused ? "\nMIREL #(\n" : "MIREL #(\n");
    const QList<Parameter> params = parameters(s);
    for (int i = 0; i < params.size(); ++i)
        text += QStringLiteral("    .%1(%2)%3\n").arg(params[i].name, params[i].verilog, i + 1 < params.size() ? QStringLiteral(",") : QString());
    text += QStringLiteral(") mirel_inst (\n");
    const int count = int(sizeof primitivePorts / sizeof primitivePorts[0]);
    for (int i = 0; i < count; ++i) {
        const PrimitivePort &p = primitivePorts[i];
        const QString port = QLatin1String(p.modulePort);
        const QString actual = hasPort(list, port) ? port
            : p.output                                ? port + QStringLiteral("_unused")
                                                      : QString::fromLatin1(p.tieVerilog);
        text += QStringLiteral("    .%1(%2)%3\n").arg(QLatin1String(p.name), actual, i + 1 < count ? QStringLiteral(",") : QString());
    }
    text += QStringLiteral(");\n\nendmodule\n");
    return text;
}

QString vhdlPortList(const QList<Port> &list, const QString &indent)
{
    QString text = indent + QStringLiteral("port (\n");
    for (int i = 0; i < list.size(); ++i) {
        text += QStringLiteral("%1    %2: %3 %4%5\n")
                    .arg(indent, list[i].name, list[i].output ? QStringLiteral("out") : QStringLiteral("in"),
                         vhdlType(list[i].width), i + 1 < list.size() ? QStringLiteral(";") : QString());
    }
    return text + indent + QStringLiteral(");\n");
}

QString vhdlModule(const Settings &s)
{
    const QList<Port> list = ports(s);
    QString text = commentBlock(s, QStringLiteral("-- "));
    text += QStringLiteral("library IEEE;\nuse IEEE.std_logic_1164.all;\n\n");
    text += QStringLiteral("entity %1 is\n").arg(s.module) + vhdlPortList(list, QStringLiteral("    "))
            + QStringLiteral("end %1;\n\narchitecture rtl of %1 is\n\n").arg(s.module);

    const QList<Parameter> params = parameters(s);
    text += QStringLiteral("    component MIREL\n        generic (\n");
    for (int i = 0; i < params.size(); ++i) {
        text += QStringLiteral("            %1: %2 := %3%4\n")
                    .arg(params[i].name, params[i].vhdlType, params[i].vhdl, i + 1 < params.size() ? QStringLiteral(";") : QString());
    }
    text += QStringLiteral("        );\n        port (\n");
    const int count = int(sizeof primitivePorts / sizeof primitivePorts[0]);
    for (int i = 0; i < count; ++i) {
        const PrimitivePort &p = primitivePorts[i];
        text += QStringLiteral("            %1: %2 %3%4\n")
                    .arg(QLatin1String(p.name), p.output ? QStringLiteral("out") : QStringLiteral("in"), vhdlType(p.width),
                         i + 1 < count ? QStringLiteral(";") : QString());
    }
    text += QStringLiteral("        );\n    end component;\n\nbegin\n\n    mirel_inst: MIREL\n        generic map (\n");
    for (int i = 0; i < params.size(); ++i)
        text += QStringLiteral("            %1 => %2%3\n").arg(params[i].name, params[i].vhdl, i + 1 < params.size() ? QStringLiteral(",") : QString());
    text += QStringLiteral("        )\n        port map (\n");
    for (int i = 0; i < count; ++i) {
        const PrimitivePort &p = primitivePorts[i];
        const QString port = QLatin1String(p.modulePort);
        const QString actual = hasPort(list, port) ? port : p.output ? QStringLiteral("open") : QString::fromLatin1(p.tieVhdl);
        text += QStringLiteral("            %1 => %2%3\n").arg(QLatin1String(p.name), actual, i + 1 < count ? QStringLiteral(",") : QString());
    }
    text += QStringLiteral("        );\n\nend rtl;\n");
    return text;
}

QString signalName(const Port &port)
{
    return port.name + (port.output ? QStringLiteral("_o") : QStringLiteral("_i"));
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
    const QJsonDocument document = QJsonDocument::fromJson(command.toUtf8());
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
            errors->append(QStringLiteral("Unknown argument \"%1\".").arg(commentSafe(element)));
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
        errors->append(QStringLiteral("Unknown language \"%1\".").arg(fileType));
    s.vhdl = fileType == QLatin1String("VHDL");
    s.ipVersion = r.text(QStringLiteral("-ip_version"));
    s.device = r.text(QStringLiteral("-dev_type"));

    s.dynIdiv = r.flag(QStringLiteral("-dyn_idiv_sel"));
    s.idiv = r.number(QStringLiteral("-idiv_sel"), 1, 64);
    s.dynFbdiv = r.flag(QStringLiteral("-dyn_fbdiv_sel"));
    s.fbdiv = r.number(QStringLiteral("-fbdiv_sel"), 1, 64);
    s.dynOdiv = r.flag(QStringLiteral("-dyn_odiv_sel"));
    s.odiv = r.number(QStringLiteral("-odiv_sel"), 2, 128);
    static const QSet<int> odivValues = {2, 4, 8, 16, 32, 48, 64, 80, 96, 112, 128};
    if (r.has(QStringLiteral("-odiv_sel")) && !odivValues.contains(s.odiv))
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
            errors->append(QStringLiteral("The CLKOUTD divider %1 is odd; the hardware divides only by even numbers.").arg(s.sdiv));
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
        const QString problem = fileNameProblem(s.file);
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
    const auto in = [&list](const char *name, int width = 1) { list << Port{QLatin1String(name), false, width}; };
    const auto out = [&list](const char *name) { list << Port{QLatin1String(name), true, 1}; };
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
    // Every bypass hands CLKIN straight through.
    Frequencies f;
    f.clkout = s.clkoutBypass ? s.fclkin : s.fclkin * s.fbdiv / s.idiv;
    f.clkoutp = s.clkoutpBypass ? s.fclkin : f.clkout;
    const double dSource = s.clkoutdSrcClkoutp ? f.clkoutp : f.clkout;
    f.clkoutd = s.clkoutdBypass ? s.fclkin : dSource / s.sdiv;
    f.clkoutd3 = (s.clkoutd3SrcClkoutp ? f.clkoutp : f.clkout) / 3.0;
    return f;
}

QString moduleText(const Settings &s)
{
    return s.vhdl ? vhdlModule(s) : verilogModule(s);
}

QString templateText(const Settings &s)
{
    const QList<Port> list = ports(s);
    QString text;
    if (!s.vhdl) {
        text = QStringLiteral("// Instantiation of %1: copy it into your design, then rename the instance\n"
                              "// and connect your own signals.\n\n    %1 your_instance_name (\n").arg(s.module);
        for (int i = 0; i < list.size(); ++i) {
            text += QStringLiteral("        .%1(%2)%3 // %4 %5\n")
                        .arg(list[i].name, signalName(list[i]), i + 1 < list.size() ? QStringLiteral(",") : QStringLiteral(" "),
                             list[i].output ? QStringLiteral("output") : QStringLiteral("input"), portDecl(list[i]));
        }
        return text + QStringLiteral("    );\n");
    }
    text = QStringLiteral("-- Instantiation of %1: copy the component declaration into the declarative\n"
                          "-- part of your architecture and the instance into its body, then rename the\n"
                          "-- instance and connect your own signals.\n\n    component %1\n").arg(s.module);
    text += vhdlPortList(list, QStringLiteral("        ")) + QStringLiteral("    end component;\n\n");
    text += QStringLiteral("    your_instance_name: %1\n        port map (\n").arg(s.module);
    for (int i = 0; i < list.size(); ++i) {
        text += QStringLiteral("            %1 => %2%3\n").arg(list[i].name, signalName(list[i]),
                                                            i + 1 < list.size() ? QStringLiteral(",") : QString());
    }
    return text + QStringLiteral("        );\n");
}

bool generate(const Request &request, QStringList *errors, QStringList *written)
{
    Settings s;
    if (!parseArgs(request.args, &s, errors))
        return false;
    if (request.fileName != s.file || request.dir + QLatin1Char('/') != s.path) {
        errors->append(QStringLiteral("The file name or directory given to the generator differs from its argument list."));
        return false;
    }
    if (!QDir().mkpath(request.dir)) {
        errors->append(QStringLiteral("The output directory \"%1\" cannot be created.").arg(request.dir));
        return false;
    }
    const QString extension = s.vhdl ? QStringLiteral(".vhd") : QStringLiteral(".v");
    const QString modulePath = request.dir + QLatin1Char('/') + s.file + extension;
    const QString templatePath = request.dir + QLatin1Char('/') + s.file + QStringLiteral("_tmp") + extension;

    QSaveFile moduleFile(modulePath);
    QSaveFile templateFile(templatePath);
    const QByteArray moduleBytes = moduleText(s).toUtf8();
    const QByteArray templateBytes = templateText(s).toUtf8();
    for (auto [file, bytes] : {std::pair{&moduleFile, &moduleBytes}, std::pair{&templateFile, &templateBytes}}) {
        // Unbuffered, so a short write (full disk) shows here: Qt 5's commit() does not
        // notice a failed flush and would rename a truncated file over the good one.
        if (!file->open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file->write(*bytes) != bytes->size()
            || !file->flush()) {
            errors->append(QStringLiteral("Cannot write \"%1\": %2").arg(file->fileName(), file->errorString()));
            return false;
        }
    }
    // The module file goes last: its presence is what tells a caller that generation succeeded.
    if (!templateFile.commit() || !moduleFile.commit()) {
        errors->append(QStringLiteral("Cannot save \"%1\" and \"%2\".").arg(modulePath, templatePath));
        return false;
    }
    if (written)
        *written << modulePath << templatePath;
    return true;
}

} // namespace ModGen
