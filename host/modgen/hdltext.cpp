// SPDX-License-Identifier: MIT
// The generated HDL text: the module in Verilog or VHDL and its instantiation template.
#include "modgen.h"
#include "names.h"

namespace ModGen {

namespace {

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

QString portDecl(const Port &port)
{
    return port.width > 1 ? QStringLiteral("[%1:0] %2").arg(port.width - 1).arg(port.name) : port.name;
}

// The primitive's ports, each with the module port of the same name in lower
// case, and the level an unused input is tied to.
struct PrimitivePort
{
    const char *name;
    bool output;
    int width;
    char tie;
};

const PrimitivePort primitivePorts[] = {
        {"CLKOUT", true, 1, '0'},
        {"LOCK", true, 1, '0'},
        {"CLKOUTP", true, 1, '0'},
        {"CLKOUTD", true, 1, '0'},
        {"CLKOUTD3", true, 1, '0'},
        {"RESET", false, 1, '0'},
        {"RESET_P", false, 1, '0'},
        // Without a vren port the regulator stays on.
        {"VREN", false, 1, '1'},
        {"CLKIN", false, 1, '0'},
        {"CLKFB", false, 1, '0'},
        {"IDSEL", false, 6, '0'},
        {"FBDSEL", false, 6, '0'},
        {"ODSEL", false, 6, '0'},
        {"PSDA", false, 4, '0'},
        {"DUTYDA", false, 4, '0'},
        {"FDLY", false, 4, '0'},
};

QString modulePort(const PrimitivePort &p)
{
    return QString::fromLatin1(p.name).toLower();
}

QString tieVerilog(const PrimitivePort &p)
{
    return QStringLiteral("%1'b%2").arg(p.width).arg(QString(p.width, QLatin1Char(p.tie)));
}

QString tieVhdl(const PrimitivePort &p)
{
    const QString bits(p.width, QLatin1Char(p.tie));
    return p.width == 1 ? QLatin1Char('\'') + bits + QLatin1Char('\'') : QLatin1Char('"') + bits + QLatin1Char('"');
}

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
    QList<Parameter> list = {str(QStringLiteral("FCLKIN"), QString::number(s.fclkin)),
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
                             str(QStringLiteral("CLKFB_SEL"),
                                 s.clkfbSel ? QStringLiteral("external") : QStringLiteral("internal")),
                             str(QStringLiteral("CLKOUTD_SRC"),
                                 s.clkoutdSrcClkoutp ? QStringLiteral("CLKOUTP") : QStringLiteral("CLKOUT")),
                             str(QStringLiteral("CLKOUTD3_SRC"),
                                 s.clkoutd3SrcClkoutp ? QStringLiteral("CLKOUTP") : QStringLiteral("CLKOUT")),
                             str(QStringLiteral("LOCK_EN"), boolText(s.lock))};
    // The model checks the VCO against the window of the device the module is for.
    if (s.vcoMax > 0)
        list << num(QStringLiteral("VCO_MIN"), s.vcoMin) << num(QStringLiteral("VCO_MAX"), s.vcoMax);
    return list;
}

// What a designer connects: the dynamic selects' codes, as the models decode them,
// the active levels of the control inputs, and the feedback, for the ports the module has.
QStringList portNotes(const Settings &s)
{
    QStringList lines;
    QStringList selects;
    if (s.dynIdiv)
        selects << QStringLiteral("idsel -> IDIV");
    if (s.dynFbdiv)
        selects << QStringLiteral("fbdsel -> FBDIV");
    if (!selects.isEmpty()) {
        lines << QStringLiteral("Dynamic select table, divider = 64 - code (%1):")
                         .arg(selects.join(QStringLiteral(", ")));
        for (int first = 0; first < 64; first += 8) {
            QString row = QStringLiteral("  code %1-%2:").arg(first, 2).arg(first + 7, 2);
            for (int code = first; code < first + 8; ++code)
                row += QStringLiteral(" %1").arg(64 - code, 2);
            lines << row;
        }
    }
    if (s.dynOdiv && !s.clkoutBypass) {
        QStringList codes;
        for (int odiv : odivValues())
            codes << QStringLiteral("%1: %2").arg(odselCode(odiv)).arg(odiv);
        lines << QStringLiteral("Dynamic select table odsel -> ODIV, ODIV = 2 x (64 - code), only these codes "
                                "(the models stop on any other):")
              << QStringLiteral("  code ") + codes.join(QStringLiteral(", "));
    }
    const QString stops = QStringLiteral("stops the PLL: the outputs it drives stay low, lock is low");
    if (s.reset)
        lines << QStringLiteral("Port reset: active high; 1 resets and %1").arg(stops);
    if (s.resetP)
        lines << QStringLiteral("Port reset_p: active high; 1 powers down and %1").arg(stops);
    if (s.regulator)
        lines << QStringLiteral("Port vren: active high; 1 enables the voltage regulator, 0 %1").arg(stops);
    if (s.clkfbSel != 0)
        lines << QStringLiteral("Port clkfb: external feedback; connect clkout to it from the point whose clock "
                                "delay is to be compensated (the models take the feedback as compensated)");
    return lines;
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
    if (s.dynIdiv)
        lines << QStringLiteral("Dynamic select: IDIV = 64 - idsel (idsel 63 gives IDIV 1, idsel 0 gives 64)");
    if (s.dynFbdiv)
        lines << QStringLiteral("Dynamic select: FBDIV = 64 - fbdsel (fbdsel 63 gives FBDIV 1, fbdsel 0 gives 64)");
    if (s.dynOdiv && !s.clkoutBypass)
        lines << QStringLiteral("Dynamic select: ODIV = 2 x (64 - odsel) (odsel %1 gives ODIV %2); no output "
                                "frequency changes with it")
                         .arg(odselCode(s.odiv))
                         .arg(s.odiv);
    lines << portNotes(s);
    if (s.dynDa && s.clkoutp && !s.clkoutpBypass)
        lines << QStringLiteral(
                "Dynamic phase and duty: psda is the phase in steps of 22.5 degrees, dutyda the high time "
                "in sixteenths (2~14)");
    if (s.clkoutp)
        lines << (s.dynDa ? QStringLiteral("Settings: CLKOUTP bypass %1, phase and duty dynamic")
                                    .arg(boolText(s.clkoutpBypass))
                          : QStringLiteral(
                                    "Settings: CLKOUTP bypass %1, phase code %2 (%3 degrees), duty code %4 (%4/16)")
                                    .arg(boolText(s.clkoutpBypass))
                                    .arg(s.psda)
                                    .arg(s.psda * 22.5, 0, 'f', 1)
                                    .arg(s.dutyda));
    if (s.clkoutd)
        lines << QStringLiteral("Settings: CLKOUTD bypass %1, source %2, SDIV %3")
                         .arg(boolText(s.clkoutdBypass),
                              s.clkoutdSrcClkoutp ? QStringLiteral("CLKOUTP") : QStringLiteral("CLKOUT"),
                              s.hasSdiv ? QString::number(s.sdiv) : QStringLiteral("-"));
    if (s.clkoutd3)
        lines << QStringLiteral("Settings: CLKOUTD3 source %1")
                         .arg(s.clkoutd3SrcClkoutp ? QStringLiteral("CLKOUTP") : QStringLiteral("CLKOUT"));
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

} // namespace

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

namespace {

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
        if (p.output && !hasPort(list, modulePort(p))) {
            text += QStringLiteral("wire %1_unused;\n").arg(modulePort(p));
            anyUnused = true;
        }
    }
    text += QLatin1String(anyUnused ? "\nMIREL #(\n" : "MIREL #(\n");
    const QList<Parameter> params = parameters(s);
    for (int i = 0; i < params.size(); ++i)
        text += QStringLiteral("    .%1(%2)%3\n")
                        .arg(params[i].name, params[i].verilog, i + 1 < params.size() ? QStringLiteral(",") : QString());
    text += QStringLiteral(") mirel_inst (\n");
    const int count = int(sizeof primitivePorts / sizeof primitivePorts[0]);
    for (int i = 0; i < count; ++i) {
        const PrimitivePort &p = primitivePorts[i];
        const QString port = modulePort(p);
        const QString actual = hasPort(list, port) ? port : p.output ? port + QStringLiteral("_unused") : tieVerilog(p);
        text += QStringLiteral("    .%1(%2)%3\n")
                        .arg(QLatin1String(p.name), actual, i + 1 < count ? QStringLiteral(",") : QString());
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
                        .arg(params[i].name, params[i].vhdlType, params[i].vhdl,
                             i + 1 < params.size() ? QStringLiteral(";") : QString());
    }
    text += QStringLiteral("        );\n        port (\n");
    const int count = int(sizeof primitivePorts / sizeof primitivePorts[0]);
    for (int i = 0; i < count; ++i) {
        const PrimitivePort &p = primitivePorts[i];
        text += QStringLiteral("            %1: %2 %3%4\n")
                        .arg(QLatin1String(p.name), p.output ? QStringLiteral("out") : QStringLiteral("in"),
                             vhdlType(p.width), i + 1 < count ? QStringLiteral(";") : QString());
    }
    text += QStringLiteral("        );\n    end component;\n\nbegin\n\n    mirel_inst: MIREL\n        generic map (\n");
    for (int i = 0; i < params.size(); ++i)
        text += QStringLiteral("            %1 => %2%3\n")
                        .arg(params[i].name, params[i].vhdl, i + 1 < params.size() ? QStringLiteral(",") : QString());
    text += QStringLiteral("        )\n        port map (\n");
    for (int i = 0; i < count; ++i) {
        const PrimitivePort &p = primitivePorts[i];
        const QString port = modulePort(p);
        const QString actual = hasPort(list, port) ? port : p.output ? QStringLiteral("open") : tieVhdl(p);
        text += QStringLiteral("            %1 => %2%3\n")
                        .arg(QLatin1String(p.name), actual, i + 1 < count ? QStringLiteral(",") : QString());
    }
    text += QStringLiteral("        );\n\nend rtl;\n");
    return text;
}

QString signalName(const Port &port)
{
    return port.name + (port.output ? QStringLiteral("_o") : QStringLiteral("_i"));
}

} // namespace

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
                              "// and connect your own signals.\n\n    %1 your_instance_name (\n")
                       .arg(s.module);
        for (int i = 0; i < list.size(); ++i) {
            text += QStringLiteral("        .%1(%2)%3 // %4 %5\n")
                            .arg(list[i].name, signalName(list[i]),
                                 i + 1 < list.size() ? QStringLiteral(",") : QStringLiteral(" "),
                                 list[i].output ? QStringLiteral("output") : QStringLiteral("input"),
                                 portDecl(list[i]));
        }
        return text + QStringLiteral("    );\n");
    }
    text = QStringLiteral("-- Instantiation of %1: copy the component declaration into the declarative\n"
                          "-- part of your architecture and the instance into its body, then rename the\n"
                          "-- instance and connect your own signals.\n\n    component %1\n")
                   .arg(s.module);
    text += vhdlPortList(list, QStringLiteral("        ")) + QStringLiteral("    end component;\n\n");
    text += QStringLiteral("    your_instance_name: %1\n        port map (\n").arg(s.module);
    for (int i = 0; i < list.size(); ++i) {
        text += QStringLiteral("            %1 => %2%3\n")
                        .arg(list[i].name, signalName(list[i]), i + 1 < list.size() ? QStringLiteral(",") : QString());
    }
    return text + QStringLiteral("        );\n");
}

} // namespace ModGen
