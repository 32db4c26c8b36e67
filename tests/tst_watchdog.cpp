// SPDX-License-Identifier: MIT
// Batch runs must end on their own, whatever they are fed: with no display and no
// input, every create or open either fails with at least one line or writes
// modules that compile.
#include "hdlcompile.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int timeLimitMs = 60000; // generous: the sanitizer build is several times slower

struct Outcome
{
    bool finished = false;
    int status = -1;
    QString output;
};

Outcome runHost(const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral(BIN_DIR "/mirel-host"), arguments);
    process.closeWriteChannel(); // no input: anything waiting for a user would wait forever
    Outcome outcome;
    outcome.finished = process.waitForFinished(timeLimitMs);
    if (!outcome.finished) {
        process.kill();
        process.waitForFinished();
    }
    outcome.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    outcome.output = QString::fromUtf8(process.readAll());
    return outcome;
}

} // namespace

class tst_Watchdog : public QObject
{
    Q_OBJECT

private slots:
    void create_data();
    void create();
    void open_data();
    void open();

private:
    static void checkOutcome(const Outcome &outcome, const QString &outDir);
};

void tst_Watchdog::checkOutcome(const Outcome &outcome, const QString &outDir)
{
    qInfo("exit %d: %s", outcome.status, qPrintable(outcome.output.section(QLatin1Char('\n'), 0, 0).left(100)));
    QVERIFY2(outcome.finished, "the run did not end within the time limit");
    QVERIFY2(outcome.status == 0 || outcome.status == 1, qPrintable(outcome.output));
    if (outcome.status == 1) {
        QVERIFY2(!outcome.output.trimmed().isEmpty(), "refused without saying why");
        return;
    }
    static const QRegularExpression written(QStringLiteral("^written: (.*\\.(v|vhd))$"), QRegularExpression::MultilineOption);
    auto match = written.globalMatch(outcome.output);
    int modules = 0;
    while (match.hasNext()) {
        const QString path = match.next().captured(1);
        QVERIFY2(path.startsWith(outDir), qPrintable(QStringLiteral("written outside the output folder: ") + path));
        // The _tmp file is an instantiation template to paste, not a unit of its own.
        const QString error = path.contains(QLatin1String("_tmp.")) ? QString() : hdlCompileError(path, timeLimitMs);
        QVERIFY2(error.isEmpty(), qPrintable(path + QLatin1Char('\n') + error));
        ++modules;
    }
    QVERIFY2(modules == 2, qPrintable(outcome.output));
}

void tst_Watchdog::create_data()
{
    QTest::addColumn<QStringList>("options");
    const QStringList named{"module=pll1", "file=pll1"};
    const QString longText(20000, QLatin1Char('x'));
    QTest::newRow("defaults") << named;
    QTest::newRow("nothing at all") << QStringList{};
    QTest::newRow("switch in capitals") << named + QStringList{"MODE_GENERAL=TRUE"};
    QTest::newRow("switch as a number") << named + QStringList{"DYNAMIC=1"};
    for (const char *value : {"nan", "inf", "-inf", "-5", "1e309", "", "27MHz", "0x1b", " 27", "27,5"})
        QTest::addRow("CLKIN_FREQ '%s'", value) << named + QStringList{QStringLiteral("CLKIN_FREQ=") + value};
    QTest::newRow("long value") << named + QStringList{"CLKOUT_FREQ=" + longText};
    QTest::newRow("unmakeable CLKOUT") << named + QStringList{"CLKIN_FREQ=449.999", "CLKOUT_FREQ=3.2"};
    QTest::newRow("unmakeable CLKOUTD") << named + QStringList{"CLKOUTD=true", "CLKOUTD_FREQ=0.5"};
    QTest::newRow("tolerance not offered") << named + QStringList{"CLKOUT_TOLERANCE=5.0"};
    QTest::newRow("divider not offered") << named + QStringList{"CLKOUT_DIVIDER=3"};
    QTest::newRow("divider out of range") << named + QStringList{"MODE_GENERAL=false", "CLKIN_DIVIDE_STATIC_SEL=65"};
    QTest::newRow("advanced, VCO out of window") << named + QStringList{"MODE_GENERAL=false", "CLKOUT_DIVIDER=128"};
    QTest::newRow("phase not offered") << named + QStringList{"CLKOUTP=true", "CLKOUTP_PHASE=10"};
    QTest::newRow("everything on, VHDL")
        << named + QStringList{"LANG=1", "CLKOUTP=true", "CLKOUTD=true", "CLKOUTD3=true", "LOCK_EN=true",
                               "RESET_PLL=true", "PLL_PWD=true", "PLL_REGULATOR=true", "CLKFB_SOURCE=External", "CLKOUTD_FREQ=50"};
    QTest::newRow("advanced mode") << named + QStringList{"MODE_GENERAL=false", "CLKOUT_DIVIDER=4", "CLKOUTD=true"};
    QTest::newRow("CLKOUT bypassed") << named + QStringList{"CLKOUT_BYPASS=true", "CLKOUTD=true", "CLKOUTP=true"};
    QTest::newRow("escaping module") << QStringList{"module=../evil", "file=pll1"};
    QTest::newRow("reserved module") << QStringList{"module=signal", "file=pll1"};
    QTest::newRow("file with a slash") << QStringList{"module=pll1", "file=a/b"};
    QTest::newRow("file '..'") << QStringList{"module=pll1", "file=.."};
    QTest::newRow("long names") << QStringList{"module=m" + longText, "file=f" + longText};
    QTest::newRow("output folder is a file") << named + QStringList{"dir=/dev/null"};
    QTest::newRow("unknown keys only") << named + QStringList{"FOO=bar", "CKLOUTD3=true"};
}

void tst_Watchdog::create()
{
    QFETCH(QStringList, options);
    QTemporaryDir out;
    QStringList arguments{QStringLiteral("create"), QStringLiteral("dir=") + out.path()};
    checkOutcome(runHost(arguments + options), out.path());
}

void tst_Watchdog::open_data()
{
    QTest::addColumn<QByteArray>("content");
    const QByteArray head = "[General]\nversion=1.0\nfile=pll1\nmodule=pll1\n[Config]\n";
    QTest::newRow("good file") << head + "MODE_GENERAL=true\nCLKIN_FREQ=27\nCLKOUT_FREQ=100\nCLKOUT_TOLERANCE=2\n";
    QTest::newRow("good file, VHDL, advanced")
        << head + "LANG=1\nMODE_GENERAL=false\nCLKIN_FREQ=100\nCLKOUT_DIVIDER=4\nCLKOUTD=true\nCLKOUTD_DIVIDE=4\n";
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("binary") << QByteArray("\x00\xff\xfe[\x01=\x02\n\x7f", 10);
    QTest::newRow("other version") << QByteArray("[General]\nversion=2.0\n[Config]\nMODE_GENERAL=true\n");
    QTest::newRow("no version") << QByteArray("[Config]\nMODE_GENERAL=true\n");
    QTest::newRow("version only") << QByteArray("[General]\nversion=1.0\nfile=pll1\nmodule=pll1\n");
    QTest::newRow("garbage values") << head + "MODE_GENERAL=banana\nCLKIN_FREQ=nan\nCLKOUT_DIVIDER=7\nCLKOUTP=maybe\n";
    QTest::newRow("advanced, odd CLKOUTD divider")
        << head + "MODE_GENERAL=false\nCLKOUTD=true\nCLKOUTD_DIVIDE=3\nCLKOUT_DIVIDER=4\nCLKIN_FREQ=100\n";
    QTest::newRow("huge line") << head + "CLKIN_FREQ=" + QByteArray(1 << 20, '9') + "\n";
    QTest::newRow("escaping names") << QByteArray("[General]\nversion=1.0\nfile=../../x\nmodule=a b\n[Config]\n");
    QTest::newRow("unterminated group") << QByteArray("[General\nversion=1.0\n[Config");
}

void tst_Watchdog::open()
{
    QFETCH(QByteArray, content);
    QTemporaryDir out;
    const QString path = out.filePath(QStringLiteral("pll1.ipc"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    checkOutcome(runHost({QStringLiteral("open"), path}), out.path());
}

QTEST_GUILESS_MAIN(tst_Watchdog)
#include "tst_watchdog.moc"
