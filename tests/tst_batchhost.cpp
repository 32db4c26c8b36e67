// SPDX-License-Identifier: MIT
// mirel-host create / open as a script runs them: lines, files, exit status.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run
{
    int status = -1;
    QStringList lines;
    QString err;
};

Run run(const QStringList &arguments, const QString &dir)
{
    QProcess process;
    process.setWorkingDirectory(dir);
    process.start(QStringLiteral(BIN_DIR "/mirel-host"), arguments);
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
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

const QStringList example = {"module=pll1", "file=pll_file", "CLKIN_FREQ=27", "CLKOUT_FREQ=100", "CLKOUT_TOLERANCE=0.5"};

} // namespace

class tst_BatchHost : public QObject
{
    Q_OBJECT

private slots:
    void create_data();
    void create();
    void showArgsAndOptionsFile();
    void openRegenerates();
};

void tst_BatchHost::create_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("firstLine");
    QTest::addColumn<QStringList>("files");

    const QStringList written = {"pll_file/pll_file.ipc", "pll_file/pll_file.v", "pll_file/pll_file_tmp.v"};
    QTest::newRow("the example") << QStringList{"create"} + example << 0 << "written: " << written;
    QTest::newRow("dir option") << QStringList{"create", "dir=out"} + example << 0 << "written: "
                                << QStringList{"out/pll_file/pll_file.ipc", "out/pll_file/pll_file.v", "out/pll_file/pll_file_tmp.v"};
    QTest::newRow("VHDL") << QStringList{"create", "LANG=1"} + example << 0 << "written: "
                          << QStringList{"pll_file/pll_file.ipc", "pll_file/pll_file.vhd", "pll_file/pll_file_tmp.vhd"};
    QTest::newRow("refused option") << QStringList{"create", "MODE_GENERAL=TRUE"} + example << 1
                                    << "ERROR: Value 'TRUE' is out of the range for configuration option 'MODE_GENERAL' for IP 'pll1'."
                                    << QStringList{};
    QTest::newRow("search fails: nothing written")
        << QStringList{"create", "module=pll1", "file=pll_file", "CLKIN_FREQ=100", "CLKOUT_FREQ=401.7"} << 1
        << "WARNING: The Expected Frequency of CLKOUT cannot be generated. Try to change the Expected Frequency or Tolerance(%)"
        << QStringList{};
    QTest::newRow("file name climbing out") << QStringList{"create", "module=pll1", "file=../x"} << 1
                                            << "The file name \"../x\" must not contain a directory separator." << QStringList{};
    QTest::newRow("not KEY=VALUE") << QStringList{"create", "module"} << 2 << "" << QStringList{};
}

void tst_BatchHost::create()
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
    if (!firstLine.isEmpty()) {
        QVERIFY(!result.lines.isEmpty());
        QVERIFY2(result.lines.first().startsWith(firstLine), qPrintable(result.lines.first()));
    }
    QStringList found;
    QDirIterator it(outer.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << QDir(work).relativeFilePath(it.next());
    found.sort();
    QCOMPARE(found, files);
    if (status == 0) {
        QStringList expectedLines;
        for (const QString &file : files)
            expectedLines << "written: " + work + '/' + file;
        QCOMPARE(result.lines, expectedLines);
    }
}

void tst_BatchHost::showArgsAndOptionsFile()
{
    QTemporaryDir dir;
    QFile json(dir.path() + "/options.json");
    QVERIFY(json.open(QIODevice::WriteOnly));
    json.write(R"({"module": "pll1", "file": "pll_file", "CLKIN_FREQ": 27, "CLKOUT_FREQ": 100, "CLKOUT_TOLERANCE": "0.5"})");
    json.close();
    const Run result = run({"create", "--show-args", "--options", "options.json"}, dir.path());
    QCOMPARE(result.status, 0);
    QVERIFY(result.lines.size() > 28);
    QVERIFY(result.lines.first().contains("\\n"));
    QCOMPARE(result.lines.mid(1, 2), QStringList({"-mod_name pll1", "-file_name pll_file"}));
    QVERIFY(result.lines.contains("-fclkin 27"));
    QVERIFY(result.lines.contains("-idiv_sel 7"));
    QVERIFY(result.lines.contains("-fbdiv_sel 26"));
    QVERIFY(readAll(dir.path() + "/pll_file/pll_file.v").contains("CLKOUT 100.286"));
}

void tst_BatchHost::openRegenerates()
{
    QTemporaryDir dir;
    QCOMPARE(run(QStringList{"create"} + example, dir.path()).status, 0);
    const QString module = dir.path() + "/pll_file/pll_file.v";
    const QString before = readAll(module);
    QVERIFY(QFile::remove(module));

    const Run result = run({"open", "pll_file/pll_file.ipc"}, dir.path());
    QVERIFY2(result.status == 0, qPrintable(result.lines.join('\n') + result.err));
    QVERIFY(result.lines.contains("written: " + module));
    QCOMPARE(readAll(module), before);

    QCOMPARE(run({"open", "missing.ipc"}, dir.path()).status, 1);
}

QTEST_GUILESS_MAIN(tst_BatchHost)
#include "tst_batchhost.moc"
