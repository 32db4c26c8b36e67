// SPDX-License-Identifier: MIT
// The generator argument list from plain state, and the host's module generator
// that turns such a list into HDL files, checked by Icarus Verilog, Verilator and GHDL.
#include "testfiles.h"

#include <modargs.h>
#include <modgen.h>
#include <names.h>
#include <pllmodel.h>
#include <portfigure.h>
#include <switchblock.h>

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
        pll.phaseDutyDynamic = pll.clkoutDivideDynamic = false;
        pll.idivSel = 3, pll.fbdivSel = 10, pll.odivSel = 8, pll.sdivSel = 4;
        pll.idivStatic = 5, pll.idivDynamic = 7, pll.fbdivStatic = 9, pll.fbdivDynamic = 11;
        pll.odivStatic = 16, pll.odivDynamic = 32, pll.sdivEntry = 6;
        pll.clkinFreq = 27.0, pll.phaseIndex = 4, pll.dutyIndex = 6;
    }
    QStringList args() const { return ModMirel::Generate::buildModArgs(frame, pll); }

    // Header, module, file, path, language, IP version, device.
    ModMirel::Generate::FrameFields
            frame{"Line one\n-mod_name not a switch", "pll1", "pll_file", "/out", "Verilog", "1.2", "BRN-4LP-QN48"};
    ModMirel::PllSettings pll;
};

// Every optional output on.
ModArgsInput fullInput()
{
    ModArgsInput in;
    in.pll.clkoutpEnabled = in.pll.clkoutdEnabled = in.pll.clkoutd3Enabled = in.pll.lock = in.pll.reset = true;
    return in;
}

// 27 -> 100.286 MHz with every output, CLKOUTP shifted by 90 degrees; CLKOUTD from CLKOUTP.
ModArgsInput exampleInput()
{
    ModArgsInput in = fullInput();
    in.pll.idivSel = 7, in.pll.fbdivSel = 26, in.pll.odivSel = 4, in.pll.dutyIndex = 4;
    in.pll.clkoutdSourceClkout = false;
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
// list of "general, nothing optional". Each row flips one condition of the list, from the base or
// from the row before it; the host's generator takes every list but those marked refused.
struct ListCase
{
    const char *name;
    void (*change)(ModMirel::PllSettings &);
    const char *edits;
    bool refused = false;
};
using S = ModMirel::PllSettings;
const ListCase listCases[] = {
        {"general, nothing optional", [](S &) {}, ""},
        {"general, CLKOUT bypassed: IDIV and FBDIV 1, ODIV kept", [](S &s) { s.clkoutNoBypass = false; },
         "-idiv_sel 1|-fbdiv_sel 1|-clkout_bypass true"},
        {"dynamic phase", [](S &s) { s.phaseDutyDynamic = true; }, "-dyn_da_en true|-clkout_ft_dir 1>-clkout_bypass"},
        {"dynamic phase with CLKOUT bypassed keeps -clkout_ft_dir",
         [](S &s) { s.clkoutNoBypass = false, s.phaseDutyDynamic = true; },
         "-idiv_sel 1|-fbdiv_sel 1|-clkout_bypass true|-dyn_da_en true|-clkout_ft_dir 1>-clkout_bypass"},
        {"CLKOUTP static phase and duty", [](S &s) { s.clkoutpEnabled = true; },
         "-en_clkoutp true|-psda_sel 4>-clkoutp_bypass|-dutyda_sel 8>-psda_sel"},
        {"CLKOUTP dynamic phase and duty", [](S &s) { s.clkoutpEnabled = s.phaseDutyDynamic = true; },
         "-dyn_da_en true|-clkout_ft_dir 1>-clkout_bypass|-en_clkoutp true|-clkoutp_ft_dir 1>-clkoutp_bypass"},
        {"CLKOUTP bypassed: no phase elements", [](S &s) { s.clkoutpEnabled = true, s.clkoutpNoBypass = false; },
         "-en_clkoutp true|-clkoutp_bypass true"},
        {"CLKOUTP bypassed, dynamic phase: no -clkoutp_ft_dir",
         [](S &s) { s.clkoutpEnabled = s.phaseDutyDynamic = true, s.clkoutpNoBypass = false; },
         "-dyn_da_en true|-clkout_ft_dir 1>-clkout_bypass|-en_clkoutp true|-clkoutp_bypass true"},
        {"CLKOUTP off, its bypass on", [](S &s) { s.clkoutpNoBypass = false; }, "-clkoutp_bypass true"},
        {"CLKOUTP off, its bypass on, dynamic phase", [](S &s) { s.clkoutpNoBypass = false, s.phaseDutyDynamic = true; },
         "-dyn_da_en true|-clkout_ft_dir 1>-clkout_bypass|-clkoutp_bypass true"},
        {"CLKOUTD from CLKOUT", [](S &s) { s.clkoutdEnabled = true; },
         "-dyn_sdiv_sel 4>-odiv_sel|-en_clkoutd true|-clkoutd_src CLKOUT>-clkoutd_bypass"},
        {"CLKOUTD from CLKOUTP", [](S &s) { s.clkoutdEnabled = true, s.clkoutdSourceClkout = false; },
         "-dyn_sdiv_sel 4>-odiv_sel|-en_clkoutd true|-clkoutd_src CLKOUTP>-clkoutd_bypass"},
        {"CLKOUTD bypassed: no divider, no source", [](S &s) { s.clkoutdEnabled = true, s.clkoutdNoBypass = false; },
         "-en_clkoutd true|-clkoutd_bypass true"},
        {"CLKOUTD off, its bypass on", [](S &s) { s.clkoutdNoBypass = false; }, "-clkoutd_bypass true"},
        {"CLKOUTD3 from CLKOUT", [](S &s) { s.clkoutd3Enabled = true; },
         "-en_clkoutd3 true|-clkoutd3_src CLKOUT>-en_clkoutd3"},
        {"CLKOUTD3 from CLKOUTP", [](S &s) { s.clkoutd3Enabled = true, s.clkoutd3SourceClkout = false; },
         "-en_clkoutd3 true|-clkoutd3_src CLKOUTP>-en_clkoutd3"},
        {"advanced, dynamic IDIV and FBDIV, static ODIV", [](S &s) { s.generalMode = false; },
         "-dyn_idiv_sel true|-idiv_sel 7|-dyn_fbdiv_sel true|-fbdiv_sel 11|-odiv_sel 16"},
        {"advanced, static IDIV", [](S &s) { s.generalMode = s.clkinDivideDynamic = false; },
         "-idiv_sel 5|-dyn_fbdiv_sel true|-fbdiv_sel 11|-odiv_sel 16"},
        {"advanced, static FBDIV", [](S &s) { s.generalMode = s.clkfbDivideDynamic = false; },
         "-dyn_idiv_sel true|-idiv_sel 7|-fbdiv_sel 9|-odiv_sel 16"},
        {"advanced, dynamic ODIV", [](S &s) { s.generalMode = false, s.clkoutDivideDynamic = true; },
         "-dyn_idiv_sel true|-idiv_sel 7|-dyn_fbdiv_sel true|-fbdiv_sel 11|-dyn_odiv_sel true|-odiv_sel 32"},
        {"advanced, CLKOUT bypass ignored", [](S &s) { s.generalMode = s.clkoutNoBypass = false; },
         "-dyn_idiv_sel true|-idiv_sel 7|-dyn_fbdiv_sel true|-fbdiv_sel 11|-odiv_sel 16|-clkout_bypass true"},
        {"advanced, CLKOUTD takes the user's divider", [](S &s) { s.generalMode = false, s.clkoutdEnabled = true; },
         "-dyn_idiv_sel true|-idiv_sel 7|-dyn_fbdiv_sel true|-fbdiv_sel 11|-odiv_sel 16|-dyn_sdiv_sel 6>-odiv_sel"
         "|-en_clkoutd true|-clkoutd_src CLKOUT>-clkoutd_bypass"},
        {"advanced, CLKOUTD bypassed",
         [](S &s) { s.generalMode = false, s.clkoutdEnabled = true, s.clkoutdNoBypass = false; },
         "-dyn_idiv_sel true|-idiv_sel 7|-dyn_fbdiv_sel true|-fbdiv_sel 11|-odiv_sel 16|-en_clkoutd true"
         "|-clkoutd_bypass true"},
        {"advanced, odd SDIV passed on", [](S &s) { s.generalMode = false, s.clkoutdEnabled = true, s.sdivEntry = 3; },
         "-dyn_idiv_sel true|-idiv_sel 7|-dyn_fbdiv_sel true|-fbdiv_sel 11|-odiv_sel 16|-dyn_sdiv_sel 3>-odiv_sel"
         "|-en_clkoutd true|-clkoutd_src CLKOUT>-clkoutd_bypass",
         true},
        {"advanced, ODIV list without an item", [](S &s) { s.generalMode = false, s.odivStatic = 0; },
         "-dyn_idiv_sel true|-idiv_sel 7|-dyn_fbdiv_sel true|-fbdiv_sel 11|-odiv_sel 0", true},
        {"inputs, lock and external feedback",
         [](S &s) { s.clkinFreq = 100.0, s.clkfbSource = 1, s.reset = s.powerDown = s.regulator = s.lock = true; },
         "-rst_sig true|-rst_sig_p true|-pll_reg true|-fclkin 100|-clkfb_sel 1|-en_lock true"},
        {"six significant digits", [](S &s) { s.clkinFreq = 10.0 / 3.0; }, "-fclkin 3.33333"},
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
    void designFlow_data();
    void designFlow();
    void shippedHdl_data();
    void shippedHdl();
    void dynamicSelects_data();
    void dynamicSelects();
    void switchBlock_data();
    void switchBlock();
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
    listCases[index].change(in.pll);
    const QString plain = "Line one\n-mod_name not a switch|-mod_name pll1|-file_name pll_file|-path /out/|-type PLL|"
                          "-mirel true|-file_type Verilog|-ip_version 1.2|-dev_type BRN-4LP-QN48|-dyn_idiv_sel false|"
                          "-idiv_sel 3|-dyn_fbdiv_sel false|-fbdiv_sel 10|-dyn_odiv_sel false|-odiv_sel 8|"
                          "-dyn_da_en false|-rst_sig false|-rst_sig_p false|-pll_reg false|-fclkin 27|-clkfb_sel 0|"
                          "-en_lock false|-clkout_bypass false|-en_clkoutp false|-clkoutp_bypass false|"
                          "-en_clkoutd false|-clkoutd_bypass false|-en_clkoutd3 false";
    QCOMPARE(in.args(), edited(plain.split('|'), listCases[index].edits));

    // The host's generator takes the list, and the module's ports are the dialog's figure.
    ModGen::Settings settings;
    QStringList errors, module, figure;
    QCOMPARE(ModGen::parseArgs(in.args(), &settings, &errors), !listCases[index].refused);
    if (listCases[index].refused)
        return;
    for (const ModGen::Port &port : ModGen::ports(settings))
        module << (port.output ? "out " : "in ") + port.name
                          + (port.width > 1 ? QStringLiteral("[%1:0]").arg(port.width - 1) : "");
    for (const ModMirel::Generate::Pin &pin : ModMirel::Generate::portFigure(in.pll)) {
        QVERIFY(pin.bus == pin.name.contains('['));
        figure << (pin.output ? "out " : "in ") + pin.name;
    }
    QCOMPARE(module, figure);
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
    // Nor a command that gives a name twice, although Qt's reader would take its last value.
    QVERIFY(!ModGen::decodeCommand(ModGen::encodeCommand({"f", "/d", args}).insert(1, R"("args": {"a": []}, )"), &back));

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
    advanced.pll.generalMode = false, advanced.pll.clkoutDivideDynamic = advanced.pll.phaseDutyDynamic = true;
    advanced.pll.powerDown = advanced.pll.regulator = true, advanced.pll.clkfbSource = 1, advanced.pll.sdivEntry = 8;
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

// The designer's flow, as the README gives it: module + black box lint clean under Verilator; yosys
// checks the hierarchy of a top with a board clock on a port, a register on it and one on each of the
// module's clocks, and synthesizes it; OpenSTA reads the netlist and the .sdc after the board clock.
// Each clock has the period (and CLKOUTP the edges) the settings achieve, derived from the board
// clock, and each board-to-output path is timed against the nearest capture edge. The module on its
// own as the top defines its own input clock.
void tst_ModGen::designFlow_data()
{
    QTest::addColumn<QStringList>("args");
    ModArgsInput in = exampleInput();
    QTest::newRow("27 -> 100.286 MHz, every output, phase 90") << in.args();
    in.pll.clkoutd3SourceClkout = false, in.pll.clkoutpNoBypass = false, in.pll.clkfbSource = 1;
    QTest::newRow("CLKOUTP bypassed feeds both dividers, external feedback") << in.args();
    in = fullInput();
    in.pll.clkoutd3Enabled = false, in.pll.idivSel = 1, in.pll.fbdivSel = 4, in.pll.phaseDutyDynamic = true;
    QTest::newRow("whole ratios, dynamic phase") << in.args();
    in = exampleInput();
    in.pll.generalMode = in.pll.clkoutNoBypass = in.pll.clkoutd3SourceClkout = false;
    QTest::newRow("CLKOUT bypassed, CLKOUTP and CLKOUTD3 from the PLL") << in.args();
    QTest::newRow("every bypass") << bypassedInput().args();
}

void tst_ModGen::designFlow()
{
    QFETCH(QStringList, args);
    for (const char *tool : {"verilator", "yosys", "sta"})
        if (QStandardPaths::findExecutable(tool).isEmpty())
            QSKIP(qPrintable(QString(tool) + " is not installed (scripts/install-deps.sh installs it)"));
    ModGen::Settings s;
    QStringList errors;
    QTemporaryDir dir;
    const QString d = dir.path();
    QVERIFY(ModGen::parseArgs(edited(args, "-file_name pll1|-path " + d + '/'), &s, &errors));
    QVERIFY(ModGen::generate({"pll1", d, edited(args, "-file_name pll1|-path " + d + '/')}, &errors));
    const ModGen::Frequencies f = ModGen::frequencies(s);
    const double board = 1000.0 / s.fclkin;
    // Period and rise of each clock, and the top's register on it.
    QMap<QString, QPair<double, double>> expected{{"pll1_clkout", {1000.0 / f.clkout, 0}}};
    QString top = "module top (input board, input d";
    QStringList connected{".clkin(board)"}, regs{"    reg r0;\n    always @(posedge board) r0 <= d;\n"};
    for (const ModGen::Port &port : ModGen::ports(s)) {
        const QString width = port.width > 1 ? QStringLiteral("[%1:0] ").arg(port.width - 1) : QString();
        // External feedback comes from CLKOUT, as the module's header asks.
        if (port.name != "clkin")
            connected << QStringLiteral(".%1(%2)").arg(port.name, port.name == "clkfb" ? "clkout" : port.name);
        if (port.name.startsWith("clkout")) {
            const double mhz = QMap<QString, double>{{"clkout", f.clkout},
                                                     {"clkoutp", f.clkoutp},
                                                     {"clkoutd", f.clkoutd},
                                                     {"clkoutd3", f.clkoutd3}}
                                       .value(port.name);
            // CLKOUTP's phase shift carries over to what divides it.
            const bool shifted = s.hasPsda
                                 && (port.name == "clkoutp" || (port.name == "clkoutd3" && s.clkoutd3SrcClkoutp)
                                     || (port.name == "clkoutd" && s.clkoutdSrcClkoutp && !s.clkoutdBypass));
            expected.insert("pll1_" + port.name, {1000.0 / mhz, shifted ? 1000.0 / f.clkoutp * s.psda / 16.0 : 0.0});
            regs << QStringLiteral("    wire %1;\n    reg r_%1;\n    always @(posedge %1) r_%1 <= r0;\n"
                                   "    assign q_%1 = r_%1;\n")
                            .arg(port.name);
            top += ", output q_" + port.name;
        } else if (port.name != "clkin" && port.name != "clkfb") {
            top += QStringLiteral(", %1 %2%3").arg(port.output ? "output" : "input", width, port.name);
        }
    }
    QVERIFY(writeFile(d + "/top.v",
                      (top + ");\n" + regs.join("") + "    pll1 u_pll (" + connected.join(", ") + ");\nendmodule\n")
                              .toUtf8()));
    const QString hdl = SOURCE_DIR "/hdl/";
    QList<QStringList> steps = {{"verilator", "--lint-only", "-Wall", "--top-module", "pll1", "pll1.v",
                                 hdl + "mirel_bb.v"},
                                {"yosys", "-q", "-p",
                                 "read_verilog " + hdl
                                         + "mirel_bb.v pll1.v top.v; hierarchy -check -top top; synth -top top; "
                                           "dfflibmap -liberty " SOURCE_DIR
                                           "/examples/flow/cells.lib; opt_clean; write_verilog -noattr top_pnr.v; "
                                           "script "
                                         + hdl + "mirel_sta.ys; write_verilog -noattr top_sta.v"}};
    for (const QStringList &step : steps) {
        const QPair<int, QString> run = runTool(step, d);
        QVERIFY2(run.first == 0 && run.second.isEmpty(), qPrintable(step.join(' ') + ":\n" + run.second));
    }
    QString sta = "read_liberty " SOURCE_DIR "/examples/flow/cells.lib\nread_liberty " + hdl
                  + "mirel.lib\nread_verilog top_sta.v\nlink_design top\n"
                  + QStringLiteral("create_clock -name board -period %1 [get_ports board]\n").arg(board, 0, 'f', 6)
                  + "read_sdc pll1.sdc\n";
    for (const QString &clock : expected.keys())
        sta += "report_checks -digits 4 -from [get_clocks board] -to [get_clocks u_pll/" + clock + "]\n";
    // Generated clocks have their waveforms once timed.
    sta += "foreach c [all_clocks] { puts \"CLOCK [get_name $c] [get_property $c period] "
           "[expr {[lindex [$c waveform] 0] * 1e9}]\" }\n";
    QVERIFY(writeFile(d + "/top.tcl",
                      (sta
                       + "read_verilog top_sta.v\nlink_design pll1\nread_sdc pll1.sdc\nreport_clock_properties\nexit\n")
                              .toUtf8()));
    const QPair<int, QString> run = runTool({"sta", "-no_init", "-exit", "top.tcl"}, d);
    QVERIFY2(run.first == 0 && !run.second.contains(QRegularExpression("Error|Warning|No common|unconstrained")),
             qPrintable(run.second));
    QMap<QString, QPair<double, double>> clocks;
    for (const QString &line : run.second.split('\n')) {
        const QStringList w = line.split(' '); // CLOCK name period rise
        if (w.size() == 4 && w[0] == "CLOCK" && !w[1].endsWith("_step") && !w[1].endsWith("_pll"))
            clocks.insert(QString(w[1]).remove("u_pll/"), {w[2].toDouble(), w[3].toDouble()});
    }
    expected.insert("board", {board, 0});
    QCOMPARE(clocks.keys(), expected.keys());
    // Launch at a board edge, capture at the nearest later edge of the output clock.
    const QRegularExpression edge("^ +[-0-9.]+ +([-0-9.]+) +clock (\\S+) \\(rise edge\\)$",
                                  QRegularExpression::MultilineOption);
    auto edges = edge.globalMatch(run.second);
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        QVERIFY2(std::abs(clocks[it.key()].first - it.value().first) <= 1e-4 * it.value().first
                         && std::abs(clocks[it.key()].second - it.value().second) <= 1e-3,
                 qPrintable(QStringLiteral("%1: period %2 rise %3, expected %4 %5")
                                    .arg(it.key())
                                    .arg(clocks[it.key()].first)
                                    .arg(clocks[it.key()].second)
                                    .arg(it.value().first)
                                    .arg(it.value().second)));
        if (it.key() == "board")
            continue;
        double nearest = 1e9;
        for (int k = 0; k < 1024; ++k)
            for (int j = int(k * board / it.value().first); j < int(k * board / it.value().first) + 3; ++j)
                if (double gap = it.value().second + j * it.value().first - k * board; gap > 1e-6 && gap < nearest)
                    nearest = gap;
        const QRegularExpressionMatch launch = edges.next(), capture = edges.next();
        QVERIFY2(launch.captured(2) == "board" && capture.captured(2) == "u_pll/" + it.key()
                         && std::abs(capture.captured(1).toDouble() - launch.captured(1).toDouble() - nearest) < 2e-4,
                 qPrintable(QStringLiteral("%1: expected %2 ns\n").arg(it.key()).arg(nearest) + run.second));
    }
    QVERIFY2(run.second.contains(QRegularExpression(QStringLiteral("\npll1_clkin +%1 ").arg(board, 0, 'f', 2))),
             qPrintable(run.second));
}

// The shipped HDL on its own: the model lint-clean under Verilator (its waivers stated in it), the VHDL
// black box analysed (designFlow lints the Verilog one).
void tst_ModGen::shippedHdl_data()
{
    QTest::addColumn<QStringList>("command");
    const QString hdl = SOURCE_DIR "/hdl/";
    QTest::newRow("model, verilator -Wall --timing")
            << QStringList{"verilator", "--lint-only", "-Wall", "--timing", hdl + "mirel.v"};
    QTest::newRow("VHDL black box, ghdl -a") << QStringList{"ghdl", "-a", "--std=93", hdl + "mirel_bb.vhd"};
}

void tst_ModGen::shippedHdl()
{
    QFETCH(QStringList, command);
    if (QStandardPaths::findExecutable(command[0]).isEmpty())
        QSKIP(qPrintable(command[0] + " is not installed (scripts/install-deps.sh installs it)"));
    QTemporaryDir dir; // GHDL keeps its library in the working directory
    const QPair<int, QString> run = runTool(command, dir.path());
    QVERIFY2(run.first == 0 && run.second.isEmpty(), qPrintable(command.join(' ') + ":\n" + run.second));
}

// The module header's dynamic select table agrees with the models: one simulation drives each listed
// code of a select while the other holds its own (fbdsel 0: FBDIV 64; idsel 63: IDIV 1), and the
// divider is measured from CLKOUT's period against a 100 MHz clkin.
void tst_ModGen::dynamicSelects_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("select");
    for (const char *language : {"Verilog", "VHDL"})
        for (const char *select : {"idsel", "fbdsel", "odsel"})
            QTest::addRow("%s, %s", language, select) << language << select;
}

void tst_ModGen::dynamicSelects()
{
    QFETCH(QString, language);
    QFETCH(QString, select);
    const bool vhdl = language == "VHDL";
    const QString ext = vhdl ? ".vhd" : ".v", model = SOURCE_DIR "/hdl/mirel" + ext;
    const QList<QStringList> steps = vhdl ? QList<QStringList>{{"ghdl", "-a", "--std=08", model, "pll_file.vhd",
                                                                "sweep.vhd"},
                                                               {"ghdl", "--elab-run", "--std=08", "sweep"}}
                                          : QList<QStringList>{{"iverilog", "-g2005", "-s", "sweep", "-o", "sweep.vvp",
                                                                model, "pll_file.v", "sweep.v"},
                                                               {"vvp", "-n", "sweep.vvp"}};
    ModArgsInput in; // Advanced Mode makes IDIV and FBDIV dynamic
    in.pll.generalMode = false, in.pll.clkoutDivideDynamic = true, in.pll.clkinFreq = 100.0;
    in.frame.fileTypeWord = language;
    QTemporaryDir dir;
    const QString d = dir.path();
    QStringList errors;
    QVERIFY2(ModGen::generate({"pll_file", d, edited(in.args(), "-path " + d + '/')}, &errors),
             qPrintable(errors.join('\n')));
    // The header's table: 64 dividers by code from 0, or odsel's listed codes and their ODIVs.
    const bool odsel = select == "odsel";
    const QString header = QString::fromUtf8(readFile(d + "/pll_file" + ext));
    QList<int> listed, measured;
    quint64 mask = odsel ? 0 : ~quint64(0);
    auto rows = QRegularExpression(odsel ? "code (\\d+: \\d+(, \\d+: \\d+)*)$" : "code +\\d+- *\\d+:(.*)",
                                   QRegularExpression::MultilineOption)
                        .globalMatch(header);
    while (rows.hasNext()) {
        for (const QString &item : rows.next().captured(1).split(odsel ? ", " : " ", Qt::SkipEmptyParts))
            listed << item.section(':', 0, 0).toInt();
    }
    if (odsel)
        std::sort(listed.begin(), listed.end());
    for (int code : listed)
        mask |= odsel ? quint64(1) << code : 0;
    QCOMPARE(listed.size(), odsel ? 11 : 64);
    // After the listed codes, odsel drives one the table leaves out, which the model must refuse.
    QString bench = QString::fromUtf8(readFile(SOURCE_DIR "/tests/hdl/sweep" + ext));
    bench.replace("SELECT", select).replace("AFTER", odsel ? "1" : "0");
    bench.replace("LISTED", QString(vhdl ? "x\"%1\"" : "64'h%1").arg(mask, 16, 16, QChar('0')));
    QVERIFY(writeFile(d + "/sweep" + ext, bench.toUtf8()));
    QPair<int, QString> run;
    for (const QStringList &step : steps) {
        if (QStandardPaths::findExecutable(step[0]).isEmpty())
            QSKIP(qPrintable(step[0] + " is not installed (scripts/install-deps.sh installs it)"));
        run = runTool(step, d);
        QVERIFY2(run.first == 0 || (odsel && step == steps.last()), qPrintable(step.join(' ') + ":\n" + run.second));
    }
    QCOMPARE(run.second.contains("ODSEL 1 gives ODIV 126"), odsel);
    // Each code's line ends in the period in fs of a CLKOUT at 100 MHz x FBDIV / IDIV, which ODIV leaves alone.
    auto lines = QRegularExpression("(?:^|: )(\\d+) (\\d+)$", QRegularExpression::MultilineOption)
                         .globalMatch(run.second);
    while (lines.hasNext()) {
        const QRegularExpressionMatch line = lines.next();
        const double period = line.captured(2).toDouble() / 1e6;
        measured << (odsel ? (qAbs(period * 6.4 - 1.0) < 0.01 ? line.captured(1).toInt() : -1)
                           : qRound(select == "idsel" ? period * listed.value(0) / 10.0
                                                      : 10.0 * listed.value(63) / period));
    }
    QCOMPARE(measured, listed);
}

// A module with every output and dynamic dividers, and its switching block through four profiles
// from 27 MHz: the bench walks them and back and passes; a wrong code planted in the block fails,
// naming its profile. The block is lint-clean (Verilator -Wall, strict VHDL-93) and synthesizes
// with the module on the primitive's black box.
void tst_ModGen::switchBlock_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("planted"); // profile 2's FBDIV 4 becomes 5
    for (const char *language : {"Verilog", "VHDL"})
        for (const bool planted : {false, true})
            QTest::addRow("%s%s", language, planted ? ", wrong code" : "") << language << planted;
}

void tst_ModGen::switchBlock()
{
    QFETCH(QString, language);
    QFETCH(bool, planted);
    ModArgsInput in = fullInput();
    in.pll.generalMode = false, in.pll.clkoutDivideDynamic = true, in.pll.clkinFreq = 27.0, in.pll.sdivEntry = 2;
    in.pll.idivDynamic = 4, in.pll.fbdivDynamic = 11, in.pll.odivDynamic = 8, in.pll.clkfbSource = 1;
    in.frame.fileTypeWord = language;
    QTemporaryDir dir;
    const QString d = dir.path(), ext = language == "VHDL" ? ".vhd" : ".v";
    ModGen::Settings s;
    QStringList errors, written;
    const QStringList args = edited(in.args(), "-path " + d + '/');
    QVERIFY(ModGen::generate({"pll_file", d, args}, &errors) && ModGen::parseArgs(args, &s, &errors));
    const QList<ModGen::SwitchProfile> profiles{{4, 11, 8}, {2, 11, 4}, {1, 4, 4}, {7, 26, 4}};
    QVERIFY2(ModGen::generateSwitch(d, s, profiles, &errors, &written), qPrintable(errors.join('\n')));
    QCOMPARE(written, QStringList({d + "/pll_file_switch" + ext, d + "/pll_file_switch_tb" + ext}));
    QString block = QString::fromUtf8(readFile(written[0]));
    QCOMPARE(block.count("111111111100111110"), 1); // idsel 63, fbdsel 60, odsel 62
    if (planted)
        QVERIFY(writeFile(written[0], block.replace("111111111100111110", "111111111011111110").toUtf8()));
    const QString model = SOURCE_DIR "/hdl/mirel" + ext, bb = SOURCE_DIR "/hdl/mirel_bb.v";
    const QList<QStringList> steps
            = ext == ".v" ? QList<QStringList>{{"verilator", "--lint-only", "-Wall", "-Wno-DECLFILENAME",
                                                "pll_file_switch.v"},
                                               {"yosys", "-q", "-p",
                                                "read_verilog " + bb
                                                        + " pll_file.v pll_file_switch.v; hierarchy -check; synth"},
                                               {"iverilog", "-g2005", "-Wall", "-s", "pll1_switch_tb", "-o", "b.vvp",
                                                model, "pll_file.v", "pll_file_switch.v", "pll_file_switch_tb.v"},
                                               {"vvp", "-n", "b.vvp"}}
                          : QList<QStringList>{{"ghdl", "-a", "--std=93", "pll_file_switch.vhd"},
                                               {"ghdl", "-a", "--std=08", model, "pll_file.vhd", "pll_file_switch.vhd",
                                                "pll_file_switch_tb.vhd"},
                                               {"ghdl", "--elab-run", "--std=08", "pll1_switch_tb"}};
    QPair<int, QString> run;
    for (const QStringList &step : steps) {
        if (QStandardPaths::findExecutable(step[0]).isEmpty())
            QSKIP(qPrintable(step[0] + " is not installed (scripts/install-deps.sh installs it)"));
        run = runTool(step, d);
        QVERIFY2(run.first == 0 && (step == steps.last() || run.second.isEmpty()),
                 qPrintable(step.join(' ') + ":\n" + run.second));
    }
    // Profiles 0 1 2 3 2 1 0, each with four outputs and the VCO.
    QVERIFY2(run.second.contains(QRegularExpression(planted ? "^profile 2 CLKOUT: .* FAIL$\nprofile 2 CLKOUTP: .* FAIL$"
                                                            : "^PASS: 35 checks$",
                                                    QRegularExpression::MultilineOption)),
             qPrintable(run.second));
    QCOMPARE(run.second.count(QRegularExpression("FAIL\n")), planted ? 10 : 0);
}

QTEST_GUILESS_MAIN(tst_ModGen)
#include "tst_modgen.moc"
