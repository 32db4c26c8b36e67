// SPDX-License-Identifier: MIT
// The generator argument list from plain state, and the host's module generator
// that turns such a list into HDL files, checked by Icarus Verilog, Verilator and GHDL.
#include <modargs.h>
#include <modgen.h>
#include <names.h>
#include <pllmodel.h>

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {

struct ModArgsInput
{
    ModMirel::Generate::FrameFields frame;
    ModMirel::PllSettings pll;
    ModMirel::Generate::FormValues form;
};

QStringList buildModArgs(const ModArgsInput &in)
{
    return ModMirel::Generate::buildModArgs(in.frame, in.pll, in.form);
}

ModArgsInput baseInput()
{
    ModArgsInput in;
    in.frame.header = "Line one\n-mod_name not a switch";
    in.frame.moduleName = "pll1";
    in.frame.fileName = "pll_file";
    in.frame.createPath = "/out";
    in.frame.fileTypeWord = "Verilog";
    in.frame.ipVersion = "1.2";
    in.frame.deviceName = "BRN-4LP-QN48";
    in.pll.phaseDutyDynamic = false;
    in.pll.idivSel = 3, in.pll.fbdivSel = 10, in.pll.odivSel = 8, in.pll.sdivSel = 4;
    in.form.idivStatic = 5, in.form.idivDynamic = 7, in.form.fbdivStatic = 9, in.form.fbdivDynamic = 11;
    in.form.odivStaticText = "16", in.form.odivDynamicText = "32", in.form.sdivEntry = 6;
    in.form.clkin = 27.0, in.form.phaseIndex = 4, in.form.dutyCode = "8";
    return in;
}

// Every optional output on.
ModArgsInput fullInput(bool vhdl = false)
{
    ModArgsInput in = baseInput();
    in.frame.fileTypeWord = vhdl ? "VHDL" : "Verilog";
    in.pll.clkoutpEnabled = in.pll.clkoutdEnabled = in.pll.clkoutd3Enabled = in.form.lock = in.form.reset = true;
    return in;
}

// Edits "a|b|...": "-sw v" replaces the element of switch -sw, "-sw v>-at" inserts it after
// the element of -at, "!-sw" drops it.
QStringList edited(QStringList list, const QString &edits)
{
    const auto at = [&list](const QString &name) {
        for (int i = 0; i < list.size(); ++i)
            if (list[i].section(' ', 0, 0) == name)
                return i;
        qFatal("no element %s", qPrintable(name));
    };
    for (const QString &edit : edits.split('|', Qt::SkipEmptyParts)) {
        if (edit.startsWith('!'))
            list.removeAt(at(edit.mid(1)));
        else if (edit.contains('>'))
            list.insert(at(edit.section('>', 1)) + 1, edit.section('>', 0, 0));
        else
            list[at(edit.section(' ', 0, 0))] = edit;
    }
    return list;
}

QString readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

bool writeText(const QString &path, const QString &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0;
}

// Exit status (-1 when it crashed or hung) and the merged output.
QPair<int, QString> runTool(const QString &program, const QStringList &arguments, const QString &dir)
{
    QProcess process;
    process.setWorkingDirectory(dir);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return {-1, "timed out"};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, QString::fromUtf8(process.readAll())};
}

// A test bench around the template: inputs held (VREN high), CLKIN running, each output measured over 60 periods.
QString verilogBench(const ModGen::Settings &settings, const QStringList &outputs)
{
    QString bench = "`timescale 1ns / 1ps\nmodule bench;\n";
    for (const ModGen::Port &port : ModGen::ports(settings)) {
        const QString width = port.width > 1 ? QStringLiteral("[%1:0] ").arg(port.width - 1) : QString();
        bench += port.output ? QStringLiteral("    wire %1%2_o;\n").arg(width, port.name)
                             : QStringLiteral("    reg %1%2_i = %3;\n").arg(width, port.name, port.name == "vren" ? "1" : "0");
    }
    bench += QStringLiteral("    always #(1000.0 / %1 / 2.0) clkin_i = ~clkin_i;\n").arg(settings.fclkin, 0, 'g', 17)
             + "`include \"pll_file_tmp.v\"\n    realtime t0;\n    initial begin\n"
               "        wait (your_instance_name.mirel_inst.LOCK);\n";
    for (const QString &output : outputs)
        bench += QStringLiteral("        @(posedge %1_o) t0 = $realtime;\n        repeat (60) @(posedge %1_o);\n"
                                "        $display(\"FREQ %1 %f\", 60000.0 / ($realtime - t0));\n").arg(output);
    return bench + "        $finish;\n    end\n    initial begin\n        #1000000;\n        $display(\"TIMEOUT\");\n"
                   "        $finish;\n    end\nendmodule\n";
}

QString vhdlBench(const ModGen::Settings &settings, const QStringList &outputs, const QString &templ)
{
    const int instance = templ.indexOf("    your_instance_name:");
    QString bench = "library IEEE;\nuse IEEE.std_logic_1164.all;\nentity bench is\nend bench;\narchitecture sim of bench is\n";
    for (const ModGen::Port &port : ModGen::ports(settings)) {
        const QString type = port.width > 1 ? QStringLiteral("std_logic_vector(%1 downto 0)").arg(port.width - 1) : "std_logic";
        bench += port.output ? QStringLiteral("    signal %1_o: %2;\n").arg(port.name, type)
                             : QStringLiteral("    signal %1_i: %2 := %3;\n").arg(port.name, type, port.width > 1
                                   ? "(others => '0')" : port.name == "vren" ? "'1'" : "'0'");
    }
    // The component declaration goes before "begin", the instance after; the lock takes 18 input cycles.
    const qint64 halfPeriodFs = qRound64(1.0e9 / settings.fclkin / 2.0);
    bench += templ.left(instance) + QStringLiteral("begin\n    clkin_i <= not clkin_i after %1 fs;\n").arg(halfPeriodFs)
             + templ.mid(instance) + QStringLiteral("    measure: process\n        variable t0: time;\n    begin\n"
                                                    "        wait for %1 fs;\n").arg(halfPeriodFs * 2 * 40);
    for (const QString &output : outputs)
        bench += QStringLiteral("        wait until rising_edge(%1_o);\n        t0 := now;\n        for i in 1 to 60 loop\n"
                                "            wait until rising_edge(%1_o);\n        end loop;\n"
                                "        report \"FREQ %1 \" & real'image(60.0e6 / real((now - t0) / 1 ps));\n").arg(output);
    return bench + "        report \"DONE\";\n        wait;\n    end process;\nend sim;\n";
}

} // namespace

class tst_ModGen : public QObject
{
    Q_OBJECT

private slots:
    void argumentList_data();
    void argumentList();
    void refusedLists_data();
    void refusedLists();
    void reservedWords();
    void writesModuleAndTemplate();
    void hdlTools_data();
    void hdlTools();
};

// How the state differs from the base input, and the edits that make the expected list from the
// list of "general, nothing optional".
namespace {
struct ListCase
{
    const char *name;
    void (*change)(ModArgsInput &);
    const char *edits;
};
const ListCase listCases[] = {
    {"general, nothing optional", [](ModArgsInput &) {}, ""},
    {"general, CLKOUT bypassed: IDIV and FBDIV 1, ODIV kept", [](ModArgsInput &in) { in.pll.clkoutNoBypass = false; },
     "-idiv_sel 1|-fbdiv_sel 1|-clkout_bypass true"},
    {"dynamic phase with CLKOUT bypassed keeps -clkout_ft_dir",
     [](ModArgsInput &in) { in.pll.clkoutNoBypass = false, in.pll.phaseDutyDynamic = true; },
     "-idiv_sel 1|-fbdiv_sel 1|-clkout_bypass true|-dyn_da_en true|-clkout_ft_dir 1>-clkout_bypass"},
    {"CLKOUTP static phase and duty", [](ModArgsInput &in) { in.pll.clkoutpEnabled = true; },
     "-en_clkoutp true|-psda_sel 4>-clkoutp_bypass|-dutyda_sel 8>-psda_sel"},
    {"CLKOUTP dynamic phase and duty", [](ModArgsInput &in) { in.pll.clkoutpEnabled = in.pll.phaseDutyDynamic = true; },
     "-dyn_da_en true|-clkout_ft_dir 1>-clkout_bypass|-en_clkoutp true|-clkoutp_ft_dir 1>-clkoutp_bypass"},
    {"CLKOUTP bypassed: no phase elements", [](ModArgsInput &in) { in.pll.clkoutpEnabled = true, in.pll.clkoutpNoBypass = false; },
     "-en_clkoutp true|-clkoutp_bypass true"},
    {"CLKOUTP disabled, dynamic: no -clkoutp_ft_dir", [](ModArgsInput &in) { in.pll.phaseDutyDynamic = true; },
     "-dyn_da_en true|-clkout_ft_dir 1>-clkout_bypass"},
    {"CLKOUTD and CLKOUTD3 from CLKOUTP",
     [](ModArgsInput &in) { in.pll.clkoutdEnabled = in.pll.clkoutd3Enabled = true, in.form.clkoutdSourceClkout = in.form.clkoutd3SourceClkout = false; },
     "-dyn_sdiv_sel 4>-odiv_sel|-en_clkoutd true|-clkoutd_src CLKOUTP>-clkoutd_bypass|-en_clkoutd3 true"
     "|-clkoutd3_src CLKOUTP>-en_clkoutd3"},
    {"CLKOUTD bypassed: no divider, no source", [](ModArgsInput &in) { in.pll.clkoutdEnabled = true, in.pll.clkoutdNoBypass = false; },
     "-en_clkoutd true|-clkoutd_bypass true"},
    {"advanced static dividers, bypass ignored",
     [](ModArgsInput &in) { in.pll.generalMode = in.pll.clkinDivideDynamic = in.pll.clkfbDivideDynamic = in.pll.clkoutNoBypass = false; },
     "-idiv_sel 5|-fbdiv_sel 9|-odiv_sel 16|-clkout_bypass true"},
    {"advanced dynamic dividers, odd SDIV passed on",
     [](ModArgsInput &in) { in.pll.generalMode = false, in.form.odivDynamicChecked = in.pll.clkoutdEnabled = true, in.form.sdivEntry = 3; },
     "-dyn_idiv_sel true|-idiv_sel 7|-dyn_fbdiv_sel true|-fbdiv_sel 11|-dyn_odiv_sel true|-odiv_sel 32"
     "|-dyn_sdiv_sel 3>-odiv_sel|-en_clkoutd true|-clkoutd_src CLKOUT>-clkoutd_bypass"},
    {"advanced, ODIV text not a number",
     [](ModArgsInput &in) { in.pll.generalMode = in.pll.clkinDivideDynamic = in.pll.clkfbDivideDynamic = false, in.form.odivStaticText = "auto"; },
     "-idiv_sel 5|-fbdiv_sel 9|-odiv_sel 0"},
    {"VHDL, no version, 100 MHz, all inputs",
     [](ModArgsInput &in) {
         in.frame.fileTypeWord = "VHDL", in.frame.ipVersion.clear(), in.form.clkin = 100.0, in.form.clkfbIndex = 1;
         in.form.reset = in.form.powerDown = in.form.regulator = in.form.lock = true;
     },
     "-file_type VHDL|-ip_version |-rst_sig true|-rst_sig_p true|-pll_reg true|-fclkin 100|-clkfb_sel 1|-en_lock true"},
    {"27.5 MHz keeps one decimal", [](ModArgsInput &in) { in.form.clkin = 27.5; }, "-fclkin 27.5"},
    {"six significant digits", [](ModArgsInput &in) { in.form.clkin = 10.0 / 3.0; }, "-fclkin 3.33333"},
};
} // namespace

void tst_ModGen::argumentList_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < int(std::size(listCases)); ++i)
        QTest::newRow(listCases[i].name) << i;
}

void tst_ModGen::argumentList()
{
    QFETCH(int, index);
    ModArgsInput in = baseInput();
    listCases[index].change(in);
    const QStringList plain = QString("Line one\n-mod_name not a switch|-mod_name pll1|-file_name pll_file|-path /out/|"
        "-type PLL|-mirel true|-file_type Verilog|-ip_version 1.2|-dev_type BRN-4LP-QN48|-dyn_idiv_sel false|-idiv_sel 3|"
        "-dyn_fbdiv_sel false|-fbdiv_sel 10|-dyn_odiv_sel false|-odiv_sel 8|-dyn_da_en false|-rst_sig false|"
        "-rst_sig_p false|-pll_reg false|-fclkin 27|-clkfb_sel 0|-en_lock false|-clkout_bypass false|-en_clkoutp false|"
        "-clkoutp_bypass false|-en_clkoutd false|-clkoutd_bypass false|-en_clkoutd3 false").split('|');
    QCOMPARE(buildModArgs(in), edited(plain, listCases[index].edits));
}

void tst_ModGen::refusedLists_data()
{
    QTest::addColumn<QString>("edits"); // on the list with every output
    QTest::addColumn<QString>("problem");
    const char *rows[][2] = {
        {"-mod_name ../x", "not a legal"}, {"-mod_name ENTITY", "reserved"}, {"-mod_name Mirel", "inside the generated"},
        {"-mod_name a__b", "not a legal"}, {"-file_name a\\b", "separator"}, {"-file_name .x", "dot"},
        {"-dyn_sdiv_sel 3", "odd"}, {"-odiv_sel 6", "ODIV"}, {"-odiv_sel 0", "-odiv_sel"}, {"-idiv_sel 65", "-idiv_sel"},
        {"-fclkin fast", "-fclkin"}, {"-en_lock TRUE", "true or false"}, {"!-fclkin", "no \"-fclkin\""},
        {"-evil 1>-fclkin", "Unknown"}, {"-idiv_sel 2>-fclkin", "twice"}, {"-dyn_da_en true", "does not fit"},
        {"-clkoutd_bypass true", "does not fit"}, {"-file_type SystemC", "language"}};
    for (const auto &row : rows)
        QTest::newRow(row[0]) << row[0] << row[1];
}

void tst_ModGen::refusedLists()
{
    QFETCH(QString, edits);
    QFETCH(QString, problem);
    QTemporaryDir dir;
    const QStringList args = edited(buildModArgs(fullInput()), edits + "|-path " + dir.path() + '/');
    ModGen::Settings settings;
    QStringList errors, written;
    QVERIFY(!ModGen::parseArgs(args, &settings, &errors));
    QVERIFY2(errors.join('\n').contains(problem), qPrintable(errors.join('\n')));
    // Nothing reaches the disk either.
    QVERIFY(!ModGen::generate({"pll_file", dir.path(), args}, &errors, &written));
    QVERIFY(written.isEmpty() && QDir(dir.path()).isEmpty());
    QVERIFY(!ModGen::parseArgs({}, &settings, &errors));
}

// Every keyword of SystemVerilog (IEEE 1800-2017) and every reserved word of VHDL-2008, in any case.
void tst_ModGen::reservedWords()
{
    const QString systemVerilog =
        "accept_on alias always always_comb always_ff always_latch and assert assign assume automatic before begin bind bins "
        "binsof bit break buf bufif0 bufif1 byte case casex casez cell chandle checker class clocking cmos config const "
        "constraint context continue cover covergroup coverpoint cross deassign default defparam design disable dist do edge "
        "else end endcase endchecker endclass endclocking endconfig endfunction endgenerate endgroup endinterface endmodule "
        "endpackage endprimitive endprogram endproperty endspecify endsequence endtable endtask enum event eventually expect "
        "export extends extern final first_match for force foreach forever fork forkjoin function generate genvar global "
        "highz0 highz1 if iff ifnone ignore_bins illegal_bins implements implies import incdir include initial inout input "
        "inside instance int integer interconnect interface intersect join join_any join_none large let liblist library "
        "local localparam logic longint macromodule matches medium modport module nand negedge nettype new nexttime nmos nor "
        "noshowcancelled not notif0 notif1 null or output package packed parameter pmos posedge primitive priority program "
        "property protected pull0 pull1 pulldown pullup pulsestyle_ondetect pulsestyle_onevent pure rand randc randcase "
        "randsequence rcmos real realtime ref reg reject_on release repeat restrict return rnmos rpmos rtran rtranif0 "
        "rtranif1 s_always s_eventually s_nexttime s_until s_until_with scalared sequence shortint shortreal showcancelled "
        "signed small soft solve specify specparam static string strong strong0 strong1 struct super supply0 supply1 "
        "sync_accept_on sync_reject_on table tagged task this throughout time timeprecision timeunit tran tranif0 tranif1 "
        "tri tri0 tri1 triand trior trireg type typedef union unique unique0 unsigned until until_with untyped use uwire var "
        "vectored virtual void wait wait_order wand weak weak0 weak1 while wildcard wire with within wor xnor xor";
    const QString vhdl =
        "abs access after alias all and architecture array assert assume assume_guarantee attribute begin block body buffer "
        "bus case component configuration constant context cover default disconnect downto else elsif end entity exit "
        "fairness file for force function generate generic group guarded if impure in inertial inout is label library "
        "linkage literal loop map mod nand new next nor not null of on open or others out package parameter port postponed "
        "procedure process property protected pure range record register reject release rem report restrict "
        "restrict_guarantee return rol ror select sequence severity shared signal sla sll sra srl strong subtype then to "
        "transport type unaffected units until use variable vmode vprop vunit wait when while with xnor xor";
    for (const QString &word : systemVerilog.split(' ') + vhdl.split(' ') + vhdl.toUpper().split(' '))
        QVERIFY2(ModGen::moduleNameProblem(word).contains("reserved word"), qPrintable(word));
    for (const char *ordinary : {"pll1", "inside_pll", "Soft1", "checker2", "untyped_clk"})
        QVERIFY2(ModGen::moduleNameProblem(ordinary).isEmpty(), ordinary);
}

// Module and template land atomically in the output folder, made if need be, with the header recording
// device, settings and actual frequencies; a refused request leaves the earlier files as they were.
void tst_ModGen::writesModuleAndTemplate()
{
    QTemporaryDir dir;
    for (const bool vhdl : {false, true}) {
        const QString out = dir.path() + "/new/sub", ext = vhdl ? ".vhd" : ".v", comment = vhdl ? "-- " : "// ";
        QStringList errors, written;
        const QStringList args = edited(buildModArgs(fullInput(vhdl)), "-path " + out + '/');
        QVERIFY2(ModGen::generate({"pll_file", out, args}, &errors, &written), qPrintable(errors.join('\n')));
        QCOMPARE(written, QStringList({out + "/pll_file" + ext, out + "/pll_file_tmp" + ext}));
        const QString module = readAll(written[0]);
        QVERIFY(module.startsWith(comment + "Line one\n" + comment + "-mod_name not a switch\n"));
        QVERIFY(module.contains(comment + "Device: BRN-4LP-QN48"));
        QVERIFY(module.contains(comment + "Actual frequencies (MHz): CLKOUT 90.000, CLKOUTP 90.000, CLKOUTD 22.500, CLKOUTD3 30.000"));
        QVERIFY(module.contains(vhdl ? "entity pll1 is" : "module pll1 (") && module.contains("MIREL"));
        QVERIFY(readAll(written[1]).contains(vhdl ? "your_instance_name: pll1" : "pll1 your_instance_name ("));

        QVERIFY(!ModGen::generate({"other", out, args}, &errors)); // a file name the list does not carry
        QVERIFY(!ModGen::generate({"pll_file", out, edited(args, "-idiv_sel 0")}, &errors));
        QCOMPARE(readAll(written[0]), module);
        QCOMPARE(QDir(out).entryList(QDir::Files), QStringList({"pll_file" + ext, "pll_file_tmp" + ext}));
        QVERIFY(QFile::remove(written[0]) && QFile::remove(written[1]));
    }
    // The proxy's command carries the request whole and refuses anything else.
    ModGen::Request back;
    const QStringList args = buildModArgs(fullInput());
    QVERIFY(ModGen::decodeCommand(ModGen::encodeCommand({"f", "/a b/c", args}), &back));
    QCOMPARE(back.dir + '|' + back.fileName + '|' + back.args.join('|'), "/a b/c|f|" + args.join('|'));
    QVERIFY(!ModGen::decodeCommand("rm -rf /", &back));

    // The generator takes exactly the ODIV values the searches try.
    ModGen::Settings settings;
    QStringList errors;
    const auto &odivs = ModMirel::Calc::kOdivCandidates;
    for (int odiv = 0; odiv <= 130; ++odiv)
        QCOMPARE(ModGen::parseArgs(edited(args, QStringLiteral("-odiv_sel %1").arg(odiv)), &settings, &errors),
                 std::find(odivs.begin(), odivs.end(), odiv) != odivs.end());
}

// Module and template compile against the primitive's model in both languages (Verilator lints the
// module against the model's ports); the example with every output is simulated, and each output's
// measured frequency lies within 0.1 % of what the module's header reports.
void tst_ModGen::hdlTools_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("simulate");
    ModArgsInput example = fullInput();
    example.pll.idivSel = 7, example.pll.fbdivSel = 26, example.pll.odivSel = 4;
    example.form.clkoutdSourceClkout = false;
    ModArgsInput advanced = fullInput();
    advanced.pll.generalMode = false, advanced.form.odivDynamicChecked = advanced.pll.phaseDutyDynamic = true;
    advanced.form.powerDown = advanced.form.regulator = true, advanced.form.clkfbIndex = 1, advanced.form.sdivEntry = 8;
    ModArgsInput bypassed = fullInput();
    bypassed.pll.clkoutNoBypass = bypassed.pll.clkoutpNoBypass = bypassed.pll.clkoutdNoBypass = false;
    advanced.frame.moduleName = "inside_pll", bypassed.frame.moduleName = "checker2"; // near keywords, yet ordinary
    for (const char *language : {"Verilog", "VHDL"}) {
        for (ModArgsInput *in : {&example, &advanced, &bypassed}) {
            in->frame.fileTypeWord = language;
            QTest::addRow("%s: %s", language, in == &example ? "27 -> 100.286 MHz, every output"
                                              : in == &advanced ? "advanced, every port" : "every bypass")
                << buildModArgs(*in) << (in == &example);
        }
    }
}

void tst_ModGen::hdlTools()
{
    QFETCH(QStringList, args);
    QFETCH(bool, simulate);
    ModGen::Settings settings;
    QStringList errors;
    QVERIFY2(ModGen::parseArgs(args, &settings, &errors), qPrintable(errors.join('\n')));
    QStringList tools = settings.vhdl ? QStringList{"ghdl"} : QStringList{"iverilog", "vvp", "verilator"};
    for (QString &tool : tools)
        if ((tool = QStandardPaths::findExecutable(tool)).isEmpty())
            QSKIP("the HDL tools are not installed (scripts/install-deps.sh installs them)");
    QTemporaryDir dir;
    const QString d = dir.path();
    QVERIFY2(ModGen::generate({"pll_file", d, edited(args, "-path " + d + '/')}, &errors), qPrintable(errors.join('\n')));

    // What the module's header reports, e.g. "CLKOUT 100.286".
    const QString module = readAll(d + (settings.vhdl ? "/pll_file.vhd" : "/pll_file.v"));
    const QString reported = QRegularExpression("Actual frequencies \\(MHz\\): (.*)\n").match(module).captured(1);
    QMap<QString, double> expected;
    for (const QString &item : reported.split(", "))
        expected.insert(item.section(' ', 0, 0).toLower(), item.section(' ', 1).toDouble());
    QVERIFY(!expected.isEmpty());

    QPair<int, QString> run;
    const auto expectClean = [&run](const QPair<int, QString> &result) { run = result; return run.first == 0 && run.second.isEmpty(); };
    if (settings.vhdl) {
        QVERIFY(writeText(d + "/bench.vhd", vhdlBench(settings, expected.keys(), readAll(d + "/pll_file_tmp.vhd"))));
        // Strict VHDL-93 for the text; ghdl binds components by default only from VHDL-2008 on.
        const QStringList sources = {SOURCE_DIR "/hdl/mirel.vhd", "pll_file.vhd", "bench.vhd"};
        QVERIFY2(expectClean(runTool(tools[0], QStringList{"-a", "--std=93"} + sources, d)), qPrintable(run.second));
        QVERIFY2(expectClean(runTool(tools[0], QStringList{"-a", "--std=08"} + sources, d)), qPrintable(run.second));
        QVERIFY2(expectClean(runTool(tools[0], {"-e", "--std=08", "bench"}, d)), qPrintable(run.second));
        if (simulate)
            run = runTool(tools[0], {"-r", "--std=08", "bench", "--stop-time=1ms"}, d);
        QVERIFY2(!simulate || run.second.contains("DONE"), qPrintable(run.second));
    } else {
        QVERIFY(writeText(d + "/bench.v", verilogBench(settings, expected.keys())));
        QVERIFY2(expectClean(runTool(tools[0], {"-g2005", "-Wall", "-s", "bench", "-o", "bench.vvp", "pll_file.v",
                                                SOURCE_DIR "/hdl/mirel.v", "bench.v"}, d)), qPrintable(run.second));
        QVERIFY2(expectClean(runTool(tools[0], {"-g2012", "-Wall", "-o", "sv.vvp", "pll_file.v", SOURCE_DIR "/hdl/mirel.v"}, d)),
                 qPrintable(run.second));
        // Verilator lints the module against the model's header alone, every warning on except the
        // file-name rule (the file name is the user's choice).
        const QString model = readAll(SOURCE_DIR "/hdl/mirel.v");
        const int from = model.indexOf("`timescale"), to = model.indexOf("\n);\n", from) + 4;
        QVERIFY(writeText(d + "/stub.v", "/* verilator lint_off UNUSEDPARAM */\n/* verilator lint_off UNUSEDSIGNAL */\n"
                                         "/* verilator lint_off UNDRIVEN */\n" + model.mid(from, to - from) + "endmodule\n"));
        QVERIFY2(expectClean(runTool(tools[2], {"--lint-only", "-Wall", "-Wno-DECLFILENAME", "--top-module", settings.module,
                                                "pll_file.v", "stub.v"}, d)), qPrintable(run.second));
        if (simulate)
            run = runTool(tools[1], {"-n", "bench.vvp"}, d);
        QVERIFY2(!simulate || (run.first == 0 && !run.second.contains("TIMEOUT")), qPrintable(run.second));
    }
    if (!simulate)
        return;
    int measured = 0;
    for (auto match = QRegularExpression("FREQ (\\w+) ([-+0-9.e]+)").globalMatch(run.second); match.hasNext(); ++measured) {
        const auto m = match.next();
        const double want = expected.value(m.captured(1)), got = m.captured(2).toDouble();
        QVERIFY2(std::abs(got - want) <= 0.001 * want, qPrintable(m.captured(0) + " MHz, reported " + QString::number(want)));
    }
    QCOMPARE(measured, expected.size());
}

QTEST_GUILESS_MAIN(tst_ModGen)
#include "tst_modgen.moc"
