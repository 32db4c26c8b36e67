// SPDX-License-Identifier: MIT
// The generator argument list from plain state, and the host's module generator
// that turns such a list into HDL files, checked by Icarus Verilog, Verilator and GHDL.
#include "testfiles.h"

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

// General Mode with nothing optional, every divider field a value of its own.
struct ModArgsInput
{
    ModArgsInput()
    {
        pll.phaseDutyDynamic = false;
        pll.idivSel = 3, pll.fbdivSel = 10, pll.odivSel = 8, pll.sdivSel = 4;
        form.idivStatic = 5, form.idivDynamic = 7, form.fbdivStatic = 9, form.fbdivDynamic = 11;
        form.odivStaticText = "16", form.odivDynamicText = "32", form.sdivEntry = 6;
        form.clkin = 27.0, form.phaseIndex = 4, form.dutyCode = "8";
    }
    QStringList args() const { return ModMirel::Generate::buildModArgs(frame, pll, form); }

    // Header, module, file, path, language, IP version, device.
    ModMirel::Generate::FrameFields
            frame{"Line one\n-mod_name not a switch", "pll1", "pll_file", "/out", "Verilog", "1.2", "BRN-4LP-QN48"};
    ModMirel::PllSettings pll;
    ModMirel::Generate::FormValues form;
};

// Every optional output on.
ModArgsInput fullInput()
{
    ModArgsInput in;
    in.pll.clkoutpEnabled = in.pll.clkoutdEnabled = in.pll.clkoutd3Enabled = in.form.lock = in.form.reset = true;
    return in;
}

// 27 -> 100.286 MHz with every output, CLKOUTP shifted by 90 degrees; CLKOUTD from CLKOUTP.
ModArgsInput exampleInput()
{
    ModArgsInput in = fullInput();
    in.pll.idivSel = 7, in.pll.fbdivSel = 26, in.pll.odivSel = 4, in.form.dutyCode = "6";
    in.form.clkoutdSourceClkout = false;
    return in;
}

ModArgsInput bypassedInput()
{
    ModArgsInput in = fullInput();
    in.pll.clkoutNoBypass = in.pll.clkoutpNoBypass = in.pll.clkoutdNoBypass = false;
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

// How the state differs from the base input, and the edits that make the expected list from the
// list of "general, nothing optional".
struct ListCase
{
    const char *name;
    void (*change)(ModArgsInput &);
    const char *edits;
};
const ListCase listCases[] = {
        {"general, nothing optional", [](ModArgsInput &) {}, ""},
        {"general, CLKOUT bypassed: IDIV and FBDIV 1, ODIV kept",
         [](ModArgsInput &in) { in.pll.clkoutNoBypass = false; }, "-idiv_sel 1|-fbdiv_sel 1|-clkout_bypass true"},
        {"dynamic phase with CLKOUT bypassed keeps -clkout_ft_dir",
         [](ModArgsInput &in) { in.pll.clkoutNoBypass = false, in.pll.phaseDutyDynamic = true; },
         "-idiv_sel 1|-fbdiv_sel 1|-clkout_bypass true|-dyn_da_en true|-clkout_ft_dir 1>-clkout_bypass"},
        {"CLKOUTP static phase and duty", [](ModArgsInput &in) { in.pll.clkoutpEnabled = true; },
         "-en_clkoutp true|-psda_sel 4>-clkoutp_bypass|-dutyda_sel 8>-psda_sel"},
        {"CLKOUTP dynamic phase and duty",
         [](ModArgsInput &in) { in.pll.clkoutpEnabled = in.pll.phaseDutyDynamic = true; },
         "-dyn_da_en true|-clkout_ft_dir 1>-clkout_bypass|-en_clkoutp true|-clkoutp_ft_dir 1>-clkoutp_bypass"},
        {"CLKOUTP bypassed: no phase elements",
         [](ModArgsInput &in) { in.pll.clkoutpEnabled = true, in.pll.clkoutpNoBypass = false; },
         "-en_clkoutp true|-clkoutp_bypass true"},
        {"CLKOUTD and CLKOUTD3 from CLKOUTP",
         [](ModArgsInput &in) {
             in.pll.clkoutdEnabled = in.pll.clkoutd3Enabled = true,
             in.form.clkoutdSourceClkout = in.form.clkoutd3SourceClkout = false;
         },
         "-dyn_sdiv_sel 4>-odiv_sel|-en_clkoutd true|-clkoutd_src CLKOUTP>-clkoutd_bypass|-en_clkoutd3 true"
         "|-clkoutd3_src CLKOUTP>-en_clkoutd3"},
        {"CLKOUTD bypassed: no divider, no source",
         [](ModArgsInput &in) { in.pll.clkoutdEnabled = true, in.pll.clkoutdNoBypass = false; },
         "-en_clkoutd true|-clkoutd_bypass true"},
        {"advanced static dividers, bypass ignored",
         [](ModArgsInput &in) {
             in.pll.generalMode = in.pll.clkinDivideDynamic = in.pll.clkfbDivideDynamic = in.pll.clkoutNoBypass = false;
         },
         "-idiv_sel 5|-fbdiv_sel 9|-odiv_sel 16|-clkout_bypass true"},
        {"advanced dynamic dividers, odd SDIV passed on",
         [](ModArgsInput &in) {
             in.pll.generalMode = false, in.form.odivDynamicChecked = in.pll.clkoutdEnabled = true,
             in.form.sdivEntry = 3;
         },
         "-dyn_idiv_sel true|-idiv_sel 7|-dyn_fbdiv_sel true|-fbdiv_sel 11|-dyn_odiv_sel true|-odiv_sel 32"
         "|-dyn_sdiv_sel 3>-odiv_sel|-en_clkoutd true|-clkoutd_src CLKOUT>-clkoutd_bypass"},
        {"advanced, ODIV text not a number",
         [](ModArgsInput &in) {
             in.pll.generalMode = in.pll.clkinDivideDynamic = in.pll.clkfbDivideDynamic = false,
             in.form.odivStaticText = "auto";
         },
         "-idiv_sel 5|-fbdiv_sel 9|-odiv_sel 0"},
        {"VHDL, no version, 100 MHz, all inputs",
         [](ModArgsInput &in) {
             in.frame.fileTypeWord = "VHDL", in.frame.ipVersion.clear(), in.form.clkin = 100.0, in.form.clkfbIndex = 1;
             in.form.reset = in.form.powerDown = in.form.regulator = in.form.lock = true;
         },
         "-file_type VHDL|-ip_version |-rst_sig true|-rst_sig_p true|-pll_reg true|-fclkin 100|-clkfb_sel 1"
         "|-en_lock true"},
        {"six significant digits", [](ModArgsInput &in) { in.form.clkin = 10.0 / 3.0; }, "-fclkin 3.33333"},
};
// Exit status (-1: crashed, or killed with the QProcess after two minutes) and merged output of a command.
QPair<int, QString> runTool(const QStringList &command, const QString &dir)
{
    QProcess process;
    process.setWorkingDirectory(dir);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(command[0], command.mid(1));
    if (!process.waitForFinished(120000))
        return {-1, "timed out"};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAll())};
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
    void sdcClocks_data();
    void sdcClocks();
};

void tst_ModGen::argumentList_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < int(std::size(listCases)); ++i)
        QTest::newRow(listCases[i].name) << i;
}

void tst_ModGen::argumentList()
{
    QFETCH(int, index);
    ModArgsInput in;
    listCases[index].change(in);
    const QString plain = "Line one\n-mod_name not a switch|-mod_name pll1|-file_name pll_file|-path /out/|-type PLL|"
                          "-mirel true|-file_type Verilog|-ip_version 1.2|-dev_type BRN-4LP-QN48|-dyn_idiv_sel false|"
                          "-idiv_sel 3|-dyn_fbdiv_sel false|-fbdiv_sel 10|-dyn_odiv_sel false|-odiv_sel 8|"
                          "-dyn_da_en false|-rst_sig false|-rst_sig_p false|-pll_reg false|-fclkin 27|-clkfb_sel 0|"
                          "-en_lock false|-clkout_bypass false|-en_clkoutp false|-clkoutp_bypass false|"
                          "-en_clkoutd false|-clkoutd_bypass false|-en_clkoutd3 false";
    QCOMPARE(in.args(), edited(plain.split('|'), listCases[index].edits));
}

void tst_ModGen::refusedLists_data()
{
    QTest::addColumn<QString>("edits"); // on the list with every output
    QTest::addColumn<QString>("problem");
    // "edits: what the refusal says"
    const QString rows = "-mod_name ../x: not a legal;-mod_name ENTITY: reserved;-mod_name a__b: not a legal;"
                         "-mod_name Mirel: inside the generated;-file_name a\\b: separator;-file_name .x: dot;"
                         "-dyn_sdiv_sel 3: odd;-odiv_sel 6: ODIV;-odiv_sel 0: -odiv_sel;-idiv_sel 65: -idiv_sel;"
                         "-fclkin fast: -fclkin;-en_lock TRUE: true or false;!-fclkin: no \"-fclkin\";"
                         "-evil 1>-fclkin: Unknown;-idiv_sel 2>-fclkin: twice;-dyn_da_en true: does not fit;"
                         "-clkoutd_bypass true: does not fit;-file_type SystemC: language";
    for (const QString &row : rows.split(';'))
        QTest::newRow(qPrintable(row.section(": ", 0, 0))) << row.section(": ", 0, 0) << row.section(": ", 1);
}

void tst_ModGen::refusedLists()
{
    QFETCH(QString, edits);
    QFETCH(QString, problem);
    QTemporaryDir dir;
    const QStringList args = edited(fullInput().args(), edits + "|-path " + dir.path() + '/');
    ModGen::Settings settings;
    QStringList errors, written;
    QVERIFY(!ModGen::parseArgs(args, &settings, &errors));
    QVERIFY2(errors.join('\n').contains(problem), qPrintable(errors.join('\n')));
    // Nothing reaches the disk either.
    QVERIFY(!ModGen::generate({"pll_file", dir.path(), args}, &errors, &written));
    QVERIFY(written.isEmpty() && QDir(dir.path()).isEmpty());
    QVERIFY(!ModGen::parseArgs({}, &settings, &errors));
}

// A sample of each era's reserved words. Verilog's (1995, 2001, 2005; SystemVerilog 2005, 2009 and 2012,
// which 2017 kept unchanged) count in their own case only; VHDL's (1987, 1993, 2002, 2008 with its PSL
// words, and the names the generated VHDL relies on) in any case.
void tst_ModGen::reservedWords()
{
    const QString verilog = "always defparam highz0 rtranif1 specparam wand localparam genvar liblist uwire "
                            "pulsestyle_onevent noshowcancelled always_ff chandle wait_order endclocking accept_on "
                            "checker endchecker untyped s_until_with implements interconnect nettype soft";
    const QString vhdl = "Entity DOWNTO GENERATE elsIF Guarded iMpure Inertial ROL Unaffected Postponed Xnor Protected "
                         "Context Force Default Assume_Guarantee restrict_GUARANTEE Fairness Vmode VPROP vUnit IEEE "
                         "Std_Logic_Vector Work";
    for (const QString &word : verilog.split(' ') + vhdl.split(' '))
        QVERIFY2(ModGen::moduleNameProblem(word).contains("reserved word"), qPrintable(word));
    for (const char *ordinary : {"pll1", "inside_pll", "Soft1", "checker2", "untyped_clk", "Checker", "LocalParam"})
        QVERIFY2(ModGen::moduleNameProblem(ordinary).isEmpty(), ordinary);
}

// Module and template land atomically in the output folder, made if need be, with the header recording
// device, settings and actual frequencies; a refused request leaves the earlier files as they were.
void tst_ModGen::writesModuleAndTemplate()
{
    QTemporaryDir dir;
    for (const bool vhdl : {false, true}) {
        const QString out = dir.path() + (vhdl ? "/vhd/sub" : "/v/sub"), ext = vhdl ? ".vhd" : ".v",
                      comment = vhdl ? "-- " : "// ";
        QStringList errors, written;
        const QStringList args = edited(fullInput().args(), (vhdl ? "-file_type VHDL|-path " : "-path ") + out + '/');
        QVERIFY2(ModGen::generate({"pll_file", out, args}, &errors, &written), qPrintable(errors.join('\n')));
        const QString module = QString::fromUtf8(readFile(written.value(0)));
        QVERIFY(module.startsWith(comment + "Line one\n" + comment + "-mod_name not a switch\n"));
        QVERIFY(module.contains(comment + "Device: BRN-4LP-QN48"));
        QVERIFY(module.contains(
                comment + "Actual frequencies (MHz): CLKOUT 90.000, CLKOUTP 90.000, CLKOUTD 22.500, CLKOUTD3 30.000"));
        QVERIFY(readFile(written.value(1)).contains(vhdl ? "your_instance_name: pll1" : "pll1 your_instance_name ("));

        QVERIFY(!ModGen::generate({"other", out, args}, &errors)); // a file name the list does not carry
        QVERIFY(!ModGen::generate({"pll_file", out, edited(args, "-idiv_sel 0")}, &errors));
        QCOMPARE(QString::fromUtf8(readFile(written.value(0))), module);
        QCOMPARE(QDir(out).entryList(QDir::Files),
                 QStringList({"pll_file.sdc", "pll_file" + ext, "pll_file_tb" + ext, "pll_file_tmp" + ext}));
    }
    // The proxy's command carries the request whole and refuses anything else.
    ModGen::Request back;
    const QStringList args = fullInput().args();
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

// Module and testbench compile against the primitive's model in both languages (Verilator lints them
// against the model's ports); the testbench passes every legal configuration, fails a module whose
// dividers were changed, and the model stops on what the silicon cannot run, naming the parameter.
void tst_ModGen::hdlTools_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("change");  // "PARAMETER value" written into the module
    QTest::addColumn<QString>("verdict"); // expected in the simulation's output
    ModArgsInput example = exampleInput(), advanced = fullInput(), bypassed = bypassedInput();
    advanced.pll.generalMode = false, advanced.form.odivDynamicChecked = advanced.pll.phaseDutyDynamic = true;
    advanced.form.powerDown = advanced.form.regulator = true, advanced.form.clkfbIndex = 1, advanced.form.sdivEntry = 8;
    advanced.frame.moduleName = "inside_pll", bypassed.frame.moduleName = "checker2"; // near keywords, yet ordinary
    const char *rows[][2] = {
            {"", "^PASS: 6 checks$"},
            {"SDIV_SEL 6", "^CLKOUTD: .* FAIL$"},
            {"PSDA_SEL \"0110\"", "^CLKOUTP phase: .* FAIL$"},
            {"ODIV_SEL 128", "the VCO at .* ODIV_SEL 128\\) is outside 400~900 MHz"},
            {"ODIV_SEL 6", "ODIV_SEL 6 is not one of"},
            {"IDIV_SEL 0", "IDIV_SEL 0 is outside 1~64"},
            {"FBDIV_SEL 99", "FBDIV_SEL 99 is outside 1~64"},
            {"SDIV_SEL 3", "SDIV_SEL 3 is not an even number"},
            {"FCLKIN \"27.5\"", "CLKIN runs at [0-9.e]+ MHz, more than 1 % away from FCLKIN \"27.5\""},
    };
    for (const char *language : {"Verilog", "VHDL"}) {
        for (ModArgsInput *in : {&example, &advanced, &bypassed})
            in->frame.fileTypeWord = language;
        QTest::addRow("%s: advanced, every port", language) << advanced.args() << QString() << "^PASS: 4 checks$";
        QTest::addRow("%s: every bypass", language) << bypassed.args() << QString() << "^PASS: 4 checks$";
        for (const auto &row : rows)
            QTest::addRow("%s: 27 -> 100.286 MHz, %s", language, *row[0] ? row[0] : "as generated")
                    << example.args() << row[0] << row[1];
    }
}

void tst_ModGen::hdlTools()
{
    QFETCH(QStringList, args);
    QFETCH(QString, change);
    QFETCH(QString, verdict);
    ModGen::Settings settings;
    QStringList errors;
    QVERIFY2(ModGen::parseArgs(args, &settings, &errors), qPrintable(errors.join('\n')));
    QTemporaryDir dir;
    const QString d = dir.path(), ext = settings.vhdl ? ".vhd" : ".v";
    QVERIFY2(ModGen::generate({"pll_file", d, edited(args, "-path " + d + '/')}, &errors),
             qPrintable(errors.join('\n')));
    if (!change.isEmpty()) {
        QString module = QString::fromUtf8(readFile(d + "/pll_file" + ext));
        const QRegularExpression parameter("\\b(" + change.section(' ', 0, 0) + "(\\(| => ))[^,)\n]+");
        QVERIFY(module.contains(parameter));
        QVERIFY(writeFile(d + "/pll_file" + ext, module.replace(parameter, "\\1" + change.section(' ', 1)).toUtf8()));
    }

    // Every step but the simulation passes without a word of output.
    const QString bench = settings.module + "_tb", model = SOURCE_DIR "/hdl/mirel" + ext;
    QList<QStringList> steps;
    if (settings.vhdl) {
        // Strict VHDL-93 for the module; the testbench ends itself through VHDL-2008's std.env.
        steps = {{"ghdl", "-a", "--std=93", model, "pll_file.vhd"},
                 {"ghdl", "-a", "--std=08", model, "pll_file.vhd", "pll_file_tb.vhd"},
                 {"ghdl", "--elab-run", "--std=08", bench}};
    } else {
        // Verilator lints module and testbench against the model's header alone, every warning on
        // except the file-name rule (the file name is the user's choice).
        const QByteArray text = readFile(model);
        QVERIFY(writeFile(d + "/stub.v", "/* verilator lint_off UNUSED */ /* verilator lint_off UNDRIVEN */\n"
                                                 + text.left(text.indexOf("\n);\n") + 4) + "endmodule\n"));
        steps = {{"iverilog", "-g2005", "-Wall", "-s", bench, "-o", "bench.vvp", "pll_file.v", model, "pll_file_tb.v"},
                 {"iverilog", "-g2012", "-Wall", "-o", "sv.vvp", "pll_file.v", model},
                 {"verilator", "--lint-only", "-Wall", "-Wno-DECLFILENAME", "--timing", "--top-module", bench,
                  "pll_file_tb.v", "pll_file.v", "stub.v"},
                 {"vvp", "-n", "bench.vvp"}};
    }
    for (const QStringList &step : steps)
        if (QStandardPaths::findExecutable(step[0]).isEmpty())
            QSKIP("the HDL tools are not installed (scripts/install-deps.sh installs them)");
    const QStringList simulation = steps.takeLast();
    for (const QStringList &step : steps) {
        const QPair<int, QString> run = runTool(step, d);
        QVERIFY2(run.first == 0 && run.second.isEmpty(), qPrintable(step.join(' ') + ":\n" + run.second));
    }
    const QPair<int, QString> run = runTool(simulation, d);
    QVERIFY2(run.second.contains(QRegularExpression(verdict, QRegularExpression::MultilineOption)),
             qPrintable(run.second));
    QCOMPARE(run.second.contains(QRegularExpression("^PASS", QRegularExpression::MultilineOption)), change.isEmpty());
}

// The constraints give every clock the period (and CLKOUTP the edges) the settings achieve, for the
// module inside a larger design and as the top. OpenSTA reads them where it can: it takes only one of
// -multiply_by and -divide_by, which a fractional PLL ratio needs both of; Tcl stand-ins check the rest.
void tst_ModGen::sdcClocks_data()
{
    QTest::addColumn<QStringList>("args");
    ModArgsInput in = exampleInput();
    QTest::newRow("27 -> 100.286 MHz, every output, phase 90") << in.args();
    in.form.clkoutd3SourceClkout = false, in.pll.clkoutpNoBypass = false, in.form.clkfbIndex = 1;
    QTest::newRow("CLKOUTP bypassed feeds both dividers, external feedback") << in.args();
    in = fullInput();
    in.pll.clkoutd3Enabled = false, in.pll.idivSel = 1, in.pll.fbdivSel = 4, in.pll.phaseDutyDynamic = true;
    QTest::newRow("whole ratios, dynamic phase") << in.args();
    QTest::newRow("every bypass") << bypassedInput().args();
}

void tst_ModGen::sdcClocks()
{
    QFETCH(QStringList, args);
    ModGen::Settings s;
    QStringList errors;
    QVERIFY2(ModGen::parseArgs(args, &s, &errors), qPrintable(errors.join('\n')));
    const QString tclsh = QStandardPaths::findExecutable("tclsh"), sta = QStandardPaths::findExecutable("sta");
    if (tclsh.isEmpty())
        QSKIP("tclsh is not installed (scripts/install-deps.sh installs it)");
    // Period, rise and fall in ns of each clock the settings give.
    const ModGen::Frequencies f = ModGen::frequencies(s);
    const auto wave = [](double mhz, double rise = 0, double fall = 8) {
        return QList<double>{1000.0 / mhz, 1000.0 / mhz * rise / 16.0, 1000.0 / mhz * fall / 16.0};
    };
    QMap<QString, QList<double>> expected{{"pll1_clkin", wave(s.fclkin)}, {"pll1_clkout", wave(f.clkout)}};
    if (s.clkoutp)
        expected.insert("pll1_clkoutp", s.hasPsda ? wave(f.clkoutp, s.psda, s.psda + s.dutyda) : wave(f.clkoutp));
    if (s.clkoutd)
        expected.insert("pll1_clkoutd", wave(f.clkoutd));
    if (s.clkoutd3)
        expected.insert("pll1_clkoutd3", wave(f.clkoutd3));

    QTemporaryDir dir;
    const QString d = dir.path(), sdc = ModGen::sdcText(s);
    QVERIFY(writeFile(d + "/pll1.sdc", sdc.toUtf8()));
    // OpenSTA reads netlists, which carry no parameter overrides; a top wires its ports to the module's u_pll.
    const QString module = ModGen::moduleText(s).remove(
            QRegularExpression("#\\(\n.*\n\\) (?=mirel_inst)", QRegularExpression::DotMatchesEverythingOption));
    QStringList connected;
    for (const ModGen::Port &port : ModGen::ports(s))
        connected << QStringLiteral(".%1(%1)").arg(port.name);
    QVERIFY(writeFile(d + "/pll1.v", (module + "module top (" + module.section("module pll1 (", 1).section(");", 0, 0)
                                      + ");\n  pll1 u_pll (" + connected.join(", ") + ");\nendmodule\n")
                                             .toUtf8()));
    // OpenSTA works out the generated clocks' waveforms for a report, not before.
    QVERIFY(writeFile(d + "/sta.tcl",
                      "read_liberty " SOURCE_DIR "/hdl/mirel.lib\nread_verilog pll1.v\nlink_design top\n"
                      "read_sdc pll1.sdc\nreport_clock_properties\nforeach c [all_clocks] { puts \"CLOCK [get_name $c] "
                      "[get_property $c period] [lmap t [$c waveform] {expr {$t * 1e9}}]\" }\nexit\n"));
    // The prefix each check's clock names carry, the program and its arguments.
    const QString stub = SOURCE_DIR "/tests/sdcstub.tcl";
    QList<QStringList> checks = {{"u_pll/", tclsh, stub, "pll1.sdc", "u_pll"}, {"", tclsh, stub, "pll1.sdc", ""}};
    if (!sta.isEmpty() && !sdc.contains(QRegularExpression("-multiply_by \\d+ -divide_by")))
        checks.append({"u_pll/", sta, "-no_init", "-exit", "sta.tcl"});
    for (const QStringList &check : checks) {
        const QPair<int, QString> run = runTool(check.mid(1), d);
        QMap<QString, QList<double>> clocks;
        for (const QString &line : run.second.split('\n')) {
            QStringList w = line.split(' '); // CLOCK name period rise fall
            if (w.size() == 5 && w[0] == "CLOCK")
                clocks.insert(w[1].remove(check[0]), {w[2].toDouble(), w[3].toDouble(), w[4].toDouble()});
        }
        QVERIFY2(run.first == 0 && clocks.keys() == expected.keys(), qPrintable(check[1] + ":\n" + run.second));
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            for (int i = 0; i < 3; ++i)
                QVERIFY2(std::abs(clocks[it.key()][i] - it.value()[i]) <= 1e-4 * it.value()[0],
                         qPrintable(QStringLiteral("%1 %2: expected %3 ns\n").arg(check[1], it.key()).arg(it.value()[i])
                                    + run.second));
    }
}

QTEST_GUILESS_MAIN(tst_ModGen)
#include "tst_modgen.moc"
