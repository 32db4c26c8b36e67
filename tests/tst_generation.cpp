// SPDX-License-Identifier: MIT
// Calculate, OK and their batch counterparts as the host drives them: widgets in, widgets and
// boxes or lines out; checks, searches, the .ipc file, the generator's list, the generated
// files, editors and project.
#include "dialogdriver.h"
#include "mireldialog.h"
#include "modalwatcher.h"
#include "testfiles.h"

#include <devicetable.h>
#include <editormanager.h>
#include <modulegenerator.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
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
const QString nearSdivs = "CLKOUTD divides its source by an even SDIV from 2 to 128; from 100.286 MHz the nearest are "
                          "50.143 MHz (SDIV 2) and 25.071 MHz (SDIV 4).";

// A dialog writing into its own temporary directory on the device a "device=NAME" step names (else
// the default one), set through its own widgets from steps or from state words.
struct Fixture
{
    explicit Fixture(L steps = {})
        : dialog(QVariantMap{{"ipcore.id", "MIREL"}, {"ipcore.version", "1.0"}}, nullptr)
    {
        const QString device = steps.isEmpty() || !steps[0].startsWith("device=") ? QString()
                                                                                  : steps.takeFirst().mid(7);
        QDir().mkpath(dir);
        dialog.setCreating(dir, (device.isEmpty() ? DEV::DeviceTable::defaultDevice() : *DEV::DeviceTable::find(device))
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
            else if (word.startsWith("module:"))
                dialog.uiSetModuleName(word.mid(7));
            else if (word.startsWith("file:"))
                dialog.uiSetFileName(word.mid(5));
            else if (word == "dirAtModule")
                QDir(dir).mkdir("pll_file.v");
            else if (word == "existing")
                QFile(dir + "/pll_file.v").open(QIODevice::WriteOnly);
            else if (word.startsWith("link:")) // dangling, inside the test's folder
                QFile::link(dir + "/missing/x", dir + '/' + word.mid(5));
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
        return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden);
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
        for (const QString &name : entries())
            files.insert(name, readFile(dir + '/' + name));
        return files;
    }

    QTemporaryDir outer; // the output folder sits one level down, so that an escape would show here
    const QString dir = outer.path() + "/out";
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
    void calculateTells_data();
    void calculateTells();
    void rangesFollowTheDevice();
    void defaultsWorkEverywhere();
    void acceptFlows_data();
    void acceptFlows();
    void interruptedWrite_data();
    void interruptedWrite();
};

void tst_Generation::clkoutSearch_data()
{
    QTest::addColumn<L>("steps");
    QTest::addColumn<double>("result");
    QTest::addColumn<L>("view"); // IDIV, FBDIV, ODIV item, field
    QTest::addColumn<QString>("line");
    const auto row = [](const char *name, const L &steps, double result, const L &view, const QString &line = {}) {
        QTest::newRow(name) << steps << result << view << line;
    };
    row("27->100 at 0.5%", general("27", "100", "0.5"), 100.2857, {"7", "26", "4", "100.286 color:gray"});
    row("27->100 at 0.0% fails", general("27", "100", "0.0"), -1.0, {"1", "1", "2", "100.286 color:red"},
        "WARNING: " + cannot.arg("CLKOUT"));
    row("bypassed", {"clkinSpinFrequency=27", "clkoutCheckBypass=true"}, 27.0, {"1", "1", "16", "27.000 color:gray"});
    row("advanced ODIV recommendation", advanced(1, 4, 2), -1.0, {"1", "1", "2", "108.000 color:gray"},
        "WARNING: The divide factor of CLKOUT is illegal, the recommand value is 4.");
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
                << L{"1", "1", "2", max + " color:red"}
                << "WARNING: " + cannot.arg("CLKOUT") + "\nWARNING: This device makes CLKOUT up to "
                           + QString::number(d.pll.clkoutMax)
                           + " MHz: choose an Expected Frequency at or below it, or a device with a higher maximum.";
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
    const int said = line.isEmpty() ? 0 : int(line.count('\n')) + 1;
    QCOMPARE(lines.mid(0, said).join('\n'), line);
    QCOMPARE(watcher.boxes.size(), line.isEmpty() ? 0 : 1);
    // After the search's lines, the closest value a General Mode target can have (the red one) and others.
    const bool unreachable = result < 0 && !steps.contains("radioModeAdvanced=true");
    for (const ModalWatcher::Box &box : watcher.boxes) {
        QCOMPARE(box.text, L(lines).replaceInStrings(QRegularExpression("^WARNING: "), "").join('\n'));
        QVERIFY(box.title == "Warning" && box.icon == QMessageBox::Warning && box.hasWindowIcon);
        const L more = lines.mid(said).replaceInStrings(QRegularExpression("^WARNING: "), "");
        QCOMPARE(more.size() > 1 && more.size() <= 6, unreachable);
        if (unreachable)
            QVERIFY2(more[0].startsWith("Closest achievable CLKOUT: " + view[3].section(' ', 0, 0) + " MHz ("),
                     qPrintable(more[0]));
    }
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
    QTest::newRow("CLKOUT fails, closest and alternatives")
            << general("27", "100", "0.0") << false
            << cannot.arg("CLKOUT")
                       + "\nClosest achievable CLKOUT: 100.286 MHz (+2857.1 ppm) with IDIV 7, FBDIV 26, ODIV 4"
                         "\nAlternative: 99.000 MHz (-10000.0 ppm) with IDIV 3, FBDIV 11, ODIV 8"
                         "\nAlternative: 101.250 MHz (+12500.0 ppm) with IDIV 4, FBDIV 15, ODIV 4"
                         "\nAlternative: 102.000 MHz (+20000.0 ppm) with IDIV 9, FBDIV 34, ODIV 4"
                         "\nAlternative: 97.875 MHz (-21250.0 ppm) with IDIV 8, FBDIV 29, ODIV 8"
                         "\nAlternative: 102.600 MHz (+26000.0 ppm) with IDIV 5, FBDIV 19, ODIV 4"
            << untouched;
    QTest::newRow("CLKOUTD bypassed") << clkoutd + L{"clkoutdSpinFrequency=30", "clkoutdCheckBypass=true"} << true
                                      << "Succeed" << untouched;
    QTest::newRow("CLKOUTD fails, CLKOUT's results stay")
            << clkoutd + L{"clkoutdSpinFrequency=30"} << false << cannot.arg("CLKOUTD") + '\n' + nearSdivs
            << L{"25.071 color:red", "2"};
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

// After Calculate the page tells what mirel-calc tells for the same request; a mode switch clears it.
void tst_Generation::calculateTells_data()
{
    QTest::addColumn<L>("steps");
    QTest::addColumn<L>("args");
    QTest::addColumn<L>("copies"); // CLKOUTP and CLKOUTD3, which mirel-calc does not name
    const L base = general("27", "100", "0.5"), baseArgs{"--clkin", "27", "--clkout", "100", "--tolerance", "0.5"};
    QTest::newRow("general") << base << baseArgs << L();
    QTest::newRow("general, every output")
            << base
                       + L{"clkoutpCheckEnable=true", "clkoutdCheckEnable=true", "clkoutdSpinFrequency=25",
                           "clkoutdComBoxTolerance=2.0", "clkoutd3CheckEnable=true"}
            << baseArgs + L{"--clkoutd", "25", "--clkoutd-tolerance", "2.0"}
            << L{"CLKOUTP 100.286 MHz (+2857.1 ppm)", "CLKOUTD3 33.429 MHz (+2857.1 ppm)"};
    QTest::newRow("CLKOUTP bypassed feeds CLKOUTD3")
            << base
                       + L{"clkoutpCheckEnable=true", "clkoutpCheckBypass=true", "clkoutd3CheckEnable=true",
                           "clkoutd3RadioSrcClkoutp=true"}
            << baseArgs << L{"CLKOUTP 27.000 MHz", "CLKOUTD3 9.000 MHz"};
    QTest::newRow("advanced with SDIV") << advanced(7, 26, 8) + L{"clkoutdCheckEnable=true", "clkoutdSpinDivider=6"}
                                        << L{"--clkin", "27",     "--idiv", "7",      "--fbdiv",
                                             "26",      "--odiv", "8",      "--sdiv", "6"}
                                        << L();
    QTest::newRow("BRN-4LP") << L{"device=BRN-4LP"} + general("27", "148.5", "0.0")
                             << L{"--device", "BRN-4LP", "--clkin", "27", "--clkout", "148.5"} << L();
}

void tst_Generation::calculateTells()
{
    QFETCH(L, steps);
    QFETCH(L, args);
    QFETCH(L, copies);
    Fixture f(steps);
    QVERIFY(f.calculate(false));
    auto *results = f.dialog.findChild<QLabel *>("labelCalcResults");
    L shown;
    for (const QString &line : results->text().split('\n'))
        shown << line.section(" (window", 0, 0);
    QProcess calc;
    calc.start(BIN_DIR "/mirel-calc", args + L{"--json"});
    QVERIFY(calc.waitForFinished());
    const QJsonObject j = QJsonDocument::fromJson(calc.readAllStandardOutput()).object();
    QVERIFY2(j["ok"].toBool(), qPrintable(args.join(' ')));
    const auto mhz = [](const QJsonValue &v) {
        return QString::number(v.toDouble(), 'f', 3) + " MHz";
    };
    QString dividers = QString("IDIV %1, FBDIV %2, ODIV %3")
                               .arg(j["idiv"].toInt())
                               .arg(j["fbdiv"].toInt())
                               .arg(j["odiv"].toInt());
    if (!j["sdiv"].isNull())
        dividers += QString(", SDIV %1").arg(j["sdiv"].toInt());
    L told{dividers, "PFD " + mhz(j["pfd_mhz"]), "VCO " + mhz(j["vco_mhz"])};
    for (const QJsonValue &each : j["outputs"].toArray()) {
        const QJsonObject o = each.toObject();
        const double ppm = o["error_ppm"].toDouble();
        told << o["name"].toString() + ' ' + mhz(o["achieved_mhz"])
                        + (o["error_ppm"].isNull()
                                   ? ""
                                   : QString(" (%1%2 ppm)").arg(ppm >= 0 ? "+" : "").arg(ppm, 0, 'f', 1));
    }
    for (const QString &copy : copies)
        told.insert(copy.startsWith("CLKOUTP") ? 4 : told.size(), copy);
    QCOMPARE(shown, told);
    QVERIFY(results->isVisibleTo(&f.dialog));

    driveDialog(&f.dialog,
                {steps.contains("radioModeAdvanced=true") ? "radioModeGeneral=true" : "radioModeAdvanced=true"});
    QVERIFY(results->text().isEmpty() && !results->isVisibleTo(&f.dialog));
    QCOMPARE(f.view().mid(3, 2), L({" ", " "}));
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

// Out of the box every device calculates and creates, with CLKOUTD on as well.
void tst_Generation::defaultsWorkEverywhere()
{
    for (const DEV::DeviceInfo &d : DEV::DeviceTable::devices()) {
        Fixture fresh({"device=" + d.device}), withClkoutd({"device=" + d.device, "clkoutdCheckEnable=true"}),
                batch({"device=" + d.device});
        QVERIFY2(fresh.calculate(false) && withClkoutd.calculate(false), qPrintable(d.device));
        L lines;
        QVERIFY2(batch.dialog.setProperty(QVariantMap{{"module", "m"}, {"file", "m"}, {"CLKOUTD", true}}, lines)
                         && batch.dialog.accept(lines),
                 qPrintable(d.device + ' ' + lines.join('\n')));
    }
}

// OK and batch OK on the same state: the box and the line each reports ('~': it only has to contain
// the text; "=": the box says what the line says), whether it is accepted, what the folder then holds.
void tst_Generation::acceptFlows_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<L>("files");
    const L generated = {"pll_file.ipc", "pll_file.sdc", "pll_file.v", "pll_file_tb.v", "pll_file_tmp.v"}, none;
    const auto row = [](const char *name, const QString &state, const QString &box, const QString &line, bool accepted,
                        const L &files) {
        QTest::newRow(name) << state << box << line << accepted << files;
    };
    row("success", "clkoutd", "", "", true, generated);
    row("VHDL", "vhdl clkoutp static", "", "", true, L(generated).replaceInStrings(QRegularExpression("\\.v$"), ".vhd"));
    row("CLKOUTD bypassed runs no CLKOUTD search", "clkoutdFails clkoutdBypass", "", "", true, generated);
    // An unapproved divider or a failed search must not turn into a module reported as success.
    // The even-number rule names the CLKOUTD values the nearest even dividers make from CLKOUT 100.286.
    row("odd divider refused with CLKOUTD off", "odd", evenText + '\n' + nearSdivs,
        "WARNING:" + evenText + "\nWARNING: " + nearSdivs, false, none);
    const QString closest = "Closest achievable CLKOUT: 400.000 MHz";
    row("CLKOUT search fails", "clkoutFails", '~' + cannot.arg("CLKOUT") + '\n' + closest,
        "~WARNING: " + cannot.arg("CLKOUT") + "\nWARNING: " + closest, false, none);
    row("CLKOUTD search fails", "clkoutdFails", cannot.arg("CLKOUTD") + '\n' + nearSdivs,
        "WARNING: " + cannot.arg("CLKOUTD") + "\nWARNING: " + nearSdivs, false, none);
    row("VCO of 12800", "impossible", illegal, "WARNING: " + illegal, false, none);
    row("list without an item", "noSource", "~option 'CLKFB_SOURCE'",
        "ERROR: Value '-1' is out of the range for configuration option 'CLKFB_SOURCE' for IP 'pll1'.", false, none);
    row("existing module overwritten after asking", "existing", "~already exist", "", true, generated);
    row("folder at the module", "dirAtModule", "~not a regular file", "~not a regular file", false, {"pll_file.v"});
    for (const char *name : {"pll_file.v", "pll_file_tmp.v", "pll_file.ipc"})
        row(qPrintable(QString("link at %1").arg(name)), QString("link:") + name, "~is a link", "~is a link", false,
            {name});
    row("illegal module name: only the host's text", "module:my-pll odd", "=", "~\"my-pll\" is not a legal", false,
        none);
    const char *names[][3] = {{"module:../x", "not a legal"},
                              {"module:module", "reserved"},
                              {"module:", "module name is empty"},
                              {"file:../x", "separator"},
                              {"file:..", "dot"},
                              {"file:", "file name is empty"}};
    for (const auto &name : names)
        row(name[0], name[0], "=", QString("~") + name[1], false, none);
}

void tst_Generation::acceptFlows()
{
    QFETCH(QString, state);
    QFETCH(QString, box);
    QFETCH(QString, line);
    QFETCH(bool, accepted);
    QFETCH(L, files);
    const auto matches = [](const QString &seen, const QString &expected) {
        return expected.startsWith('~') ? seen.contains(expected.mid(1)) : seen == expected;
    };
    Fixture batch;
    batch.apply(state);
    ModalWatcher watcher;
    L lines{"earlier line"};
    QCOMPARE(batch.dialog.accept(lines), accepted);
    QVERIFY(watcher.boxes.isEmpty());
    QCOMPARE(lines.takeFirst(), QString("earlier line"));
    QVERIFY2(line.isEmpty() ? lines.isEmpty() : matches(lines.join('\n'), line), qPrintable(lines.join('\n')));
    QCOMPARE(batch.entries(), files);
    QVERIFY(Core::EditorManager::openedFiles().isEmpty() && IPCore::projectFiles().isEmpty());

    Fixture boxed;
    boxed.apply(state);
    boxed.dialog.accept();
    const L boxes = watcher.texts();
    QVERIFY2(box.isEmpty() ? boxes.isEmpty() : boxes.size() == 1 && matches(boxes[0], box == "=" ? lines.value(0) : box),
             qPrintable(boxes.join('\n')));
    QCOMPARE(boxed.dialog.result() == QDialog::Accepted, accepted);
    QCOMPARE(boxed.entries(), files);
    // Two editors, the module first, and the module added to the project.
    const QString module = boxed.dir + "/pll_file" + (boxed.dialog.fileType() == 0 ? ".v" : ".vhd");
    QCOMPARE(Core::EditorManager::openedFiles(),
             accepted ? L({module, QString(module).replace("/pll_file.", "/pll_file_tmp.")}) : L());
    QCOMPARE(IPCore::projectFiles(), accepted ? L{module} : L());
    for (const Fixture *f : {&batch, &boxed}) // nothing escaped the output folder
        QCOMPARE(QDir(f->outer.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), L{"out"});
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
