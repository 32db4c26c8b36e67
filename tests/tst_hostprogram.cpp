// SPDX-License-Identifier: MIT
// The host program as a user or a script runs it: commands, lines, files, exit statuses.
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run
{
    int status = -1;
    QStringList lines; // standard output
    QString err;
};

Run run(const QStringList &arguments, const QString &dir = QString(), const QString &path = qEnvironmentVariable("PATH"))
{
    QProcess process;
    process.setWorkingDirectory(dir);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PATH", path);
    process.setProcessEnvironment(environment);
    process.start(BIN_DIR "/mirel-host", arguments);
    Run result;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.lines = QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

QString readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

const QStringList example = {"module=pll1", "file=pll_file", "CLKIN_FREQ=27", "CLKOUT_FREQ=100", "CLKOUT_TOLERANCE=0.5"};

} // namespace

class tst_HostProgram : public QObject
{
    Q_OBJECT

private slots:
    void exitStatus_data();
    void exitStatus();
    void infoAndScreenshot();
    void create_data();
    void create();
    void showArgsOptionsFileAndOpen();
    void keysListTheOptions();
    void sim();
};

void tst_HostProgram::exitStatus_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("errorPart");
    QTest::newRow("no command") << QStringList{} << 2 << "Usage";
    QTest::newRow("unknown command") << QStringList{"frobnicate"} << 2 << "unknown command";
    QTest::newRow("help") << QStringList{"--help"} << 0 << "";
    QTest::newRow("unknown option") << QStringList{"info", "--bogus"} << 2 << "bogus";
    QTest::newRow("missing plug-in folder")
            << QStringList{"info", "--plugin-dir", "/nonexistent"} << 1 << "does not exist";
    QTest::newRow("folder without plug-in") << QStringList{"info", "--plugin-dir", "/"} << 1 << "";
    QTest::newRow("screenshot without file") << QStringList{"screenshot"} << 2 << "PNG";
    QTest::newRow("unknown device") << QStringList{"screenshot", "x.png", "--device", "NOPE"} << 2 << "unknown device";
    QTest::newRow("unknown control") << QStringList{"screenshot", "x.png", "noSuchControl=true"} << 2
                                     << "noSuchControl";
    QTest::newRow("refused key") << QStringList{"screenshot", "x.png", "MODE_GENERAL=TRUE"} << 2
                                 << "ERROR: Value 'TRUE' is out of the range for configuration option 'MODE_GENERAL'";
    QTest::newRow("unknown key") << QStringList{"screenshot", "x.png", "CLKOUT_FRQ=1"} << 2
                                 << "did you mean 'CLKOUT_FREQ'?";
    QTest::newRow("not KEY=VALUE") << QStringList{"create", "module"} << 2 << "";
    QTest::newRow("missing .ipc") << QStringList{"open", "/nonexistent/missing.ipc"} << 1 << "";
    QTest::newRow("not an .ipc") << QStringList{"open", SOURCE_DIR "/README.md"} << 1
                                 << "ERROR: '" SOURCE_DIR "/README.md' is not an IP configuration (.ipc) file";
    QTest::newRow("keys, unknown device") << QStringList{"keys", "--device", "NOPE"} << 2 << "unknown device";
    QTest::newRow("sim without file") << QStringList{"sim"} << 2 << "exactly one";
    QTest::newRow("sim of a missing .ipc")
            << QStringList{"sim", "/nonexistent/missing.ipc"} << 1 << "no configuration file";
}

void tst_HostProgram::exitStatus()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, errorPart);
    QTemporaryDir dir;
    const Run r = run(arguments, dir.path());
    QCOMPARE(r.status, status);
    QVERIFY2(r.err.contains(errorPart), qPrintable(r.err));
    QVERIFY2(status == 0 || r.err.trimmed().count('\n') < 16, qPrintable(r.err)); // short, not a dump
    QVERIFY2(!r.err.contains("ERROR: ERROR:"), qPrintable(r.err));
}

void tst_HostProgram::infoAndScreenshot()
{
    const Run info = run({"info"});
    QCOMPARE(info.status, 0);
    for (const QString &part : {QString("id:        MIREL"), QString("version:   1.0"), QString("AXL-12")})
        QVERIFY2(info.lines.join('\n').contains(part), qPrintable(part));
    QCOMPARE(run({"create", "--help"}).lines.value(0), QString("Usage: mirel-host create [options] [KEY=VALUE ...]"));
    QVERIFY(run({"open", "--help"})
                    .lines.join(QChar(32))
                    .simplified()
                    .contains("the device the configuration file names"));
    QVERIFY(run({"devices"}).lines.join('\n').contains("second minimum 3.125 MHz; the higher minimum applies"));
    QTemporaryDir dir;
    for (const QStringList &settings : {QStringList{}, QStringList{"radioModeGeneral=false", "clkoutpCheckEnable=true"},
                                        QStringList{"MODE_GENERAL=false", "CLKOUTP=true", "checkLockEn=true"}}) {
        const Run shot = run(QStringList{"screenshot", dir.filePath("dialog.png")} + settings);
        QCOMPARE(shot.status, 0);
        QCOMPARE(shot.lines, QStringList{"written: " + dir.filePath("dialog.png")});
        const QImage image(dir.filePath("dialog.png"));
        QVERIFY(image.width() >= 900 && image.height() >= 600);
    }
}

void tst_HostProgram::create_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("json"); // written to options.json when not empty
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("errors"); // standard error, line by line
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("ipcLines"); // in the first .ipc written
    // What create writes for one module, in the order it lists them.
    const auto filesOf = [](const QString &name, const QString &ext = ".v") {
        return QStringList{"%1.ipc", "%1" + ext, "%1_tmp" + ext, "%1.sdc", "%1_tb" + ext}
                .replaceInStrings("%1", name + '/' + name);
    };
    const QStringList written = filesOf("pll_file"), vhdl = filesOf("pll_file", ".vhd");
    const QStringList opts = {"create", "--options", "options.json"};
    const QString range
            = "ERROR: Value '%1' is out of the range for configuration option '%2' for IP '%3'. Legal values: %4.";
    const auto row = [](const char *name) -> QTestData & {
        return QTest::newRow(name);
    };
    row("the example") << QStringList{"create"} + example << QByteArray() << 0 << QStringList{} << written
                       << QStringList{};
    row("dir option") << QStringList{"create", "dir=out"} + example << QByteArray() << 0 << QStringList{}
                      << QStringList(written).replaceInStrings(QRegularExpression("^"), "out/") << QStringList{};
    row("refused option") << QStringList{"create", "MODE_GENERAL=TRUE"} + example << QByteArray() << 1
                          << QStringList{"ERROR: Value 'TRUE' is out of the range for configuration option "
                                         "'MODE_GENERAL' for IP 'pll1'."}
                          << QStringList{} << QStringList{};
    row("file name climbing out")
            << QStringList{"create", "module=pll1", "file=../x"} << QByteArray() << 1
            << QStringList{"ERROR: The file name \"../x\" must not contain a directory separator."} << QStringList{}
            << QStringList{};
    row("unknown keys, all at once") << QStringList{"create", "CLKOUT_FRQ=100", "clkin_freq=50", "CKLOUTD3=true"}
                                                + example
                                     << QByteArray() << 1
                                     << QStringList{"ERROR: unknown option 'CKLOUTD3' (did you mean 'CLKOUTD3'?)",
                                                    "ERROR: unknown option 'CLKOUT_FRQ' (did you mean 'CLKOUT_FREQ'?)",
                                                    "ERROR: unknown option 'clkin_freq' (did you mean 'CLKIN_FREQ'?)"}
                                     << QStringList{} << QStringList{};
    row("unknown key in a file")
            << opts + example << QByteArray(R"({"CLKOUTD_DIVIDER": 8})") << 1
            << QStringList{"ERROR: unknown option 'CLKOUTD_DIVIDER' (did you mean 'CLKOUTD_DIVIDE'?) in 'options.json'"}
            << QStringList{} << QStringList{};
    row("LANG=VHDL") << QStringList{"create", "LANG=VHDL"} + example << QByteArray() << 0 << QStringList{} << vhdl
                     << QStringList{"LANG=1"};
    row("LANG=verilog") << QStringList{"create", "LANG=verilog"} + example << QByteArray() << 0 << QStringList{}
                        << written << QStringList{"LANG=0"};
    row("LANG=1") << QStringList{"create", "LANG=1"} + example << QByteArray() << 0 << QStringList{} << vhdl
                  << QStringList{};
    row("LANG 1 in JSON") << opts + example << QByteArray(R"({"LANG": 1})") << 0 << QStringList{} << vhdl
                          << QStringList{};
    for (const char *lang : {"abc", "7", "-1"})
        row(qPrintable(QString("LANG=%1").arg(lang)))
                << QStringList{"create", QString("LANG=") + lang} + example << QByteArray() << 1
                << QStringList{range.arg(lang, "LANG", "pll1", "0, 1, Verilog, VHDL")} << QStringList{}
                << QStringList{};
    row("exact JSON numbers") << opts << QByteArray(R"({"module": "pll1", "file": "pll_file", "CLKIN_FREQ": 3.0004999,
        "CLKOUT_FREQ": 48, "CLKOUT_TOLERANCE": 2.0, "CLKOUTP": true, "DYNAMIC": "false", "CLKOUTP_PHASE": 0.0,
        "CLKOUTP_DUTY_CYCLE": 0.5})")
                              << 0 << QStringList{} << written
                              << QStringList{"CLKIN_FREQ=3", "CLKOUT_TOLERANCE=3", "CLKOUTP_PHASE=0",
                                             "CLKOUTP_DUTY_CYCLE=6"};
    row("range named") << QStringList{"create", "CLKIN_FREQ=500"} + example.mid(0, 2) << QByteArray() << 1
                       << QStringList{range.arg("500", "CLKIN_FREQ", "pll1", "3.000 to 450.000")} << QStringList{}
                       << QStringList{};
    row("not a number")
            << QStringList{"create", "CLKIN_FREQ=27MHz"} + example.mid(0, 2) << QByteArray() << 1
            << QStringList{"ERROR: Value '27MHz' for configuration option 'CLKIN_FREQ' for IP 'pll1' is not a number. "
                           "Legal values: 3.000 to 450.000."}
            << QStringList{} << QStringList{};
    const QStringList advanced = {"create",
                                  "module=pll1",
                                  "file=pll_file",
                                  "MODE_GENERAL=false",
                                  "CLKFB_DIVIDE_STATIC_SEL=4",
                                  "CLKOUTD=true"};
    row("CLKOUTD_DIVIDE") << advanced + QStringList{"CLKOUTD_DIVIDE=8"} << QByteArray() << 0 << QStringList{} << written
                          << QStringList{"CLKOUTD_DIVIDE=8"};
    row("CLKOUTD_DIVIDE odd") << advanced + QStringList{"CLKOUTD_DIVIDE=7"} << QByteArray() << 1
                              << QStringList{"ERROR: The divide factor of CLKOUTD must be an even number."}
                              << QStringList{} << QStringList{};
    row("CLKOUTD_DIVIDE in General Mode") << QStringList{"create", "CLKOUTD_DIVIDE=8"} + example << QByteArray() << 1
                                          << QStringList{"ERROR: Option 'CLKOUTD_DIVIDE' for IP 'pll1' applies only in "
                                                         "Advanced Mode (MODE_GENERAL=false)."}
                                          << QStringList{} << QStringList{};
    row("array, one refused")
            << opts
            << QByteArray(
                       R"([{"module": "a", "file": "a"}, {"module": "b", "file": "b", "CLKIN_FREQ": 1000}, {"module": "c", "file": "c"}])")
            << 1
            << QStringList{range.arg("1000", "CLKIN_FREQ", "b", "3.000 to 450.000"),
                           "ERROR: nothing created from 'options.json' item 2"}
            << filesOf("a") + filesOf("c") << QStringList{};
    row("JSON lines") << opts
                      << QByteArray("{\"module\": \"a\", \"file\": \"a\"}\n\n{\"module\": \"b\", \"file\": \"b\", "
                                    "\"LANG\": \"VHDL\"}\n")
                      << 0 << QStringList{} << filesOf("a") + filesOf("b", ".vhd") << QStringList{};
    row("array of non-objects") << opts << QByteArray("[1]") << 2
                                << QStringList{"ERROR: 'options.json' item 1 is not a JSON object"} << QStringList{}
                                << QStringList{};
    row("empty array") << opts << QByteArray("[]") << 2 << QStringList{"ERROR: 'options.json' holds no JSON object"}
                       << QStringList{} << QStringList{};
    // What the device cannot run, or an output fed by a disabled CLKOUTP, writes nothing.
    const QString illegal = "WARNING: The value of divide factor for CLKIN and CLKFB is illegal";
    const QStringList impossible = {"MODE_GENERAL=false",
                                    "CLKIN_DIVIDE_DYN=false",
                                    "CLKFB_DIVIDE_DYNAMIC=false",
                                    "CLKOUT_DIVIDE_DYN=false",
                                    "CLKOUT_DIVIDER=2",
                                    "module=m",
                                    "file=m"};
    row("VCO of 12800") << QStringList{"create", "CLKIN_FREQ=100", "CLKIN_DIVIDE_STATIC_SEL=1",
                                       "CLKFB_DIVIDE_STATIC_SEL=64"}
                                   + impossible
                        << QByteArray() << 1 << QStringList{illegal} << QStringList{} << QStringList{};
    row("BRN-4LP, VCO of 6") << QStringList{"create",
                                            "--device",
                                            "BRN-4LP",
                                            "CLKIN_FREQ=3",
                                            "CLKIN_DIVIDE_STATIC_SEL=1",
                                            "CLKFB_DIVIDE_STATIC_SEL=1"}
                                        + impossible
                             << QByteArray() << 1 << QStringList{illegal} << QStringList{} << QStringList{};
    row("CLKOUT above the maximum") << QStringList{"create",         "module=m",        "file=m",
                                                   "CLKIN_FREQ=100", "CLKOUT_FREQ=600", "CLKOUT_TOLERANCE=2.0"}
                                    << QByteArray() << 1
                                    << QStringList{"WARNING: The Expected Frequency of CLKOUT cannot be generated. Try "
                                                   "to change the Expected Frequency or Tolerance(%)"}
                                    << QStringList{} << QStringList{};
    for (const char *output : {"CLKOUTD", "CLKOUTD3"})
        QTest::addRow("%s from a disabled CLKOUTP", output)
                << QStringList{"create", QString(output) + "=true", QString(output) + "_SOURCE_CLKOUT=false"} + example
                << QByteArray() << 1
                << QStringList{QString("ERROR: Value 'false' is out of the range for configuration option "
                                       "'%1_SOURCE_CLKOUT' for IP 'pll1'.")
                                       .arg(output)}
                << QStringList{} << QStringList{};
}

// Problems on standard error, the files written on standard output; nothing outside the working folder.
void tst_HostProgram::create()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, json);
    QFETCH(int, status);
    QFETCH(QStringList, errors);
    QFETCH(QStringList, files);
    QFETCH(QStringList, ipcLines);
    QTemporaryDir outer;
    QVERIFY(QDir(outer.path()).mkdir("work"));
    const QString work = outer.path() + "/work";
    QFile options(work + "/options.json");
    QVERIFY(json.isEmpty() || (options.open(QIODevice::WriteOnly) && options.write(json) == json.size()));
    options.close();
    const Run result = run(arguments, work);
    QVERIFY2(result.status == status, qPrintable(result.lines.join('\n') + result.err));
    QCOMPARE(result.err.split('\n', Qt::SkipEmptyParts), errors);
    QStringList found, expectedLines;
    for (QDirIterator it(outer.path(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        found << QDir(work).relativeFilePath(it.next());
    found.removeOne("options.json");
    QStringList sorted = files;
    found.sort(), sorted.sort();
    QCOMPARE(found, sorted);
    for (const QString &file : files)
        expectedLines << "written: " + work + '/' + file;
    QCOMPARE(result.lines, expectedLines);
    const QStringList ipc = readAll(work + '/' + files.value(0)).split('\n');
    for (const QString &line : ipcLines)
        QVERIFY2(ipc.contains(line), qPrintable(line));
}

// --show-args prints one element per line; open regenerates the same module from the .ipc.
void tst_HostProgram::showArgsOptionsFileAndOpen()
{
    QTemporaryDir dir;
    QFile json(dir.path() + "/options.json");
    QVERIFY(json.open(QIODevice::WriteOnly));
    json.write(
            R"({"module": "pll1", "file": "pll_file", "CLKIN_FREQ": 27, "CLKOUT_FREQ": 100, "CLKOUT_TOLERANCE": "0.5"})");
    json.close();
    const Run result = run({"create", "--show-args", "--options", "options.json"}, dir.path());
    QCOMPARE(result.status, 0);
    // The header's line breaks escaped.
    QVERIFY(result.lines.size() > 28 && result.lines.first().contains("\\n"));
    QCOMPARE(result.lines.mid(1, 2), QStringList({"-mod_name pll1", "-file_name pll_file"}));
    for (const QString &element : {QString("-fclkin 27"), QString("-idiv_sel 7"), QString("-fbdiv_sel 26")})
        QVERIFY2(result.lines.contains(element), qPrintable(element));
    const QString module = dir.path() + "/pll_file/pll_file.v", before = readAll(module);
    QVERIFY(before.contains("CLKOUT 100.286") && QFile::remove(module));
    const Run open = run({"open", "pll_file/pll_file.ipc"}, dir.path());
    QVERIFY2(open.status == 0, qPrintable(open.lines.join('\n') + open.err));
    QVERIFY(open.lines.contains("written: " + module));
    QCOMPARE(readAll(module), before);

    const Run opened = run({"open", "--json", "pll_file/pll_file.ipc"}, dir.path());
    const QJsonObject reported = QJsonDocument::fromJson(opened.lines.value(0).toUtf8()).object();
    QCOMPARE(opened.lines.size(), 1);
    QCOMPARE(reported.keys(), QStringList({"PFD", "VCO", "args", "device", "dividers", "files", "messages", "module",
                                           "ok", "outputs", "source"}));
    QCOMPARE(reported["dividers"].toObject(),
             QJsonObject({{"FBDIV", 26}, {"IDIV", 7}, {"ODIV", 4}, {"SDIV", QJsonValue()}}));
    QVERIFY(reported["ok"].toBool() && reported["files"].toArray().contains(module)
            && reported["args"].toArray().contains("-fbdiv_sel 26"));
    const QJsonObject clkout = reported["outputs"].toArray().at(0).toObject();
    QCOMPARE(QString::number(clkout["achieved"].toDouble(), 'f', 3), QString("100.286"));
    QCOMPARE(qRound(clkout["errorPpm"].toDouble()), 2857);
    QCOMPARE(reported["device"].toString(), QString("AXL-12"));
}

// Exactly the options the core's setProperty reads, the four the frame and core read, and the README lists them.
void tst_HostProgram::keysListTheOptions()
{
    const Run json = run({"keys", "--json"});
    const QJsonObject options = QJsonDocument::fromJson(json.lines.join('\n').toUtf8()).object()["options"].toObject();
    QCOMPARE(options.keys(), QStringList({"CLKFB_DIVIDE_DYNAMIC",
                                          "CLKFB_DIVIDE_STATIC_SEL",
                                          "CLKFB_SOURCE",
                                          "CLKIN_DIVIDE_DYN",
                                          "CLKIN_DIVIDE_STATIC_SEL",
                                          "CLKIN_FREQ",
                                          "CLKOUTD",
                                          "CLKOUTD3",
                                          "CLKOUTD3_SOURCE_CLKOUT",
                                          "CLKOUTD_BYPASS",
                                          "CLKOUTD_DIVIDE",
                                          "CLKOUTD_FREQ",
                                          "CLKOUTD_SOURCE_CLKOUT",
                                          "CLKOUTD_TOLERANCE",
                                          "CLKOUTP",
                                          "CLKOUTP_BYPASS",
                                          "CLKOUTP_DUTY_CYCLE",
                                          "CLKOUTP_PHASE",
                                          "CLKOUT_BYPASS",
                                          "CLKOUT_DIVIDER",
                                          "CLKOUT_DIVIDE_DYN",
                                          "CLKOUT_FREQ",
                                          "CLKOUT_TOLERANCE",
                                          "DYNAMIC",
                                          "LANG",
                                          "LOCK_EN",
                                          "MODE_GENERAL",
                                          "PLL_PWD",
                                          "PLL_REGULATOR",
                                          "RESET_PLL",
                                          "dir",
                                          "file",
                                          "ip_creat_mode",
                                          "module"}));
    for (const QJsonValue &option : options)
        QVERIFY(!option["description"].toString().isEmpty());
    // The device's own range, not the control's as built.
    const Run brn = run({"keys", "--json", "--device", "BRN-4LP"});
    const QJsonObject clkin = QJsonDocument::fromJson(brn.lines.join(QChar(10)).toUtf8())
                                      .object()["options"]
                                      .toObject()["CLKIN_FREQ"]
                                      .toObject();
    QVERIFY2(clkin["maximum"].toDouble() < 450.0, qPrintable(brn.lines.join('\n').left(400)));
    const QString readme = readAll(SOURCE_DIR "/README.md");
    for (const QString &line : run({"keys"}).lines)
        QVERIFY2(readme.contains(line), qPrintable(line));
}

// sim runs the testbench beside the .ipc, or a fresh copy when none is there: PASS exits 0, a module
// with a wrong divider fails naming its output, and a missing simulator names the package.
void tst_HostProgram::sim()
{
    QTemporaryDir dir;
    QVERIFY(run(QStringList{"create"} + example, dir.path()).status == 0);
    const QString ipc = dir.filePath("pll_file/pll_file.ipc"), module = dir.filePath("pll_file/pll_file.v");
    const Run missing = run({"sim", ipc}, dir.path(), "/nonexistent");
    QVERIFY2(missing.status == 2 && missing.err.contains("Debian package 'iverilog'"), qPrintable(missing.err));
    if (QStandardPaths::findExecutable("iverilog").isEmpty())
        QSKIP("Icarus Verilog is not installed (scripts/install-deps.sh installs it)");
    const QString generated = readAll(module);
    for (const char *change : {"FBDIV_SEL(26)", "FBDIV_SEL(27)", "-"}) {
        QFile file(module);
        QVERIFY(*change == '-'
                        ? file.remove()
                        : file.open(QIODevice::WriteOnly)
                                  && file.write(QString(generated).replace("FBDIV_SEL(26)", change).toUtf8()) > 0);
        file.close();
        const Run result = run({"sim", ipc}, dir.path());
        const bool pass = qstrcmp(change, "FBDIV_SEL(27)") != 0;
        QVERIFY2(result.status == (pass ? 0 : 1) && result.lines.last() == (pass ? "PASS" : "FAIL: CLKOUT"),
                 qPrintable(result.lines.join('\n') + result.err));
        QVERIFY(result.lines.indexOf(QRegularExpression("^CLKOUT +100.000 100.285714 MHz 10[04].\\d+ MHz.*")) > 0);
    }
    const Run json = run({"sim", "--json", ipc}, dir.path());
    QCOMPARE(QJsonDocument::fromJson(json.lines.join('\n').toUtf8()).object().value("result").toString(),
             QString("PASS"));
}

QTEST_GUILESS_MAIN(tst_HostProgram)
#include "tst_hostprogram.moc"
