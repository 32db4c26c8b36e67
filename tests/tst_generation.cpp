// SPDX-License-Identifier: MIT
// Calculate, OK and their batch counterparts as the host drives them: widgets in, widgets and
// boxes or lines out; checks, searches, the .ipc file, the generator's list, the generated
// files, editors and project.
#include "dialogdriver.h"
#include "mireldialog.h"
#include "modalwatcher.h"

#include <devicetable.h>
#include <editormanager.h>
#include <modgen.h>
#include <modulegenerator.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

using ModMirel::Mirel_Dialog;
using L = QStringList;

namespace {

const QString evenText = "The divide factor of CLKOUTD must be an even number.";
const QString cannot
        = "The Expected Frequency of %1 cannot be generated. Try to change the Expected Frequency or Tolerance(%)";
const QString illegal = "The value of divide factor for CLKIN and CLKFB is illegal";

// A dialog writing into its own temporary directory on the device a "device=NAME" step names (else
// the default one), set through its own widgets from steps or from state words.
struct Fixture
{
    explicit Fixture(L steps = {})
        : dialog(QVariantMap{{"ipcore.id", "MIREL"}, {"ipcore.version", "1.0"}}, nullptr)
    {
        const QString device = steps.isEmpty() || !steps[0].startsWith("device=") ? QString()
                                                                                  : steps.takeFirst().mid(7);
        dialog.setCreating(dir.path(),
                           (device.isEmpty() ? DEV::DeviceTable::defaultDevice() : *DEV::DeviceTable::find(device))
                                   .arg());
        dialog.uiSetModuleName("pll1");
        dialog.uiSetFileName("pll_file");
        Core::EditorManager::clearOpenedFiles();
        IPCore::clearProjectFiles();
        driveDialog(&dialog, steps);
    }
    // The example (27 MHz in, 100 MHz wanted within 0.5 %) changed by the state words.
    void apply(const QString &state)
    {
        static const QMap<QString, QStringList> words = {
                {"odd", {"clkoutdSpinDivider=3"}},
                {"clkoutdBypass", {"clkoutdCheckBypass=true"}},
                {"clkoutp", {"clkoutpCheckEnable=true"}},
                {"clkoutd3", {"clkoutd3CheckEnable=true"}},
                {"static", {"radioPhaseDutyStatic=true"}},
                {"clkoutFails", {"clkinSpinFrequency=100", "clkoutSpinFrequency=401.7", "clkoutComBoxTolerance=0.0"}},
                {"clkoutd", {"clkoutdCheckEnable=true", "clkoutdSpinFrequency=25", "clkoutdComBoxTolerance=2.0"}},
                {"clkoutdFails", {"clkoutdCheckEnable=true", "clkoutdSpinFrequency=40", "clkoutdComBoxTolerance=0.0"}},
                {"inputs",
                 {"checkPllReset=true", "checkPllPowerDown=true", "checkPllRegulator=true", "checkLockEn=true",
                  "clkfbComBoxSource=External"}},
                {"advanced",
                 {"radioModeAdvanced=true", "clkinSpinDivideDyn=7", "clkfbSpinDivideDyn=26", "clkoutComBoxDivideDyn=8"}},
                {"impossible",
                 {"radioModeAdvanced=true", "clkinSpinFrequency=100", "clkinSpinDivideDyn=1", "clkfbSpinDivideDyn=64"}}};
        QStringList steps{"clkinSpinFrequency=27", "clkoutSpinFrequency=100", "clkoutComBoxTolerance=0.5"};
        for (const QString &word : state.split(' ', Qt::SkipEmptyParts)) {
            if (word == "vhdl")
                dialog.uiSetLanguageIndex(1);
            else if (word == "badName")
                dialog.uiSetModuleName("my-pll");
            else if (word == "dirAtModule")
                QDir(dir.path()).mkdir("pll_file.v");
            else if (word == "existing")
                QFile(dir.path() + "/pll_file.v").open(QIODevice::WriteOnly);
            else if (word.startsWith("link:")) // dangling, inside the test's folder
                QFile::link(dir.path() + "/missing/x", dir.path() + '/' + word.mid(5));
            else if (word == "noSource")
                dialog.findChild<QComboBox *>("clkfbComBoxSource")->setCurrentIndex(-1);
            else if (words.contains(word))
                steps += words[word];
            else
                qFatal("unknown state word %s", qPrintable(word));
        }
        driveDialog(&dialog, steps);
    }
    QStringList entries() const
    {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden);
    }
    // What a user sees after a search: dividers, ODIV item, result text and colour, for CLKOUT and CLKOUTD.
    L view()
    {
        L seen;
        for (const char *name : {"clkinSpinDivideStatic", "clkfbSpinDivideStatic", "clkoutComBoxDivideStatic"})
            seen << controlState(&dialog, name);
        for (const char *name : {"clkoutEditActualFrequency", "clkoutdEditActualFrequency"}) {
            auto *edit = dialog.findChild<QLineEdit *>(name);
            seen << edit->text() + ' ' + edit->styleSheet();
        }
        return seen << controlState(&dialog, "clkoutdSpinDivider");
    }
    bool calculate(bool announce)
    {
        bool result = false;
        QMetaObject::invokeMethod(&dialog, "onBtnCalculate", Q_RETURN_ARG(bool, result), Q_ARG(bool, announce));
        return result;
    }
    QMap<QString, QByteArray> contents() const
    {
        QMap<QString, QByteArray> files;
        for (const QString &name : entries()) {
            QFile file(dir.filePath(name));
            files.insert(name, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("unreadable"));
        }
        return files;
    }

    QTemporaryDir dir;
    Mirel_Dialog dialog;
};

// Caps the size of any file this process writes, for one scope: past it a write fails with EFBIG,
// as on a full disk (SIGXFSZ is ignored).
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_saved); }

private:
    rlimit m_saved{};
};

L general(const QString &clkin, const QString &clkout, const QString &tolerance)
{
    return {"clkinSpinFrequency=" + clkin, "clkoutSpinFrequency=" + clkout, "clkoutComBoxTolerance=" + tolerance};
}

L advanced(int idiv, int fbdiv, int odiv)
{
    return {"radioModeAdvanced=true", "clkinSpinFrequency=27", QStringLiteral("clkinSpinDivideDyn=%1").arg(idiv),
            QStringLiteral("clkfbSpinDivideDyn=%1").arg(fbdiv), QStringLiteral("clkoutComBoxDivideDyn=%1").arg(odiv)};
}

QStringList argsOf(const QString &command)
{
    ModGen::Request request;
    return ModGen::decodeCommand(command, &request) ? request.args : QStringList{"not a command"};
}

} // namespace

class tst_Generation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { std::signal(SIGXFSZ, SIG_IGN); }
    void clkoutSearch_data();
    void clkoutSearch();
    void calculateBoxes_data();
    void calculateBoxes();
    void rangesFollowTheDevice();
    void overloadsAgreeAndPortsMatchTheFigure_data();
    void overloadsAgreeAndPortsMatchTheFigure();
    void okFlow_data();
    void okFlow();
    void batchFlow_data();
    void batchFlow();
    void escapingNamesRefused_data();
    void escapingNamesRefused();
    void interruptedWrite_data();
    void interruptedWrite();
};

void tst_Generation::clkoutSearch_data()
{
    QTest::addColumn<L>("steps");
    QTest::addColumn<double>("result");
    QTest::addColumn<L>("view"); // IDIV, FBDIV, ODIV item, field
    QTest::addColumn<QString>("line");
    QTest::newRow("27->100 at 0.5%") << general("27", "100", "0.5") << 100.2857
                                     << L{"7", "26", "4", "100.286 color:gray"} << "";
    QTest::newRow("27->100 at 0.0% fails")
            << general("27", "100", "0.0") << -1.0 << L{"1", "1", "2", "100.286 color:red"}
            << "WARNING: " + cannot.arg("CLKOUT");
    QTest::newRow("bypassed") << L{"clkinSpinFrequency=27", "clkoutCheckBypass=true"} << 27.0
                              << L{"1", "1", "16", "27.000 color:gray"} << "";
    QTest::newRow("advanced ODIV recommendation")
            << advanced(1, 4, 2) << -1.0 << L{"1", "1", "2", "108.000 color:gray"}
            << "WARNING: The divide factor of CLKOUT is illegal, the recommand value is 4.";
    // What no device can run is refused on every device, the closest frequency it can make shown in red.
    for (const DEV::DeviceInfo &d : DEV::DeviceTable::devices()) {
        const L on{"device=" + d.device};
        QTest::addRow("%s: VCO of 3456", qPrintable(d.device))
                << on + advanced(1, 64, 2) << -1.0 << L{"1", "1", "2", "1728.000 color:red"} << "WARNING: " + illegal;
        QTest::addRow("%s: 3 MHz, no legal ODIV", qPrintable(d.device))
                << on + advanced(9, 1, 2) << -1.0 << L{"1", "1", "2", "3.000 color:red"} << "WARNING: " + illegal;
        const QString max = QString::number(d.pll.clkoutMax, 'f', 3);
        QTest::addRow("%s: 1.5 x the maximum", qPrintable(d.device))
                << on + general("100", QString::number(d.pll.clkoutMax * 1.5), "2.0") << -1.0
                << L{"1", "1", "2", max + " color:red"} << "WARNING: " + cannot.arg("CLKOUT");
    }
}

// Both overloads change the same widgets; the box one shows as "Warning" boxes exactly the lines the other appends.
void tst_Generation::clkoutSearch()
{
    QFETCH(L, steps);
    QFETCH(double, result);
    QFETCH(L, view);
    QFETCH(QString, line);
    Fixture boxed(steps), batch(steps);
    ModalWatcher watcher;
    const double boxedResult = boxed.dialog.calculateClkout();
    L lines;
    const double frequency = batch.dialog.calculateClkout(lines);
    QCOMPARE(frequency, boxedResult);
    QVERIFY2(qAbs(frequency - result) < 1e-4, qPrintable(QString::number(frequency)));
    QCOMPARE(batch.view().mid(0, 4), view);
    QCOMPARE(boxed.view(), batch.view());
    QCOMPARE(lines, line.isEmpty() ? L() : L{line});
    QCOMPARE(watcher.boxes.size(), lines.size());
    for (const ModalWatcher::Box &box : watcher.boxes)
        QVERIFY(line == "WARNING: " + box.text && box.title == "Warning" && box.icon == QMessageBox::Warning
                && box.hasWindowIcon);
}

void tst_Generation::calculateBoxes_data()
{
    QTest::addColumn<L>("steps");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("box");
    QTest::addColumn<L>("clkoutd"); // field, divider
    const L clkoutd = general("27", "100", "0.5") + L{"clkoutdCheckEnable=true", "clkoutdComBoxTolerance=2.0"};
    const L untouched{" ", "2"};
    QTest::newRow("both succeed") << clkoutd + L{"clkoutdSpinFrequency=25"} << true << "Succeed"
                                  << L{"25.071 color:gray", "4"};
    QTest::newRow("CLKOUT fails") << general("27", "100", "0.0") << false << cannot.arg("CLKOUT") << untouched;
    QTest::newRow("CLKOUTD bypassed") << clkoutd + L{"clkoutdSpinFrequency=30", "clkoutdCheckBypass=true"} << true
                                      << "Succeed" << untouched;
    QTest::newRow("CLKOUTD fails, CLKOUT's results stay")
            << clkoutd + L{"clkoutdSpinFrequency=30"} << false << cannot.arg("CLKOUTD") << L{"25.071 color:red", "2"};
    QTest::newRow("advanced odd divider") << clkoutd + advanced(1, 4, 4) + L{"clkoutdSpinDivider=3"} << true
                                          << "Succeed" << L{"36.000 color:gray", "3"};
}

void tst_Generation::calculateBoxes()
{
    QFETCH(L, steps);
    QFETCH(bool, result);
    QFETCH(QString, box);
    QFETCH(L, clkoutd);
    Fixture f(steps);
    ModalWatcher watcher;
    QCOMPARE(f.calculate(true), result);
    QCOMPARE(watcher.texts(), L{box});
    if (result)
        QVERIFY(watcher.boxes[0].title == "info" && watcher.boxes[0].icon == QMessageBox::Information);
    QVERIFY(f.view()[3].startsWith("100.286") || f.view()[3].startsWith("108.000")); // CLKOUT's results stay
    QCOMPARE(f.view().mid(4), clkoutd);

    // Unannounced, a success shows no box; the button announces.
    Fixture quiet(general("27", "100", "0.5"));
    watcher.boxes.clear();
    QVERIFY(quiet.calculate(false));
    QVERIFY(watcher.boxes.isEmpty());
    quiet.dialog.findChild<QPushButton *>("btnCalculate")->click();
    QCOMPARE(watcher.texts(), L{"Succeed"});
}

void tst_Generation::rangesFollowTheDevice()
{
    Fixture f({"clkinSpinFrequency=420"});
    const auto ranges = [&f] {
        L seen;
        for (const char *label : {"clkinLabelFrequency", "clkoutLabelFrequency", "clkoutdLabelFrequency"})
            seen << f.dialog.findChild<QLabel *>(label)->text();
        // A double spin box rounds its bounds to its three decimals.
        for (const char *spin : {"clkinSpinFrequency", "clkoutSpinFrequency", "clkoutdSpinFrequency"}) {
            auto *box = f.dialog.findChild<QDoubleSpinBox *>(spin);
            seen << QString::number(box->minimum()) + '~' + QString::number(box->maximum());
        }
        return seen;
    };
    QCOMPARE(ranges(), L({"Clock Frequency (3~450):", "Expected Frequency (3.125~450):",
                          "Expected Frequency (0.024~225.000):", "3~450", "3.125~900", "0.024~450"}));
    // Another device: new labels and ranges, and CLKIN held within them.
    f.dialog.setCreating("/tmp", DEV::DeviceTable::find("BRN-4LP")->arg());
    QCOMPARE(ranges(), L({"Clock Frequency (3~200):", "Expected Frequency (3.125~300):",
                          "Expected Frequency (0.024~150.000):", "3~200", "3.125~600", "0.024~300"}));
    QCOMPARE(controlState(&f.dialog, "clkinSpinFrequency"), QString("200"));
}

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
    const QStringList interactive = argsOf(f.dialog.generateModFile());
    QStringList messages;
    QCOMPARE(argsOf(f.dialog.generateModFile(messages)), interactive);
    QCOMPARE(messages, QStringList());

    // The module's ports are the figure's: names, order, directions, bus widths.
    ModGen::Settings settings;
    QVERIFY2(ModGen::parseArgs(interactive, &settings, &messages), qPrintable(messages.join('\n')));
    QStringList module, figure;
    for (const ModGen::Port &port : ModGen::ports(settings))
        module << (port.output ? "out " : "in ") + port.name
                          + (port.width > 1 ? QStringLiteral("[%1:0]").arg(port.width - 1) : "");
    for (const Utils::PinFigure &pin : f.dialog.figurePins())
        figure << (pin.isInput() ? "in " : "out ") + pin.name();
    QCOMPARE(module, figure);
}

void tst_Generation::okFlow_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QStringList>("boxes"); // '~': the text only has to occur in the box
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QStringList>("files");
    const QStringList generated = {"pll_file.ipc", "pll_file.sdc", "pll_file.v", "pll_file_tb.v", "pll_file_tmp.v"},
                      none;
    QTest::newRow("success") << "" << none << true << generated;
    QTest::newRow("CLKOUTD bypassed runs no CLKOUTD search")
            << "clkoutdFails clkoutdBypass" << none << true << generated;
    QTest::newRow("odd divider refused with CLKOUTD off") << "odd" << QStringList{evenText} << false << none;
    QTest::newRow("CLKOUT search fails: no .ipc")
            << "clkoutFails" << QStringList{cannot.arg("CLKOUT")} << false << none;
    QTest::newRow("CLKOUTD search fails: no .ipc")
            << "clkoutdFails" << QStringList{cannot.arg("CLKOUTD")} << false << none;
    QTest::newRow("VCO of 12800: no .ipc") << "impossible" << QStringList{illegal} << false << none;
    QTest::newRow("illegal module name") << "badName" << QStringList{"~\"my-pll\" is not a legal"} << false << none;
    QTest::newRow("existing module overwritten after asking")
            << "existing" << QStringList{"~already exist"} << true << generated;
    for (const char *name : {"pll_file.v", "pll_file_tmp.v", "pll_file.ipc"})
        QTest::addRow("link at %s: nothing written", name)
                << QString("link:") + name << QStringList{"~is a link"} << false << QStringList{name};
    QTest::newRow("list without an item: nothing written")
            << "noSource" << QStringList{"~option 'CLKFB_SOURCE'"} << false << none;
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
    const QStringList seen = watcher.texts();
    QCOMPARE(seen.size(), boxes.size());
    for (int i = 0; i < boxes.size(); ++i)
        QVERIFY2(boxes[i].startsWith('~') ? seen[i].contains(boxes[i].mid(1)) : seen[i] == boxes[i],
                 qPrintable(seen[i]));
    QCOMPARE(f.dialog.result() == QDialog::Accepted, accepted);
    QCOMPARE(f.entries(), files);
    // Two editors, the module first, and the module added to the project.
    const QString module = f.dir.path() + "/pll_file" + (f.dialog.fileType() == 0 ? ".v" : ".vhd");
    QCOMPARE(Core::EditorManager::openedFiles(),
             accepted ? QStringList({module, QString(module).replace("/pll_file.", "/pll_file_tmp.")}) : QStringList());
    QCOMPARE(IPCore::projectFiles(), accepted ? QStringList{module} : QStringList());
}

void tst_Generation::batchFlow_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("line"); // '~': the line only has to contain it
    QTest::addColumn<QStringList>("files");
    const QStringList generated = {"pll_file.ipc", "pll_file.sdc", "pll_file.v", "pll_file_tb.v", "pll_file_tmp.v"},
                      none;
    QTest::newRow("success") << "clkoutd" << true << "" << generated;
    QTest::newRow("VHDL") << "vhdl clkoutp static" << true << ""
                          << QStringList(generated).replaceInStrings(QRegularExpression("\\.v$"), ".vhd");
    QTest::newRow("illegal module name: only the host's text")
            << "badName odd" << false << "~\"my-pll\" is not a legal" << none;
    // An unapproved divider must not turn into a module reported as success.
    QTest::newRow("odd divider: nothing written") << "odd" << false << "WARNING:" + evenText << none;
    QTest::newRow("CLKOUT search fails: nothing written")
            << "clkoutFails" << false << "WARNING: " + cannot.arg("CLKOUT") << none;
    QTest::newRow("CLKOUTD search fails: nothing written")
            << "clkoutdFails" << false << "WARNING: " + cannot.arg("CLKOUTD") << none;
    QTest::newRow("VCO of 12800: nothing written") << "impossible" << false << "WARNING: " + illegal << none;
    QTest::newRow("existing-file check refuses: false")
            << "dirAtModule" << false << "~not a regular file" << QStringList{"pll_file.v"};
    QTest::newRow("list without an item: nothing written")
            << "noSource" << false
            << "ERROR: Value '-1' is out of the range for configuration option 'CLKFB_SOURCE' for IP 'pll1'." << none;
}

void tst_Generation::batchFlow()
{
    QFETCH(QString, state);
    QFETCH(bool, result);
    QFETCH(QString, line);
    QFETCH(QStringList, files);
    Fixture f;
    f.apply(state);
    ModalWatcher watcher;
    QStringList lines{"earlier line"};
    QCOMPARE(f.dialog.accept(lines), result);
    QCOMPARE(watcher.boxes.size(), 0);
    QCOMPARE(lines.takeFirst(), QString("earlier line"));
    QCOMPARE(lines.size(), line.isEmpty() ? 0 : 1);
    if (!line.isEmpty())
        QVERIFY2(line.startsWith('~') ? lines[0].contains(line.mid(1)) : lines[0] == line, qPrintable(lines[0]));
    QCOMPARE(f.entries(), files);
    QCOMPARE(Core::EditorManager::openedFiles(), QStringList());
    QCOMPARE(IPCore::projectFiles(), QStringList());
}

void tst_Generation::escapingNamesRefused_data()
{
    QTest::addColumn<QString>("module");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("problem");
    const char *rows[][3] = {{"../x", "pll_file", "not a legal"}, {"my-pll", "pll_file", "not a legal"},
                             {"module", "pll_file", "reserved"},  {"", "pll_file", "module name is empty"},
                             {"pll1", "../x", "separator"},       {"pll1", "..", "dot"},
                             {"pll1", "", "file name is empty"}};
    for (const auto &row : rows)
        QTest::addRow("module '%s', file '%s'", row[0], row[1]) << row[0] << row[1] << row[2];
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
    // The interactive flow shows the same text in a box.
    ModalWatcher watcher;
    f.dialog.accept();
    QCOMPARE(watcher.texts(), lines);
    QCOMPARE(f.dialog.result(), int(QDialog::Rejected));
    QCOMPARE(QDir(outer.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    QCOMPARE(f.entries(), QStringList());
}

// A write cut short part-way is reported (a line in batch use, a box interactively) and leaves
// the earlier files byte for byte: a module's files are committed together or not at all.
void tst_Generation::interruptedWrite_data()
{
    QTest::addColumn<bool>("batch");
    QTest::addColumn<int>("limit"); // the .ipc and template are a few hundred bytes, the module over a thousand
    QTest::newRow("batch, .ipc") << true << 16;
    QTest::newRow("batch, module") << true << 1000;
    QTest::newRow("dialog, .ipc") << false << 16;
    QTest::newRow("dialog, module") << false << 1000;
}

void tst_Generation::interruptedWrite()
{
    QFETCH(bool, batch);
    QFETCH(int, limit);
    Fixture f;
    f.apply(QString());
    QStringList lines;
    QVERIFY2(f.dialog.accept(lines), qPrintable(lines.join('\n')));
    const QMap<QString, QByteArray> good = f.contents();
    QVERIFY(good.value("pll_file.v").size() > 1200 && good.value("pll_file.ipc").size() < 800
            && good.value("pll_file_tmp.v").size() < 800);
    driveDialog(&f.dialog, {"clkoutSpinFrequency=50"}); // another module than the one on disk
    lines.clear();
    bool accepted = false;
    ModalWatcher watcher;
    {
        const FileSizeLimit cap{rlim_t(limit)};
        if (batch) {
            accepted = f.dialog.accept(lines);
        } else {
            f.dialog.accept();
            accepted = f.dialog.result() == QDialog::Accepted;
        }
    }
    QVERIFY(!accepted);
    QVERIFY2(batch ? !lines.isEmpty() && lines.last().startsWith("ERROR: ") : !watcher.boxes.isEmpty(),
             "the failure went unreported");
    QVERIFY(batch ? watcher.boxes.isEmpty() : lines.isEmpty());
    QCOMPARE(f.contents(), good);
}

QTEST_MAIN(tst_Generation)
#include "tst_generation.moc"
