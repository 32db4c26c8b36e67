// SPDX-License-Identifier: MIT
#include "names.h"

#include <echo.h>

#include <QRegularExpression>
#include <QSet>

namespace ModGen {

namespace {

QSet<QString> wordSet(const char *words)
{
    const QStringList list = QString::fromLatin1(words).split(QLatin1Char(' '));
    return QSet<QString>(list.begin(), list.end());
}

// The keywords of SystemVerilog (IEEE 1800-2017), which include those of every
// Verilog; Verilog is case-sensitive.
const QSet<QString> &verilogWords()
{
    static const QSet<QString> words = wordSet(
            "accept_on alias always always_comb always_ff always_latch and assert assign assume automatic "
            "before begin bind bins binsof bit break buf bufif0 bufif1 byte case casex casez cell chandle "
            "checker class clocking cmos config const constraint context continue cover covergroup "
            "coverpoint cross deassign default defparam design disable dist do edge else end endcase "
            "endchecker endclass endclocking endconfig endfunction endgenerate endgroup endinterface "
            "endmodule endpackage endprimitive endprogram endproperty endspecify endsequence endtable "
            "endtask enum event eventually expect export extends extern final first_match for force "
            "foreach forever fork forkjoin function generate genvar global highz0 highz1 if iff ifnone "
            "ignore_bins illegal_bins implements implies import incdir include initial inout input inside "
            "instance int integer interconnect interface intersect join join_any join_none large let "
            "liblist library local localparam logic longint macromodule matches medium modport module "
            "nand negedge nettype new nexttime nmos nor noshowcancelled not notif0 notif1 null or output "
            "package packed parameter pmos posedge primitive priority program property protected pull0 "
            "pull1 pulldown pullup pulsestyle_ondetect pulsestyle_onevent pure rand randc randcase "
            "randsequence rcmos real realtime ref reg reject_on release repeat restrict return rnmos "
            "rpmos rtran rtranif0 rtranif1 s_always s_eventually s_nexttime s_until s_until_with "
            "scalared sequence shortint shortreal showcancelled signed small soft solve specify "
            "specparam static string strong strong0 strong1 struct super supply0 supply1 sync_accept_on "
            "sync_reject_on table tagged task this throughout time timeprecision timeunit tran tranif0 "
            "tranif1 tri tri0 tri1 triand trior trireg type typedef union unique unique0 unsigned until "
            "until_with untyped use uwire var vectored virtual void wait wait_order wand weak weak0 weak1 "
            "while wildcard wire with within wor xnor xor");
    return words;
}

// VHDL-2008 reserved words; VHDL is case-insensitive.
const QSet<QString> &vhdlWords()
{
    static const QSet<QString> words = {"abs", "access", "after", "alias", "all", "and", "architecture", "array",
                                        "assert", "assume", "assume_guarantee", "attribute", "begin", "block", "body",
                                        "buffer", "bus", "case", "component", "configuration", "constant", "context",
                                        "cover", "default", "disconnect", "downto", "else", "elsif", "end", "entity",
                                        "exit", "fairness", "file", "for", "force", "function", "generate", "generic",
                                        "group", "guarded", "if", "impure", "in", "inertial", "inout", "is", "label",
                                        "library", "linkage", "literal", "loop", "map", "mod", "nand", "new", "next",
                                        "nor", "not", "null", "of", "on", "open", "or", "others", "out", "package",
                                        "parameter", "port", "postponed", "procedure", "process", "property",
                                        "protected", "pure", "range", "record", "register", "reject", "release", "rem",
                                        "report", "restrict", "restrict_guarantee", "return", "rol", "ror", "select",
                                        "sequence", "severity", "shared", "signal", "sla", "sll", "sra", "srl",
                                        "strong", "subtype", "then", "to", "transport", "type", "unaffected", "units",
                                        "until", "use", "variable", "vmode", "vprop", "vunit", "wait", "when", "while",
                                        "with", "xnor", "xor",
                                        // Names the generated VHDL itself relies on.
                                        "ieee", "std", "std_logic", "std_logic_vector", "std_logic_1164", "work"};
    return words;
}

// The names VHDL declares in std.standard, visible in every design unit: a module
// named after one hides it, and the generated code that uses it no longer compiles.
const QSet<QString> &vhdlPredefined()
{
    static const QSet<QString> names = [] {
        QSet<QString> set = wordSet(
                "boolean false true bit character severity_level note warning error failure integer real time fs "
                "ps ns us ms sec min hr delay_length now natural positive string boolean_vector bit_vector "
                "integer_vector real_vector time_vector file_open_kind read_mode write_mode append_mode "
                "file_open_status open_ok status_error name_error mode_error foreign minimum maximum to_string "
                "to_bstring to_binary_string to_ostring to_octal_string to_hstring to_hex_string rising_edge "
                "falling_edge nul soh stx etx eot enq ack bel bs ht lf vt ff cr so si dle dc1 dc2 dc3 dc4 nak "
                "syn etb can em sub esc fsp gsp rsp usp del");
        for (int code = 128; code <= 159; ++code)
            set.insert(QStringLiteral("c%1").arg(code));
        return set;
    }();
    return names;
}

// Names inside the generated module: the primitive, its instance and the ports.
const QSet<QString> &generatedNames()
{
    static const QSet<QString> names = {"mirel",   "mirel_inst", "rtl",    "reset",   "vren",    "clkin", "idsel",
                                        "reset_p", "clkfb",      "fbdsel", "lock",    "clkout",  "odsel", "clkoutp",
                                        "psda",    "dutyda",     "fdly",   "clkoutd", "clkoutd3"};
    return names;
}

} // namespace

QString moduleNameProblem(const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("The module name is empty.");
    // The common ground of both languages: a letter first, then letters, digits
    // and single underscores, not ending in one.
    static const QRegularExpression legal(QStringLiteral("^[A-Za-z](?:_?[A-Za-z0-9])*$"));
    if (!legal.match(name).hasMatch())
        return QStringLiteral("The module name \"%1\" is not a legal Verilog and VHDL identifier: "
                              "use a letter first, then letters, digits and single underscores, "
                              "not ending in an underscore.")
                .arg(Utils::echo(name));
    if (name.size() > MaxModuleName)
        return QStringLiteral("The module name \"%1\" is too long: %2 characters, of at most %3 that every supported "
                              "tool takes (with \"_tb\" added for the testbench).")
                .arg(Utils::echo(name))
                .arg(name.size())
                .arg(MaxModuleName);
    const QString lower = name.toLower();
    if (verilogWords().contains(name) || vhdlWords().contains(lower))
        return QStringLiteral("The module name \"%1\" is a reserved word of Verilog or VHDL.").arg(Utils::echo(name));
    if (vhdlPredefined().contains(lower))
        return QStringLiteral("The module name \"%1\" is a name VHDL predefines (std.standard); choose another name.")
                .arg(Utils::echo(name));
    if (generatedNames().contains(lower))
        return QStringLiteral("The module name \"%1\" is used inside the generated module; choose another name.")
                .arg(Utils::echo(name));
    return {};
}

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

} // namespace ModGen
