// SPDX-License-Identifier: MIT
// Batch runs must end on their own, whatever they are fed: with no display and no
// input, every create or open either fails with at least one line or writes
// modules that compile.
#include "hdlcompile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int timeLimitMs = 60000; // generous: the sanitizer build is several times slower

struct Outcome
{
    bool finished = false;
    int status = -1;
    QString output;
};

// With sizeLimit, the run may write files of at most one block.
Outcome runHost(const QStringList &arguments, bool sizeLimit = false)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    const QString host = QStringLiteral(BIN_DIR "/mirel-host");
    if (sizeLimit)
        process.start(QStringLiteral("/bin/sh"), QStringList{"-c", "ulimit -f 1; exec \"$0\" \"$@\"", host} + arguments);
    else
        process.start(host, arguments);
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

// Every entry below root, links not followed: a hash of each file, the target
// of each link, the kind of anything else.
QMap<QString, QByteArray> snapshot(const QString &root)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        QFile file(info.filePath());
        QByteArray &entry = entries[info.filePath().mid(root.size() + 1)];
        if (info.isSymLink())
            entry = "-> " + QFile::encodeName(info.symLinkTarget());
        else if (info.isDir())
            entry = "dir";
        else if (info.isFile() && file.open(QIODevice::ReadOnly))
            entry = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1);
        else
            entry = "special";
    }
    return entries;
}

const QByteArray goodIpc = "[General]\nversion=1.0\nfile=m\nmodule=m\n[Config]\n"
                           "MODE_GENERAL=true\nCLKIN_FREQ=27\nCLKOUT_FREQ=100\nCLKOUT_TOLERANCE=2\n";

// Plants what a setup word names inside the test's own folder, and only there.
void plant(const QDir &root, const QString &word)
{
    const auto write = [&](const QString &name, const QByteArray &bytes) {
        QFile file(root.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    };
    const auto link = [&](const char *target, const QString &name) {
        QVERIFY(::symlink(target, qPrintable(root.filePath(name))) == 0);
    };
    const QString arg = word.section(QLatin1Char(':'), 1);
    root.mkpath(QStringLiteral("d/m"));
    if (word == "module") {
        write("d/m/m.ipc", goodIpc);
        write("d/m/m.v", "old module\n");
        write("d/m/m_tmp.v", "old template\n");
    } else if (word.startsWith("set:")) { // one configuration key of the module changed
        write("d/m/m.ipc", goodIpc + arg.toLatin1() + '\n');
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
    } else if (word == "big") {
        write("big", "{" + QByteArray(2 << 20, ' ') + "}");
    } else if (word == "sizelimit") { // see attack()
    } else if (word == "stale") {
        write("d/m/.m.v.staged-AbC123", "left by a killed run");
    } else {
        QFAIL(qPrintable("unknown setup word " + word));
    }
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
    void attack_data();
    void attack();
    void concurrentRuns();

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
    static const QRegularExpression written(QStringLiteral("^written: (.*\\.(v|vhd))$"),
                                            QRegularExpression::MultilineOption);
    auto match = written.globalMatch(outcome.output);
    int modules = 0;
    QStringList unchecked;
    while (match.hasNext()) {
        const QString path = match.next().captured(1);
        QVERIFY2(path.startsWith(outDir), qPrintable(QStringLiteral("written outside the output folder: ") + path));
        ++modules;
        // The _tmp file is an instantiation template to paste, not a unit of its own.
        if (path.contains(QLatin1String("_tmp.")))
            continue;
        const std::optional<QString> error = hdlCompileError(path, timeLimitMs);
        if (!error)
            unchecked << path;
        else
            QVERIFY2(error->isEmpty(), qPrintable(path + QLatin1Char('\n') + *error));
    }
    QVERIFY2(modules == 3, qPrintable(outcome.output)); // module, template, testbench
    if (!unchecked.isEmpty())
        QSKIP(qPrintable(QStringLiteral("no compiler installed, not compiled: ") + unchecked.join(QLatin1Char(' '))));
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
    QTest::newRow("everything on, VHDL") << named + QStringList{"LANG=1",
                                                                "CLKOUTP=true",
                                                                "CLKOUTD=true",
                                                                "CLKOUTD3=true",
                                                                "LOCK_EN=true",
                                                                "RESET_PLL=true",
                                                                "PLL_PWD=true",
                                                                "PLL_REGULATOR=true",
                                                                "CLKFB_SOURCE=External",
                                                                "CLKOUTD_FREQ=50"};
    QTest::newRow("advanced mode") << named + QStringList{"MODE_GENERAL=false", "CLKOUT_DIVIDER=4", "CLKOUTD=true"};
    QTest::newRow("CLKOUT bypassed") << named + QStringList{"CLKOUT_BYPASS=true", "CLKOUTD=true", "CLKOUTP=true"};
    QTest::newRow("escaping module") << QStringList{"module=../evil", "file=pll1"};
    QTest::newRow("file with a slash") << QStringList{"module=pll1", "file=a/b"};
    QTest::newRow("file '..'") << QStringList{"module=pll1", "file=.."};
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

void tst_Watchdog::attack_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QStringList>("arguments"); // %T: the test's folder
    QTest::addColumn<QByteArray>("options");    // written to %T/o.json when not empty
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("line");    // refused: the one line contains it
    QTest::addColumn<QString>("changes"); // where the run may change anything; empty: nowhere
    const QStringList create{"create",
                             "dir=%T/d",
                             "module=m",
                             "file=m",
                             "CLKIN_FREQ=27",
                             "CLKOUT_FREQ=100",
                             "CLKOUT_TOLERANCE=0.5"};
    const QStringList open{"open", "%T/d/m/m.ipc"};
    const QString link = "is a link or not a regular file";
    QTest::newRow("link at the module") << "link:m.v" << create << QByteArray() << 1 << link << "";
    QTest::newRow("link at the template") << "link:m_tmp.v" << create << QByteArray() << 1 << link << "";
    QTest::newRow("link at the .ipc") << "link:m.ipc" << create << QByteArray() << 1 << link << "";
    QTest::newRow("dangling link") << "dangling:m.v" << create << QByteArray() << 1 << link << "";
    QTest::newRow("module folder is a link") << "folderlink" << create << QByteArray() << 1 << "module folder"
                                             << "";
    QTest::newRow("open, link at the module") << "module link:m.v" << open << QByteArray() << 1 << link << "";
    QTest::newRow("open, link at the template") << "module link:m_tmp.v" << open << QByteArray() << 1 << link << "";
    QTest::newRow("chosen dir is a link: followed")
            << "dirlink" << QStringList{"create", "dir=%T/dl", "module=m", "file=m"} << QByteArray() << 0 << ""
            << "d/m/";
    QTest::newRow("options from a FIFO") << "fifo" << QStringList{"create", "--options", "%T/f"} << QByteArray() << 2
                                         << "not a regular file"
                                         << "";
    QTest::newRow("options over the limit")
            << "big" << QStringList{"create", "--options", "%T/big"} << QByteArray() << 2 << "larger than"
            << "";
    QTest::newRow(".ipc from a FIFO") << "fifo" << QStringList{"open", "%T/f"} << QByteArray() << 1
                                      << "not a regular file"
                                      << "";
    QTest::newRow(".ipc over the limit") << "big" << QStringList{"open", "%T/big"} << QByteArray() << 1 << "larger than"
                                         << "";
    QTest::newRow("SystemVerilog keyword")
            << "" << create + QStringList{"module=inside"} << QByteArray() << 1 << "reserved word"
            << "";
    QTest::newRow("line break in a name")
            << "" << create + QStringList{"module=m\rERROR: fake\nx"} << QByteArray() << 1 << "\"m\\rERROR: fake\\nx\""
            << "";
    QTest::newRow("line break in a device name")
            << "" << QStringList{"create", "--device", "x\nERROR: fake"} << QByteArray() << 2 << "'x\\nERROR: fake'"
            << "";
    QTest::newRow("NUL in dir") << "" << QStringList{"create", "--options", "%T/o.json"}
                                << QByteArray(R"({"dir": "%T/x\u0000y", "module": "m", "file": "m"})") << 1 << "x\\x00y"
                                << "";
    QTest::newRow("long name cut") << "" << create + QStringList{"file=" + QString(100000, 'f')} << QByteArray() << 1
                                   << QString(80, 'f') + QChar(0x2026) + "\" is too long"
                                   << "";
    QTest::newRow("lone surrogate") << "" << QStringList{"create", "--options", "%T/o.json"}
                                    << QByteArray(R"({"dir": "%T/out", "module": "m", "file": "m\ud800"})") << 1
                                    << "\\xd800"
                                    << "";
    QTest::newRow("list without an item")
            << "module set:CLKFB_SOURCE=5" << open << QByteArray() << 1 << "'CLKFB_SOURCE'"
            << "";
    QTest::newRow("tolerance not offered")
            << "module set:CLKOUT_TOLERANCE=9" << open << QByteArray() << 1 << "cannot be generated"
            << "";
    QTest::newRow("file-size limit") << "module sizelimit" << create << QByteArray() << 1 << "File too large"
                                     << "";
    QTest::newRow("stale temporaries go") << "module stale" << create << QByteArray() << 0 << ""
                                          << "d/m/";
    QTest::newRow("gui --help without a display") << "" << QStringList{"gui", "--help"} << QByteArray() << 0 << ""
                                                  << "";
    QTest::newRow("gui without a display") << "" << QStringList{"gui"} << QByteArray() << 2 << "needs a display"
                                           << "";
}

void tst_Watchdog::attack()
{
    QFETCH(QString, setup);
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, options);
    QFETCH(int, status);
    QFETCH(QString, line);
    QFETCH(QString, changes);
    QTemporaryDir temporary;
    const QDir root(temporary.path());
    root.mkpath("o");
    root.mkpath("d/m"); // every row has a folder beside the output folder...
    QFile precious(root.filePath("o/v"));
    QVERIFY(precious.open(QIODevice::WriteOnly) && precious.write("PRECIOUS\n") == 9); // ...with a file in it
    precious.close();
    for (const QString &word : setup.split(' ', Qt::SkipEmptyParts))
        plant(root, word);
    if (!options.isEmpty()) {
        QFile file(root.filePath("o.json"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(options.replace("%T", QFile::encodeName(root.path())));
    }
    for (QString &argument : arguments)
        argument.replace("%T", root.path());
    const QMap<QString, QByteArray> before = snapshot(root.path());

    const Outcome outcome = runHost(arguments, setup.contains("sizelimit"));
    QVERIFY2(outcome.finished, "the run did not end within the time limit");
    QVERIFY2(outcome.status == status, qPrintable(outcome.output));
    if (status != 0) {
        QVERIFY2(outcome.output.count('\n') == 1 && outcome.output.contains(line), qPrintable(outcome.output));
    }
    QMap<QString, QByteArray> after = snapshot(root.path());
    for (const QString &entry : after.keys()) {
        QVERIFY2(!entry.contains(".staged-") && !entry.endsWith(".lock"), qPrintable(entry));
        if (!changes.isEmpty() && entry.startsWith(changes))
            after.remove(entry);
    }
    for (const QString &entry : before.keys()) {
        if (!changes.isEmpty() && entry.startsWith(changes))
            continue;
        QVERIFY2(after.value(entry) == before.value(entry), qPrintable(entry + " changed"));
        after.remove(entry);
    }
    QVERIFY2(after.isEmpty(), qPrintable("created: " + after.keys().join(' ')));
}

// Runs on one module take turns: the .ipc and the module always come from the same run.
void tst_Watchdog::concurrentRuns()
{
    QTemporaryDir out;
    QList<QProcess *> runs;
    for (int i = 0; i < 8; ++i) {
        auto *run = new QProcess(this);
        const QStringList create{"create", "dir=" + out.path(),    "module=m",
                                 "file=m", "CLKOUT_TOLERANCE=2.0", QStringLiteral("CLKIN_FREQ=%1").arg(20 + i)};
        run->start(QStringLiteral(BIN_DIR "/mirel-host"), i % 2 ? QStringList{"open", out.filePath("m/m.ipc")} : create);
        runs << run;
    }
    for (QProcess *run : qAsConst(runs)) {
        QVERIFY(run->waitForFinished(timeLimitMs));
        delete run;
    }
    QSettings ipc(out.filePath("m/m.ipc"), QSettings::IniFormat);
    QFile module(out.filePath("m/m.v"));
    QVERIFY(module.open(QIODevice::ReadOnly));
    QVERIFY(module.readAll().contains(".FCLKIN(\"" + ipc.value("Config/CLKIN_FREQ").toByteArray() + "\")"));
    QCOMPARE(QDir(out.filePath("m")).entryList(QDir::Files | QDir::Hidden),
             QStringList({"m.ipc", "m.sdc", "m.v", "m_tb.v", "m_tmp.v"}));
}

QTEST_GUILESS_MAIN(tst_Watchdog)
#include "tst_watchdog.moc"
