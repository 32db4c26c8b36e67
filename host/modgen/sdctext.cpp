// SPDX-License-Identifier: MIT
// The timing constraints written beside a generated module.
#include "modgen.h"

#include <numeric>

namespace ModGen {

namespace {

// A ratio in lowest terms as SDC options; -divide_by 1 stands for "the same frequency".
QString ratioOptions(int multiply, int divide)
{
    const int common = std::gcd(multiply, divide);
    multiply /= common;
    divide /= common;
    if (multiply == 1)
        return QStringLiteral("-divide_by %1").arg(divide);
    if (divide == 1)
        return QStringLiteral("-multiply_by %1").arg(multiply);
    return QStringLiteral("-multiply_by %1 -divide_by %2").arg(multiply).arg(divide);
}

QString ns(double value)
{
    return QString::number(value, 'f', 6);
}

} // namespace

QString sdcText(const Settings &s)
{
    // A Tcl comment ending in a backslash would swallow the next line.
    QString text;
    for (QString line : commentBlock(s, QStringLiteral("# ")).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\\')))
            line += QLatin1Char(' ');
        text += line + QLatin1Char('\n');
    }
    text.chop(1);

    const QString m = s.module;
    const QString at = QStringLiteral("${%1_at}").arg(m);
    const auto pin = [&at](const char *name) {
        return QStringLiteral("[get_pins %1mirel_inst/%2]").arg(at, QLatin1String(name));
    };
    const auto clock = [&at, &m](const char *output) {
        return QStringLiteral("%1%2_%3").arg(at, m, QLatin1String(output));
    };
    const auto generated = [&](const char *output, const QString &source, const QString &options) {
        return QStringLiteral("    create_generated_clock -name %1 -source %2 \\\n        %3 %4\n")
                .arg(clock(output), source, options, pin(QString::fromLatin1(output).toUpper().toLatin1().constData()));
    };

    text += QStringLiteral("# Each instance of %1 in the design gets its own clocks, found by module name and\n"
                           "# named after the instance path; when %1 is the top of the design they carry the\n"
                           "# plain names.\n"
                           "set %1_instances {}\n"
                           "foreach %1_cell [get_cells -quiet -hierarchical -filter \"ref_name == %1\" *] {\n"
                           "    lappend %1_instances \"[get_full_name $%1_cell]/\"\n"
                           "}\n"
                           "if {[llength $%1_instances] == 0} {\n"
                           "    set %1_instances [list \"\"]\n"
                           "}\n"
                           "foreach %1_at $%1_instances {\n"
                           "    if {$%1_at eq \"\"} {\n"
                           "        set %1_clkin [get_ports clkin]\n"
                           "    } else {\n"
                           "        set %1_clkin [get_pins %2clkin]\n"
                           "    }\n"
                           "    create_clock -name %3 -period %4 $%1_clkin\n")
                    .arg(m, at, clock("clkin"), ns(1000.0 / s.fclkin));

    // The dividers between CLKIN and CLKOUT; a bypass hands CLKIN through.
    const int multiply = s.clkoutBypass ? 1 : s.fbdiv;
    const int divide = s.clkoutBypass ? 1 : s.idiv;
    if (s.dynIdiv || s.dynFbdiv)
        text += QStringLiteral("    # The dividers are dynamic: these are their initial values.\n");
    text += generated("clkout", pin("CLKIN"), ratioOptions(multiply, divide));

    if (s.clkoutp) {
        if (s.clkoutpBypass) {
            text += generated("clkoutp", pin("CLKIN"), ratioOptions(1, 1));
        } else {
            // Edges can only pick edges of their source, so the phase is set against CLKOUT.
            const double period = 1000.0 / frequencies(s).clkout;
            const double rise = period * s.psda / 16.0, fall = period * (s.psda + s.dutyda) / 16.0;
            if (s.dynDa)
                text += QStringLiteral("    # Phase and duty change at run time with psda and dutyda; these are their "
                                       "reset values.\n");
            text += generated("clkoutp", pin("CLKOUT") + QStringLiteral(" -master_clock ") + clock("clkout"),
                              QStringLiteral("-edges {1 2 3} -edge_shift {%1 %2 %1}")
                                      .arg(ns(rise), ns(fall - period / 2.0)));
        }
    }
    // The divided outputs from CLKIN, through their source's dividers.
    const auto sourceRatio = [&s, multiply, divide](bool fromClkoutp, int extra) {
        return fromClkoutp && s.clkoutpBypass ? ratioOptions(1, extra) : ratioOptions(multiply, divide * extra);
    };
    if (s.clkoutd)
        text += generated("clkoutd", pin("CLKIN"),
                          s.clkoutdBypass ? ratioOptions(1, 1) : sourceRatio(s.clkoutdSrcClkoutp, s.sdiv));
    if (s.clkoutd3)
        text += generated("clkoutd3", pin("CLKIN"), sourceRatio(s.clkoutd3SrcClkoutp, 3));
    return text + QStringLiteral("}\n");
}

} // namespace ModGen
