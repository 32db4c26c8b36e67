// SPDX-License-Identifier: MIT
// OK and its batch counterpart as the host drives them: checks, searches, the
// .ipc file, the generator's list, the generated files, editors and project.
#include "mireldialog.h"
#include "mirel.h"
#include "modalwatcher.h"

#include <devicetable.h>
#include <editormanager.h>
#include <modgen.h>
#include <modulegenerator.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

using ModMirel::Mirel_Dialog;

namespace {

const QString evenText = QStringLiteral("The divide factor of CLKOUTD must be an even number.");
const QString clkoutFailure = QStringLiteral(
    "The Expected Frequency of CLKOUT cannot be generated. Try to change the Expected Frequency or Tolerance(%)");
const QString clkoutdFailure = QStringLiteral(
    "The Expected Frequency of CLKOUTD cannot be generated. Try to change the Expected Frequency or Tolerance(%)");

QVariantMap description()
{
    return {{"ipcore.id", "MIREL"}, {"ipcore.version", "1.0"}};
}

// A dialog writing into its own temporary directory, set up through its widgets
// from a few state words.
struct Fixture
{
    Fixture() : dialog(description(), nullptr)
    {
        dialog.setCreating(dir.path(), DEV::DeviceTable::defaultDevice().arg());
        dialog.uiSetModuleName(QStringLiteral("pll1"));
        dialog.uiSetFileName(QStringLiteral("pll_file"));
        Core::EditorManager::clearOpenedFiles();
        IPCore::clearProjectFiles();
    }
    template<typename T> T *w(const char *name)
    {
        auto *widget = dialog.findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }
    // The example: 27 MHz in, 100 MHz wanted within 0.5 %.
    void apply(const QString &state)
    {
        w<QDoubleSpinBox>("clkinSpinFrequency")->setValue(27.0);
        w<QDoubleSpinBox>("clkoutSpinFrequency")->setValue(100.0);
        w<QComboBox>("clkoutComBoxTolerance")->setCurrentText(QStringLiteral("0.5"));
        for (const QString &word : state.split(' ', Qt::SkipEmptyParts)) {
            if (word == "odd")
                w<QSpinBox>("clkoutdSpinDivider")->setValue(3);
            else if (word == "clkoutFails")
                w<QDoubleSpinBox>("clkoutSpinFrequency")->setValue(401.7), w<QComboBox>("clkoutComBoxTolerance")->setCurrentText("0.0"),
                    w<QDoubleSpinBox>("clkinSpinFrequency")->setValue(100.0);
            else if (word == "clkoutd")
                w<QCheckBox>("clkoutdCheckEnable")->setChecked(true),
                    w<QDoubleSpinBox>("clkoutdSpinFrequency")->setValue(25.0),
                    w<QComboBox>("clkoutdComBoxTolerance")->setCurrentText("2.0");
            else if (word == "clkoutdFails")
                w<QCheckBox>("clkoutdCheckEnable")->setChecked(true),
                    w<QDoubleSpinBox>("clkoutdSpinFrequency")->setValue(40.0),
                    w<QComboBox>("clkoutdComBoxTolerance")->setCurrentText("0.0");
            else if (word == "clkoutdBypass")
                w<QCheckBox>("clkoutdCheckBypass")->setChecked(true);
            else if (word == "clkoutp")
                w<QCheckBox>("clkoutpCheckEnable")->setChecked(true);
            else if (word == "clkoutd3")
                w<QCheckBox>("clkoutd3CheckEnable")->setChecked(true);
            else if (word == "static")
                w<QRadioButton>("radioPhaseDutyStatic")->setChecked(true);
            else if (word == "inputs")
                w<QCheckBox>("checkPllReset")->setChecked(true), w<QCheckBox>("checkPllPowerDown")->setChecked(true),
                    w<QCheckBox>("checkPllRegulator")->setChecked(true), w<QCheckBox>("checkLockEn")->setChecked(true),
                    w<QComboBox>("clkfbComBoxSource")->setCurrentIndex(1);
            else if (word == "advanced")
                w<QRadioButton>("radioModeAdvanced")->setChecked(true), w<QSpinBox>("clkinSpinDivideDyn")->setValue(7),
                    w<QSpinBox>("clkfbSpinDivideDyn")->setValue(26), w<QComboBox>("clkoutComBoxDivideDyn")->setCurrentText("8");
            else if (word == "vhdl")
                dialog.uiSetLanguageIndex(1);
            else if (word == "badName")
                dialog.uiSetModuleName(QStringLiteral("my-pll"));
            else if (word == "existing")
                QFile(dir.path() + "/pll_file.v").open(QIODevice::WriteOnly);
            else if (word == "dirAtModule")
                QDir(dir.path()).mkdir(QStringLiteral("pll_file.v"));
            else if (word == "danglingModule")
                QFile::link(dir.path() + "/missing/pll_file.v", dir.path() + "/pll_file.v");
            else
                qFatal("unknown state word %s", qPrintable(word));
        }
    }
    QStringList entries() const
    {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
    }
    QStringList argsOf(const QString &command) const
    {
        ModGen::Request request;
        if (!ModGen::decodeCommand(command, &request))
            return {};
        return request.args;
    }

    QTemporaryDir dir;
    Mirel_Dialog dialog;
};

QStringList figureNames(const QList<Utils::PinFigure> &pins)
{
    QStringList names;
    for (const Utils::PinFigure &pin : pins)
        names << (pin.isInput() ? "in " : "out ") + pin.name();
    return names;
}

QStringList moduleNames(const QStringList &args)
{
    ModGen::Settings settings;
    QStringList errors;
    if (!ModGen::parseArgs(args, &settings, &errors))
        return errors;
    QStringList names;
    for (const ModGen::Port &port : ModGen::ports(settings))
        names << (port.output ? "out " : "in ") + port.name
                     + (port.width > 1 ? QStringLiteral("[%1:0]").arg(port.width - 1) : QString());
    return names;
}

} // namespace

class tst_Generation : public QObject
{
    Q_OBJECT

private slots:
    void overloadsAgreeAndPortsMatchTheFigure_data();
    void overloadsAgreeAndPortsMatchTheFigure();
    void okFlow_data();
    void okFlow();
    void batchFlow_data();
    void batchFlow();
    void escapingNamesRefused_data();
    void escapingNamesRefused();
    void createModuleBatchRefusedKeepsOptions();
    void createAndReopenBatch();
    void refusedFileInBatchGivesALine_data();
    void refusedFileInBatchGivesALine();
};

void tst_Generation::overloadsAgreeAndPortsMatchTheFigure_data()
{
    QTest::addColumn<QString>("state");
    QTest::newRow("general, defaults") << "";
    QTest::newRow("general, every output, static phase") << "clkoutp clkoutd clkoutd3 static inputs";
    QTest::newRow("general, CLKOUTD bypassed, VHDL") << "clkoutd clkoutdBypass vhdl";
    QTest::newRow("advanced, dynamic dividers and phase") << "advanced clkoutp clkoutd inputs";
}

void tst_Generation::overloadsAgreeAndPortsMatchTheFigure()
{
    QFETCH(QString, state);
    Fixture f;
    f.apply(state);
    const QString interactive = f.dialog.generateModFile();
    QStringList messages;
    const QString batch = f.dialog.generateModFile(messages);
    QVERIFY2(!interactive.isEmpty(), "the generator refused the interactive list");
    QCOMPARE(messages, QStringList());
    QCOMPARE(f.argsOf(batch), f.argsOf(interactive));
    QCOMPARE(moduleNames(f.argsOf(batch)), figureNames(f.dialog.figurePins()));
}

void tst_Generation::okFlow_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QStringList>("files");

    const QStringList generated = {"pll_file.ipc", "pll_file.v", "pll_file_tmp.v"};
    QTest::newRow("success") << "" << QStringList{} << true << generated;
    QTest::newRow("success, CLKOUTD bypassed runs no CLKOUTD search") << "clkoutdFails clkoutdBypass" << QStringList{}
                                                                      << true << generated;
    QTest::newRow("success, VHDL") << "vhdl clkoutp clkoutd clkoutd3" << QStringList{} << true
                                   << QStringList{"pll_file.ipc", "pll_file.vhd", "pll_file_tmp.vhd"};
    QTest::newRow("odd divider refused with CLKOUTD off") << "odd" << QStringList{evenText} << false << QStringList{};
    QTest::newRow("CLKOUT search fails: no .ipc") << "clkoutFails" << QStringList{clkoutFailure} << false << QStringList{};
    QTest::newRow("CLKOUTD search fails: no .ipc") << "clkoutdFails" << QStringList{clkoutdFailure} << false << QStringList{};
    QTest::newRow("illegal module name") << "badName" << QStringList{"~\"my-pll\" is not a legal"} << false << QStringList{};
    QTest::newRow("existing module overwritten after asking")
        << "existing" << QStringList{"~already exist"} << true << generated;
    QTest::newRow("generator fails: .ipc stays, the host says why") << "danglingModule"
                                                 << QStringList{"The module could not be generated."} << false
                                                 << QStringList{"pll_file.ipc", "pll_file.v"};
}

void tst_Generation::okFlow()
{
    QFETCH(QString, state);
    QFETCH(QStringList, boxes);
    QFETCH(bool, accepted);
    QFETCH(QStringList, files);
    Fixture f;
    f.apply(state);
    ModalWatcher watcher;
    f.dialog.accept();

    // An expected text starting with '~' only has to occur in the box.
    const QStringList seen = watcher.texts();
    QCOMPARE(seen.size(), boxes.size());
    for (int i = 0; i < boxes.size(); ++i) {
        if (boxes[i].startsWith('~'))
            QVERIFY2(seen[i].contains(boxes[i].mid(1)), qPrintable(seen[i]));
        else
            QCOMPARE(seen[i], boxes[i]);
    }
    QCOMPARE(f.dialog.result() == QDialog::Accepted, accepted);
    QCOMPARE(f.entries(), files);
    if (accepted) {
        const QString ext = f.dialog.fileType() == 0 ? ".v" : ".vhd";
        const QString module = f.dir.path() + "/pll_file" + ext;
        QCOMPARE(Core::EditorManager::openedFiles(), QStringList({module, f.dir.path() + "/pll_file_tmp" + ext}));
        QCOMPARE(IPCore::projectFiles(), QStringList{module});
    } else {
        QCOMPARE(Core::EditorManager::openedFiles(), QStringList());
        QCOMPARE(IPCore::projectFiles(), QStringList());
    }
}

void tst_Generation::batchFlow_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("files");

    const QStringList generated = {"pll_file.ipc", "pll_file.v", "pll_file_tmp.v"};
    QTest::newRow("success") << "clkoutd" << true << QStringList{} << generated;
    QTest::newRow("success, VHDL") << "vhdl clkoutp static" << true << QStringList{}
                                   << QStringList{"pll_file.ipc", "pll_file.vhd", "pll_file_tmp.vhd"};
    QTest::newRow("illegal module name: only the host's text") << "badName odd" << false << QStringList{"#name"} << QStringList{};
    // An unapproved divider must not turn into a module reported as success.
    QTest::newRow("odd divider: nothing written") << "odd" << false << QStringList{"WARNING:" + evenText} << QStringList{};
    QTest::newRow("CLKOUT search fails: nothing written") << "clkoutFails" << false
                                                          << QStringList{"WARNING: " + clkoutFailure} << QStringList{};
    QTest::newRow("CLKOUTD search fails: nothing written") << "clkoutdFails" << false
                                                           << QStringList{"WARNING: " + clkoutdFailure} << QStringList{};
    QTest::newRow("existing-file check refuses: false") << "dirAtModule" << false << QStringList{"#exists"}
                                                        << QStringList{"pll_file.v"};
}

void tst_Generation::batchFlow()
{
    QFETCH(QString, state);
    QFETCH(bool, result);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, files);
    Fixture f;
    f.apply(state);
    ModalWatcher watcher;
    QStringList lines{QStringLiteral("earlier line")};
    QCOMPARE(f.dialog.accept(lines), result);

    QCOMPARE(watcher.boxes.size(), 0);
    QCOMPARE(lines.takeFirst(), QStringLiteral("earlier line"));
    if (messages == QStringList{"#name"}) {
        QCOMPARE(lines, f.dialog.checkFileOptions());
        QVERIFY(lines.first().contains("my-pll"));
    } else if (messages == QStringList{"#exists"}) {
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().startsWith("ERROR: ") && lines.first().contains("not a file"), qPrintable(lines.first()));
    } else {
        QCOMPARE(lines, messages);
    }
    QCOMPARE(f.entries(), files);
    QCOMPARE(Core::EditorManager::openedFiles(), QStringList());
    QCOMPARE(IPCore::projectFiles(), QStringList());
}

void tst_Generation::escapingNamesRefused_data()
{
    QTest::addColumn<QString>("module");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("problem");
    QTest::newRow("module ../x") << "../x" << "pll_file" << "not a legal";
    QTest::newRow("module a/b") << "a/b" << "pll_file" << "not a legal";
    QTest::newRow("module my-pll") << "my-pll" << "pll_file" << "not a legal";
    QTest::newRow("module keyword") << "module" << "pll_file" << "reserved";
    QTest::newRow("module VHDL keyword") << "Signal" << "pll_file" << "reserved";
    QTest::newRow("empty module") << "" << "pll_file" << "module name is empty";
    QTest::newRow("file ../x") << "pll1" << "../x" << "separator";
    QTest::newRow("file a/b") << "pll1" << "a/b" << "separator";
    QTest::newRow("file ..") << "pll1" << ".." << "dot";
    QTest::newRow("empty file") << "pll1" << "" << "file name is empty";
}

void tst_Generation::escapingNamesRefused()
{
    QFETCH(QString, module);
    QFETCH(QString, file);
    QFETCH(QString, problem);
    QTemporaryDir outer;
    Fixture f;
    // The output directory sits one level down, so that an escape would show in outer.
    f.dialog.setCreatPath(outer.path() + "/out");
    f.dialog.uiSetModuleName(module);
    f.dialog.uiSetFileName(file);
    f.apply(QString());

    QStringList lines;
    QVERIFY(!f.dialog.accept(lines));
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().contains(problem), qPrintable(lines.first()));

    ModalWatcher watcher;
    f.dialog.accept();
    QCOMPARE(watcher.texts(), lines);
    QCOMPARE(f.dialog.result(), int(QDialog::Rejected));
    QCOMPARE(QDir(outer.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    QCOMPARE(f.entries(), QStringList());
}

void tst_Generation::createModuleBatchRefusedKeepsOptions()
{
    ModMirel::MIREL core(QStringLiteral(SOURCE_DIR "/plugin"));
    QVERIFY(core.initialize());
    QTemporaryDir dir;
    QVariantMap cfgs{{"dir", dir.path()}, {"module", "pll1"}, {"file", "pll_file"}, {"MODE_GENERAL", "TRUE"}};
    const QVariantMap before = cfgs;
    QStringList messages;
    QVERIFY(!core.createModuleBatch(cfgs, DEV::DeviceTable::defaultDevice().arg(), messages));
    QCOMPARE(cfgs, before);
    QVERIFY(!messages.isEmpty());
    QVERIFY(messages.first().startsWith("ERROR: "));
    QVERIFY(QDir(dir.path()).isEmpty());
}

void tst_Generation::createAndReopenBatch()
{
    ModMirel::MIREL core(QStringLiteral(SOURCE_DIR "/plugin"));
    QVERIFY(core.initialize());
    QTemporaryDir dir;
    QVariantMap cfgs{{"dir", dir.path()}, {"module", "pll1"}, {"file", "pll_file"}, {"CLKIN_FREQ", "27"},
                     {"CLKOUT_FREQ", "100"}, {"CLKOUT_TOLERANCE", "0.5"}, {"extra", "kept"}};
    QStringList messages;
    QVERIFY2(core.createModuleBatch(cfgs, DEV::DeviceTable::defaultDevice().arg(), messages),
             qPrintable(messages.join('\n')));
    QCOMPARE(messages, QStringList());
    QCOMPARE(cfgs.value("extra").toString(), QStringLiteral("kept"));
    QCOMPARE(cfgs.value("CLKIN_FREQ").toDouble(), 27.0);
    QVERIFY(cfgs.size() > 7);
    const QString out = dir.path() + "/pll_file";
    QCOMPARE(QDir(out).entryList(QDir::Files), QStringList({"pll_file.ipc", "pll_file.v", "pll_file_tmp.v"}));
    QVERIFY(QFile::remove(out + "/pll_file.v"));

    QVariantMap reopened{{"stale", 1}};
    QVERIFY2(core.openModuleBatch(out + "/pll_file.ipc", QString(), reopened, messages), qPrintable(messages.join('\n')));
    QVERIFY(!reopened.contains("stale"));
    QVERIFY(!reopened.contains("extra"));
    QVERIFY(QFile::exists(out + "/pll_file.v"));
}

void tst_Generation::refusedFileInBatchGivesALine_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("another version") << QByteArray("version=2.0\n[Config]\nMODE_GENERAL=true\n");
    QTest::newRow("version with a blank") << QByteArray("version=\"1.0 \"\n[Config]\nMODE_GENERAL=true\n");
    QTest::newRow("no version") << QByteArray("[Config]\nMODE_GENERAL=true\n");
    QTest::newRow("missing file") << QByteArray();
}

void tst_Generation::refusedFileInBatchGivesALine()
{
    QFETCH(QByteArray, content);
    ModMirel::MIREL core(QStringLiteral(SOURCE_DIR "/plugin"));
    QVERIFY(core.initialize());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pll.ipc"));
    if (!content.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QVariantMap cfgs{{"kept", 1}};
    QStringList messages;
    ModalWatcher watcher;
    QVERIFY(!core.openModuleBatch(path, QString(), cfgs, messages));
    QVERIFY(watcher.boxes.isEmpty());
    QCOMPARE(messages, QStringList{QStringLiteral(
        "ERROR: This version of specified IP Config file is incompatible with current IP Core Generator.")});
    QCOMPARE(cfgs, QVariantMap({{"kept", 1}}));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), content.isEmpty() ? QStringList() : QStringList{"pll.ipc"});
}

QTEST_MAIN(tst_Generation)
#include "tst_generation.moc"
