// SPDX-License-Identifier: MIT
// The switching block: a small state machine that moves a module with dynamic dividers
// from one profile to another, in Verilog or VHDL.
#include "switchblock.h"

#include "names.h"

#include <stagedfiles.h>

namespace ModGen {

namespace {

// Clock cycles the PLL stays in reset with the new codes before it is released.
const int HoldCycles = 8;

QString binary(int value, int width)
{
    return QString::number(value, 2).rightJustified(width, QLatin1Char('0'));
}

// Bits of the profile number.
int profileWidth(int count)
{
    int width = 1;
    while ((1 << width) < count)
        ++width;
    return width;
}

// The three select codes of a profile, idsel first, as one 18-bit word.
QString codeBits(const SwitchProfile &p)
{
    return binary(64 - p.idiv, 6) + binary(64 - p.fbdiv, 6) + binary(odselCode(p.odiv), 6);
}

QStringList header(const Settings &s, const QList<SwitchProfile> &profiles)
{
    QStringList lines;
    lines << QStringLiteral("Switching block of %1: %2 profiles from CLKIN %3 MHz on %4, for the module that")
                     .arg(s.module)
                     .arg(profiles.size())
                     .arg(QString::number(s.fclkin), commentSafe(s.device))
          << QStringLiteral("%1.ipc generates (%1.v or .vhd beside this file). Its ports:").arg(s.file)
          << QStringLiteral("  clk        a clock that runs while the PLL is held in reset: the PLL's clkin will do")
          << QStringLiteral("  rst        synchronous reset, active high; the block then sets profile 0")
          << QStringLiteral("  profile    the profile to switch to, read while request is high")
          << QStringLiteral("  request    high for one clk cycle asks for a switch; ignored while busy%1")
                     .arg((1 << profileWidth(profiles.size())) > profiles.size()
                                  ? QStringLiteral(" or past profile %1").arg(profiles.size() - 1)
                                  : QString())
          << QStringLiteral("  lock       from the module's lock")
          << QStringLiteral("  pll_reset  to the module's reset: high while the codes change")
          << QStringLiteral("  idsel, fbdsel, odsel  to the module's selects of the same names")
          << QStringLiteral("  busy       high from a request until the PLL has locked on the new profile")
          << QStringLiteral("  done       high for one clk cycle when it has")
          << QStringLiteral("Profiles (IDIV = 64 - idsel, FBDIV = 64 - fbdsel, ODIV = 2 x (64 - odsel)):");
    for (int i = 0; i < profiles.size(); ++i) {
        const SwitchProfile &p = profiles[i];
        const Frequencies f = frequencies(withProfile(s, p));
        lines << QStringLiteral("  profile %1: IDIV %2, FBDIV %3, ODIV %4 (idsel %5, fbdsel %6, odsel %7): "
                                "CLKOUT %8 MHz, VCO %9 MHz")
                         .arg(i)
                         .arg(p.idiv)
                         .arg(p.fbdiv)
                         .arg(p.odiv)
                         .arg(64 - p.idiv)
                         .arg(64 - p.fbdiv)
                         .arg(odselCode(p.odiv))
                         .arg(QString::number(f.clkout, 'f', 3), QString::number(f.vco, 'f', 3));
    }
    return lines;
}

QString comment(const QStringList &lines, const QString &prefix)
{
    QString text;
    for (const QString &line : lines)
        text += prefix + line + QLatin1Char('\n');
    return text + QLatin1Char('\n');
}

QString verilogBlock(const Settings &s, const QList<SwitchProfile> &profiles)
{
    const int n = profiles.size(), w = profileWidth(n);
    QString text = comment(header(s, profiles), QStringLiteral("// "));
    text += QStringLiteral("`timescale 1ns / 1ps\n\n"
                           "module %1 (\n"
                           "    input clk,\n"
                           "    input rst,\n"
                           "    input [%2:0] profile,\n"
                           "    input request,\n"
                           "    input lock,\n"
                           "    output pll_reset,\n"
                           "    output [5:0] idsel,\n"
                           "    output [5:0] fbdsel,\n"
                           "    output [5:0] odsel,\n"
                           "    output busy,\n"
                           "    output done\n"
                           ");\n\n"
                           "    localparam [1:0] HOLD = 2'd0, WAIT_LOCK = 2'd1, IDLE = 2'd2;\n"
                           "    localparam [3:0] HOLD_CYCLES = 4'd%3;\n\n"
                           "    reg [1:0] state = HOLD;\n"
                           "    reg [%2:0] target = %4'd0;\n"
                           "    reg [3:0] count = 4'd0;\n"
                           "    // lock comes from the PLL: two flip-flops bring it into clk's domain.\n"
                           "    reg [1:0] lock_sync = 2'b00;\n"
                           "    reg reset_q = 1'b1;\n"
                           "    reg done_q = 1'b0;\n"
                           "    reg [17:0] codes_q = 18'b%5;\n"
                           "    reg [17:0] codes;\n\n"
                           "    // {idsel, fbdsel, odsel} of each profile.\n"
                           "    always @(*) begin\n"
                           "        case (target)\n")
                    .arg(switchName(s))
                    .arg(w - 1)
                    .arg(HoldCycles)
                    .arg(w)
                    .arg(codeBits(profiles.first()));
    for (int i = 0; i < n; ++i)
        text += QStringLiteral("            %1'd%2: codes = 18'b%3;\n").arg(w).arg(i).arg(codeBits(profiles[i]));
    if ((1 << w) > n)
        text += QStringLiteral("            default: codes = 18'b%1;\n").arg(codeBits(profiles.first()));
    text += QStringLiteral("        endcase\n"
                           "    end\n\n"
                           "    always @(posedge clk) begin\n"
                           "        lock_sync <= {lock_sync[0], lock};\n"
                           "        done_q <= 1'b0;\n"
                           "        if (rst) begin\n"
                           "            state <= HOLD;\n"
                           "            target <= %1'd0;\n"
                           "            count <= 4'd0;\n"
                           "            reset_q <= 1'b1;\n"
                           "        end else begin\n"
                           "            case (state)\n"
                           "                // The PLL is in reset: the codes change, and it is released once it has\n"
                           "                // held them for HOLD_CYCLES and its lock has fallen.\n"
                           "                HOLD: begin\n"
                           "                    codes_q <= codes;\n"
                           "                    if (count != HOLD_CYCLES) begin\n"
                           "                        count <= count + 4'd1;\n"
                           "                    end else if (!lock_sync[1]) begin\n"
                           "                        reset_q <= 1'b0;\n"
                           "                        state <= WAIT_LOCK;\n"
                           "                    end\n"
                           "                end\n"
                           "                WAIT_LOCK: begin\n"
                           "                    if (lock_sync[1]) begin\n"
                           "                        done_q <= 1'b1;\n"
                           "                        state <= IDLE;\n"
                           "                    end\n"
                           "                end\n"
                           "                default: begin\n"
                           "                    if (request%2) begin\n"
                           "                        target <= profile;\n"
                           "                        count <= 4'd0;\n"
                           "                        reset_q <= 1'b1;\n"
                           "                        state <= HOLD;\n"
                           "                    end\n"
                           "                end\n"
                           "            endcase\n"
                           "        end\n"
                           "    end\n\n"
                           "    assign pll_reset = reset_q;\n"
                           "    assign {idsel, fbdsel, odsel} = codes_q;\n"
                           "    assign busy = state != IDLE;\n"
                           "    assign done = done_q;\n\n"
                           "endmodule\n")
                    .arg(w)
                    .arg((1 << w) > n ? QStringLiteral(" && profile < %1'd%2").arg(w).arg(n) : QString());
    return text;
}

QString vhdlBlock(const Settings &s, const QList<SwitchProfile> &profiles)
{
    const int n = profiles.size(), w = profileWidth(n);
    QString table;
    for (int i = 0; i < n; ++i)
        table += QStringLiteral("        %1 => \"%2\"%3\n")
                         .arg(i)
                         .arg(codeBits(profiles[i]))
                         .arg(i + 1 < n ? QStringLiteral(",") : QString());
    // A one-element aggregate needs its choice; every table here names them.
    QString text = comment(header(s, profiles), QStringLiteral("-- "));
    text += QStringLiteral(
                    "library IEEE;\nuse IEEE.std_logic_1164.all;\nuse IEEE.numeric_std.all;\n\n"
                    "entity %1 is\n"
                    "    port (\n"
                    "        clk: in std_logic;\n"
                    "        rst: in std_logic;\n"
                    "        profile: in std_logic_vector(%2 downto 0);\n"
                    "        request: in std_logic;\n"
                    "        lock: in std_logic;\n"
                    "        pll_reset: out std_logic;\n"
                    "        idsel: out std_logic_vector(5 downto 0);\n"
                    "        fbdsel: out std_logic_vector(5 downto 0);\n"
                    "        odsel: out std_logic_vector(5 downto 0);\n"
                    "        busy: out std_logic;\n"
                    "        done: out std_logic\n"
                    "    );\n"
                    "end %1;\n\n"
                    "architecture rtl of %1 is\n\n"
                    "    type state_type is (HOLD, WAIT_LOCK, IDLE);\n"
                    "    -- idsel & fbdsel & odsel of each profile.\n"
                    "    type code_table is array (0 to %3) of std_logic_vector(17 downto 0);\n"
                    "    constant CODES: code_table := (\n%4    );\n"
                    "    constant HOLD_CYCLES: integer := %5;\n\n"
                    "    signal state: state_type := HOLD;\n"
                    "    signal target: integer range 0 to %3 := 0;\n"
                    "    signal count: integer range 0 to HOLD_CYCLES := 0;\n"
                    "    -- lock comes from the PLL: two flip-flops bring it into clk's domain.\n"
                    "    signal lock_sync: std_logic_vector(1 downto 0) := \"00\";\n"
                    "    signal reset_q: std_logic := '1';\n"
                    "    signal done_q: std_logic := '0';\n"
                    "    signal codes_q: std_logic_vector(17 downto 0) := CODES(0);\n\n"
                    "begin\n\n"
                    "    process (clk)\n"
                    "    begin\n"
                    "        if rising_edge(clk) then\n"
                    "            lock_sync <= lock_sync(0) & lock;\n"
                    "            done_q <= '0';\n"
                    "            if rst = '1' then\n"
                    "                state <= HOLD;\n"
                    "                target <= 0;\n"
                    "                count <= 0;\n"
                    "                reset_q <= '1';\n"
                    "            else\n"
                    "                case state is\n"
                    "                    -- The PLL is in reset: the codes change, and it is released once it has\n"
                    "                    -- held them for HOLD_CYCLES and its lock has fallen.\n"
                    "                    when HOLD =>\n"
                    "                        codes_q <= CODES(target);\n"
                    "                        if count /= HOLD_CYCLES then\n"
                    "                            count <= count + 1;\n"
                    "                        elsif lock_sync(1) = '0' then\n"
                    "                            reset_q <= '0';\n"
                    "                            state <= WAIT_LOCK;\n"
                    "                        end if;\n"
                    "                    when WAIT_LOCK =>\n"
                    "                        if lock_sync(1) = '1' then\n"
                    "                            done_q <= '1';\n"
                    "                            state <= IDLE;\n"
                    "                        end if;\n"
                    "                    when IDLE =>\n"
                    "                        if request = '1' and to_integer(unsigned(profile)) <= %3 then\n"
                    "                            target <= to_integer(unsigned(profile));\n"
                    "                            count <= 0;\n"
                    "                            reset_q <= '1';\n"
                    "                            state <= HOLD;\n"
                    "                        end if;\n"
                    "                end case;\n"
                    "            end if;\n"
                    "        end if;\n"
                    "    end process;\n\n"
                    "    pll_reset <= reset_q;\n"
                    "    idsel <= codes_q(17 downto 12);\n"
                    "    fbdsel <= codes_q(11 downto 6);\n"
                    "    odsel <= codes_q(5 downto 0);\n"
                    "    busy <= '0' when state = IDLE else '1';\n"
                    "    done <= done_q;\n\n"
                    "end rtl;\n")
                    .arg(switchName(s))
                    .arg(w - 1)
                    .arg(n - 1)
                    .arg(table)
                    .arg(HoldCycles);
    return text;
}

} // namespace

Settings withProfile(const Settings &s, const SwitchProfile &p)
{
    Settings r = s;
    r.idiv = p.idiv, r.fbdiv = p.fbdiv, r.odiv = p.odiv;
    return r;
}

QString switchName(const Settings &s)
{
    return s.module + QStringLiteral("_switch");
}

QStringList switchProblems(const Settings &s, const QList<SwitchProfile> &profiles)
{
    QStringList problems;
    if (profiles.isEmpty() || profiles.size() > MaxSwitchProfiles)
        problems << QStringLiteral("A switching block takes 1 to %1 profiles, not %2.")
                            .arg(MaxSwitchProfiles)
                            .arg(profiles.size());
    if (const QString problem = moduleNameProblem(switchName(s)); !problem.isEmpty())
        problems << problem;
    if (!s.reset)
        problems << QStringLiteral("The module has no reset port, which the block holds high while the dividers "
                                   "change: generate it with RESET_PLL=true.");
    if (!s.lock)
        problems << QStringLiteral("The module has no lock port, which the block waits for after each change: "
                                   "generate it with LOCK_EN=true.");
    if (s.clkoutBypass)
        problems << QStringLiteral("The module bypasses CLKOUT, so no profile changes it: generate it with "
                                   "CLKOUT_BYPASS=false.");
    for (int i = 0; i < profiles.size(); ++i) {
        const SwitchProfile &p = profiles[i];
        if (p.idiv < 1 || p.idiv > 64 || p.fbdiv < 1 || p.fbdiv > 64 || !odivValues().contains(p.odiv)) {
            problems << QStringLiteral("Profile %1: IDIV %2, FBDIV %3, ODIV %4 are not dividers of the hardware.")
                                .arg(i)
                                .arg(p.idiv)
                                .arg(p.fbdiv)
                                .arg(p.odiv);
            continue;
        }
        // A static divider stays what the module was generated with.
        const struct
        {
            bool dynamic;
            int module, profile;
            const char *name, *key;
        } dividers[] = {{s.dynIdiv, s.idiv, p.idiv, "IDIV", "CLKIN_DIVIDE_DYN"},
                        {s.dynFbdiv, s.fbdiv, p.fbdiv, "FBDIV", "CLKFB_DIVIDE_DYNAMIC"},
                        {s.dynOdiv, s.odiv, p.odiv, "ODIV", "CLKOUT_DIVIDE_DYN"}};
        for (const auto &d : dividers) {
            if (!d.dynamic && d.module != d.profile)
                problems << QStringLiteral("Profile %1 sets %2 %3, but the module's %2 is static (%4): generate it "
                                           "in Advanced Mode with %5=true.")
                                    .arg(i)
                                    .arg(QLatin1String(d.name))
                                    .arg(d.profile)
                                    .arg(d.module)
                                    .arg(QLatin1String(d.key));
        }
        const double vco = frequencies(withProfile(s, p)).vco;
        if (s.vcoMax > 0 && (vco < s.vcoMin * (1.0 - 1e-6) || vco > s.vcoMax * (1.0 + 1e-6)))
            problems << QStringLiteral("Profile %1: the VCO at %2 MHz is outside %3~%4 MHz of %5.")
                                .arg(i)
                                .arg(QString::number(vco, 'f', 3))
                                .arg(s.vcoMin)
                                .arg(s.vcoMax)
                                .arg(commentSafe(s.device));
    }
    return problems;
}

QString switchText(const Settings &s, const QList<SwitchProfile> &profiles)
{
    return s.vhdl ? vhdlBlock(s, profiles) : verilogBlock(s, profiles);
}

bool generateSwitch(const QString &dir, const Settings &s, const QList<SwitchProfile> &profiles, QStringList *errors,
                    QStringList *written)
{
    const QStringList problems = switchProblems(s, profiles);
    if (!problems.isEmpty()) {
        *errors << problems;
        return false;
    }
    const QString extension = s.vhdl ? QStringLiteral(".vhd") : QStringLiteral(".v");
    const QString block = s.file + QStringLiteral("_switch") + extension;
    const QString bench = s.file + QStringLiteral("_switch_tb") + extension;
    FileIO::StagedFiles files;
    QString problem;
    if (!files.open(dir, QString(), s.file, &problem) || !files.add(block, switchText(s, profiles).toUtf8(), &problem)
        || !files.add(bench, switchBenchText(s, profiles).toUtf8(), &problem) || !files.commit(&problem)) {
        errors->append(problem);
        return false;
    }
    if (written)
        *written << dir + QLatin1Char('/') + block << dir + QLatin1Char('/') + bench;
    return true;
}

} // namespace ModGen
