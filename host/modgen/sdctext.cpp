// SPDX-License-Identifier: MIT
// The timing constraints written beside a generated module.
#include "modgen.h"

#include <numeric>

namespace ModGen {

namespace {

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
    const auto pin = [&at](const QString &name) {
        return QStringLiteral("[get_pins %1mirel_inst/%2]").arg(at, name);
    };
    const auto clock = [&at, &m](const QString &name) {
        return QStringLiteral("%1%2_%3").arg(at, m, name);
    };
    const auto generated = [&](const QString &name, const QString &source, const QString &options,
                               const QString &target) {
        return QStringLiteral("    create_generated_clock -name %1 -source %2 \\\n        %3 %4\n")
                .arg(clock(name), source, options, pin(target));
    };
    const auto derived = [&](const QString &name, const QString &sourcePin, const QString &master,
                             const QString &options, const QString &target) {
        return generated(name, pin(sourcePin), QStringLiteral("-master_clock %1 %2").arg(clock(master), options),
                         target);
    };
    const auto falsePath = [&](const QString &name) {
        return QStringLiteral("    set_false_path -from [get_clocks %1]\n    set_false_path -to [get_clocks %1]\n")
                .arg(clock(name));
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
                           "    # The clocks derive from whatever clock reaches the primitive's CLKIN, the board\n"
                           "    # clock in a design; the module defines its own only where none does. OpenSTA\n"
                           "    # lists a pin's clocks as a property, other tools through -of_objects.\n"
                           "    set %1_pin %2\n"
                           "    if {[catch {get_property $%1_pin clocks} %1_reaching]\n"
                           "        && [catch {get_clocks -quiet -of_objects $%1_pin} %1_reaching]} {\n"
                           "        set %1_reaching {}\n"
                           "    }\n"
                           "    if {[llength $%1_reaching] == 0} {\n"
                           "        if {$%1_at eq \"\"} {\n"
                           "            set %1_clkin [get_ports clkin]\n"
                           "        } else {\n"
                           "            set %1_clkin [get_pins %3clkin]\n"
                           "        }\n"
                           "        create_clock -name %4 -period %5 $%1_clkin\n"
                           "    }\n")
                    .arg(m, pin(QStringLiteral("CLKIN")), at, clock(QStringLiteral("clkin")), ns(1000.0 / s.fclkin));

    // A clock tool takes a generated clock's ratio as one of -multiply_by and -divide_by (OpenSTA
    // refuses both at once), so a fractional FBDIV/IDIV is a chain on the output pin: CLKIN / IDIV,
    // then that times FBDIV, each step exact. The step clock is false-pathed: it only carries the
    // waveform.
    const int common = std::gcd(s.fbdiv, s.idiv), multiply = s.fbdiv / common, divide = s.idiv / common;
    if (s.dynIdiv || s.dynFbdiv)
        text += QStringLiteral("    # The dividers are dynamic: these are their initial values.\n");
    const auto fromPll = [&](const QString &name, const QString &target) {
        if (divide == 1 || multiply == 1)
            return generated(name, pin(QStringLiteral("CLKIN")),
                             divide == 1 ? QStringLiteral("-multiply_by %1").arg(multiply)
                                         : QStringLiteral("-divide_by %1").arg(divide),
                             target);
        const QString step = name + QStringLiteral("_step");
        return generated(step, pin(QStringLiteral("CLKIN")), QStringLiteral("-divide_by %1").arg(divide), target)
               + falsePath(step)
               + derived(name, target, step, QStringLiteral("-multiply_by %1 -add").arg(multiply), target);
    };
    const auto passed = [&](const QString &target) {
        return generated(target.toLower(), pin(QStringLiteral("CLKIN")), QStringLiteral("-divide_by 1"), target);
    };
    text += s.clkoutBypass ? passed(QStringLiteral("CLKOUT"))
                           : fromPll(QStringLiteral("clkout"), QStringLiteral("CLKOUT"));

    // CLKOUTP is there when it is an output or the source of a divided one.
    const bool clkoutpUsed = s.clkoutp || (s.clkoutd && !s.clkoutdBypass && s.clkoutdSrcClkoutp)
                             || (s.clkoutd3 && s.clkoutd3SrcClkoutp);
    if (clkoutpUsed && s.clkoutpBypass) {
        text += passed(QStringLiteral("CLKOUTP"));
    } else if (clkoutpUsed) {
        // The phase shifts the PLL's output: taken from CLKOUT when that carries it, else from a
        // copy of the PLL's clock on CLKOUTP itself. Edges can only pick edges of their source.
        const double period = 1000.0 / frequencies(s).clkoutp;
        const double rise = period * s.psda / 16.0, fall = period * (s.psda + s.dutyda) / 16.0;
        const QString basePin = s.clkoutBypass ? QStringLiteral("CLKOUTP") : QStringLiteral("CLKOUT");
        const QString base = s.clkoutBypass ? QStringLiteral("clkoutp_pll") : QStringLiteral("clkout");
        if (s.clkoutBypass)
            text += fromPll(base, basePin) + falsePath(base);
        if (s.dynDa)
            text += QStringLiteral("    # Phase and duty change at run time with psda and dutyda; these are their "
                                   "reset values.\n");
        text += derived(QStringLiteral("clkoutp"), basePin, base,
                        QStringLiteral("-edges {1 2 3} -edge_shift {%1 %2 %1}%3")
                                .arg(ns(rise), ns(fall - period / 2.0),
                                     s.clkoutBypass ? QStringLiteral(" -add") : QString()),
                        QStringLiteral("CLKOUTP"));
    }
    // The divided outputs count rising edges of their source pin. An edge list rather than
    // -divide_by keeps the source's phase: OpenSTA scales the first edge of a shifted master by
    // the divider.
    const auto divided = [&](const QString &target, bool fromClkoutp, int by) {
        const QString source = fromClkoutp ? QStringLiteral("CLKOUTP") : QStringLiteral("CLKOUT");
        return derived(target.toLower(), source, source.toLower(),
                       QStringLiteral("-edges {1 %1 %2}").arg(1 + by).arg(1 + 2 * by), target);
    };
    if (s.clkoutd)
        text += s.clkoutdBypass ? passed(QStringLiteral("CLKOUTD"))
                                : divided(QStringLiteral("CLKOUTD"), s.clkoutdSrcClkoutp, s.sdiv);
    if (s.clkoutd3)
        text += divided(QStringLiteral("CLKOUTD3"), s.clkoutd3SrcClkoutp, 3);
    return text + QStringLiteral("}\n");
}

} // namespace ModGen
