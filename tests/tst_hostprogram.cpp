// SPDX-License-Identifier: MIT
// The host program as a user or a script runs it: commands, lines, files, exit statuses.
#include <QImage>
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

Run run(const QStringList &arguments, const QString &dir = QString())
{
    QProcess process;
    process.setWorkingDirectory(dir);
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
    QTest::newRow("missing plug-in folder") << QStringList{"info", "--plugin-dir", "/nonexistent"} << 1 << "does not exist";
    QTest::newRow("folder without plug-in") << QStringList{"info", "--plugin-dir", "/"} << 1 << "";
    QTest::newRow("screenshot without file") << QStringList{"screenshot"} << 2 << "PNG";
    QTest::newRow("unknown device") << QStringList{"screenshot", "x.png", "--device", "NOPE"} << 2 << "unknown device";
    QTest::newRow("unknown control") << QStringList{"screenshot", "x.png", "noSuchControl=true"} << 2 << "noSuchControl";
    QTest::newRow("refused key") << QStringList{"screenshot", "x.png", "MODE_GENERAL=TRUE"} << 2
                                 << "Value 'TRUE' is out of the range for configuration option 'MODE_GENERAL'";
    QTest::newRow("not KEY=VALUE") << QStringList{"create", "module"} << 2 << "";
    QTest::newRow("missing .ipc") << QStringList{"open", "/nonexistent/missing.ipc"} << 1 << "";
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
    QVERIFY2(status == 0 || r.err.trimmed().count('\n') < 12, qPrintable(r.err)); // short, not a dump
}

void tst_HostProgram::infoAndScreenshot()
{
    const Run info = run({"info"});
    QCOMPARE(info.status, 0);
    for (const QString &part : {QString("id:        MIREL"), QString("version:   1.0"), QString("AXL-12")})
        QVERIFY2(info.lines.join('\n').contains(part), qPrintable(part));
    QTemporaryDir dir;
    for (const QStringList &settings : {QStringList{}, QStringList{"radioModeGeneral=false", "clkoutpCheckEnable=true"},
                                        QStringList{"MODE_GENERAL=false", "CLKOUTP=true", "checkLockEn=true"}}) {
        QCOMPARE(run(QStringList{"screenshot", dir.filePath("dialog.png")} + settings).status, 0);
        const QImage image(dir.filePath("dialog.png"));
        QVERIFY(image.width() >= 900 && image.height() >= 600);
    }
}

void tst_HostProgram::create_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("firstLine");
    QTest::addColumn<QStringList>("files");
    const QStringList written = {"pll_file/pll_file.ipc", "pll_file/pll_file.v", "pll_file/pll_file_tmp.v"};
    QTest::newRow("the example") << QStringList{"create"} + example << 0 << "" << written;
    QTest::newRow("dir option") << QStringList{"create", "dir=out"} + example << 0 << ""
                                << QStringList{"out/pll_file/pll_file.ipc", "out/pll_file/pll_file.v", "out/pll_file/pll_file_tmp.v"};
    QTest::newRow("refused option") << QStringList{"create", "MODE_GENERAL=TRUE"} + example << 1
        << "ERROR: Value 'TRUE' is out of the range for configuration option 'MODE_GENERAL' for IP 'pll1'." << QStringList{};
    QTest::newRow("file name climbing out") << QStringList{"create", "module=pll1", "file=../x"} << 1
                                            << "The file name \"../x\" must not contain a directory separator." << QStringList{};
}

// Lines printed unchanged, then the files written; nothing outside the working folder.
void tst_HostProgram::create()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, firstLine);
    QFETCH(QStringList, files);
    QTemporaryDir outer;
    QVERIFY(QDir(outer.path()).mkdir("work"));
    const QString work = outer.path() + "/work";
    const Run result = run(arguments, work);
    QVERIFY2(result.status == status, qPrintable(result.lines.join('\n') + result.err));
    QStringList found, expectedLines;
    for (QDirIterator it(outer.path(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        found << QDir(work).relativeFilePath(it.next());
    found.sort();
    QCOMPARE(found, files);
    for (const QString &file : files)
        expectedLines << "written: " + work + '/' + file;
    QCOMPARE(status == 0 ? result.lines : QStringList(result.lines.mid(0, 1)), status == 0 ? expectedLines : QStringList{firstLine});
}

// --show-args prints one element per line; open regenerates the same module from the .ipc.
void tst_HostProgram::showArgsOptionsFileAndOpen()
{
    QTemporaryDir dir;
    QFile json(dir.path() + "/options.json");
    QVERIFY(json.open(QIODevice::WriteOnly));
    json.write(R"({"module": "pll1", "file": "pll_file", "CLKIN_FREQ": 27, "CLKOUT_FREQ": 100, "CLKOUT_TOLERANCE": "0.5"})");
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
}

QTEST_GUILESS_MAIN(tst_HostProgram)
#include "tst_hostprogram.moc"
