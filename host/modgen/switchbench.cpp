// SPDX-License-Identifier: MIT
// The self-checking testbench of a module and its switching block.
#include "benchparts.h"
#include "switchblock.h"

#include <algorithm>

namespace ModGen {

namespace {

// Cycles an output is measured over, and how far it may be off: as the module's own bench.
const int Cycles = 32;
const double LimitPpm = 1000.0;

struct Output
{
    QString name; // CLKOUT
    QString port; // clkout
    double (*mhz)(const Frequencies &);
};

QList<Output> outputs(const Settings &s)
{
    QList<Output> list{{QStringLiteral("CLKOUT"), QStringLiteral("clkout"), [](const Frequencies &f) {
                            return f.clkout;
                        }}};
    if (s.clkoutp)
        list << Output{QStringLiteral("CLKOUTP"), QStringLiteral("clkoutp"), [](const Frequencies &f) {
                           return f.clkoutp;
                       }};
    if (s.clkoutd)
        list << Output{QStringLiteral("CLKOUTD"), QStringLiteral("clkoutd"), [](const Frequencies &f) {
                           return f.clkoutd;
                       }};
    if (s.clkoutd3)
        list << Output{QStringLiteral("CLKOUTD3"), QStringLiteral("clkoutd3"), [](const Frequencies &f) {
                           return f.clkoutd3;
                       }};
    return list;
}

// Every profile, then back to the first: 0, 1, ..., n-1, n-2, ..., 0.
QList<int> walk(int n)
{
    QList<int> order;
    for (int i = 0; i < n; ++i)
        order << i;
    for (int i = n - 2; i >= 0; --i)
        order << i;
    return order;
}

using BenchParts::real;

int profileWidth(int count)
{
    int width = 1;
    while ((1 << width) < count)
        ++width;
    return width;
}

// How long one visit may take at most, in ns: the hold, a relock and each measurement.
double visitLimitNs(const Settings &s, const QList<SwitchProfile> &profiles)
{
    const double clkinNs = 1000.0 / s.fclkin;
    double slowest = clkinNs;
    for (const SwitchProfile &p : profiles) {
        const Frequencies f = frequencies(withProfile(s, p));
        for (const Output &o : outputs(s))
            slowest = std::max(slowest, 1000.0 / o.mhz(f));
    }
    return 200.0 * clkinNs + 4.0 * (Cycles + 2) * slowest * (outputs(s).size() + 1) + 1000.0;
}

// What the bench drives each module input with; the block drives reset and the selects.
QString inputValue(const Settings &s, const QString &port)
{
    if (port == QLatin1String("vren"))
        return QStringLiteral("1");
    if (port == QLatin1String("psda"))
        return QString::number(s.psda);
    if (port == QLatin1String("dutyda"))
        return QString::number(s.dutyda);
    return QStringLiteral("0");
}

bool fromBlock(const QString &port)
{
    return port == QLatin1String("reset") || port == QLatin1String("idsel") || port == QLatin1String("fbdsel")
           || port == QLatin1String("odsel") || port == QLatin1String("lock") || port == QLatin1String("clkin");
}

QString blockSignal(const QString &port)
{
    return port == QLatin1String("reset") ? QStringLiteral("pll_reset") : port;
}

QString intro(const Settings &s, const QList<SwitchProfile> &profiles, const QString &prefix)
{
    return prefix
           + QStringLiteral("Self-checking testbench of %1 with %2: switches through every profile and back,\n")
                     .arg(s.module, switchName(s))
           + prefix
           + QStringLiteral("measures each output over %1 cycles after each relock (within %2 ppm) and the VCO the\n")
                     .arg(Cycles)
                     .arg(LimitPpm)
           + prefix
           + QStringLiteral("block's odsel sets, and ends with a PASS or FAIL line. %1 profiles, CLKIN %2 MHz.\n")
                     .arg(profiles.size())
                     .arg(QString::number(s.fclkin));
}

QString verilogBench(const Settings &s, const QList<SwitchProfile> &profiles)
{
    const QList<Port> list = ports(s);
    const QList<Output> outs = outputs(s);
    const int w = profileWidth(profiles.size());
    const QList<int> order = walk(profiles.size());
    QString text = intro(s, profiles, QStringLiteral("// "));
    text += QStringLiteral("`timescale 1ns / 1fs\n\nmodule %1_tb;\n\n"
                           "    reg clkin = 1'b0;\n"
                           "    reg rst = 1'b1;\n"
                           "    reg [%2:0] profile = %3'd0;\n"
                           "    reg request = 1'b0;\n"
                           "    wire pll_reset, lock, busy, done;\n"
                           "    wire [5:0] idsel, fbdsel, odsel;\n")
                    .arg(switchName(s))
                    .arg(w - 1)
                    .arg(w);
    for (const Port &port : list) {
        const QString width = port.width > 1 ? QStringLiteral("[%1:0] ").arg(port.width - 1) : QString();
        if (port.output && port.name != QLatin1String("lock"))
            text += QStringLiteral("    wire %1;\n").arg(port.name);
        else if (port.name == QLatin1String("clkfb"))
            text += QStringLiteral("    wire clkfb = clkout;\n");
        else if (!port.output && !fromBlock(port.name))
            text += QStringLiteral("    reg %1%2 = %3;\n").arg(width, port.name, inputValue(s, port.name));
    }
    text += QStringLiteral("\n    %1 dut (\n").arg(s.module);
    for (int i = 0; i < list.size(); ++i)
        text += QStringLiteral("        .%1(%2)%3\n")
                        .arg(list[i].name, blockSignal(list[i].name),
                             i + 1 < list.size() ? QStringLiteral(",") : QString());
    text += QStringLiteral("    );\n\n    %1 switcher (\n"
                           "        .clk(clkin),\n        .rst(rst),\n        .profile(profile),\n"
                           "        .request(request),\n        .lock(lock),\n        .pll_reset(pll_reset),\n"
                           "        .idsel(idsel),\n        .fbdsel(fbdsel),\n        .odsel(odsel),\n"
                           "        .busy(busy),\n        .done(done)\n    );\n\n"
                           "    initial forever #(%2) clkin = ~clkin;\n\n"
                           "    integer checks = 0;\n"
                           "    integer failed = 0;\n"
                           "    reg [8 * 24:1] current = \"reset\";\n"
                           "    real t0, t1, clkout_mhz;\n\n")
                    .arg(switchName(s), real(500.0 / s.fclkin));
    // Verilog's format specifiers look like QString's place markers: this part takes none.
    const QString within = QStringLiteral("ppm <= LIMIT && ppm >= -LIMIT")
                                   .replace(QLatin1String("LIMIT"), real(LimitPpm));
    text += QStringLiteral(
                    "    task check(input [8 * 24:1] name, input real achieved, input real measured);\n"
                    "        real ppm;\n"
                    "        begin\n"
                    "            ppm = (measured - achieved) / achieved * 1.0e6;\n"
                    "            checks = checks + 1;\n"
                    "            if (!(WITHIN))\n"
                    "                failed = failed + 1;\n"
                    "            $display(\"%0s: achieved %0.6f MHz, measured %0.6f MHz, error %0.2f ppm: %0s\", "
                    "name, achieved,\n"
                    "                     measured, ppm, (WITHIN) ? \"ok\" : \"FAIL\");\n"
                    "        end\n"
                    "    endtask\n\n")
                    .replace(QLatin1String("WITHIN"), within);
    text += QStringLiteral("    // Asks the block for a profile and waits until the PLL has locked on it.\n"
                           "    task switch_to(input [%1:0] number);\n"
                           "        begin\n"
                           "            current = \"switch\";\n"
                           "            @(negedge clkin) profile = number;\n"
                           "            request = 1'b1;\n"
                           "            @(negedge clkin) request = 1'b0;\n"
                           "            @(posedge done);\n"
                           "        end\n"
                           "    endtask\n\n"
                           "    // The VCO the block sets: the measured CLKOUT times the ODIV its odsel decodes to.\n"
                           "    task vco(input [8 * 24:1] name, input real achieved);\n"
                           "        check(name, achieved, clkout_mhz * 2.0 * (64 - odsel));\n"
                           "    endtask\n\n")
                    .arg(w - 1);
    for (const Output &o : outs) {
        text += QStringLiteral("    task measure_%1(input [8 * 24:1] name, input real achieved);\n"
                               "        begin\n"
                               "            current = name;\n"
                               "            @(posedge %1) t0 = $realtime;\n"
                               "            repeat (%2) @(posedge %1);\n"
                               "            t1 = %3 / ($realtime - t0);\n"
                               "            check(name, achieved, t1);\n"
                               "%4"
                               "        end\n"
                               "    endtask\n\n")
                        .arg(o.port)
                        .arg(Cycles)
                        .arg(real(1000.0 * Cycles), o.port == QLatin1String("clkout")
                                                            ? QStringLiteral("            clkout_mhz = t1;\n")
                                                            : QString());
    }
    text += QStringLiteral("    initial begin\n"
                           "        repeat (4) @(posedge clkin);\n"
                           "        rst = 1'b0;\n"
                           "        current = \"profile 0 lock\";\n"
                           "        @(posedge done);\n");
    for (int k = 0; k < order.size(); ++k) {
        const int p = order[k];
        const Frequencies f = frequencies(withProfile(s, profiles[p]));
        if (k > 0)
            text += QStringLiteral("        switch_to(%1'd%2);\n").arg(w).arg(p);
        for (const Output &o : outs)
            text += QStringLiteral("        measure_%1(\"profile %2 %3\", %4);\n")
                            .arg(o.port)
                            .arg(p)
                            .arg(o.name, real(o.mhz(f)));
        if (s.dynOdiv)
            text += QStringLiteral("        vco(\"profile %1 VCO\", %2);\n").arg(p).arg(real(f.vco));
    }
    text += QStringLiteral("        if (failed == 0)\n"
                           "            $display(\"PASS: %0d checks\", checks);\n"
                           "        else\n"
                           "            $display(\"FAIL: %0d of %0d checks\", failed, checks);\n"
                           "        $finish;\n"
                           "    end\n\n"
                           "    // A PLL that never locks or an output that never toggles ends the run instead of "
                           "hanging it.\n"
                           "    initial begin\n"
                           "        #(LIMIT);\n"
                           "        $display(\"%0s: no clock edges within LIMIT ns: FAIL\", current);\n"
                           "        $display(\"FAIL: %0s does not finish\", current);\n"
                           "        $finish;\n"
                           "    end\n\nendmodule\n")
                    .replace(QLatin1String("LIMIT"), real(visitLimitNs(s, profiles) * (order.size() + 1)));
    return text;
}

QString vhdlBench(const Settings &s, const QList<SwitchProfile> &profiles)
{
    const QList<Port> list = ports(s);
    const QList<Output> outs = outputs(s);
    const int w = profileWidth(profiles.size());
    const QList<int> order = walk(profiles.size());
    const auto fs = [](double ns) {
        return QStringLiteral("%1 fs").arg(qRound64(ns * 1e6));
    };
    const QString limit = fs(visitLimitNs(s, profiles));
    QString text = intro(s, profiles, QStringLiteral("-- "));
    text += QStringLiteral("library IEEE;\nuse IEEE.std_logic_1164.all;\nuse IEEE.numeric_std.all;\nuse "
                           "std.textio.all;\n\n"
                           "entity %1_tb is\nend %1_tb;\n\narchitecture sim of %1_tb is\n\n"
                           "    signal clkin: std_logic := '0';\n"
                           "    signal rst: std_logic := '1';\n"
                           "    signal profile: std_logic_vector(%2 downto 0) := (others => '0');\n"
                           "    signal request: std_logic := '0';\n"
                           "    signal pll_reset, lock, busy, done: std_logic;\n"
                           "    signal idsel, fbdsel, odsel: std_logic_vector(5 downto 0);\n")
                    .arg(switchName(s))
                    .arg(w - 1);
    for (const Port &port : list) {
        const QString type = port.width > 1 ? QStringLiteral("std_logic_vector(%1 downto 0)").arg(port.width - 1)
                                            : QStringLiteral("std_logic");
        if ((port.output && port.name != QLatin1String("lock")) || port.name == QLatin1String("clkfb"))
            text += QStringLiteral("    signal %1: %2;\n").arg(port.name, type);
        else if (!port.output && !fromBlock(port.name) && port.width > 1)
            text += QStringLiteral("    signal %1: %2 := std_logic_vector(to_unsigned(%3, %4));\n")
                            .arg(port.name, type, inputValue(s, port.name))
                            .arg(port.width);
        else if (!port.output && !fromBlock(port.name))
            text += QStringLiteral("    signal %1: %2 := '%3';\n").arg(port.name, type, inputValue(s, port.name));
    }
    text += QStringLiteral("\nbegin\n\n    clkin <= not clkin after %1;\n").arg(fs(500.0 / s.fclkin));
    if (s.clkfbSel != 0)
        text += QStringLiteral("    clkfb <= clkout;\n");
    text += QStringLiteral("\n    dut: entity work.%1\n        port map (\n").arg(s.module);
    for (int i = 0; i < list.size(); ++i)
        text += QStringLiteral("            %1 => %2%3\n")
                        .arg(list[i].name, blockSignal(list[i].name),
                             i + 1 < list.size() ? QStringLiteral(",") : QString());
    text += QStringLiteral(
                    "        );\n\n"
                    "    switcher: entity work.%1\n"
                    "        port map (clk => clkin, rst => rst, profile => profile, request => request, lock => "
                    "lock,\n"
                    "                  pll_reset => pll_reset, idsel => idsel, fbdsel => fbdsel, odsel => odsel,\n"
                    "                  busy => busy, done => done);\n\n"
                    "    run: process\n"
                    "        variable checks, failed: integer := 0;\n"
                    "        variable t0, t1: time;\n"
                    "        variable clkout_mhz: real := 0.0;\n"
                    "        variable timed_out: boolean := false;\n"
                    "        variable l: line;\n\n"
                    "        procedure check(name: string; achieved, measured: real) is\n"
                    "            variable ppm: real;\n"
                    "        begin\n"
                    "            ppm := (measured - achieved) / achieved * 1.0e6;\n"
                    "            checks := checks + 1;\n"
                    "            write(l, name & \": achieved \");\n"
                    "            write(l, achieved, right, 0, 6);\n"
                    "            write(l, string'(\" MHz, measured \"));\n"
                    "            write(l, measured, right, 0, 6);\n"
                    "            write(l, string'(\" MHz, error \"));\n"
                    "            write(l, ppm, right, 0, 2);\n"
                    "            if abs(ppm) <= %2 then\n"
                    "                write(l, string'(\" ppm: ok\"));\n"
                    "            else\n"
                    "                write(l, string'(\" ppm: FAIL\"));\n"
                    "                failed := failed + 1;\n"
                    "            end if;\n"
                    "            writeline(output, l);\n"
                    "        end procedure;\n\n"
                    "        -- A PLL that never locks or an output that never toggles ends the run instead of\n"
                    "        -- hanging it.\n"
                    "%4%5"
                    "        procedure measure(signal clk: std_logic; name: string; achieved: real) is\n"
                    "            variable deadline: time;\n"
                    "        begin\n"
                    "            deadline := now + %3;\n"
                    "            rise(clk, deadline);\n"
                    "            t0 := now;\n"
                    "            for i in 1 to %6 loop\n"
                    "                rise(clk, deadline);\n"
                    "            end loop;\n"
                    "            if timed_out then\n"
                    "                no_edges(name);\n"
                    "            else\n"
                    "                t1 := now - t0;\n"
                    "                check(name, achieved, %7 / (real(t1 / 1 fs) * 1.0e-6));\n"
                    "            end if;\n"
                    "        end procedure;\n\n"
                    "        -- Asks the block for a profile and waits until the PLL has locked on it.\n"
                    "        procedure switch_to(number: integer) is\n"
                    "        begin\n"
                    "            wait until falling_edge(clkin);\n"
                    "            profile <= std_logic_vector(to_unsigned(number, %8));\n"
                    "            request <= '1';\n"
                    "            wait until falling_edge(clkin);\n"
                    "            request <= '0';\n"
                    "            wait until done = '1' for %3;\n"
                    "            if done /= '1' then\n"
                    "                no_edges(\"profile \" & integer'image(number) & \" lock\");\n"
                    "            end if;\n"
                    "        end procedure;\n\n"
                    "        -- The VCO the block sets: the measured CLKOUT times the ODIV its odsel decodes to.\n"
                    "        procedure vco(name: string; achieved: real) is\n"
                    "        begin\n"
                    "            check(name, achieved, clkout_mhz * 2.0 * real(64 - to_integer(unsigned(odsel))));\n"
                    "        end procedure;\n\n"
                    "    begin\n"
                    "        for i in 1 to 4 loop\n"
                    "            wait until rising_edge(clkin);\n"
                    "        end loop;\n"
                    "        rst <= '0';\n"
                    "        wait until done = '1' for %3;\n"
                    "        if done /= '1' then\n"
                    "            no_edges(\"profile 0 lock\");\n"
                    "        end if;\n")
                    .arg(switchName(s), real(LimitPpm), limit, BenchParts::vhdlNoEdges(limit), BenchParts::vhdlRise())
                    .arg(Cycles)
                    .arg(real(1000.0 * Cycles))
                    .arg(w);
    for (int k = 0; k < order.size(); ++k) {
        const int p = order[k];
        const Frequencies f = frequencies(withProfile(s, profiles[p]));
        if (k > 0)
            text += QStringLiteral("        switch_to(%1);\n").arg(p);
        for (const Output &o : outs) {
            text += QStringLiteral("        measure(%1, \"profile %2 %3\", %4);\n")
                            .arg(o.port)
                            .arg(p)
                            .arg(o.name, real(o.mhz(f)));
            if (o.port == QLatin1String("clkout"))
                text += QStringLiteral("        clkout_mhz := %1 / (real(t1 / 1 fs) * 1.0e-6);\n")
                                .arg(real(1000.0 * Cycles));
        }
        if (s.dynOdiv)
            text += QStringLiteral("        vco(\"profile %1 VCO\", %2);\n").arg(p).arg(real(f.vco));
    }
    text += BenchParts::vhdlVerdict();
    return text;
}

} // namespace

QString switchBenchText(const Settings &s, const QList<SwitchProfile> &profiles)
{
    return s.vhdl ? vhdlBench(s, profiles) : verilogBench(s, profiles);
}

} // namespace ModGen
