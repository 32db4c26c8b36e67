// SPDX-License-Identifier: MIT
// The host program as a user runs it: commands, exit statuses, error lines.
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class tst_HostProgram : public QObject
{
    Q_OBJECT

private slots:
    void exitStatus_data();
    void exitStatus();
    void info();
    void screenshotShowsTheDialog();
    void screenshotAppliesSettings();

private:
    struct Run
    {
        int status = -1;
        QString out;
        QString err;
    };
    static Run run(const QStringList &arguments);
};

tst_HostProgram::Run tst_HostProgram::run(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(BIN_DIR "/mirel-host"), arguments);
    Run result;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

void tst_HostProgram::exitStatus_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("errorPart");
    QTest::newRow("no command") << QStringList{} << 2 << "Usage";
    QTest::newRow("unknown command") << QStringList{"frobnicate"} << 2 << "unknown command";
    QTest::newRow("help") << QStringList{"--help"} << 0 << "";
    QTest::newRow("command help") << QStringList{"info", "--help"} << 0 << "";
    QTest::newRow("unknown option") << QStringList{"info", "--bogus"} << 2 << "bogus";
    QTest::newRow("devices") << QStringList{"devices"} << 0 << "";
    QTest::newRow("missing plug-in folder") << QStringList{"info", "--plugin-dir", "/nonexistent"} << 1 << "does not exist";
    QTest::newRow("folder without plug-in") << QStringList{"info", "--plugin-dir", "/"} << 1 << "";
    QTest::newRow("screenshot without file") << QStringList{"screenshot"} << 2 << "PNG";
    QTest::newRow("unknown device") << QStringList{"screenshot", "x.png", "--device", "NOPE"} << 2 << "unknown device";
    QTest::newRow("bad setting") << QStringList{"screenshot", "x.png", "noequals"} << 2 << "NAME=VALUE";
}

void tst_HostProgram::exitStatus()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, errorPart);
    const Run r = run(arguments);
    QCOMPARE(r.status, status);
    QVERIFY2(r.err.contains(errorPart), qPrintable(r.err));
    if (status != 0)
        QCOMPARE(r.err.trimmed().count(QLatin1Char('\n')) < 12, true); // short, not a dump
}

void tst_HostProgram::info()
{
    const Run r = run({QStringLiteral("info")});
    QCOMPARE(r.status, 0);
    QVERIFY(r.out.contains(QStringLiteral("id:        MIREL")));
    QVERIFY(r.out.contains(QStringLiteral("version:   1.0")));
    QVERIFY(r.out.contains(QStringLiteral("AXL-12")));
}

void tst_HostProgram::screenshotShowsTheDialog()
{
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("dialog.png"));
    const Run r = run({QStringLiteral("screenshot"), png});
    QCOMPARE(r.status, 0);
    const QImage image(png);
    QVERIFY(!image.isNull());
    QVERIFY(image.width() >= 900 && image.height() >= 600);
}

void tst_HostProgram::screenshotAppliesSettings()
{
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("advanced.png"));
    Run r = run({QStringLiteral("screenshot"), png, QStringLiteral("radioModeGeneral=false"),
                 QStringLiteral("clkoutpCheckEnable=true")});
    QCOMPARE(r.status, 0);
    QVERIFY(QFile::exists(png));

    r = run({QStringLiteral("screenshot"), png, QStringLiteral("noSuchControl=true")});
    QCOMPARE(r.status, 2);
    QVERIFY(r.err.contains(QStringLiteral("noSuchControl")));
}

QTEST_GUILESS_MAIN(tst_HostProgram)
#include "tst_hostprogram.moc"
