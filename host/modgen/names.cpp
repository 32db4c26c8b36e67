// SPDX-License-Identifier: MIT
#include "names.h"

#include <QRegularExpression>
#include <QSet>

namespace ModGen {

namespace {

// Lower-case Verilog-2005 / SystemVerilog keywords; Verilog is case-sensitive.
const QSet<QString> &verilogWords()
{
    static const QSet<QString> words = {
        "always", "and", "assign", "automatic", "begin", "buf", "bufif0", "bufif1", "case", "casex",
        "casez", "cell", "cmos", "config", "deassign", "default", "defparam", "design", "disable",
        "edge", "else", "end", "endcase", "endconfig", "endfunction", "endgenerate", "endmodule",
        "endprimitive", "endspecify", "endtable", "endtask", "event", "for", "force", "forever",
        "fork", "function", "generate", "genvar", "highz0", "highz1", "if", "ifnone", "incdir",
        "include", "initial", "inout", "input", "instance", "integer", "join", "large", "liblist",
        "library", "localparam", "macromodule", "medium", "module", "nand", "negedge", "nmos",
        "nor", "noshowcancelled", "not", "notif0", "notif1", "or", "output", "parameter", "pmos",
        "posedge", "primitive", "pull0", "pull1", "pulldown", "pullup", "pulsestyle_onevent",
        "pulsestyle_ondetect", "rcmos", "real", "realtime", "reg", "release", "repeat", "rnmos",
        "rpmos", "rtran", "rtranif0", "rtranif1", "scalared", "showcancelled", "signed", "small",
        "specify", "specparam", "strong0", "strong1", "supply0", "supply1", "table", "task", "time",
        "tran", "tranif0", "tranif1", "tri", "tri0", "tri1", "triand", "trior", "trireg", "unsigned",
        "use", "uwire", "vectored", "wait", "wand", "weak0", "weak1", "while", "wire", "wor", "xnor",
        "xor", "logic", "bit", "byte", "int", "shortint", "longint", "interface", "endinterface",
        "package", "endpackage", "class", "endclass", "program", "endprogram", "typedef", "enum",
        "struct", "union", "string", "void", "return", "break", "continue", "import", "export",
        "always_ff", "always_comb", "always_latch", "modport", "clocking", "endclocking", "property",
        "endproperty", "sequence", "endsequence", "assert", "assume", "cover", "const", "var",
        "virtual", "extern", "static", "local", "protected", "this", "super", "new", "null", "type",
        "unique", "priority", "final", "alias", "bind", "chandle", "shortreal"};
    return words;
}

// VHDL-2008 reserved words; VHDL is case-insensitive.
const QSet<QString> &vhdlWords()
{
    static const QSet<QString> words = {
        "abs", "access", "after", "alias", "all", "and", "architecture", "array", "assert", "assume",
        "assume_guarantee", "attribute", "begin", "block", "body", "buffer", "bus", "case",
        "component", "configuration", "constant", "context", "cover", "default", "disconnect",
        "downto", "else", "elsif", "end", "entity", "exit", "fairness", "file", "for", "force",
        "function", "generate", "generic", "group", "guarded", "if", "impure", "in", "inertial",
        "inout", "is", "label", "library", "linkage", "literal", "loop", "map", "mod", "nand", "new",
        "next", "nor", "not", "null", "of", "on", "open", "or", "others", "out", "package",
        "parameter", "port", "postponed", "procedure", "process", "property", "protected", "pure",
        "range", "record", "register", "reject", "release", "rem", "report", "restrict",
        "restrict_guarantee", "return", "rol", "ror", "select", "sequence", "severity", "shared",
        "signal", "sla", "sll", "sra", "srl", "strong", "subtype", "then", "to", "transport", "type",
        "unaffected", "units", "until", "use", "variable", "vmode", "vprop", "vunit", "wait", "when",
        "while", "with", "xnor", "xor",
        // Names the generated VHDL itself relies on.
        "ieee", "std", "std_logic", "std_logic_vector", "std_logic_1164", "work"};
    return words;
}

// Names inside the generated module: the primitive, its instance and the ports.
const QSet<QString> &generatedNames()
{
    static const QSet<QString> names = {
        "mirel", "mirel_inst", "rtl", "reset", "vren", "clkin", "idsel", "reset_p", "clkfb", "fbdsel",
        "lock", "clkout", "odsel", "clkoutp", "psda", "dutyda", "fdly", "clkoutd", "clkoutd3"};
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
                              "not ending in an underscore.").arg(name);
    const QString lower = name.toLower();
    if (verilogWords().contains(name) || vhdlWords().contains(lower))
        return QStringLiteral("The module name \"%1\" is a reserved word of Verilog or VHDL.").arg(name);
    if (generatedNames().contains(lower))
        return QStringLiteral("The module name \"%1\" is used inside the generated module; choose another name.").arg(name);
    return {};
}

QString fileNameProblem(const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("The file name is empty.");
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return QStringLiteral("The file name \"%1\" must not contain a directory separator.").arg(name);
    if (name == QLatin1String(".") || name == QLatin1String("..") || name.startsWith(QLatin1Char('.')))
        return QStringLiteral("The file name \"%1\" must not begin with a dot.").arg(name);
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || QStringLiteral(":*?\"<>|").contains(c))
            return QStringLiteral("The file name \"%1\" contains a character that file systems reject.").arg(name);
    }
    if (name.endsWith(QLatin1Char(' ')) || name.endsWith(QLatin1Char('.')))
        return QStringLiteral("The file name \"%1\" must not end with a blank or a dot.").arg(name);
    // Leaves room for "_tmp.vhd" within the usual 255-byte limit.
    if (name.toUtf8().size() > 240)
        return QStringLiteral("The file name \"%1\" is too long.").arg(name);
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
