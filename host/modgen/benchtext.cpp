// SPDX-License-Identifier: MIT
// The self-checking testbench written beside a generated module.
#include "benchparts.h"
#include "modgen.h"

#include <algorithm>

namespace ModGen {

namespace {

// Cycles each output is measured over: the model places edges to 1 ps, so the
// average period is good to a few ppm, far inside the 0.1 % a check allows.
const int Cycles = 32;
const double FrequencyLimitPpm = 1000.0;
const double PhaseLimitDegrees = 1.0;
const double DutyLimitPercent = 0.5;

struct Measure
{
    QString name; // CLKOUT
    QString port; // clkout
    double mhz;   // what the settings achieve
};

struct Plan
{
    QList<Measure> outputs;
    bool phase = false; // CLKOUTP's phase and duty are static and against a running CLKOUT
    double phaseDegrees = 0;
    double dutyPercent = 0;
    double clkinNs = 0;
    double limitNs = 0; // how long one measurement may wait for its edges
};

Plan plan(const Settings &s)
{
    const Frequencies f = frequencies(s);
    Plan p;
    p.outputs << Measure{QStringLiteral("CLKOUT"), QStringLiteral("clkout"), f.clkout};
    if (s.clkoutp)
        p.outputs << Measure{QStringLiteral("CLKOUTP"), QStringLiteral("clkoutp"), f.clkoutp};
    if (s.clkoutd)
        p.outputs << Measure{QStringLiteral("CLKOUTD"), QStringLiteral("clkoutd"), f.clkoutd};
    if (s.clkoutd3)
        p.outputs << Measure{QStringLiteral("CLKOUTD3"), QStringLiteral("clkoutd3"), f.clkoutd3};
    p.phase = s.clkoutp && s.hasPsda && !s.clkoutBypass;
    p.phaseDegrees = s.psda * 22.5;
    p.dutyPercent = s.dutyda * 100.0 / 16.0;
    p.clkinNs = 1000.0 / s.fclkin;
    double slowest = p.clkinNs;
    for (const Measure &m : p.outputs)
        slowest = std::max(slowest, 1000.0 / m.mhz);
    p.limitNs = 4.0 * (Cycles + 2) * slowest + 1000.0;
    return p;
}

using BenchParts::real;

// What each input of the module is driven with: resets start held, the
// dynamic selects give the dividers the module was generated with.
QString inputValue(const Settings &s, const QString &port)
{
    if (port == QLatin1String("reset") || port == QLatin1String("reset_p") || port == QLatin1String("vren"))
        return QStringLiteral("1");
    if (port == QLatin1String("idsel"))
        return QString::number(64 - s.idiv);
    if (port == QLatin1String("fbdsel"))
        return QString::number(64 - s.fbdiv);
    if (port == QLatin1String("odsel"))
        return QString::number(odselCode(s.odiv));
    if (port == QLatin1String("psda"))
        return QString::number(s.psda);
    if (port == QLatin1String("dutyda"))
        return QString::number(s.dutyda);
    return QStringLiteral("0");
}

QString verilogBench(const Settings &s, const Plan &p)
{
    const QList<Port> list = ports(s);
    QString text = commentBlock(s, QStringLiteral("// "));
    text += QStringLiteral("// Self-checking testbench of %1: drives clkin at %2 MHz, measures each output over %3\n"
                           "// cycles and ends with a PASS or FAIL line.\n"
                           "`timescale 1ns / 1fs\n\nmodule %1_tb;\n\n")
                    .arg(s.module, QString::number(s.fclkin))
                    .arg(Cycles);
    for (const Port &port : list) {
        if (port.output)
            text += QStringLiteral("    wire %1;\n").arg(port.name);
    }
    for (const Port &port : list) {
        const QString width = port.width > 1 ? QStringLiteral("[%1:0] ").arg(port.width - 1) : QString();
        if (port.name == QLatin1String("clkfb"))
            text += QStringLiteral("    wire clkfb = clkout;\n");
        else if (!port.output)
            text += QStringLiteral("    reg %1%2 = %3;\n").arg(width, port.name, inputValue(s, port.name));
    }
    text += QStringLiteral("\n    %1 dut (\n").arg(s.module);
    for (int i = 0; i < list.size(); ++i)
        text += QStringLiteral("        .%1(%1)%2\n")
                        .arg(list[i].name, i + 1 < list.size() ? QStringLiteral(",") : QString());
    text += QStringLiteral("    );\n\n    initial forever #(%1) clkin = ~clkin;\n\n").arg(real(p.clkinNs / 2.0));
    text += QStringLiteral(
            "    integer checks = 0;\n"
            "    integer failed = 0;\n"
            "    reg [8 * 16:1] current = \"lock\";\n"
            "    real t0, t1;\n\n"
            "    task check(input [8 * 16:1] name, input real achieved, input real measured, input [8 * 3:1] unit,\n"
            "               input real error, input [8 * 3:1] error_unit, input real limit);\n"
            "        begin\n"
            "            checks = checks + 1;\n"
            "            if (!(error <= limit && error >= -limit))\n"
            "                failed = failed + 1;\n"
            "            $display(\"%0s: achieved %0.6f %0s, measured %0.6f %0s, error %0.2f %0s: %0s\", name, "
            "achieved, unit,\n"
            "                     measured, unit, error, error_unit, (error <= limit && error >= -limit) ? \"ok\" : "
            "\"FAIL\");\n"
            "        end\n"
            "    endtask\n\n");
    if (p.phase)
        text += QStringLiteral("    real t2;\n\n");
    text += QStringLiteral("    initial begin\n        #(%1);\n").arg(real(8 * p.clkinNs));
    if (s.reset)
        text += QStringLiteral("        reset = 1'b0;\n");
    if (s.resetP)
        text += QStringLiteral("        reset_p = 1'b0;\n");
    text += s.lock ? QStringLiteral("        wait (lock);\n")
                   : QStringLiteral("        #(%1);\n").arg(real(40 * p.clkinNs));
    for (const Measure &m : p.outputs) {
        text += QStringLiteral("        current = \"%1\";\n"
                               "        @(posedge %2) t0 = $realtime;\n"
                               "        repeat (%3) @(posedge %2);\n"
                               "        t1 = %4 / ($realtime - t0);\n"
                               "        check(\"%1\", %5, t1, \"MHz\", (t1 - %5) / %5 * 1.0e6, \"ppm\", %6);\n")
                        .arg(m.name, m.port)
                        .arg(Cycles)
                        .arg(real(1000.0 * Cycles), real(m.mhz), real(FrequencyLimitPpm));
    }
    if (p.phase) {
        // Phase is measured from a CLKOUT edge and folded into one period either way.
        const double period = 1000.0 / p.outputs.first().mhz;
        text += QStringLiteral("        current = \"CLKOUTP phase\";\n"
                               "        @(posedge clkout) t0 = $realtime;\n"
                               "        @(posedge clkoutp) t1 = $realtime;\n"
                               "        @(negedge clkoutp) t2 = $realtime;\n"
                               "        t0 = (t1 - t0) / %1 * 360.0 - %2;\n"
                               "        t0 = t0 - 360.0 * $floor(t0 / 360.0 + 0.5);\n"
                               "        check(\"CLKOUTP phase\", %2, %2 + t0, \"deg\", t0, \"deg\", %3);\n"
                               "        t2 = (t2 - t1) / %1 * 100.0;\n"
                               "        check(\"CLKOUTP duty\", %4, t2, \"%\", t2 - %4, \"%\", %5);\n")
                        .arg(real(period), real(p.phaseDegrees), real(PhaseLimitDegrees), real(p.dutyPercent),
                             real(DutyLimitPercent));
    }
    text += QStringLiteral("        if (failed == 0)\n"
                           "            $display(\"PASS: %0d checks\", checks);\n"
                           "        else\n"
                           "            $display(\"FAIL: %0d of %0d checks\", failed, checks);\n"
                           "        $finish;\n"
                           "    end\n\n"
                           "    // An output that never toggles ends the run instead of hanging it.\n"
                           "    initial begin\n"
                           "        #(LIMIT);\n"
                           "        $display(\"%0s: no clock edges within LIMIT ns: FAIL\", current);\n"
                           "        $display(\"FAIL: %0s does not run\", current);\n"
                           "        $finish;\n"
                           "    end\n\nendmodule\n")
                    .replace(QLatin1String("LIMIT"), real(p.limitNs * (p.outputs.size() + 2)));
    return text;
}

QString vhdlBench(const Settings &s, const Plan &p)
{
    const QList<Port> list = ports(s);
    const auto fs = [](double ns) {
        return QStringLiteral("%1 fs").arg(qRound64(ns * 1e6));
    };
    QString text = commentBlock(s, QStringLiteral("-- "));
    text += QStringLiteral("-- Self-checking testbench of %1 (VHDL-2008): drives clkin at %2 MHz, measures each\n"
                           "-- output over %3 cycles and ends with a PASS or FAIL line.\n"
                           "library IEEE;\nuse IEEE.std_logic_1164.all;\nuse IEEE.numeric_std.all;\nuse "
                           "IEEE.math_real.all;\nuse std.textio.all;\n\n"
                           "entity %1_tb is\nend %1_tb;\n\narchitecture sim of %1_tb is\n\n")
                    .arg(s.module, QString::number(s.fclkin))
                    .arg(Cycles);
    for (const Port &port : list) {
        const QString type = port.width > 1 ? QStringLiteral("std_logic_vector(%1 downto 0)").arg(port.width - 1)
                                            : QStringLiteral("std_logic");
        if (port.output || port.name == QLatin1String("clkfb"))
            text += QStringLiteral("    signal %1: %2;\n").arg(port.name, type);
        else if (port.width > 1)
            text += QStringLiteral("    signal %1: %2 := std_logic_vector(to_unsigned(%3, %4));\n")
                            .arg(port.name, type, inputValue(s, port.name))
                            .arg(port.width);
        else
            text += QStringLiteral("    signal %1: %2 := '%3';\n").arg(port.name, type, inputValue(s, port.name));
    }
    text += QStringLiteral("\nbegin\n\n    clkin <= not clkin after %1;\n").arg(fs(p.clkinNs / 2.0));
    if (s.clkfbSel != 0)
        text += QStringLiteral("    clkfb <= clkout;\n");
    text += QStringLiteral("\n    dut: entity work.%1\n        port map (\n").arg(s.module);
    for (int i = 0; i < list.size(); ++i)
        text += QStringLiteral("            %1 => %1%2\n")
                        .arg(list[i].name, i + 1 < list.size() ? QStringLiteral(",") : QString());
    text += QStringLiteral("        );\n\n"
                           "    run: process\n"
                           "        variable checks, failed: integer := 0;\n"
                           "        variable t0, t1, t2: time;\n"
                           "        variable value: real;\n"
                           "        variable timed_out: boolean := false;\n"
                           "        variable l: line;\n\n"
                           "        procedure check(name: string; achieved, measured: real; unit: string; error: real; "
                           "error_unit: string;\n"
                           "                        limit: real) is\n"
                           "        begin\n"
                           "            checks := checks + 1;\n"
                           "            write(l, name & \": achieved \");\n"
                           "            write(l, achieved, right, 0, 6);\n"
                           "            write(l, \" \" & unit & \", measured \");\n"
                           "            write(l, measured, right, 0, 6);\n"
                           "            write(l, \" \" & unit & \", error \");\n"
                           "            write(l, error, right, 0, 2);\n"
                           "            if abs(error) <= limit then\n"
                           "                write(l, \" \" & error_unit & \": ok\");\n"
                           "            else\n"
                           "                write(l, \" \" & error_unit & \": FAIL\");\n"
                           "                failed := failed + 1;\n"
                           "            end if;\n"
                           "            writeline(output, l);\n"
                           "        end procedure;\n\n"
                           "        -- Waits for a rising edge for at most the measurement's time; an output\n"
                           "        -- that never toggles ends the run instead of hanging it.\n"
                           "%2%3"
                           "        function elapsed_ns(t: time) return real is\n"
                           "        begin\n"
                           "            return real(t / 1 fs) * 1.0e-6;\n"
                           "        end function;\n\n"
                           "    begin\n"
                           "        wait for %1;\n")
                    .arg(fs(8 * p.clkinNs), BenchParts::vhdlRise(), BenchParts::vhdlNoEdges(fs(p.limitNs)));
    if (s.reset)
        text += QStringLiteral("        reset <= '0';\n");
    if (s.resetP)
        text += QStringLiteral("        reset_p <= '0';\n");
    if (s.lock)
        text += QStringLiteral(
                        "        if lock /= '1' then\n            wait until lock = '1' for %1;\n        end if;\n"
                        "        if lock /= '1' then\n            no_edges(\"lock\");\n        end if;\n")
                        .arg(fs(p.limitNs));
    else
        text += QStringLiteral("        wait for %1;\n").arg(fs(40 * p.clkinNs));
    for (const Measure &m : p.outputs) {
        text += QStringLiteral(
                        "        t0 := now + %1;\n"
                        "        rise(%2, t0);\n"
                        "        t1 := now;\n"
                        "        for i in 1 to %3 loop\n"
                        "            rise(%2, t0);\n"
                        "        end loop;\n"
                        "        if timed_out then\n"
                        "            no_edges(\"%4\");\n"
                        "        else\n"
                        "            value := %5 / elapsed_ns(now - t1);\n"
                        "            check(\"%4\", %6, value, \"MHz\", (value - %6) / %6 * 1.0e6, \"ppm\", %7);\n"
                        "        end if;\n")
                        .arg(fs(p.limitNs), m.port)
                        .arg(Cycles)
                        .arg(m.name, real(1000.0 * Cycles), real(m.mhz), real(FrequencyLimitPpm));
    }
    if (p.phase) {
        const double period = 1000.0 / p.outputs.first().mhz;
        text += QStringLiteral(
                        "        t2 := now + %1;\n"
                        "        rise(clkout, t2);\n"
                        "        t0 := now;\n"
                        "        rise(clkoutp, t2);\n"
                        "        t1 := now;\n"
                        "        if not timed_out then\n"
                        "            wait until falling_edge(clkoutp) for t2 - now;\n"
                        "        end if;\n"
                        "        if timed_out or now >= t2 then\n"
                        "            no_edges(\"CLKOUTP phase\");\n"
                        "        else\n"
                        "            -- Phase is measured from a CLKOUT edge and folded into one period either way.\n"
                        "            value := elapsed_ns(t1 - t0) / %2 * 360.0 - %3;\n"
                        "            value := value - 360.0 * floor(value / 360.0 + 0.5);\n"
                        "            check(\"CLKOUTP phase\", %3, %3 + value, \"deg\", value, \"deg\", %4);\n"
                        "            value := elapsed_ns(now - t1) / %2 * 100.0;\n"
                        "            check(\"CLKOUTP duty\", %5, value, \"%\", value - %5, \"%\", %6);\n"
                        "        end if;\n")
                        .arg(fs(p.limitNs), real(period), real(p.phaseDegrees), real(PhaseLimitDegrees),
                             real(p.dutyPercent), real(DutyLimitPercent));
    }
    text += BenchParts::vhdlVerdict();
    return text;
}

} // namespace

QString benchText(const Settings &s)
{
    const Plan p = plan(s);
    return s.vhdl ? vhdlBench(s, p) : verilogBench(s, p);
}

} // namespace ModGen
