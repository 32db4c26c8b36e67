// SPDX-License-Identifier: MIT
// The host program and mirel-calc as a user or a script runs them: commands, lines, files, exit statuses.
// Every run has no display and no input and must end by itself, whatever it is fed: refused with a line,
// or with modules that compile.
#include "hdlcompile.h"
#include "testfiles.h"

#include <QCryptographicHash>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int timeLimitMs = 60000; // generous: the sanitizer build is several times slower
const QString host = QStringLiteral(BIN_DIR "/mirel-host");
const QString illegal = "WARNING: The value of divide factor for CLKIN and CLKFB is illegal";
const QString cannot = "WARNING: The Expected Frequency of %1 cannot be generated. Try to change the Expected "
                       "Frequency or Tolerance(%)";
const QString maximum = "WARNING: This device makes CLKOUT up to %1 MHz: choose an Expected Frequency at or below it, "
                        "or a device with a higher maximum.";

struct Run
{
    bool finished = false;
    int status = -1;
    QByteArray out;
    QStringList lines; // the lines of out that are not empty
    QString err;
};

// Runs a program of the build, or a wrapper (env, sh) whose arguments name it. Without input anything
// waiting for a user would wait forever.
Run run(const QStringList &arguments, const QString &dir = QString(), const QString &program = host)
{
    QProcess process;
    process.setWorkingDirectory(dir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    process.closeWriteChannel();
    Run result;
    result.finished = process.waitForFinished(timeLimitMs);
    if (!result.finished) {
        process.kill();
        process.waitForFinished();
    }
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.lines = QString::fromUtf8(result.out).split('\n', Qt::SkipEmptyParts);
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

// Numbers as the user sees them, "null" where not computed.
QString text(const QJsonObject &o, const QStringList &keys)
{
    QStringList values;
    for (const QString &key : keys)
        values << (o.value(key).isDouble() ? QString::number(o.value(key).toDouble(), 'f', 3) : QString("null"));
    return values.join(' ');
}

// An answer's dividers and achieved outputs: "idiv fbdiv odiv sdiv clkout clkoutd".
QString answered(QJsonObject o)
{
    for (const QJsonValue &output : o.value("outputs").toArray())
        o.insert(output["name"].toString().toLower(), output["achieved_mhz"]);
    return text(o, {"idiv", "fbdiv", "odiv", "sdiv", "clkout", "clkoutd"});
}

// Every entry below root, links not followed: a hash of each file, the target
// of each link, the kind of anything else.
QMap<QString, QByteArray> snapshot(const QString &root)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        QByteArray &entry = entries[info.filePath().mid(root.size() + 1)];
        if (info.isSymLink())
            entry = "-> " + QFile::encodeName(info.symLinkTarget());
        else if (info.isDir())
            entry = "dir";
        else if (info.isFile())
            entry = QCryptographicHash::hash(readFile(info.filePath()), QCryptographicHash::Sha1);
        else
            entry = "special";
    }
    return entries;
}

// Plants what a setup word names inside the test's own folder, and only there.
void plant(const QDir &root, const QString &word)
{
    const auto link = [&](const char *target, const QString &name) {
        QVERIFY(::symlink(target, qPrintable(root.filePath(name))) == 0);
    };
    const QByteArray goodIpc = "[General]\nversion=1.0\nfile=m\nmodule=m\n[Config]\n"
                               "MODE_GENERAL=true\nCLKIN_FREQ=27\nCLKOUT_FREQ=100\nCLKOUT_TOLERANCE=2\n";
    const QString arg = word.section(QLatin1Char(':'), 1);
    if (word == "module") {
        QVERIFY(writeFile(root.filePath("d/m/m.ipc"), goodIpc) && writeFile(root.filePath("d/m/m.v"), "old module\n")
                && writeFile(root.filePath("d/m/m_tmp.v"), "old template\n"));
    } else if (word.startsWith("set:")) { // one configuration key of the module changed
        QVERIFY(writeFile(root.filePath("d/m/m.ipc"), goodIpc + arg.toLatin1() + '\n'));
    } else if (word.startsWith("link:")) {
        QFile::remove(root.filePath("d/m/" + arg));
        link("../../o/v", "d/m/" + arg);
    } else if (word.startsWith("dangling:")) {
        link("../../o/new", "d/m/" + arg);
    } else if (word == "folderlink") {
        QVERIFY(root.rmdir("d/m"));
        link("../o", "d/m");
    } else if (word == "dirlink") {
        link("d", "dl");
    } else if (word == "fifo") {
        QVERIFY(::mkfifo(qPrintable(root.filePath("f")), 0600) == 0);
    } else if (word == "planted") { // what a program's libraries are named, in the folder it runs in
        for (const char *name :
             {"libQt5Core.so.5", "libQt5Gui.so.5", "libQt5Widgets.so.5", "libstdc++.so.6", "libc.so.6"})
            QVERIFY(writeFile(root.filePath(QStringLiteral("d/") + name), "not a library\n"));
    } else if (word == "big") {
        QVERIFY(writeFile(root.filePath("big"), "{" + QByteArray(2 << 20, ' ') + "}"));
    } else if (word == "stale") { // of m, and of a module m2 written beside it
        QVERIFY(writeFile(root.filePath("d/m/.m.staged-AbCd1234-1"), "left by a killed run")
                && writeFile(root.filePath("d/m/.m2.staged-AbCd1234-1"), "being written"));
    } else if (word.startsWith("commit:") || word.startsWith("cut:")) { // killed after or while writing its record
        const QByteArray temporary = ".m.staged-AbCd1234-", ipc = QByteArray(goodIpc).replace("100", arg.toLatin1());
        QVERIFY(writeFile(root.filePath("d/m/" + temporary + '1'), ipc)
                && writeFile(root.filePath("d/m/" + temporary + '2'), "new module\n"));
        QByteArray record = "mirel staged commit 1\n";
        for (const char *rename : {"1 m.ipc ", "2 m.v "})
            record += temporary + QByteArray(rename).replace(' ', '\0');
        QVERIFY(writeFile(root.filePath("d/m/.m.commit"), word.startsWith("cut:") ? record : record + "end\n"));
    } else if (word.startsWith("general:")) { // one file setting of the module set
        QString ipc = QString::fromLatin1(goodIpc).remove(
                QRegularExpression('^' + arg.section('=', 0, 0) + "=.*\n", QRegularExpression::MultilineOption));
        QVERIFY(writeFile(root.filePath("d/m/m.ipc"),
                          ipc.replace("[General]\n", "[General]\n" + arg + '\n').toLatin1()));
    } else if (word.startsWith("bench:")) { // a module beside its .ipc whose bench prints forever, or broken
        QVERIFY(writeFile(root.filePath("d/m/m.ipc"), goodIpc)
                && writeFile(root.filePath("d/m/m.v"),
                             arg == "broken" ? "module m(;\nendmodule\n" : "module m;\nendmodule\n")
                && writeFile(root.filePath("d/m/m_tb.v"),
                             "module m_tb;\ninitial forever $display(\"spam\");\nendmodule\n"));
    } else if (word.startsWith("plugin:")) { // a copy of the plug-in in p/, its description refused, narrowed or a
                                             // FIFO; or entries named as libraries that are none, with it or alone
        const QByteArray own = readFile(PLUGIN_DIR "/pll.ipspec");
        const QByteArray description = arg == "refused" ? R"({"ipcore.name": "n", "ipcore.version": "1.0"})"
                                       : arg == "axl"   ? QByteArray(own).replace(R"("BRN-*")", R"("AXL-*")")
                                       : arg == "fifo"  ? QByteArray("fifo")
                                                        : own;
        const QString path = root.filePath("p/pll.ipspec");
        QVERIFY(root.mkpath("p"));
        if (arg != "none") {
            QVERIFY(QFile::copy(PLUGIN_DIR "/libmirel.so", root.filePath("p/libmirel.so"))
                    && (arg == "fifo" ? ::mkfifo(qPrintable(path), 0600) == 0 : writeFile(path, description)));
        }
        if (arg == "beside" || arg == "none") { // each named before the plug-in, so that it is met first
            QVERIFY(::mkfifo(qPrintable(root.filePath("p/liba.so")), 0600) == 0
                    && writeFile(root.filePath("p/.libb.so"), "hidden") && root.mkpath("p/libc.so")
                    && QFile::link("nowhere", root.filePath("p/libd.so")));
            // and a name no locale spells back (a byte that is no UTF-8)
            const int fd = ::open(QFile::encodeName(root.filePath("p")) + "/lib\377.so", O_CREAT | O_WRONLY, 0600);
            QVERIFY(fd >= 0 && ::write(fd, "x", 1) == 1 && ::close(fd) == 0);
        }
    } else if (!QString("sizelimit full closed stdin").split(' ').contains(word)) { // see create()
        QFAIL(qPrintable("unknown setup word " + word));
    }
}

const QString example = "module=pll1 file=pll_file CLKIN_FREQ=27 CLKOUT_FREQ=100 CLKOUT_TOLERANCE=0.5";

} // namespace

class tst_Programs : public QObject
{
    Q_OBJECT

private slots:
    void exitStatus_data();
    void exitStatus();
    void create_data();
    void create();
    void showArgsOptionsFileAndOpen();
    void keysAreTheReadmeList();
    void loadedLibraries_data();
    void loadedLibraries();
    void sim();
    void simBypasses_data();
    void simBypasses();
    void concurrentRuns();
    void killedRuns();
    void calcJson_data();
    void calcJson();
    void calcStream();
    void jsonSchemas_data();
    void jsonSchemas();
    void switchCommand();
    void completion_data();
    void completion();
};

// Each command as a user types it: the status, a part of its one problem line, parts of what it prints.
void tst_Programs::exitStatus_data()
{
    QTest::addColumn<QStringList>("command"); // the program, then its arguments
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("errorPart");
    QTest::addColumn<QStringList>("outParts"); // %T: the run's folder; none: nothing on standard output
    const auto row = [](const char *name, const QString &command, int status, const QString &errorPart,
                        const QStringList &outParts = {}) {
        QTest::newRow(name) << command.split(' ', Qt::SkipEmptyParts) << status << errorPart << outParts;
    };
    row("no command", "mirel-host", 2, "Usage: mirel-host COMMAND [options]\n");
    row("help", "mirel-host --help", 0, "", {"Usage: mirel-host COMMAND [options]\n"});
    row("create --help", "mirel-host create --help", 0, "", {"Usage: mirel-host create [options] [KEY=VALUE ...]\n"});
    row("--help-all shows help and creates nothing",
        "mirel-host create --help-all --options " SOURCE_DIR "/examples/pll-27to100.json dir=X", 0, "",
        {"Exit status: 0 done, 1 refused, 2 usage error.\n"});
    row("sim --help-all names its statuses", "mirel-host sim --help-all", 0, "", {"Exit status: 0 PASS, 1 FAIL"});
    row("version", "mirel-host --version", 0, "", {"mirel-host 1.0\n"});
    row("calc version", "mirel-calc --version", 0, "", {"mirel-calc 1.0\n"});
    row("calc --help names its statuses", "mirel-calc --help", 0, "", {"Exit status: 0 done, 1 refused"});
    row("open --help names its default device", "mirel-host open --help", 0, "", {"(default: the device"});
    row("unknown command", "mirel-host frobnicate", 2, "ERROR: unknown command 'frobnicate'; see");
    row("misspelt command", "mirel-host creat", 2, "'creat' (did you mean 'create'?)");
    row("unknown option", "mirel-host info --bogus", 2, "ERROR: Unknown option 'bogus'.\n");
    row("misspelt option", "mirel-host create --optons x", 2, "'optons' (did you mean '--options'?)");
    // A device named as an argument would otherwise be dropped for the default device.
    row("keys, a device as an argument", "mirel-host keys BRN-4LP", 2,
        "ERROR: keys takes no arguments, not 'BRN-4LP'; see mirel-host keys --help\n");
    row("devices, an argument", "mirel-host devices --json x", 2, "ERROR: devices takes no arguments, not 'x'");
    row("info", "mirel-host info", 0, "", {"id:        MIREL\n", "version:   1.0\n", "AXL-12"});
    row("devices", "mirel-host devices", 0, "", {"second minimum 3.125 MHz; the higher minimum applies"});
    // The device's own range, not the control's as built.
    row("keys of a device", "mirel-host keys --json --device BRN-4LP", 0, "",
        {R"("device":"BRN-4LP")", R"("maximum":200,)"});
    row("missing plug-in folder", "mirel-host info --plugin-dir /nonexistent", 1, "does not exist");
    row("folder without plug-in", "mirel-host info --plugin-dir /", 1, "no plug-in library in '/'");
    row("screenshot, control names", "mirel-host screenshot x.png radioModeGeneral=false clkoutpCheckEnable=true", 0,
        "", {"written: %T/x.png\n"});
    row("screenshot, key names", "mirel-host screenshot x.png MODE_GENERAL=false CLKOUTP=true checkLockEn=true", 0, "",
        {"written: %T/x.png\n"});
    row("screenshot without file", "mirel-host screenshot", 2, "PNG");
    row("unknown control", "mirel-host screenshot x.png noSuchControl=true", 2, "noSuchControl");
    row("refused key", "mirel-host screenshot x.png MODE_GENERAL=TRUE", 2,
        "ERROR: Value 'TRUE' is out of the range for configuration option 'MODE_GENERAL'");
    row("unknown key", "mirel-host screenshot x.png CLKOUT_FRQ=1", 2, "did you mean 'CLKOUT_FREQ'?");
    row("not KEY=VALUE", "mirel-host create module", 2, "'module' is not KEY=VALUE");
    row("missing .ipc", "mirel-host open /nonexistent/missing.ipc", 1, "no configuration file");
    row("not an .ipc", "mirel-host open " SOURCE_DIR "/README.md", 1,
        "ERROR: '" SOURCE_DIR "/README.md' is not an IP configuration (.ipc) file");
    row("gui --help without a display", "mirel-host gui --help", 0, "",
        {"Usage: mirel-host gui [options] [FILE.ipc]\n"});
    row("gui without a display", "mirel-host gui", 2, "needs a display");
    row("sim without file", "mirel-host sim", 2, "exactly one");
    row("sim of a missing .ipc", "mirel-host sim /nonexistent/missing.ipc", 1, "no configuration file");
    row("line break in a sim path", "mirel-host sim x\nERROR:fake", 1, "no configuration file 'x\\nERROR:fake'");
    row("line break in a setting", "mirel-host screenshot x.png a\nERROR:fake", 2, "'a\\nERROR:fake' is not NAME=VALUE");
    row("calc, plain", "mirel-calc --clkin 25 --clkout 33.3 --tolerance 0.2 --clkoutd 8.3 --clkoutd-tolerance 0.5", 0,
        "",
        {"IDIV     3\nFBDIV    4\nODIV     16\nSDIV     4\nPFD      8.333 MHz\nVCO      533.333 MHz\n"
         "CLKOUT   33.333 MHz  (+1001.0 ppm)\nCLKOUTD  8.333 MHz  (+4016.1 ppm)\n"});
    // A refusal: the warning on standard error, what can be made on standard output.
    row("calc refused, plain", "mirel-calc --clkin 100 --clkout 600", 1, cannot.arg("CLKOUT"),
        {"CLKOUT   450.000 MHz (closest, rejected)\n"});
    row("no --clkin", "mirel-calc --clkout 100", 2, "--clkin");
    row("both modes", "mirel-calc --clkin 27 --clkout 100 --idiv 1 --fbdiv 4 --odiv 4", 2, "exclude");
    row("ODIV not offered", "mirel-calc --clkin 27 --idiv 1 --fbdiv 4 --odiv 6", 2, "--odiv must be one of");
    row("infinite", "mirel-calc --clkin 27 --clkout inf", 2, "--clkout");
    row("CLKIN above the device", "mirel-calc --device BRN-4LP --clkin 250 --bypass", 2, "3~200");
    row("CLKOUTD below the printed bound", "mirel-calc --clkin 27 --bypass --clkoutd 0.023", 2, "0.024~225.000");
    row("CLKOUT above what the dialog takes", "mirel-calc --clkin 27 --clkout 901", 2, "3.125~450");
    row("unknown device", "mirel-calc --device XYZ --clkin 27 --bypass", 2, "XYZ");
    row("stray argument", "mirel-calc --clkin 27 --bypass 42", 2, "The following argument was not expected: 42");
    row("unknown options, last first", "mirel-calc --clkin 27 --freq=1 --bogus 100", 2,
        "The following arguments were not expected: 100 --bogus --freq=1");
    row("value missing at the end", "mirel-calc --bogus --clkin-freq", 2, "--clkin: 1 required MHZ missing");
    row("option twice", "mirel-calc --clkin 1 --bypass --clkin-freq 2 x", 2,
        "--clkin: At Most 1 required but received 2");
    // Profiles with one SDIV, an impossible one named with its closest value, the best crystal, the joint search.
    row("calc profiles", "mirel-calc --clkin 27 --profiles 74.25,148.5::74.25,100:0.5", 0, "",
        {"      1    148.500    2    11    4    62     53    62    13.500   594.000    148.500      +0.0     74.250    "
         "  "
         "+0.0\n",
         "CLKOUT_DIVIDER=8 RESET_PLL=true LOCK_EN=true CLKOUTD=true CLKOUTD_DIVIDE=2\n"});
    row("calc profile refused", "mirel-calc --clkin 27 --profiles 74.25,25.175:0.5 --alternatives 1", 1,
        "WARNING: Profile 1 (CLKOUT 25.175 MHz within 0.5 %) cannot be made from CLKIN 27 MHz; the closest are 24.000 "
        "MHz (-46673.3 ppm).\n",
        {"      1     25.175  cannot be made (closest 24.000 MHz)\n"});
    row("calc profile not a number", "mirel-calc --clkin 27 --profiles 74.25,x", 2, "profile 1 \"x\": --clkout needs");
    row("calc crystals without --best-clkin", "mirel-calc --clkin 27 --clkout 100 --crystals 25", 2,
        "--crystals needs --best-clkin");
    row("calc best crystal", "mirel-calc --best-clkin --clkout 25.175 --top 2", 0, "",
        {"      25.175         +0.0 yes     1/1/16 -> 25.175\n    4.194304       -364.5 no      1/6/16 -> 25.166\n"});
    row("calc joint", "mirel-calc --joint --clkin 27 --clkout 100 --tolerance 2 --clkoutd 4 --clkoutd-tolerance 2", 0,
        "", {"  CLKOUT      100.286 ->    102.000 MHz  (+17094.0 ppm)\n"});
}

void tst_Programs::exitStatus()
{
    QFETCH(QStringList, command);
    QFETCH(int, status);
    QFETCH(QString, errorPart);
    QFETCH(QStringList, outParts);
    QTemporaryDir dir;
    const Run r = run(command.mid(1), dir.path(), BIN_DIR "/" + command.first());
    QCOMPARE(r.status, status);
    QVERIFY2(r.err.contains(errorPart) && !r.err.contains("ERROR: ERROR:"), qPrintable(r.err));
    // A problem is one line on standard error (without a command, the usage), never on standard output; only
    // the lines naming the real limit and a way out may follow it.
    const int hints = QString(r.err)
                              .split('\n')
                              .filter(QRegularExpression("^(WARNING|ERROR): (This device|CLKOUTD div)"))
                              .size();
    QVERIFY2(status == 0 ? r.err.isEmpty() : r.err.count('\n') == 1 + hints || r.err.startsWith("Usage:"),
             qPrintable(r.err));
    QVERIFY2(r.out.isEmpty() == outParts.isEmpty() && !r.out.contains("WARNING"), r.out.constData());
    for (QString part : outParts)
        QVERIFY2(QString::fromUtf8(r.out).contains(part.replace("%T", dir.path())), qPrintable(part));
    // What a run writes it names.
    QCOMPARE(QDir(dir.path()).isEmpty(), !outParts.join("").contains("written: "));
    if (command.value(1) == "screenshot" && status == 0) { // the whole dialog
        const QImage image(dir.filePath("x.png"));
        QVERIFY(image.width() >= 900 && image.height() >= 600);
    }
}

// Runs of create and open in a folder %T that holds a module folder d/m and, beside it, o/v; they run in %T/d.
void tst_Programs::create_data()
{
    QTest::addColumn<QString>("setup");         // words for plant()
    QTest::addColumn<QStringList>("arguments"); // %T: the test's folder
    QTest::addColumn<QByteArray>("input");      // written to %T/d/input when not empty
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("errors");   // standard error, line by line; ~: the line contains the rest
    QTest::addColumn<QStringList>("files");    // written, as listed
    QTest::addColumn<QStringList>("ipcLines"); // in the first .ipc written
    const auto row = [](const char *name, const QString &arguments, int status, const QStringList &errors,
                        const QStringList &files = {}, const QByteArray &input = {}, const QStringList &ipcLines = {},
                        const QString &setup = {}) {
        QTest::newRow(name) << setup << arguments.split(' ') << input << status << errors << files << ipcLines;
    };
    // What a file or folder planted in the way, or bytes sent to be echoed, leads to: one line.
    const auto attack = [&](const char *name, const QString &setup, const QString &arguments, int status,
                            const QString &line, const QStringList &files = {}, const QByteArray &input = {}) {
        row(name, arguments, status, line.isEmpty() ? QStringList() : QStringList{'~' + line}, files, input, {}, setup);
    };
    // What create writes for one module, in the order it lists them.
    const auto filesOf = [](const QString &name, const QString &ext = ".v") {
        return QStringList{"%1.ipc", "%1" + ext, "%1_tmp" + ext, "%1.sdc", "%1_tb" + ext}
                .replaceInStrings("%1", name + '/' + name);
    };
    const QStringList written = filesOf("pll_file"), vhdl = filesOf("pll_file", ".vhd");
    const QString ex = ' ' + example, opts = "create --options input";
    const auto refused = [](const QString &value, const QString &key, const QString &legal = {},
                            const QString &ip = "pll1") {
        return QString("ERROR: Value '%1' is out of the range for configuration option '%2' for IP '%3'.")
                       .arg(value, key, ip)
               + (legal.isEmpty() ? "" : " Legal values: " + legal + '.');
    };
    row("the example", "create" + ex, 0, {}, written);
    row("dir option", "create dir=out" + ex, 0, {},
        QStringList(written).replaceInStrings(QRegularExpression("^"), "out/"));
    row("nothing at all", "create", 1, {"ERROR: The module name is empty.", "ERROR: The file name is empty."});
    row("no file name", "create module=pll1", 1, {"ERROR: The file name is empty."});
    row("file name climbing out", "create module=pll1 file=../x", 1,
        {"ERROR: The file name \"../x\" must not contain a directory separator."});
    row("output folder is a file", "create dir=/dev/null" + ex, 1,
        {"ERROR: The output directory \"/dev/null/pll_file\" cannot be created."});
    row("unknown keys, all at once", "create CLKOUT_FRQ=100 clkin_freq=50 CKLOUTD3=true XYZZY=1" + ex, 1,
        {"ERROR: unknown option 'CKLOUTD3' (did you mean 'CLKOUTD3'?)",
         "ERROR: unknown option 'CLKOUT_FRQ' (did you mean 'CLKOUT_FREQ'?)", "ERROR: unknown option 'XYZZY'",
         "ERROR: unknown option 'clkin_freq' (did you mean 'CLKIN_FREQ'?)"});
    row("unknown key in a file", opts + ex, 1,
        {"ERROR: unknown option 'CLKOUTD_DIVIDER' (did you mean 'CLKOUTD_DIVIDE'?) in 'input'"}, {},
        R"({"CLKOUTD_DIVIDER": 8})");
    row("LANG=VHDL, every output",
        "create LANG=VHDL CLKOUTP=true CLKOUTD=true CLKOUTD3=true LOCK_EN=true RESET_PLL=true PLL_PWD=true "
        "PLL_REGULATOR=true CLKFB_SOURCE=External CLKOUTD_FREQ=50 module=pll1 file=pll_file",
        0, {}, vhdl, {}, {"LANG=1"});
    const auto noEffect = [](const QString &key, const QString &setting, const char *prefix = "WARNING") {
        return QString("%1: Option '%2' for IP 'pll1' has no effect while %3.").arg(prefix, key, setting);
    };
    row("LANG=verilog, CLKOUT bypassed", "create LANG=verilog CLKOUT_BYPASS=true CLKOUTD=true CLKOUTP=true" + ex, 0,
        {noEffect("CLKOUT_FREQ", "CLKOUT_BYPASS=true"), noEffect("CLKOUT_TOLERANCE", "CLKOUT_BYPASS=true")}, written,
        {}, {"LANG=0", "CLKOUT_BYPASS=true"});
    // An option that the other settings switch off (tst_plugin batchInterface) refuses the module under --strict.
    row("--strict refuses it", "create --strict CLKOUTP=true CLKOUTP_PHASE=90" + ex, 1,
        {noEffect("CLKOUTP_PHASE", "DYNAMIC=true", "ERROR")});
    // A key given twice on the command line: the last counts, said so; refused under --strict.
    row("a key twice", "create LANG=0 LANG=1 LANG=1" + ex, 0,
        {"WARNING: Option 'LANG' is given twice, as '0' and as '1'; the last counts."}, vhdl, {}, {"LANG=1"});
    row("a key twice under --strict", "create --strict LANG=0 LANG=1" + ex, 1,
        {"ERROR: Option 'LANG' is given twice, as '0' and as '1'."});
    row("the search's debug line has its prefix", "create CLKIN_FREQ=3 CLKOUT_BYPASS=true module=pll1 file=pll_file", 0,
        {"WARNING: PLL : can not find right VCO Divider Factor(CLKOUT)."}, written);
    row("typed list values match as numbers",
        "create module=pll1 file=pll_file CLKIN_FREQ=27 CLKOUT_FREQ=100 CLKOUT_TOLERANCE=2 CLKOUTP=true "
        "DYNAMIC=false CLKOUTP_PHASE=90.0",
        0, {}, written, {}, {"CLKOUT_TOLERANCE=3", "CLKOUTP_PHASE=4"});
    row("LANG=1, Advanced Mode",
        "create LANG=1 MODE_GENERAL=false CLKIN_FREQ=100 CLKOUT_DIVIDER=4 CLKOUTD=true CLKOUTD_DIVIDE=4 module=pll1 "
        "file=pll_file",
        0, {}, vhdl);
    row("LANG 1 in JSON", opts + ex, 0, {}, vhdl, R"({"LANG": 1})");
    for (const char *lang : {"abc", "7", "-1"})
        row(qPrintable(QString("LANG=%1").arg(lang)), QString("create LANG=") + lang + ex, 1,
            {refused(lang, "LANG", "0, 1, Verilog, VHDL")});
    row("LANG with a blank", opts + ex, 1, {refused(" 1", "LANG", "0, 1, Verilog, VHDL")}, {}, R"({"LANG": " 1"})");
    row("exact JSON numbers", opts, 0,
        {"WARNING: Value '3.0004999' for configuration option 'CLKIN_FREQ' for IP 'pll1' is used as 3.000: the form "
         "keeps 3 decimals."},
        written,
        R"({"module": "pll1", "file": "pll_file", "CLKIN_FREQ": 3.0004999, "CLKOUT_FREQ": 48,
        "CLKOUT_TOLERANCE": 2.0, "CLKOUTP": true, "DYNAMIC": "false", "CLKOUTP_PHASE": 0.0, "CLKOUTP_DUTY_CYCLE": 0.5})",
        {"CLKIN_FREQ=3", "CLKOUT_TOLERANCE=3", "CLKOUTP_PHASE=0", "CLKOUTP_DUTY_CYCLE=6"});
    row("not a number", "create CLKIN_FREQ=27MHz module=pll1 file=pll_file", 1,
        {"ERROR: Value '27MHz' for configuration option 'CLKIN_FREQ' for IP 'pll1' is not a number. Legal values: "
         "3.000 to 450.000."});
    const QString advanced
            = "create module=pll1 file=pll_file MODE_GENERAL=false CLKFB_DIVIDE_STATIC_SEL=4 CLKOUTD=true";
    row("CLKOUTD_DIVIDE", advanced + " CLKOUTD_DIVIDE=8", 0, {}, written, {}, {"CLKOUTD_DIVIDE=8"});
    row("CLKOUTD_DIVIDE odd", advanced + " CLKOUTD_DIVIDE=7", 1,
        {"ERROR: The divide factor of CLKOUTD must be an even number.",
         "ERROR: CLKOUTD divides its source by an even SDIV from 2 to 128; from 400.000 MHz the nearest are "
         "66.667 MHz (SDIV 6) and 50.000 MHz (SDIV 8)."});
    row("CLKOUTD_DIVIDE in General Mode", "create CLKOUTD_DIVIDE=8" + ex, 1,
        {"ERROR: Option 'CLKOUTD_DIVIDE' for IP 'pll1' applies only in Advanced Mode (MODE_GENERAL=false)."});
    row("array, one refused", opts, 1,
        {refused("1000", "CLKIN_FREQ", "3.000 to 450.000", "b"), "ERROR: nothing created from 'input' item 2"},
        filesOf("a") + filesOf("c"),
        R"([{"module": "a", "file": "a"}, {"module": "b", "file": "b", "CLKIN_FREQ": 1000},
        {"module": "c", "file": "c"}])");
    row("JSON lines", opts, 0,
        {"WARNING: Option 'CLKOUTP_PHASE' for IP 'b' has no effect while CLKOUTP=false.",
         "WARNING: created from 'input' line 3 with the warnings above"},
        filesOf("a") + filesOf("b", ".vhd"),
        "{\"module\": \"a\", \"file\": \"a\"}\n\n{\"module\": \"b\", \"file\": \"b\", \"LANG\": \"VHDL\", "
        "\"CLKOUTP_PHASE\": 90}\n");
    row("array of non-objects", opts, 2, {"ERROR: 'input' item 1 is not a JSON object"}, {}, "[1]");
    row("empty array", opts, 2, {"ERROR: 'input' holds no JSON object"}, {}, "[]");
    // A name given twice, at any depth, as the first object's or a line's: never the last one silently.
    row("an option twice", opts, 2, {"ERROR: 'input' gives 'CLKIN_FREQ' twice"}, {},
        R"({"CLKIN_FREQ": 27, "CLKIN_FREQ": 30})");
    row("a name twice in an item's value", opts, 2, {"ERROR: 'input' item 2 gives 'a' twice"}, {},
        R"([{}, {"x": {"a": [], "a": 1}}])");
    row("two names a NUL makes one to Qt", opts, 2, {"ERROR: 'input' item 2 gives 'a\\x00c' twice"}, {},
        QByteArrayLiteral("[{}, {\"x\": {\"a\0b\": [], \"a\0c\": 1}}]"));
    row("a NUL written once as is, once escaped", opts, 2, {"ERROR: 'input' gives 'a\\x00b' twice"}, {},
        QByteArrayLiteral("{\"x\": {\"a\0b\": [], \"a\\u0000b\": 1}}\n"));
    row("an option twice on a line, once escaped", opts, 2, {"ERROR: 'input' line 2 gives 'module' twice"}, {},
        "{\"module\": \"a\"}\n{\"module\": \"b\", \"\\u006dodule\": \"c\"}\n");
    // What the device cannot run, or an output fed by a disabled CLKOUTP, writes nothing.
    row("VCO of 12800",
        "create CLKIN_FREQ=100 CLKIN_DIVIDE_STATIC_SEL=1 CLKFB_DIVIDE_STATIC_SEL=64 MODE_GENERAL=false "
        "CLKIN_DIVIDE_DYN=false CLKFB_DIVIDE_DYNAMIC=false CLKOUT_DIVIDE_DYN=false CLKOUT_DIVIDER=2 module=m file=m",
        1, {illegal});
    // A target no dividers make is followed by the closest frequency and five others.
    const auto nearest = [](const QString &closest) {
        return QStringList{"~WARNING: Closest achievable CLKOUT: " + closest + " MHz ("}
               + QVector<QString>(5, "~WARNING: Alternative: ").toList();
    };
    row("CLKOUT above the maximum", "create module=m file=m CLKIN_FREQ=100 CLKOUT_FREQ=600 CLKOUT_TOLERANCE=2.0", 1,
        QStringList{cannot.arg("CLKOUT"), maximum.arg(450)} + nearest("450.000"));
    row("CLKOUT above its box", "create module=m file=m CLKOUT_FREQ=1000", 1,
        {refused("1000", "CLKOUT_FREQ", "3.125 to 900.000", "m"),
         QString(maximum).replace("WARNING", "ERROR").arg(450)});
    // Named at its own step, before a later option's refusal.
    for (const QString &output : QString("CLKOUTD CLKOUTD3").split(' '))
        row(qPrintable(output + " from a disabled CLKOUTP"),
            QString("create %1=true %1_SOURCE_CLKOUT=false CLKOUTD_DIVIDE=7").arg(output) + ex, 1,
            {refused("false", output + "_SOURCE_CLKOUT")});
    const QString unnamed = "create dir=%T/d CLKIN_FREQ=27 CLKOUT_FREQ=100 CLKOUT_TOLERANCE=0.5";
    const QString create = unnamed + " module=m file=m";
    const QString open = "open %T/d/m/m.ipc", link = "is a link or not a regular file";
    attack("link at the module", "link:m.v", create, 1, link);
    attack("dangling link", "dangling:m.v", create, 1, link);
    attack("module folder is a link", "folderlink", create, 1, "module folder");
    attack("open, link at the module", "module link:m.v", open, 1, link);
    attack("chosen dir is a link: followed", "dirlink", "create dir=%T/dl module=m file=m", 0, "",
           filesOf("m").replaceInStrings(QRegularExpression("^"), "%T/dl/"));
    attack("libraries planted in the current folder", "planted", "create dir=%T/d module=m file=m", 0, "",
           filesOf("m").replaceInStrings(QRegularExpression("^"), "%T/d/"));
    attack("one module twice in a run, once through a link", "dirlink", opts, 0, "",
           filesOf("m").replaceInStrings(QRegularExpression("^"), "%T/d/")
                   + filesOf("m").replaceInStrings(QRegularExpression("^"), "%T/dl/"),
           R"([{"dir": "%T/d", "module": "m", "file": "m"}, {"dir": "%T/dl", "module": "m", "file": "m"}])");
    attack("options from a FIFO", "fifo", "create --options %T/f", 2, "not a regular file");
    attack("options over the limit", "big", "create --options %T/big", 2, "larger than");
    attack(".ipc from a FIFO", "fifo", "open %T/f", 1, "not a regular file");
    attack(".ipc over the limit", "big", "open %T/big", 1, "larger than");
    attack(".ipc of binary bytes", "", "open input", 1, "not an IP configuration", {},
           QByteArray("\x00\xff\xfe[\x01=\x02\n\x7f", 10));
    attack(".ipc without settings", "", "open input", 1, "divide factor for CLKIN and CLKFB is illegal", {},
           "[General]\nversion=1.0\nfile=pll1\nmodule=pll1\n");
    attack("line break in a name", "", unnamed + " file=m module=m\rERROR:fake\nx", 1, "\"m\\rERROR:fake\\nx\"");
    attack("line break in a device name", "", "create --device x\nERROR:fake", 2, "'x\\nERROR:fake'");
    attack("NUL in dir", "", "create --options input", 1, "x\\x00y", {},
           R"({"dir": "%T/x\u0000y", "module": "m", "file": "m"})");
    attack("long name cut", "", unnamed + " module=m file=" + QString(100000, 'f'), 1,
           QString(80, 'f') + QChar(0x2026) + "\" is too long");
    attack("lone surrogate", "", "create --options input", 1, "\\xd800", {},
           R"({"dir": "%T/out", "module": "m", "file": "m\ud800"})");
    const QString requests = QString("{\"clkin\": 27, \"clkout\": 100}\n").repeated(20000);
    const QString sim = "sim %T/d/m/m.ipc", unknownDevice = "module general:target_device=BRN-4LP-CS94";
    const QString lost = "ERROR: cannot write the results to standard output";
    attack("screenshot through a link", "link:x.png", "screenshot m/x.png", 1, link);
    attack("screenshot through a dangling link", "dangling:x.png", "screenshot m/x.png", 1, link);
    attack("screenshot into a FIFO", "fifo", "screenshot %T/f", 1, link);
    attack("screenshot into a device", "", "screenshot /dev/full", 1, "ERROR: \"/dev/full\" " + link);
    attack("screenshot named ''", "", "screenshot ", 2, "needs the name of the PNG");
    attack("screenshot past the file-size limit", "module sizelimit", "screenshot m/m.v", 1, "File too large");
    attack("keys to a full disk", "full", "keys --json", 1, lost + ": No space left on device");
    attack("devices, output closed", "closed", "devices", 1, lost + ": Bad file descriptor");
    attack("info to a full disk", "full", "info", 1, lost);
    attack("calc to a full disk", "full", "mirel-calc --clkin 27 --clkout 100 --tolerance 0.5 --json", 1, lost);
    attack("calc stream, output closed", "closed stdin", "mirel-calc --jsonl", 1, lost, {}, requests.toLatin1());
    attack("line break and ESC in a key", "", "create CLKIN\x1b\nERROR:forged=27", 1,
           "ERROR: unknown option 'CLKIN\\x1b\\nERROR:forged'");
    attack("5000-character key", "", "create " + QString(5000, 'K') + "=1", 1, QString(80, 'K') + QChar(0x2026) + "'");
    attack("line break in --plugin-dir", "", "info --plugin-dir /x\nERROR:y", 1, "'/x\\nERROR:y' does not exist");
    // info and keys read the plug-in's metadata and description without loading it; they refuse what the
    // loaded core refuses, in the same words.
    const QString refusedDescription = "ERROR: 'libmirel.so' offers no IP core (its description was refused)";
    const QString leftOut = "ERROR: PLL with voltage regulator does not support the device BRN-4LP";
    attack("info, the description refused", "plugin:refused", "info --plugin-dir %T/p", 1, refusedDescription);
    attack("keys, the description refused", "plugin:refused", "keys --json --plugin-dir %T/p", 1, refusedDescription);
    attack("create, the description refused", "plugin:refused", "create module=m --plugin-dir %T/p", 1,
           refusedDescription);
    attack("info, the description a FIFO", "plugin:fifo", "info --plugin-dir %T/p", 1, refusedDescription);
    attack("create, a FIFO, a folder, a hidden file and a broken link named as libraries", "plugin:beside",
           "create module=m file=m --plugin-dir %T/p", 0, "", filesOf("m"));
    attack("info, those alone", "plugin:none", "info --plugin-dir %T/p", 1, "ERROR: no plug-in library in '%T/p'");
    attack("create, the description a FIFO", "plugin:fifo", "create module=m --plugin-dir %T/p", 1, refusedDescription);
    attack("keys, a device the description leaves out", "plugin:axl", "keys --device BRN-4LP --plugin-dir %T/p", 1,
           leftOut);
    attack("create, a device the description leaves out", "plugin:axl",
           "create module=m --device BRN-4LP --plugin-dir %T/p", 1, leftOut);
    attack("line break in a control's value", "", "screenshot x.png checkLockEn=a\nERROR:b", 2, "not 'a\\nERROR:b'");
    row("two items, one target", opts, 1,
        {"~'input' item 2 writes the same files as 'input' item 1", "ERROR: nothing created from 'input' item 2",
         "~'input' item 3 writes into the module folder of 'input' item 1",
         "ERROR: nothing created from 'input' item 3"},
        filesOf("a"),
        R"([{"module": "a", "file": "a"}, {"module": "b", "file": "a"},
        {"module": "c", "file": "c", "dir": "a", "ip_creat_mode": false}])");
    attack("open, device not in the table", unknownDevice, open, 1,
           "'BRN-4LP-CS94', which the device table does not have");
    attack("sim, device not in the table", unknownDevice, sim, 1,
           "'BRN-4LP-CS94', which the device table does not have");
    attack("sim, .ipc over the limit", "big", "sim %T/big", 1, "ERROR: '%T/big' is larger than");
    attack("sim of a text file", "", "sim input", 1, "ERROR: 'input' is not an IP configuration", {}, "hello\n");
    attack("sim, file out of the folder", "module general:file=../../o/v", sim, 1,
           "must not contain a directory separator");
    attack("sim, module printing forever", "bench:spam", sim, 1, "vvp printed more than 1048576 bytes");
    attack("sim, module the simulator refuses", "bench:broken", sim, 1,
           "ERROR: iverilog refused the module '%T/d/m/m.v': module.v:1: syntax error");
    for (const char *name : {"Integer", "STRING"})
        attack(qPrintable(QString("VHDL predefines %1").arg(name)), "", unnamed + " LANG=VHDL file=m module=" + name, 1,
               "is a name VHDL predefines");
    attack("module name past the tools' limit", "", unnamed + " file=m module=" + QString(125, 'm'), 1, "at most 124");
    attack("dir past the system's limit", "", "create module=m file=m dir=" + QString("x/").repeated(17571), 1,
           "at most 3840 bytes");
    attack("NUL in the file name", "", "create --options input", 1, "\"m\\x00x\" contains a character", {},
           R"({"dir": "out", "module": "m", "file": "m\u0000x"})");
    attack("list without an item", "module set:CLKFB_SOURCE=5", open, 1, "'CLKFB_SOURCE'");
    row("tolerance not offered", open, 1, QStringList{"~cannot be generated"} + nearest("100.286"), {}, {}, {},
        "module set:CLKOUT_TOLERANCE=9");
    attack("file-size limit", "module sizelimit", create, 1, "File too large");
    attack("stale temporaries go", "module stale", create, 0, "", filesOf("m"));
    row("a killed run's commit completed", open, 0, {}, filesOf("m"), {}, {"CLKOUT_FREQ=50"}, "module commit:50");
    row("a commit cut short discarded", open, 0, {}, filesOf("m"), {}, {"CLKOUT_FREQ=100"}, "module cut:50");
}

// Problems on standard error, the files written on standard output. Nothing else in %T changes, but for
// folders made for those files; temporaries of killed runs go.
void tst_Programs::create()
{
    QFETCH(QString, setup);
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(int, status);
    QFETCH(QStringList, errors);
    QFETCH(QStringList, files);
    QFETCH(QStringList, ipcLines);
    QTemporaryDir temporary;
    const QDir root(temporary.path()), work(root.filePath("d"));
    QVERIFY(root.mkpath("d/m") && root.mkpath("o") && writeFile(root.filePath("o/v"), "PRECIOUS\n"));
    for (const QString &word : setup.split(' ', Qt::SkipEmptyParts))
        plant(root, word);
    QVERIFY(input.isEmpty() || writeFile(work.filePath("input"), input.replace("%T", QFile::encodeName(root.path()))));
    for (QString &argument : arguments)
        argument.replace("%T", root.path());
    const QMap<QString, QByteArray> before = snapshot(root.path());

    for (QString &error : errors)
        error.replace("%T", root.path());
    const QString program = arguments.first() == "mirel-calc" ? BIN_DIR "/" + arguments.takeFirst() : host;
    // With a file-size limit the run may write files of at most one block; standard output may
    // be a full disk or closed, standard input the input file.
    const QStringList words = setup.split(' ');
    const QString plain = "exec \"$0\" \"$@\"";
    const QString shell = QString(words.contains("sizelimit") ? "ulimit -f 1; " : "") + plain
                          + (words.contains("full")     ? " >/dev/full"
                             : words.contains("closed") ? " >&-"
                                                        : "")
                          + (words.contains("stdin") ? " <input" : "");
    const Run r = shell != plain ? run(QStringList{"-c", shell, program} + arguments, work.path(), "/bin/sh")
                                 : run(arguments, work.path(), program);
    QVERIFY2(r.finished, "the run did not end within the time limit");
    QVERIFY2(r.status == status, qPrintable(r.lines.join('\n') + r.err));
    QStringList lines = r.err.split('\n', Qt::SkipEmptyParts);
    for (int i = 0; i < qMin(lines.size(), errors.size()); ++i) {
        if (errors[i].startsWith('~') && lines[i].contains(errors[i].mid(1)))
            lines[i] = errors[i]; // the part expected is there
    }
    QCOMPARE(lines, errors);
    QStringList paths, written, changed, unchecked;
    for (QString file : files) {
        paths << work.filePath(file.replace("%T", root.path()));
        written << "written: " + paths.last();
        QVERIFY2(QFileInfo(paths.last()).isFile(), qPrintable(paths.last()));
        changed << QDir(root.canonicalPath()).relativeFilePath(QFileInfo(paths.last()).canonicalFilePath());
    }
    QCOMPARE(r.lines, written);
    QMap<QString, QByteArray> after = snapshot(root.path());
    for (auto it = before.begin(); it != before.end(); ++it) {
        const bool kept = it.key().contains(QRegularExpression("^d/m/\\.m\\.(staged-|commit)"))
                                  ? !after.contains(it.key())
                                  : changed.contains(it.key()) || after.take(it.key()) == *it;
        QVERIFY2(kept, qPrintable(it.key() + " changed"));
    }
    for (const QString &entry : after.keys()) {
        const bool holdsWritten = std::any_of(changed.begin(), changed.end(), [&](const QString &file) {
            return file == entry || file.startsWith(entry + '/');
        });
        QVERIFY2(holdsWritten && !entry.contains(".staged-") && !entry.endsWith(".lock") && !entry.endsWith(".commit"),
                 qPrintable("created: " + entry));
    }
    for (const QString &line : ipcLines)
        QVERIFY2(readFile(paths.value(0)).split('\n').contains(line.toUtf8()), qPrintable(line));
    // The _tmp file is an instantiation template to paste, not a unit of its own.
    for (const QString &file : paths.filter(QRegularExpression("(?<!_tmp)\\.(v|vhd)$"))) {
        const std::optional<QString> error = hdlCompileError(file, timeLimitMs);
        QVERIFY2(!error || error->isEmpty(), qPrintable(file + '\n' + error.value_or(QString())));
        if (!error)
            unchecked << QFileInfo(file).fileName();
    }
    if (!unchecked.isEmpty())
        QSKIP(qPrintable("no compiler installed, not compiled: " + unchecked.join(' ')));
}

// --show-args prints one element per line; open regenerates the same module from the .ipc.
void tst_Programs::showArgsOptionsFileAndOpen()
{
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("options.json"), R"({"module": "pll1", "file": "pll_file", "CLKIN_FREQ": 27,
        "CLKOUT_FREQ": 100, "CLKOUT_TOLERANCE": "0.5"})"));
    const Run result = run({"create", "--show-args", "--options", "options.json"}, dir.path());
    QCOMPARE(result.status, 0);
    // The header's line breaks escaped.
    QVERIFY(result.lines.size() > 28 && result.lines.first().contains("\\n"));
    QCOMPARE(result.lines.mid(1, 2), QStringList({"-mod_name pll1", "-file_name pll_file"}));
    for (const QString &element : {QString("-fclkin 27"), QString("-idiv_sel 7"), QString("-fbdiv_sel 26")})
        QVERIFY2(result.lines.contains(element), qPrintable(element));
    const QString module = dir.path() + "/pll_file/pll_file.v";
    const QByteArray before = readFile(module);
    QVERIFY(before.contains("CLKOUT 100.286") && QFile::remove(module));
    const Run open = run({"open", "pll_file/pll_file.ipc"}, dir.path());
    QVERIFY2(open.status == 0, qPrintable(open.lines.join('\n') + open.err));
    QVERIFY(open.lines.contains("written: " + module));
    QCOMPARE(readFile(module), before);

    const Run opened = run({"open", "--json", "pll_file/pll_file.ipc"}, dir.path());
    const QJsonObject reported = QJsonDocument::fromJson(opened.lines.value(0).toUtf8()).object();
    QCOMPARE(opened.lines.size(), 1);
    QCOMPARE(reported["schema"].toString() + ' ' + answered(reported).left(23),
             "mirel.module/1 7.000 26.000 4.000 null");
    QVERIFY(reported["ok"].toBool() && reported["files"].toArray().contains(module)
            && reported["args"].toArray().contains("-fbdiv_sel 26"));
    const QJsonObject clkout = reported["outputs"].toArray().at(0).toObject();
    QCOMPARE(QString::number(clkout["achieved_mhz"].toDouble(), 'f', 3), QString("100.286"));
    QCOMPARE(qRound(clkout["error_ppm"].toDouble()), 2857);
    QCOMPARE(text(reported, {"pfd_mhz", "vco_mhz"}), QString("3.857 401.143"));
    QCOMPARE(reported["device"].toString() + ' ' + reported["source"]["file"].toString(),
             "AXL-12 " + dir.filePath("pll_file/pll_file.ipc"));
}

// The README's list of batch options is the output of keys, entry for entry.
void tst_Programs::keysAreTheReadmeList()
{
    const QString readme = QString::fromUtf8(readFile(SOURCE_DIR "/README.md"));
    const int table = readme.indexOf("| Key |");
    QCOMPARE(QString::fromUtf8(run({"keys"}).out), readme.mid(table, readme.indexOf("\n\n", table) + 1 - table));
}

// sim runs the testbench beside the .ipc, or a fresh copy when none is there: PASS exits 0, a module
// with a wrong divider fails naming its output, and a missing simulator names the package.
// What a command loads, as the dynamic loader records it (LD_DEBUG=libs: a line "calling init: PATH" for every
// library it initialises, the program's own and those opened later). The commands that only show the core
// answer from the plug-in's metadata: neither the plug-in nor a widget library is loaded for them.
void tst_Programs::loadedLibraries_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<bool>("loadsPlugin"); // and with it QtWidgets and QtGui
    QTest::newRow("info") << "info" << false;
    QTest::newRow("info --json") << "info --json" << false;
    QTest::newRow("keys") << "keys" << false;
    QTest::newRow("keys of a device, --json") << "keys --json --device BRN-4LP" << false;
    QTest::newRow("keys, its --plugin-dir") << "keys --plugin-dir " PLUGIN_DIR << false;
    QTest::newRow("devices") << "devices" << false;
    QTest::newRow("screenshot: the dialog") << "screenshot x.png" << true;
}

void tst_Programs::loadedLibraries()
{
    QFETCH(QString, arguments);
    QFETCH(bool, loadsPlugin);
    QTemporaryDir dir;
    const Run r = run(QStringList{"LD_DEBUG=libs", "QT_QPA_PLATFORM=offscreen", host} + arguments.split(' '),
                      dir.path(), "/usr/bin/env");
    QCOMPARE(r.status, 0);
    QStringList loaded;
    static const QRegularExpression init("calling init: (\\S+)");
    for (auto it = init.globalMatch(r.err); it.hasNext();)
        loaded << QFileInfo(it.next().captured(1)).fileName();
    // The record is there: the program's own Qt library is in it.
    QVERIFY2(!loaded.filter(QRegularExpression("^libQt5Core\\.so")).isEmpty(), qPrintable(r.err.left(2000)));
    for (const char *library : {"^libmirel\\.so$", "^libQt5Widgets\\.so", "^libQt5Gui\\.so"})
        QVERIFY2(loaded.filter(QRegularExpression(library)).isEmpty() != loadsPlugin,
                 qPrintable(library + (": " + loaded.join(' '))));
}

void tst_Programs::sim()
{
    QTemporaryDir temporary;
    // The simulators never see the user's path, whatever it holds.
    const QDir dir(temporary.filePath("q\"\n\t"));
    QVERIFY(dir.mkpath(".") && run(QStringList{"create"} + example.split(' '), dir.path()).status == 0);
    const QString ipc = dir.filePath("pll_file/pll_file.ipc"), module = dir.filePath("pll_file/pll_file.v");
    const Run missing = run({"PATH=/nonexistent", host, "sim", ipc}, dir.path(), "/usr/bin/env");
    QVERIFY2(missing.status == 2 && missing.err.contains("Debian package 'iverilog'"), qPrintable(missing.err));
    if (QStandardPaths::findExecutable("iverilog").isEmpty())
        QSKIP("Icarus Verilog is not installed (scripts/install-deps.sh installs it)");
    const QString generated = QString::fromUtf8(readFile(module));
    for (const char *change : {"FBDIV_SEL(26)", "FBDIV_SEL(27)", "-"}) {
        QVERIFY(*change == '-' ? QFile::remove(module)
                               : writeFile(module, QString(generated).replace("FBDIV_SEL(26)", change).toUtf8()));
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

// Every bypass combination in both modes generates a module that its own testbench passes: the
// header, the constraints, the report and the bench take each output's frequency from one place.
void tst_Programs::simBypasses_data()
{
    QTest::addColumn<QStringList>("args");
    const QString general = "CLKIN_FREQ=20 CLKOUT_FREQ=100 CLKOUTD_FREQ=25";
    const QString advanced = "MODE_GENERAL=false CLKIN_FREQ=20 CLKIN_DIVIDE_STATIC_SEL=3 CLKFB_DIVIDE_STATIC_SEL=50 "
                             "CLKOUT_DIVIDER=2 CLKOUTD_DIVIDE=4";
    for (const QString &mode : {general, advanced})
        for (int bypass = 0; bypass < 8; ++bypass)
            QTest::addRow("%s, bypass CLKOUT %d CLKOUTP %d CLKOUTD %d", mode == general ? "general" : "advanced",
                          bypass & 1, bypass >> 1 & 1, bypass >> 2)
                    << (mode
                        + QStringLiteral(" CLKOUT_BYPASS=%1 CLKOUTP_BYPASS=%2 CLKOUTD_BYPASS=%3")
                                  .arg(bypass & 1 ? "true" : "false", bypass & 2 ? "true" : "false",
                                       bypass & 4 ? "true" : "false"))
                               .split(' ');
}

void tst_Programs::simBypasses()
{
    QFETCH(QStringList, args);
    if (QStandardPaths::findExecutable("iverilog").isEmpty())
        QSKIP("Icarus Verilog is not installed (scripts/install-deps.sh installs it)");
    QTemporaryDir dir;
    const Run created = run(QStringList{"create", "--device", "AXL-12", "module=a3", "file=a3", "CLKOUTP=true",
                                        "CLKOUTD=true", "CLKOUTD3=true", "CLKOUTD3_SOURCE_CLKOUT=false"}
                                    + args,
                            dir.path());
    QVERIFY2(created.status == 0, qPrintable(created.err));
    const Run result = run({"sim", dir.filePath("a3/a3.ipc")}, dir.path());
    QVERIFY2(result.status == 0 && result.lines.last() == "PASS", qPrintable(result.lines.join('\n') + result.err));
}

// Runs on one module take turns and runs on another module in the same folder go on beside them: every
// run succeeds and each module is the five files of one run.
void tst_Programs::concurrentRuns()
{
    QTemporaryDir out;
    const QString folder = out.filePath("m");
    const auto create = [&](int clkin) {
        return QStringList{"create", "dir=" + out.path(),    "module=m",
                           "file=m", "CLKOUT_TOLERANCE=2.0", QStringLiteral("CLKIN_FREQ=%1").arg(clkin)};
    };
    // Module m2 is written into m's folder by opening its configuration there.
    QVERIFY(run(create(20)).status == 0
            && writeFile(folder + "/m2.ipc", readFile(folder + "/m.ipc").replace("=m\n", "=m2\n")));
    QProcess runs[40];
    for (int i = 0; i < 40; ++i)
        runs[i].start(host, i % 2   ? QStringList{"open", folder + "/m2.ipc"}
                            : i % 4 ? QStringList{"open", folder + "/m.ipc"}
                                    : create(20 + i));
    for (QProcess &run : runs) {
        QVERIFY(run.waitForFinished(timeLimitMs));
        QVERIFY2(run.exitCode() == 0 && run.readAllStandardOutput().count("written: ") == 5,
                 run.readAllStandardError().constData());
    }
    for (const QString module : {"m", "m2"}) {
        QSettings ipc(folder + '/' + module + ".ipc", QSettings::IniFormat);
        QVERIFY(readFile(folder + '/' + module + ".v")
                        .contains(".FCLKIN(\"" + ipc.value("Config/CLKIN_FREQ").toByteArray() + "\")"));
    }
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
             QString("m.ipc m.sdc m.v m2.ipc m2.sdc m2.v m2_tb.v m2_tmp.v m_tb.v m_tmp.v").split(' '));
}

// A run killed at any moment leaves the module to the next command as one run's five files, with nothing
// else left and no lock in the way. MIREL_KILL_RUNS sets the number of runs killed.
void tst_Programs::killedRuns()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("w/m"), ipc = folder + "/m.ipc";
    const auto create = [&](int clkin, const QString &into) {
        return QStringList{"create", "dir=" + into,          "module=m",
                           "file=m", "CLKOUT_TOLERANCE=2.0", QStringLiteral("CLKIN_FREQ=%1").arg(clkin)};
    };
    // The two sets a run may leave, made beforehand; the quickest of their runs times a run.
    QElapsedTimer clock;
    qint64 runUs = timeLimitMs * 1000LL;
    QList<QMap<QString, QByteArray>> sets;
    for (const QString into : {"0", "1", "w"}) {
        clock.start();
        QVERIFY(run(create(20 + sets.size() % 2, dir.filePath(into))).status == 0);
        runUs = qMin(runUs, clock.nsecsElapsed() / 1000);
        sets << snapshot(dir.filePath(into + "/m"));
    }
    const int kills = qEnvironmentVariableIsSet("MIREL_KILL_RUNS") ? qEnvironmentVariableIntValue("MIREL_KILL_RUNS")
                                                                   : 16;
    int killed = 0, staging = 0, inCommit = 0;
    for (int i = 0; i < kills; ++i) {
        QProcess victim;
        victim.start(host, i % 3 == 2 ? QStringList{"open", ipc} : create(20 + i % 2, dir.filePath("w")));
        QVERIFY(victim.waitForStarted());
        // Past the start of the program, where its files are made and committed.
        const qint64 moment = runUs * 3 / 4 + QRandomGenerator::global()->bounded(int(runUs / 3));
        QElapsedTimer started;
        started.start();
        if (!victim.waitForFinished(int(moment / 1000))) {
            while (started.nsecsElapsed() < moment * 1000) {
            }
            killed += ::kill(pid_t(victim.processId()), SIGKILL) == 0;
            QVERIFY(victim.waitForFinished(timeLimitMs));
            runUs += runUs / 20; // the load on the machine varies: drift later until a run ends first
        } else {
            runUs = started.nsecsElapsed() / 1000;
        }
        inCommit += QFileInfo::exists(folder + "/.m.commit");
        staging += !QDir(folder).entryList({".m.staged-*"}, QDir::Files | QDir::Hidden).isEmpty();
        // sim reads the module without writing it (no simulator on the PATH); open writes it again.
        const bool reader = i % 2 == 0;
        clock.restart();
        const Run next = reader ? run({"PATH=/nonexistent", host, "sim", ipc}, dir.path(), "/usr/bin/env")
                                : run({"open", ipc}, dir.path());
        QVERIFY2(next.status == (reader ? 2 : 0), qPrintable(next.err));
        QVERIFY2(clock.elapsed() < 10000, "the next run waited for the lock"); // the wait limit is 30 s
        const QMap<QString, QByteArray> found = snapshot(folder);
        QVERIFY2(found == sets[0] || found == sets[1], qPrintable(found.keys().join(' ')));
    }
    qInfo("%d of %d runs killed: %d left temporaries, %d a commit record", killed, kills, staging, inCommit);
}

// Each request through mirel-calc, by the options' key spellings, and through create as KEY=VALUE: one verdict,
// the same dividers, frequencies and errors against what was asked, the same options ignored.
void tst_Programs::calcJson_data()
{
    QTest::addColumn<QString>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("values");       // idiv fbdiv odiv sdiv clkout clkoutd
    QTest::addColumn<QString>("message");      // the lines, or for a usage error the error
    QTest::addColumn<QString>("alternatives"); // the first's clkout idiv fbdiv odiv, then the count
    const auto row = [](const char *name, const QString &args, int exitCode, const QString &values,
                        const QString &message = {}, const QString &alternatives = "0") {
        QTest::newRow(name) << args << exitCode << values << message << alternatives;
    };
    const QString none = "null null null null null null", at27 = "--clkin-freq 27 --clkout-freq 100 ";
    const QString advanced = "--clkin-freq 27 --clkin-divide-static-sel 1 --clkfb-divide-static-sel 4 "
                             "--clkout-divider 4 --clkoutd-divide ";
    row("27->100 at 0.5%", at27 + "--clkout-tolerance 0.5", 0, "7.000 26.000 4.000 null 100.286 null");
    row("a tolerance typed as 2", at27 + "--clkout-tolerance 2", 0, "7.000 26.000 4.000 null 100.286 null");
    row("a tolerance the lists lack", at27 + "--clkout-tolerance 1", 2, none,
        "--tolerance must be one of 0.0, 0.2, 0.5, 2.0, not \"1\"");
    row("--alternatives 2", at27 + "--alternatives 2", 1, none, cannot.arg("CLKOUT"), "100.286 7.000 26.000 4.000 2");
    row("more decimals than the form keeps", "--clkin-freq 50 --clkout-freq 33.33333333333", 1, none,
        "WARNING: --clkout 33.33333333333 is used as 33.333 MHz: the form keeps 3 decimals.\n" + cannot.arg("CLKOUT"),
        "33.333 3.000 2.000 16.000 5");
    row("errors against the asked value", "--clkin-freq 27 --clkout-freq 14.7456 --clkout-tolerance 2", 0,
        "9.000 5.000 32.000 null 15.000 null",
        "WARNING: --clkout 14.7456 is used as 14.746 MHz: the form keeps 3 decimals.");
    row("Advanced with SDIV", advanced + "6", 0, "1.000 4.000 4.000 6.000 108.000 18.000");
    row("odd SDIV refused", advanced + "3", 1, none,
        "ERROR: The divide factor of CLKOUTD must be an even number.\nERROR: CLKOUTD divides its source by an even "
        "SDIV "
        "from 2 to 128; from 108.000 MHz the nearest are 54.000 MHz (SDIV 2) and 27.000 MHz (SDIV 4).");
    row("SDIV only in Advanced Mode", at27 + "--clkout-tolerance 0.5 --clkoutd-divide 4", 2, none,
        "--sdiv applies only in Advanced Mode (--idiv, --fbdiv and --odiv)");
    row("CLKOUTD of a bypassed CLKOUT passes CLKIN", "--clkin-freq 27 --clkout-bypass --clkoutd-freq 6.75", 0,
        "1.000 1.000 16.000 null 27.000 27.000",
        "WARNING: --clkoutd has no effect with --bypass: CLKOUTD passes CLKIN through.");
    const QString even
            = "\nWARNING: CLKOUTD divides its source by an even SDIV from 2 to 128; from %1 MHz the nearest ";
    row("CLKOUTD fails, CLKOUT stays", "--clkin-freq 50 --clkout-freq 100 --clkoutd-freq 30 --clkoutd-tolerance 2", 1,
        "1.000 2.000 4.000 null 100.000 null",
        cannot.arg("CLKOUTD") + even.arg("100.000") + "are 50.000 MHz (SDIV 2) and 25.000 MHz (SDIV 4).");
    row("CLKOUTD needs an odd divider", "--clkin-freq 125 --clkout-freq 125 --clkoutd-freq 25", 1,
        "1.000 1.000 4.000 null 125.000 null",
        cannot.arg("CLKOUTD") + even.arg("125.000") + "are 31.250 MHz (SDIV 4) and 20.833 MHz (SDIV 6).");
    row("600 above the maximum: nearest at most 450", "--clkin-freq 100 --clkout-freq 600 --clkout-tolerance 2", 1,
        none, cannot.arg("CLKOUT") + "\n" + maximum.arg(450), "450.000 2.000 9.000 2.000 5");
    row("CLKOUTD at its printed bound", at27 + "--clkout-tolerance 0.5 --clkoutd-freq 0.024", 1,
        "7.000 26.000 4.000 null 100.286 null",
        cannot.arg("CLKOUTD") + even.arg("100.286") + "is 0.783 MHz (SDIV 128).");
    row("AXL-25: VCO of 12800",
        "--device AXL-25 --clkin-freq 100 --clkin-divide-static-sel 1 --clkfb-divide-static-sel 64 --clkout-divider 2",
        1, none, illegal);
}

void tst_Programs::calcJson()
{
    QFETCH(QString, args);
    QFETCH(int, exitCode);
    QFETCH(QString, values);
    QFETCH(QString, message);
    QFETCH(QString, alternatives);
    const Run r = run((args + " --json").split(' '), {}, BIN_DIR "/mirel-calc");
    QCOMPARE(r.status, exitCode);
    const QJsonObject o = QJsonDocument::fromJson(r.out).object();
    QCOMPARE(o.value("ok").toBool(), exitCode == 0);
    QCOMPARE(answered(o), values);
    QCOMPARE(o.value("pfd_mhz").isNull(), o.value("idiv").isNull());
    QCOMPARE(exitCode == 2 ? o["error"].toString() : o["messages"].toVariant().toStringList().join('\n'), message);
    const QJsonArray alts = o.value("alternatives").toArray();
    const QString first = alts.isEmpty() ? QString()
                                         : text(alts.first().toObject(), {"clkout_mhz", "idiv", "fbdiv", "odiv"}) + ' ';
    QCOMPARE(first + QString::number(alts.size()), alternatives);
    const QStringList words = args.split(' ');
    for (const QJsonValue &v : o["outputs"].toArray()) { // the errors are against what was asked
        const int asked = words.indexOf("--" + v["name"].toString().toLower() + "-freq") + 1;
        const double wanted = v["wanted_mhz"].toDouble(), ppm = (v["achieved_mhz"].toDouble() - wanted) / wanted * 1e6;
        QVERIFY(v["wanted_mhz"].isNull()
                || (wanted == words.value(asked).toDouble() && asked > 0
                    && (v["error_ppm"].isNull() || qAbs(v["error_ppm"].toDouble() - ppm) < 1e-6)));
    }

    QStringList create{"create", "--json", "module=m", "file=m"};
    for (int i = 0; i < words.size(); ++i) {
        const QString key = words[i].mid(2).toUpper().replace('-', '_');
        if (key == "DEVICE" || key == "ALTERNATIVES")
            create << (key == "DEVICE" ? words.mid(i, 2) : QStringList());
        else
            create << key + '=' + (key == "CLKOUT_BYPASS" ? QString("true") : words.value(i + 1))
                   << (key.endsWith("_SEL") || key == "CLKOUT_DIVIDER" ? "MODE_GENERAL=false" : "")
                   << (key.startsWith("CLKOUTD_") ? "CLKOUTD=true" : "");
        i += key != "CLKOUT_BYPASS";
    }
    QTemporaryDir dir;
    const Run c = run(create.filter(QRegularExpression(".")), dir.path());
    const QJsonObject m = QJsonDocument::fromJson(c.out).object();
    QVERIFY2((c.status == 0) == (exitCode == 0) && m["ok"] == o["ok"], qPrintable(c.err));
    const auto outputs = [](const QJsonObject &answer) {
        QStringList each;
        for (const QJsonValue &v : answer["outputs"].toArray())
            each << v["name"].toString() + ' ' + QString::number(v["wanted_mhz"].toDouble(), 'g', 12) + ' '
                            + QString::number(v["achieved_mhz"].toDouble(), 'f', 6) + ' '
                            + QString::number(v["error_ppm"].toDouble(), 'f', 3);
        return each;
    };
    if (exitCode == 0)
        QVERIFY(answered(m) == values && outputs(m) == outputs(o));
    QCOMPARE(m["ignored"], o["ignored"]);
}

// One answer per request line, in order, each with the request's id: a bad or blank line is answered as
// bad and the stream goes on; --device names the device of requests without one.
void tst_Programs::calcStream()
{
    QProcess p;
    p.start(BIN_DIR "/mirel-calc", {"--jsonl", "--device", "BRN-4LP"});
    p.write("{\"id\": 1, \"CLKIN_FREQ\": 27, \"clkout-freq\": 100, \"tolerance\": 0.5}\n{\"clkin\": 27,\n[1]\n\n"
            "{\"clkin\": \"27\", \"idiv\": 1, \"fbdiv\": 4, \"odiv\": 8, \"sdiv\": 6, \"device\": \"axl-25\", "
            "\"id\": \"x\"}\n{\"clkin\": 27, \"clkout\": 100, \"idiv\": 1}\n{\"clkin\": 27, \"clkout\": 100, "
            "\"tolerance\": \"0.5\", \"bogus\": 1}\n");
    p.write(QByteArray(70000, 'x') + "\n{\"clkin\": 100, \"CLKOUT_FREQ\": 700, \"id\": [2]}\n");
    p.write("{\"clkin\": 27, \"profiles\": [74.25, {\"clkout\": 148.5}], \"id\": 3}\n{\"clkin\": 27, \"profiles\": "
            "\"74.25,x\"}\n{\"joint\": true, \"clkin\": 27, \"id\": 4}\n{\"clkin\": \"2\\u0001\\\"x\\\\\", \"clkout\": "
            "1}\n{\"clkin\": 27, \"clkout\": 100, \"clkin\": 30}\n{\"clkin\": 27, \"profiles\": \"74.2500001\", "
            "\"id\": 5}\n");
    // Each answer comes before the next request is read: a script may wait for it.
    QVERIFY(p.waitForReadyRead(timeLimitMs) && p.canReadLine());
    p.closeWriteChannel();
    QVERIFY(p.waitForFinished(timeLimitMs));
    QCOMPARE(p.exitCode(), 0);
    QStringList got;
    const QList<QByteArray> lines = p.readAllStandardOutput().split('\n');
    // The bytes themselves: names in order, numbers in their shortest form, escapes.
    QCOMPARE(lines.first(), R"({"alternatives":[],"device":"BRN-4LP","error":null,"fbdiv":26,"id":1,"idiv":7,)"
                            R"("ignored":[],"messages":[],"odiv":4,"ok":true,"outputs":[{"achieved_mhz":)"
                            R"(100.28571428571429,"error_ppm":2857.142857142918,"name":"CLKOUT","rejected_mhz":null,)"
                            R"("wanted_mhz":100.0}],"part":"BRN-4LP-CS49","pfd_mhz":3.857142857142857,)"
                            R"("schema":"mirel.calc/1","sdiv":null,"vco_mhz":401.14285714285717})");
    QVERIFY2(lines.at(12).contains(R"("error":"clkin needs a finite number, not \"2\u0001\"x\\\"","fbdiv":null,)"),
             lines.at(12));
    for (const QByteArray &line : lines) {
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        if (!line.isEmpty())
            got << o.value("schema").toString().mid(6) + ' ' + answered(o).section(' ', 4) + ' '
                            + o.value("device").toString() + ' '
                            + QJsonDocument(QJsonArray{o.value("id")}).toJson(QJsonDocument::Compact) + ' '
                            + o.value("error").toString().left(12);
    }
    QCOMPARE(got, QStringList({"calc/1 100.286 null BRN-4LP [1] ", "calc/1 null null  [null] not a JSON o",
                               "calc/1 null null  [null] a request is", "calc/1 null null  [null] empty line",
                               "calc/1 108.000 18.000 AXL-25 [\"x\"] ", "calc/1 null null  [null] Advanced Mod",
                               "calc/1 null null  [null] unknown name", "calc/1 null null  [null] line longer ",
                               "calc/1 null null  [[2]] CLKOUT_FREQ ", "profiles/1 null null BRN-4LP [3] ",
                               "profiles/1 null null  [null] --profiles: ", "joint/1 null null  [4] --joint need",
                               "calc/1 null null  [null] clkin needs ", "calc/1 null null  [null] \"clkin\" is g",
                               "profiles/1 null null BRN-4LP [5] "}));
    // A value taken other than given is said so in the mode's answer too.
    QVERIFY2(lines.at(14).contains(
                     R"("messages":["WARNING: --profiles: profile 0 \"74.2500001\": --clkout 74.2500001 is used as 74.250 MHz: the form keeps 3 decimals."])"),
             lines.at(14));
}

// Every JSON answer of both programs, failures too, is a document its schema in schemas/ describes.
void tst_Programs::jsonSchemas_data()
{
    QTest::addColumn<QString>("command"); // %T: the run's folder, which holds the module m
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("schema");
    const auto row = [](const char *name, const QString &command, const char *schema, const QByteArray &input = {}) {
        QTest::newRow(name) << command << input << QString(schema);
    };
    row("calc", "mirel-calc --clkin 27 --clkout 100 --tolerance 0.5 --clkoutd 25 --clkoutd-tolerance 2 --json", "calc");
    row("calc refused", "mirel-calc --clkin 50 --clkout 33.33333333333 --bypass --json", "calc");
    row("calc, no target", "mirel-calc --clkin 100 --clkout 600 --json", "calc");
    row("calc, request refused", "mirel-calc --clkin 27 --clkout 2000 --json", "calc");
    row("calc stream", "mirel-calc --jsonl --strict", "calc",
        "{\"id\": {\"a\": 1}, \"clkin\": 27.00001, \"clkout\": 100}\n\n[]\n{\"clkin\": 27, \"bypass\": true, "
        "\"clkoutd\": 9}\n{\"clkin\": 27, \"idiv\": 1, \"fbdiv\": 4, \"odiv\": 4, \"sdiv\": 3}\n");
    // The searches beyond the dialog's: found, refused by the search, refused as a request.
    const QByteArray other = "\n{\"id\": 1, \"device\": \"AXL-25\", \"clkout\": 100, ";
    row("profiles", "mirel-calc --clkin 27 --profiles 74.25,148.5::74.25,100:0.5 --json", "profiles");
    row("profiles refused", "mirel-calc --clkin 27 --profiles 74.25,x --json", "profiles");
    row("profiles stream", "mirel-calc --jsonl --device BRN-4LP", "profiles",
        "{\"clkin\": 27, \"profiles\": [100, {\"clkout\": 108, \"clkoutd\": 27, \"clkoutd-tolerance\": 0.5}, "
        "\"50::7\"]}\n{\"clkin\": 27, \"profiles\": \"74.25,148.5::74.25\", \"id\": null}\n{\"profiles\": \"1\"}");
    row("best-clkin", "mirel-calc --best-clkin --clkout 25.175 --clkoutd 12.5 --clkoutd-tolerance 0.5 --top 3 --json",
        "best-clkin");
    row("best-clkin stream", "mirel-calc --jsonl", "best-clkin",
        "{\"best-clkin\": true, \"profiles\": \"74.25,148.5\", \"top\": 2}\n{\"best-clkin\": true, \"clkin\": 27}"
                + other + "\"best-clkin\": true, \"crystals\": \"4.194304\"}");
    row("joint",
        "mirel-calc --joint --clkin 27 --clkout 100 --tolerance 2 --clkoutd 4 --clkoutd-tolerance 2 --clkoutd3 34 "
        "--json",
        "joint");
    row("joint refused", "mirel-calc --joint --clkin 125 --clkout 125 --clkoutd 25 --clkoutd3 41 --json", "joint");
    row("joint stream", "mirel-calc --jsonl", "joint",
        "{\"joint\": true, \"clkin\": 27, \"clkout\": 100, \"tolerance\": 2, \"sdiv\": 4}" + other
                + "\"joint\": true, \"clkin\": 27, \"clkoutd\": 7, \"clkoutd3\": 33.3}");
    row("create", "mirel-host create --json module=m2 file=m2 CLKOUTP=true CLKOUTP_PHASE=90 CLKOUTD=true CLKOUTD3=true",
        "module");
    row("create, no target", "mirel-host create --json module=m2 file=m2 CLKOUT_FREQ=600", "module");
    row("create, two items", "mirel-host create --json --options %T/input", "module",
        R"([{"module": "a", "file": "a"}, {"module": "b", "file": "b", "CLKIN_FREQ": 0}])");
    row("open", "mirel-host open --json %T/m/m.ipc", "module");
    row("open, another version", "mirel-host open --json %T/input", "module", "[General]\nversion=2\nmodule=x\n");
    row("keys", "mirel-host keys --json --device BRN-4LP", "keys");
    row("devices", "mirel-host devices --json", "devices");
    row("info", "mirel-host info --json", "info");
    row("sim", "mirel-host sim --json %T/m/m.ipc", "sim");
}

void tst_Programs::jsonSchemas()
{
    QFETCH(QString, command);
    QFETCH(QByteArray, input);
    QFETCH(QString, schema);
    if (run({"-c", "import jsonschema"}, {}, "python3").status != 0)
        QSKIP("python3-jsonschema is not installed (scripts/install-deps.sh installs it)");
    if (command.contains(" sim ") && QStandardPaths::findExecutable("iverilog").isEmpty())
        QSKIP("Icarus Verilog is not installed (scripts/install-deps.sh installs it)");
    QTemporaryDir dir;
    QVERIFY(run(QStringList{"create", "module=m", "file=m"}, dir.path()).status == 0
            && writeFile(dir.filePath("input"), input));
    QStringList args = command.replace("%T", dir.path()).split(' ');
    const Run r = run(QStringList{"-c", "exec \"$0\" \"$@\" <input", BIN_DIR "/" + args.takeFirst()} + args, dir.path(),
                      "/bin/sh");
    QVERIFY2(!r.lines.isEmpty(), qPrintable(r.err));
    const Run check = run(QStringList{"-c",
                                      "import json, sys, jsonschema\n"
                                      "validator = jsonschema.Draft202012Validator(json.load(open(sys.argv[1])))\n"
                                      "for line in sys.argv[2:]:\n"
                                      "    validator.validate(json.loads(line))\n",
                                      QString(SOURCE_DIR "/schemas/") + schema + ".schema.json"}
                                  + r.lines,
                          {}, "python3");
    QVERIFY2(check.status == 0, qPrintable(check.err.right(1500)));
    for (const QString &line : r.lines) // a module is named, also where nothing was made of it
        QVERIFY(schema != "module" || !QJsonDocument::fromJson(line.toUtf8())["module"].toString().isEmpty());
}

// A profile set from mirel-calc, a module made with the keys it prints, the switching block written beside
// it and passing its bench; a module with static dividers is refused, and nothing is written for it.
void tst_Programs::switchCommand()
{
    QTemporaryDir dir;
    const QStringList calc{"--clkin", "27", "--profiles", "74.25,148.5::74.25,100:0.5"};
    const Run set = run(calc + QStringList{"--json"}, {}, BIN_DIR "/mirel-calc");
    QVERIFY(set.status == 0 && writeFile(dir.filePath("set.json"), set.out));
    const QStringList module = run(calc, {}, BIN_DIR "/mirel-calc").lines.last().section("mirel-host ", 1).split(' ');
    QCOMPARE(run(module + QStringList{"module=v", "file=v", "CLKOUTP=true", "CLKOUTD3=true"}, dir.path()).status, 0);
    // Another family's set, a part of another family, another document: refused, nothing written.
    for (const QString edit : {"device BRN-4LP part BRN-4LP-CS49", "part AXL-25-BG256", "schema mirel.calc/1"}) {
        QJsonObject o = QJsonDocument::fromJson(set.out).object();
        const QStringList words = edit.split(' ');
        for (int i = 0; i + 1 < words.size(); i += 2)
            o[words[i]] = words[i + 1];
        QVERIFY(writeFile(dir.filePath("o.json"), QJsonDocument(o).toJson()));
        const Run r = run({"switch", "o.json", "v/v.ipc"}, dir.path());
        QVERIFY2(r.status == 1 && !QFile::exists(dir.filePath("v/v_switch.v"))
                         && r.err.contains(edit.startsWith("schema") ? "' is not a profile set"
                                                                     : "for " + edit.section(' ', -1)
                                                                               + ", the module "
                                                                                 "for AXL-12."),
                 qPrintable(r.err));
    }
    const Run written = run({"switch", "set.json", "v/v.ipc"}, dir.path());
    QCOMPARE(written.lines,
             QStringList({"written: " + dir.filePath("v/v_switch.v"), "written: " + dir.filePath("v/v_switch_tb.v")}));
    QCOMPARE(run(QString("create module=g file=g RESET_PLL=true LOCK_EN=true CLKIN_FREQ=27 CLKOUT_TOLERANCE=0.5")
                         .split(' '),
                 dir.path())
                     .status,
             0);
    const Run refused = run({"switch", "set.json", "g/g.ipc"}, dir.path());
    QVERIFY2(refused.status == 1 && refused.err.contains("Profile 0 sets IDIV 4, but the module's IDIV is static (7)")
                     && !QFile::exists(dir.filePath("g/g_switch.v")),
             qPrintable(refused.err));
    if (QStandardPaths::findExecutable("iverilog").isEmpty())
        QSKIP("Icarus Verilog is not installed (scripts/install-deps.sh installs it)");
    const Run sim = run({"sim", "--switch", "v/v.ipc"}, dir.path());
    QVERIFY2(sim.status == 0 && sim.lines.last() == "PASS" && sim.lines.filter(" ok").size() == 25,
             qPrintable(sim.lines.join('\n') + sim.err));
}

// The bash completion made at build time, fed the words bash would split a typed line into.
void tst_Programs::completion_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("replies");
    const auto row = [](const char *line, const char *replies) {
        QTest::newRow(line) << line << replies;
    };
    row("mirel-host s", "sim screenshot switch");
    row("mirel-host create CLKOUTP_", "CLKOUTP_BYPASS= CLKOUTP_DUTY_CYCLE= CLKOUTP_PHASE="); // case-sensitive
    row("mirel-host create clkout", "");
    row("mirel-host create CLKFB_SOURCE=", "Internal External");
    row("mirel-host create --device BRN-4LP LOCK_EN=t", "true");
    row("mirel-host keys --device A", "AXL-12 AXL-25");
    row("mirel-host screenshot x.png MODE_G", "MODE_GENERAL="); // keys after the picture
}

void tst_Programs::completion()
{
    QFETCH(QString, line);
    QFETCH(QString, replies);
    const Run r = run({SOURCE_DIR "/tests/complete.sh", BIN_DIR "/../share/bash-completion/completions/mirel-host",
                       line},
                      QString(), "bash");
    QCOMPARE(r.err, QString());
    QCOMPARE(QString::fromUtf8(r.out).trimmed(), replies);
}

QTEST_GUILESS_MAIN(tst_Programs)
#include "tst_programs.moc"
