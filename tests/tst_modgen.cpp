// SPDX-License-Identifier: MIT
// The generator argument list from plain state, and the host's module generator
// that turns such a list into HDL files.
#include <modargs.h>
#include <modgen.h>
#include <names.h>

#include <algorithm>
#include <cmath>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using ModMirel::Generate::ModArgsInput;

namespace {

ModArgsInput baseInput()
{
    ModArgsInput in;
    in.header = QStringLiteral("Line one\n-mod_name not a switch");
    in.moduleName = QStringLiteral("pll1");
    in.fileName = QStringLiteral("pll_file");
    in.createPath = QStringLiteral("/out");
    in.fileTypeWord = QStringLiteral("Verilog");
    in.ipVersion = QStringLiteral("1.2");
    in.deviceName = QStringLiteral("GW1N-4");
    in.phaseDutyDynamic = false;
    in.idivSel = 3;
    in.fbdivSel = 10;
    in.odivSel = 8;
    in.sdivSel = 4;
    in.idivStatic = 5;
    in.idivDynamic = 7;
    in.fbdivStatic = 9;
    in.fbdivDynamic = 11;
    in.odivStaticText = QStringLiteral("16");
    in.odivDynamicText = QStringLiteral("32");
    in.sdivEntry = 6;
    in.clkin = 27.0;
    in.phaseIndex = 4;
    in.dutyCode = QStringLiteral("8");
    return in;
}

QStringList head(const QString &word = QStringLiteral("Verilog"), const QString &version = QStringLiteral("1.2"))
{
    return {QStringLiteral("Line one\n-mod_name not a switch"), "-mod_name pll1", "-file_name pll_file", "-path /out/",
            "-type PLL", "-mirel true", "-file_type " + word, "-ip_version " + version, "-dev_type GW1N-4"};
}

const QStringList generalDividers = {"-dyn_idiv_sel false", "-idiv_sel 3", "-dyn_fbdiv_sel false", "-fbdiv_sel 10",
                                     "-dyn_odiv_sel false", "-odiv_sel 8"};

QStringList plainTail(const QString &clkoutBypass = QStringLiteral("false"))
{
    return {"-dyn_da_en false", "-rst_sig false", "-rst_sig_p false", "-pll_reg false", "-fclkin 27",
            "-clkfb_sel 0", "-en_lock false", "-clkout_bypass " + clkoutBypass, "-en_clkoutp false",
            "-clkoutp_bypass false", "-en_clkoutd false", "-clkoutd_bypass false", "-en_clkoutd3 false"};
}

// A sound list for the generator tests: every optional output on.
QStringList fullList(bool vhdl = false, bool dynamicPhase = false)
{
    ModArgsInput in = baseInput();
    in.createPath = QStringLiteral("/out");
    in.fileTypeWord = vhdl ? QStringLiteral("VHDL") : QStringLiteral("Verilog");
    in.phaseDutyDynamic = dynamicPhase;
    in.clkoutpEnabled = in.clkoutdEnabled = in.clkoutd3Enabled = true;
    in.lock = in.reset = true;
    return ModMirel::Generate::buildModArgs(in);
}

QStringList replaced(QStringList list, const QString &prefix, const QString &element)
{
    for (QString &item : list) {
        if (item.startsWith(prefix + QLatin1Char(' ')) || item == prefix) {
            item = element;
            return list;
        }
    }
    list << element;
    return list;
}

QStringList removed(QStringList list, const QString &prefix)
{
    list.erase(std::remove_if(list.begin(), list.end(), [&](const QString &item) { return item.startsWith(prefix + ' '); }),
               list.end());
    return list;
}

ModGen::Settings parsed(const QStringList &args)
{
    ModGen::Settings settings;
    QStringList errors;
    if (!ModGen::parseArgs(args, &settings, &errors))
        qWarning() << errors;
    return settings;
}

QString portsText(const ModGen::Settings &settings)
{
    QStringList names;
    for (const ModGen::Port &port : ModGen::ports(settings))
        names << (port.output ? "out " : "in ") + port.name + (port.width > 1 ? QStringLiteral("[%1]").arg(port.width) : QString());
    return names.join(QLatin1String(", "));
}

QString readAll(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

void writeText(const QString &path, const QString &text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
}

// Every parameter and port of the primitive, without behaviour: enough for a compiler
// to check the generated instance against.
const char stubMirel[] = R"(`timescale 1ns / 1ps
/* verilator lint_off DECLFILENAME */
/* verilator lint_off UNUSEDPARAM */
/* verilator lint_off UNUSEDSIGNAL */
/* verilator lint_off UNDRIVEN */
module MIREL #(
    parameter FCLKIN = "100", DYN_IDIV_SEL = "false", IDIV_SEL = 1, DYN_FBDIV_SEL = "false",
    parameter FBDIV_SEL = 1, DYN_ODIV_SEL = "false", ODIV_SEL = 2, SDIV_SEL = 2, DYN_DA_EN = "false",
    parameter PSDA_SEL = "0000", DUTYDA_SEL = "1000", CLKOUT_FT_DIR = 1'b1, CLKOUTP_FT_DIR = 1'b1,
    parameter CLKOUT_BYPASS = "false", CLKOUTP_BYPASS = "false", CLKOUTD_BYPASS = "false",
    parameter CLKFB_SEL = "internal", CLKOUTD_SRC = "CLKOUT", CLKOUTD3_SRC = "CLKOUT", LOCK_EN = "false"
) (
    output CLKOUT, LOCK, CLKOUTP, CLKOUTD, CLKOUTD3,
    input RESET, RESET_P, VREN, CLKIN, CLKFB,
    input [5:0] IDSEL, FBDSEL, ODSEL,
    input [3:0] PSDA, DUTYDA, FDLY
);
endmodule
)";

const char stubMirelVhdl[] = R"(library IEEE;
use IEEE.std_logic_1164.all;
entity MIREL is
    generic (
        FCLKIN: string := "100"; DYN_IDIV_SEL: string := "false"; IDIV_SEL: integer := 1;
        DYN_FBDIV_SEL: string := "false"; FBDIV_SEL: integer := 1; DYN_ODIV_SEL: string := "false";
        ODIV_SEL: integer := 2; SDIV_SEL: integer := 2; DYN_DA_EN: string := "false";
        PSDA_SEL: string := "0000"; DUTYDA_SEL: string := "1000"; CLKOUT_FT_DIR: std_logic := '1';
        CLKOUTP_FT_DIR: std_logic := '1'; CLKOUT_BYPASS: string := "false"; CLKOUTP_BYPASS: string := "false";
        CLKOUTD_BYPASS: string := "false"; CLKFB_SEL: string := "internal"; CLKOUTD_SRC: string := "CLKOUT";
        CLKOUTD3_SRC: string := "CLKOUT"; LOCK_EN: string := "false");
    port (
        CLKOUT, LOCK, CLKOUTP, CLKOUTD, CLKOUTD3: out std_logic;
        RESET, RESET_P, VREN, CLKIN, CLKFB: in std_logic;
        IDSEL, FBDSEL, ODSEL: in std_logic_vector(5 downto 0);
        PSDA, DUTYDA, FDLY: in std_logic_vector(3 downto 0));
end MIREL;
architecture stub of MIREL is
begin
end stub;
)";

struct ToolRun
{
    int status = -1;
    QString output;
};

ToolRun runTool(const QString &program, const QStringList &arguments, const QString &dir)
{
    QProcess process;
    process.setWorkingDirectory(dir);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    ToolRun run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        run.output = QStringLiteral("timed out");
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.output = QString::fromUtf8(process.readAll());
    return run;
}

QStringList hdlConfigurations(bool vhdl, QList<QByteArray> *names)
{
    QList<QStringList> lists;
    ModArgsInput in = baseInput();
    in.fileTypeWord = vhdl ? QStringLiteral("VHDL") : QStringLiteral("Verilog");
    *names << "nothing optional";
    lists << ModMirel::Generate::buildModArgs(in);
    ModArgsInput every = in;
    every.clkoutpEnabled = every.clkoutdEnabled = every.clkoutd3Enabled = true;
    every.reset = every.lock = true;
    *names << "every output, static phase";
    lists << ModMirel::Generate::buildModArgs(every);
    every.phaseDutyDynamic = true;
    every.clkoutdSourceClkout = false;
    *names << "every output, dynamic phase";
    lists << ModMirel::Generate::buildModArgs(every);
    ModArgsInput advanced = in;
    advanced.generalMode = false;
    advanced.odivDynamicChecked = true;
    advanced.reset = advanced.powerDown = advanced.regulator = advanced.lock = true;
    advanced.clkfbIndex = 1;
    advanced.clkoutpEnabled = advanced.clkoutdEnabled = true;
    advanced.phaseDutyDynamic = true;
    advanced.sdivEntry = 8;
    *names << "advanced, every port";
    lists << ModMirel::Generate::buildModArgs(advanced);
    ModArgsInput bypassed = every;
    bypassed.clkoutNoBypass = bypassed.clkoutpNoBypass = bypassed.clkoutdNoBypass = false;
    *names << "every bypass";
    lists << ModMirel::Generate::buildModArgs(bypassed);
    QStringList flat;
    for (const QStringList &list : lists)
        flat << list.join(QLatin1Char('\x1f'));
    return flat;
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
    void portsFollowTheFigure_data();
    void portsFollowTheFigure();
    void writesModuleAndTemplate_data();
    void writesModuleAndTemplate();
    void failureKeepsEarlierFiles();
    void commandRoundTrip();
    void verilogCompiles_data();
    void verilogCompiles();
    void vhdlAnalyses_data();
    void vhdlAnalyses();
    void simulationMeetsReportedFrequencies_data();
    void simulationMeetsReportedFrequencies();
};

void tst_ModGen::argumentList_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("general, nothing optional") << "" << head() + generalDividers + plainTail();
    QTest::newRow("general, CLKOUT bypassed: IDIV and FBDIV 1, ODIV kept")
        << "clkoutBypass"
        << head() + QStringList{"-dyn_idiv_sel false", "-idiv_sel 1", "-dyn_fbdiv_sel false", "-fbdiv_sel 1",
                                "-dyn_odiv_sel false", "-odiv_sel 8"} + plainTail("true");
    QStringList ftDir = plainTail("true");
    ftDir[0] = "-dyn_da_en true";
    ftDir.insert(8, "-clkout_ft_dir 1");
    QTest::newRow("dynamic phase with CLKOUT bypassed keeps -clkout_ft_dir")
        << "clkoutBypass dynamicPhase"
        << head() + QStringList{"-dyn_idiv_sel false", "-idiv_sel 1", "-dyn_fbdiv_sel false", "-fbdiv_sel 1",
                                "-dyn_odiv_sel false", "-odiv_sel 8"} + ftDir;

    QStringList staticP = plainTail();
    staticP[8] = "-en_clkoutp true";
    staticP.insert(10, "-psda_sel 4");
    staticP.insert(11, "-dutyda_sel 8");
    QTest::newRow("CLKOUTP static phase and duty") << "clkoutp" << head() + generalDividers + staticP;

    QStringList dynamicP = plainTail();
    dynamicP[0] = "-dyn_da_en true";
    dynamicP.insert(8, "-clkout_ft_dir 1");
    dynamicP[9] = "-en_clkoutp true";
    dynamicP.insert(11, "-clkoutp_ft_dir 1");
    QTest::newRow("CLKOUTP dynamic phase and duty") << "clkoutp dynamicPhase" << head() + generalDividers + dynamicP;

    QStringList bypassedP = plainTail();
    bypassedP[8] = "-en_clkoutp true";
    bypassedP[9] = "-clkoutp_bypass true";
    QTest::newRow("CLKOUTP bypassed: no phase elements") << "clkoutp clkoutpBypass" << head() + generalDividers + bypassedP;

    QStringList disabledDynamic = plainTail();
    disabledDynamic[0] = "-dyn_da_en true";
    disabledDynamic.insert(8, "-clkout_ft_dir 1");
    QTest::newRow("CLKOUTP disabled, dynamic: no -clkoutp_ft_dir") << "dynamicPhase" << head() + generalDividers + disabledDynamic;

    QStringList clkoutd = plainTail();
    clkoutd[10] = "-en_clkoutd true";
    clkoutd.insert(12, "-clkoutd_src CLKOUTP");
    clkoutd[13] = "-en_clkoutd3 true";
    clkoutd << "-clkoutd3_src CLKOUTP";
    QTest::newRow("CLKOUTD and CLKOUTD3 from CLKOUTP")
        << "clkoutd clkoutd3 fromClkoutp" << head() + generalDividers + QStringList{"-dyn_sdiv_sel 4"} + clkoutd;

    QStringList clkoutdBypassed = plainTail();
    clkoutdBypassed[10] = "-en_clkoutd true";
    clkoutdBypassed[11] = "-clkoutd_bypass true";
    QTest::newRow("CLKOUTD bypassed: no divider, no source") << "clkoutd clkoutdBypass" << head() + generalDividers + clkoutdBypassed;

    QTest::newRow("advanced static dividers, bypass ignored")
        << "advanced clkoutBypass"
        << head() + QStringList{"-dyn_idiv_sel false", "-idiv_sel 5", "-dyn_fbdiv_sel false", "-fbdiv_sel 9",
                                "-dyn_odiv_sel false", "-odiv_sel 16"} + plainTail("true");
    QStringList advancedD = plainTail();
    advancedD[10] = "-en_clkoutd true";
    advancedD.insert(12, "-clkoutd_src CLKOUT");
    QTest::newRow("advanced dynamic dividers, odd SDIV passed on")
        << "advanced dynamicDividers clkoutd"
        << head() + QStringList{"-dyn_idiv_sel true", "-idiv_sel 7", "-dyn_fbdiv_sel true", "-fbdiv_sel 11",
                                "-dyn_odiv_sel true", "-odiv_sel 32", "-dyn_sdiv_sel 3"} + advancedD;
    QTest::newRow("advanced, ODIV text not a number")
        << "advanced badOdiv"
        << head() + QStringList{"-dyn_idiv_sel false", "-idiv_sel 5", "-dyn_fbdiv_sel false", "-fbdiv_sel 9",
                                "-dyn_odiv_sel false", "-odiv_sel 0"} + plainTail();

    QStringList vhdl = plainTail();
    vhdl[1] = "-rst_sig true";
    vhdl[2] = "-rst_sig_p true";
    vhdl[3] = "-pll_reg true";
    vhdl[4] = "-fclkin 100";
    vhdl[5] = "-clkfb_sel 1";
    vhdl[6] = "-en_lock true";
    QTest::newRow("VHDL, no version, 100 MHz, all inputs") << "vhdl noVersion mhz100 inputs"
                                                            << head("VHDL", "") + generalDividers + vhdl;
    QStringList fraction = plainTail();
    fraction[4] = "-fclkin 27.5";
    QTest::newRow("27.5 MHz keeps one decimal") << "mhz27.5" << head() + generalDividers + fraction;
    fraction[4] = "-fclkin 3.33333";
    QTest::newRow("six significant digits") << "mhzThird" << head() + generalDividers + fraction;
}

void tst_ModGen::argumentList()
{
    QFETCH(QString, state);
    QFETCH(QStringList, expected);
    const QStringList words = state.split(' ', Qt::SkipEmptyParts);
    ModArgsInput in = baseInput();
    for (const QString &word : words) {
        if (word == "clkoutBypass") in.clkoutNoBypass = false;
        else if (word == "dynamicPhase") in.phaseDutyDynamic = true;
        else if (word == "clkoutp") in.clkoutpEnabled = true;
        else if (word == "clkoutpBypass") in.clkoutpNoBypass = false;
        else if (word == "clkoutd") in.clkoutdEnabled = true;
        else if (word == "clkoutdBypass") in.clkoutdNoBypass = false;
        else if (word == "clkoutd3") in.clkoutd3Enabled = true;
        else if (word == "fromClkoutp") in.clkoutdSourceClkout = in.clkoutd3SourceClkout = false;
        else if (word == "advanced") { in.generalMode = false; in.clkinDivideDynamic = in.clkfbDivideDynamic = false; in.sdivEntry = 3; }
        else if (word == "dynamicDividers") { in.clkinDivideDynamic = in.clkfbDivideDynamic = in.odivDynamicChecked = true; }
        else if (word == "badOdiv") in.odivStaticText = "auto";
        else if (word == "vhdl") in.fileTypeWord = "VHDL";
        else if (word == "noVersion") in.ipVersion.clear();
        else if (word == "mhz100") in.clkin = 100.0;
        else if (word == "mhz27.5") in.clkin = 27.5;
        else if (word == "mhzThird") in.clkin = 10.0 / 3.0;
        else if (word == "inputs") { in.reset = in.powerDown = in.regulator = in.lock = true; in.clkfbIndex = 1; }
        else QFAIL(qPrintable("unknown state word " + word));
    }
    QCOMPARE(ModMirel::Generate::buildModArgs(in), expected);
}

void tst_ModGen::refusedLists_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("problem");
    const QStringList good = fullList();
    QTest::newRow("module name climbing out") << replaced(good, "-mod_name", "-mod_name ../x") << "not a legal";
    QTest::newRow("module name with slash") << replaced(good, "-mod_name", "-mod_name a/b") << "not a legal";
    QTest::newRow("module name with dash") << replaced(good, "-mod_name", "-mod_name my-pll") << "not a legal";
    QTest::newRow("Verilog keyword") << replaced(good, "-mod_name", "-mod_name module") << "reserved";
    QTest::newRow("VHDL keyword in capitals") << replaced(good, "-mod_name", "-mod_name ENTITY") << "reserved";
    QTest::newRow("the primitive's name") << replaced(good, "-mod_name", "-mod_name Mirel") << "inside the generated";
    QTest::newRow("double underscore") << replaced(good, "-mod_name", "-mod_name a__b") << "not a legal";
    QTest::newRow("empty module name") << replaced(good, "-mod_name", "-mod_name ") << "empty";
    QTest::newRow("file name climbing out") << replaced(good, "-file_name", "-file_name ../x") << "separator";
    QTest::newRow("file name with slash") << replaced(good, "-file_name", "-file_name a/b") << "separator";
    QTest::newRow("file name with backslash") << replaced(good, "-file_name", "-file_name a\\b") << "separator";
    QTest::newRow("hidden file name") << replaced(good, "-file_name", "-file_name .x") << "dot";
    QTest::newRow("empty file name") << replaced(good, "-file_name", "-file_name ") << "empty";
    QTest::newRow("odd CLKOUTD divider") << replaced(good, "-dyn_sdiv_sel", "-dyn_sdiv_sel 3") << "odd";
    QTest::newRow("ODIV the hardware lacks") << replaced(good, "-odiv_sel", "-odiv_sel 6") << "ODIV";
    QTest::newRow("ODIV from a non-number") << replaced(good, "-odiv_sel", "-odiv_sel 0") << "-odiv_sel";
    QTest::newRow("IDIV too large") << replaced(good, "-idiv_sel", "-idiv_sel 65") << "-idiv_sel";
    QTest::newRow("frequency not a number") << replaced(good, "-fclkin", "-fclkin fast") << "-fclkin";
    QTest::newRow("flag not a flag") << replaced(good, "-en_lock", "-en_lock TRUE") << "true or false";
    QTest::newRow("missing switch") << removed(good, "-fclkin") << "no \"-fclkin\"";
    QTest::newRow("unknown switch") << good + QStringList{"-evil 1"} << "Unknown";
    QTest::newRow("switch twice") << good + QStringList{"-idiv_sel 2"} << "twice";
    QTest::newRow("phase code with dynamic phase") << replaced(good, "-dyn_da_en", "-dyn_da_en true") << "does not fit";
    QTest::newRow("divider for a bypassed CLKOUTD") << replaced(good, "-clkoutd_bypass", "-clkoutd_bypass true") << "does not fit";
    QTest::newRow("unknown language") << replaced(good, "-file_type", "-file_type SystemC") << "language";
    QTest::newRow("empty list") << QStringList{} << "empty";
}

void tst_ModGen::refusedLists()
{
    QFETCH(QStringList, args);
    QFETCH(QString, problem);
    ModGen::Settings settings;
    QStringList errors;
    QVERIFY(!ModGen::parseArgs(args, &settings, &errors));
    QVERIFY2(errors.join('\n').contains(problem), qPrintable(errors.join('\n')));

    // Nothing reaches the disk either.
    QTemporaryDir dir;
    QStringList written;
    QVERIFY(!ModGen::generate({QStringLiteral("pll_file"), dir.path(), replaced(args, "-path", "-path " + dir.path() + "/")},
                              &errors, &written));
    QVERIFY(written.isEmpty());
    QVERIFY(QDir(dir.path()).isEmpty());
}

void tst_ModGen::portsFollowTheFigure_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("ports");
    const QStringList minimal = ModMirel::Generate::buildModArgs(baseInput());
    QTest::newRow("nothing optional") << minimal << "in clkin, out clkout";
    QTest::newRow("all single inputs")
        << replaced(replaced(replaced(replaced(replaced(minimal, "-rst_sig", "-rst_sig true"), "-pll_reg", "-pll_reg true"),
                                      "-rst_sig_p", "-rst_sig_p true"), "-clkfb_sel", "-clkfb_sel 1"), "-en_lock", "-en_lock true")
        << "in reset, in vren, in clkin, in reset_p, in clkfb, out lock, out clkout";
    ModArgsInput advanced = baseInput();
    advanced.generalMode = false;
    advanced.odivDynamicChecked = true;
    advanced.clkoutpEnabled = advanced.clkoutdEnabled = advanced.clkoutd3Enabled = true;
    advanced.phaseDutyDynamic = true;
    advanced.sdivEntry = 4;
    QTest::newRow("advanced, dynamic everything")
        << ModMirel::Generate::buildModArgs(advanced)
        << "in clkin, in idsel[6], in fbdsel[6], out clkout, in odsel[6], out clkoutp, in psda[4], in dutyda[4], "
           "in fdly[4], out clkoutd, out clkoutd3";
    advanced.clkoutNoBypass = false;
    advanced.clkoutpNoBypass = false;
    QTest::newRow("bypassed CLKOUT and CLKOUTP drop odsel and phase buses")
        << ModMirel::Generate::buildModArgs(advanced)
        << "in clkin, in idsel[6], in fbdsel[6], out clkout, out clkoutp, out clkoutd, out clkoutd3";
}

void tst_ModGen::portsFollowTheFigure()
{
    QFETCH(QStringList, args);
    QFETCH(QString, ports);
    QCOMPARE(portsText(parsed(args)), ports);
}

void tst_ModGen::writesModuleAndTemplate_data()
{
    QTest::addColumn<bool>("vhdl");
    QTest::addColumn<QString>("declaration");
    QTest::addColumn<QString>("instance");
    QTest::newRow("Verilog") << false << "module pll1 (" << "pll1 your_instance_name (";
    QTest::newRow("VHDL") << true << "entity pll1 is" << "your_instance_name: pll1";
}

void tst_ModGen::writesModuleAndTemplate()
{
    QFETCH(bool, vhdl);
    QFETCH(QString, declaration);
    QFETCH(QString, instance);
    QTemporaryDir dir;
    const QString out = dir.path() + "/new/sub";
    const QStringList args = replaced(fullList(vhdl), "-path", "-path " + out + "/");
    QStringList errors, written;
    QVERIFY2(ModGen::generate({"pll_file", out, args}, &errors, &written), qPrintable(errors.join('\n')));
    const QString ext = vhdl ? ".vhd" : ".v";
    QCOMPARE(written, QStringList({out + "/pll_file" + ext, out + "/pll_file_tmp" + ext}));
    QCOMPARE(QDir(out).entryList(QDir::Files), QStringList({"pll_file" + ext, "pll_file_tmp" + ext}));

    const QString module = readAll(written[0]);
    const QString comment = vhdl ? "-- " : "// ";
    QVERIFY(module.startsWith(comment + "Line one\n" + comment + "-mod_name not a switch\n"));
    QVERIFY(module.contains(comment + "Device: GW1N-4"));
    QVERIFY(module.contains(comment + "Actual frequencies (MHz): CLKOUT 90.000, CLKOUTP 90.000, CLKOUTD 22.500, CLKOUTD3 30.000"));
    QVERIFY(module.contains(declaration));
    QVERIFY(module.contains("MIREL"));
    QVERIFY(readAll(written[1]).contains(instance));
}

void tst_ModGen::failureKeepsEarlierFiles()
{
    QTemporaryDir dir;
    const QStringList args = replaced(fullList(), "-path", "-path " + dir.path() + "/");
    QStringList errors;
    QVERIFY(ModGen::generate({"pll_file", dir.path(), args}, &errors));
    const QString before = readAll(dir.path() + "/pll_file.v");

    // A file name that the list does not carry is refused before anything is written.
    QVERIFY(!ModGen::generate({"other", dir.path(), args}, &errors));
    // A list that fails halfway through the checks leaves the earlier module as it was.
    QVERIFY(!ModGen::generate({"pll_file", dir.path(), replaced(args, "-idiv_sel", "-idiv_sel 0")}, &errors));
    QCOMPARE(readAll(dir.path() + "/pll_file.v"), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"pll_file.v", "pll_file_tmp.v"}));
}

void tst_ModGen::commandRoundTrip()
{
    const ModGen::Request request{"f", "/a b/c", fullList()};
    ModGen::Request back;
    QVERIFY(ModGen::decodeCommand(ModGen::encodeCommand(request), &back));
    QCOMPARE(back.fileName, request.fileName);
    QCOMPARE(back.dir, request.dir);
    QCOMPARE(back.args, request.args);
    QVERIFY(!ModGen::decodeCommand(QStringLiteral("rm -rf /"), &back));
    QVERIFY(!ModGen::decodeCommand(QStringLiteral("{\"kind\":\"other\",\"file\":\"f\",\"dir\":\"d\",\"args\":[]}"), &back));
}

void tst_ModGen::verilogCompiles_data()
{
    QTest::addColumn<QStringList>("args");
    QList<QByteArray> names;
    const QStringList lists = hdlConfigurations(false, &names);
    for (int i = 0; i < names.size(); ++i)
        QTest::newRow(names[i].constData()) << lists[i].split(QLatin1Char('\x1f'));
}

void tst_ModGen::verilogCompiles()
{
    QFETCH(QStringList, args);
    const QString iverilog = QStandardPaths::findExecutable(QStringLiteral("iverilog"));
    if (iverilog.isEmpty())
        QSKIP("iverilog is not installed (scripts/install-deps.sh installs it)");
    QTemporaryDir dir;
    args = replaced(args, "-path", "-path " + dir.path() + "/");
    QStringList errors;
    QVERIFY2(ModGen::generate({"pll_file", dir.path(), args}, &errors), qPrintable(errors.join('\n')));

    // The template is pasted into a test bench with one wire per port.
    QString bench = QStringLiteral("`timescale 1ns / 1ps\nmodule bench;\n");
    for (const ModGen::Port &port : ModGen::ports(parsed(args))) {
        bench += QStringLiteral("    wire %1%2_%3;\n")
                     .arg(port.width > 1 ? QStringLiteral("[%1:0] ").arg(port.width - 1) : QString(), port.name,
                          port.output ? "o" : "i");
    }
    bench += QStringLiteral("`include \"pll_file_tmp.v\"\nendmodule\n");
    writeText(dir.path() + "/bench.v", bench);
    writeText(dir.path() + "/mirel_stub.v", QString::fromLatin1(stubMirel));

    const ToolRun icarus = runTool(iverilog, {"-g2005", "-Wall", "-I", dir.path(), "-s", "bench", "-o", "bench.vvp",
                                              "pll_file.v", "mirel_stub.v", "bench.v"}, dir.path());
    QVERIFY2(icarus.status == 0, qPrintable(icarus.output));
    QVERIFY2(!icarus.output.contains("warning", Qt::CaseInsensitive), qPrintable(icarus.output));

    // Verilator's lint, with every warning on except the file-name rule: the
    // file name is the user's choice.
    const QString verilator = QStandardPaths::findExecutable(QStringLiteral("verilator"));
    if (verilator.isEmpty())
        QSKIP("verilator is not installed (scripts/install-deps.sh installs it)");
    const ToolRun lint = runTool(verilator, {"--lint-only", "-Wall", "-Wno-DECLFILENAME", "--top-module", "pll1",
                                             "pll_file.v", "mirel_stub.v"}, dir.path());
    QVERIFY2(lint.status == 0 && !lint.output.contains("%Warning"), qPrintable(lint.output));
}

void tst_ModGen::vhdlAnalyses_data()
{
    QTest::addColumn<QStringList>("args");
    QList<QByteArray> names;
    const QStringList lists = hdlConfigurations(true, &names);
    for (int i = 0; i < names.size(); ++i)
        QTest::newRow(names[i].constData()) << lists[i].split(QLatin1Char('\x1f'));
}

void tst_ModGen::vhdlAnalyses()
{
    QFETCH(QStringList, args);
    const QString ghdl = QStandardPaths::findExecutable(QStringLiteral("ghdl"));
    if (ghdl.isEmpty())
        QSKIP("ghdl is not installed (scripts/install-deps.sh installs it)");
    QTemporaryDir dir;
    args = replaced(args, "-path", "-path " + dir.path() + "/");
    QStringList errors;
    QVERIFY2(ModGen::generate({"pll_file", dir.path(), args}, &errors), qPrintable(errors.join('\n')));

    // The template's component declaration goes before "begin", its instance after.
    const QString templ = readAll(dir.path() + "/pll_file_tmp.vhd");
    const int instance = templ.indexOf(QStringLiteral("    your_instance_name:"));
    QVERIFY(instance > 0);
    QString bench = QStringLiteral("library IEEE;\nuse IEEE.std_logic_1164.all;\nentity bench is\nend bench;\n"
                                   "architecture sim of bench is\n");
    for (const ModGen::Port &port : ModGen::ports(parsed(args))) {
        bench += QStringLiteral("    signal %1_%2: %3;\n")
                     .arg(port.name, port.output ? "o" : "i",
                          port.width > 1 ? QStringLiteral("std_logic_vector(%1 downto 0)").arg(port.width - 1)
                                         : QStringLiteral("std_logic"));
    }
    bench += templ.left(instance) + QStringLiteral("begin\n") + templ.mid(instance) + QStringLiteral("end sim;\n");
    writeText(dir.path() + "/bench.vhd", bench);
    writeText(dir.path() + "/mirel_stub.vhd", QString::fromLatin1(stubMirelVhdl));

    // Strict VHDL-93 for the text; ghdl binds components by default only from VHDL-2008 on.
    const QStringList sources = {"mirel_stub.vhd", "pll_file.vhd", "bench.vhd"};
    const ToolRun analyse = runTool(ghdl, QStringList{"-a", "--std=93"} + sources, dir.path());
    QVERIFY2(analyse.status == 0 && analyse.output.isEmpty(), qPrintable(analyse.output));
    const ToolRun analyse08 = runTool(ghdl, QStringList{"-a", "--std=08"} + sources, dir.path());
    QVERIFY2(analyse08.status == 0 && analyse08.output.isEmpty(), qPrintable(analyse08.output));
    const ToolRun elaborate = runTool(ghdl, {"-e", "--std=08", "bench"}, dir.path());
    QVERIFY2(elaborate.status == 0 && elaborate.output.isEmpty(), qPrintable(elaborate.output));
}

void tst_ModGen::simulationMeetsReportedFrequencies_data()
{
    QTest::addColumn<QStringList>("args");
    ModArgsInput example = baseInput();
    example.idivSel = 7;
    example.fbdivSel = 26;
    example.odivSel = 4;
    example.lock = true;
    ModArgsInput divided = baseInput();
    divided.clkoutpEnabled = divided.clkoutdEnabled = divided.clkoutd3Enabled = true;
    divided.clkoutdSourceClkout = false;
    ModArgsInput bypassed = divided;
    bypassed.clkin = 50.0;
    bypassed.clkoutNoBypass = bypassed.clkoutdNoBypass = false;
    const QList<QPair<const char *, ModArgsInput>> configurations = {
        {"27 MHz to 100.286 MHz", example},
        {"CLKOUTD from a phase-shifted CLKOUTP, CLKOUTD3", divided},
        {"CLKOUT and CLKOUTD bypassed", bypassed}};
    for (const char *language : {"Verilog", "VHDL"}) {
        for (auto configuration : configurations) {
            configuration.second.fileTypeWord = QLatin1String(language);
            QTest::addRow("%s: %s", language, configuration.first)
                << ModMirel::Generate::buildModArgs(configuration.second);
        }
    }
}

namespace {

QString verilogBench(const ModGen::Settings &settings, const QStringList &outputs)
{
    QString bench = QStringLiteral("`timescale 1ns / 1ps\nmodule bench;\n");
    for (const ModGen::Port &port : ModGen::ports(settings)) {
        const QString width = port.width > 1 ? QStringLiteral("[%1:0] ").arg(port.width - 1) : QString();
        if (port.output)
            bench += QStringLiteral("    wire %1%2_o;\n").arg(width, port.name);
        else
            bench += QStringLiteral("    reg %1%2_i = %3;\n").arg(width, port.name, port.name == "vren" ? "1" : "0");
    }
    bench += QStringLiteral("    always #(1000.0 / %1 / 2.0) clkin_i = ~clkin_i;\n").arg(settings.fclkin, 0, 'g', 17);
    bench += QStringLiteral("`include \"pll_file_tmp.v\"\n    realtime t0;\n    initial begin\n"
                            "        wait (your_instance_name.mirel_inst.LOCK);\n");
    for (const QString &output : outputs) {
        bench += QStringLiteral("        @(posedge %1_o) t0 = $realtime;\n        repeat (60) @(posedge %1_o);\n"
                                "        $display(\"FREQ %1 %f\", 60000.0 / ($realtime - t0));\n").arg(output);
    }
    return bench + QStringLiteral("        $finish;\n    end\n    initial begin\n        #1000000;\n"
                                  "        $display(\"TIMEOUT\");\n        $finish;\n    end\nendmodule\n");
}

QString vhdlBench(const ModGen::Settings &settings, const QStringList &outputs, const QString &templ)
{
    const int instance = templ.indexOf(QStringLiteral("    your_instance_name:"));
    QString bench = QStringLiteral("library IEEE;\nuse IEEE.std_logic_1164.all;\nentity bench is\nend bench;\n"
                                   "architecture sim of bench is\n");
    for (const ModGen::Port &port : ModGen::ports(settings)) {
        const QString type = port.width > 1 ? QStringLiteral("std_logic_vector(%1 downto 0)").arg(port.width - 1)
                                            : QStringLiteral("std_logic");
        if (port.output)
            bench += QStringLiteral("    signal %1_o: %2;\n").arg(port.name, type);
        else
            bench += QStringLiteral("    signal %1_i: %2 := %3;\n")
                         .arg(port.name, type, port.width > 1 ? "(others => '0')" : port.name == "vren" ? "'1'" : "'0'");
    }
    // The lock takes 18 input cycles; measuring starts well after it.
    const qint64 halfPeriodFs = qRound64(1.0e9 / settings.fclkin / 2.0);
    bench += templ.left(instance) + QStringLiteral("begin\n    clkin_i <= not clkin_i after %1 fs;\n").arg(halfPeriodFs)
             + templ.mid(instance) + QStringLiteral("    measure: process\n        variable t0: time;\n    begin\n"
                                                    "        wait for %1 fs;\n").arg(halfPeriodFs * 2 * 40);
    for (const QString &output : outputs) {
        bench += QStringLiteral("        wait until rising_edge(%1_o);\n        t0 := now;\n"
                                "        for i in 1 to 60 loop\n            wait until rising_edge(%1_o);\n        end loop;\n"
                                "        report \"FREQ %1 \" & real'image(60.0e6 / real((now - t0) / 1 ps));\n").arg(output);
    }
    return bench + QStringLiteral("        report \"DONE\";\n        wait;\n    end process;\nend sim;\n");
}

} // namespace

void tst_ModGen::simulationMeetsReportedFrequencies()
{
    QFETCH(QStringList, args);
    const ModGen::Settings settings = parsed(args);
    const QString tool = QStandardPaths::findExecutable(settings.vhdl ? QStringLiteral("ghdl") : QStringLiteral("iverilog"));
    const QString vvp = QStandardPaths::findExecutable(QStringLiteral("vvp"));
    if (tool.isEmpty() || (!settings.vhdl && vvp.isEmpty()))
        QSKIP("the simulator is not installed (scripts/install-deps.sh installs it)");
    QTemporaryDir dir;
    args = replaced(args, "-path", "-path " + dir.path() + "/");
    QStringList errors;
    QVERIFY2(ModGen::generate({"pll_file", dir.path(), args}, &errors), qPrintable(errors.join('\n')));

    // What the module's header reports, e.g. "CLKOUT 100.286".
    const QString ext = settings.vhdl ? ".vhd" : ".v";
    const QString module = readAll(dir.path() + "/pll_file" + ext);
    const QRegularExpression line(QStringLiteral("Actual frequencies \\(MHz\\): (.*)\n"));
    const QString reported = line.match(module).captured(1);
    QVERIFY(!reported.isEmpty());
    QMap<QString, double> expected;
    for (const QString &item : reported.split(QStringLiteral(", "))) {
        const QStringList parts = item.split(' ');
        expected.insert(parts[0].toLower(), parts[1].toDouble());
    }

    ToolRun sim;
    if (settings.vhdl) {
        writeText(dir.path() + "/bench.vhd", vhdlBench(settings, expected.keys(), readAll(dir.path() + "/pll_file_tmp.vhd")));
        const QStringList sources = {QStringLiteral(SOURCE_DIR "/hdl/mirel.vhd"), "pll_file.vhd", "bench.vhd"};
        const ToolRun analyse = runTool(tool, QStringList{"-a", "--std=93"} + sources, dir.path());
        QVERIFY2(analyse.status == 0 && analyse.output.isEmpty(), qPrintable(analyse.output));
        const ToolRun analyse08 = runTool(tool, QStringList{"-a", "--std=08"} + sources, dir.path());
        QVERIFY2(analyse08.status == 0 && analyse08.output.isEmpty(), qPrintable(analyse08.output));
        const ToolRun elaborate = runTool(tool, {"-e", "--std=08", "bench"}, dir.path());
        QVERIFY2(elaborate.status == 0 && elaborate.output.isEmpty(), qPrintable(elaborate.output));
        sim = runTool(tool, {"-r", "--std=08", "bench", "--stop-time=1ms"}, dir.path());
        QVERIFY2(sim.output.contains("DONE"), qPrintable(sim.output));
    } else {
        writeText(dir.path() + "/bench.v", verilogBench(settings, expected.keys()));
        const ToolRun compile = runTool(tool, {"-g2005", "-Wall", "-s", "bench", "-o", "bench.vvp", "pll_file.v",
                                               QStringLiteral(SOURCE_DIR "/hdl/mirel.v"), "bench.v"}, dir.path());
        QVERIFY2(compile.status == 0, qPrintable(compile.output));
        sim = runTool(vvp, {"-n", "bench.vvp"}, dir.path());
        QVERIFY2(sim.status == 0 && !sim.output.contains("TIMEOUT"), qPrintable(sim.output));
    }

    int measured = 0;
    const QRegularExpression freq(QStringLiteral("FREQ (\\w+) ([-+0-9.e]+)"));
    for (auto match = freq.globalMatch(sim.output); match.hasNext();) {
        const auto m = match.next();
        const double want = expected.value(m.captured(1));
        const double got = m.captured(2).toDouble();
        QVERIFY2(std::abs(got - want) <= 0.001 * want,
                 qPrintable(QStringLiteral("%1: simulated %2 MHz, reported %3 MHz").arg(m.captured(1)).arg(got).arg(want)));
        ++measured;
    }
    QCOMPARE(measured, expected.size());
}

QTEST_GUILESS_MAIN(tst_ModGen)
#include "tst_modgen.moc"
