// SPDX-License-Identifier: MIT
// The .ipc file written and read by the dialog, and the batch option and settings maps.
#include "dialogdriver.h"
#include "mireldialog.h"
#include "modalwatcher.h"

#include <configkeys.h>
#include <devicetable.h>
#include <ipconfigwriter.h>

#include <QFile>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>
#include <memory>

using ModMirel::Mirel_Dialog;
namespace Config = ModMirel::Config;
using Options = QVariantMap;
using L = QStringList;

class tst_Config : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void writtenKeys_data();
    void writtenKeys();
    void writtenValues();
    void tableMatchesTheForm();
    void selectorUnderOneKey_data();
    void selectorUnderOneKey();
    void loadedValues_data();
    void loadedValues();
    void setPropertyOutcomes_data();
    void setPropertyOutcomes();
    void badInputCorpus_data();
    void badInputCorpus();
    void roundTripProperty();

private:
    std::unique_ptr<Mirel_Dialog> newDialog(const DEV::DeviceArg &device = DEV::DeviceTable::defaultDevice().arg())
    {
        auto dialog = std::make_unique<Mirel_Dialog>(QVariantMap{{"ipcore.id", "MIREL"}}, nullptr);
        dialog->setCreating(m_dir->path(), device);
        return dialog;
    }
    QString saveAs(Mirel_Dialog &dialog, const QString &name)
    {
        dialog.setCreatPath(m_dir->path());
        dialog.uiSetFileName(name);
        dialog.saveIPConfig();
        return m_dir->filePath(name + ".ipc");
    }
    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

QVariantMap fileGroup(const QString &path, const QString &group = QStringLiteral("Config"))
{
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup(group);
    QVariantMap map;
    for (const QString &key : settings.childKeys())
        map.insert(key, settings.value(key));
    return map;
}

// "@language", "@createPath", "@fileName", "@moduleName" read the frame, other names a control.
QString observed(Mirel_Dialog &d, const QString &name)
{
    const QMap<QString, QString> frame{{"@language", QString::number(d.uiLanguageIndex())},
                                       {"@createPath", d.createPath()},
                                       {"@fileName", d.fileName()},
                                       {"@moduleName", d.moduleName()}};
    return frame.value(name, controlState(&d, name));
}

// Empty when every "name=value" expectation holds.
QString mismatch(Mirel_Dialog &dialog, const QStringList &expected)
{
    for (const QString &e : expected) {
        const QString got = observed(dialog, e.section('=', 0, 0));
        if (got != e.section('=', 1))
            return QStringLiteral("%1: got '%2'").arg(e, got);
    }
    return {};
}

bool apply(Mirel_Dialog &dialog, const Options &options, QStringList *lines = nullptr)
{
    QStringList messages;
    const bool accepted = dialog.setProperty(options, messages);
    if (lines)
        *lines = messages;
    return accepted && (lines || messages.isEmpty());
}

} // namespace

void tst_Config::writtenKeys_data()
{
    QTest::addColumn<Options>("options");
    QTest::addColumn<L>("extraKeys");
    const L advanced{"CLKIN_DIVIDE_DYN", "CLKIN_DIVIDE_STATIC_SEL", "CLKFB_DIVIDE_DYNAMIC", "CLKFB_DIVIDE_STATIC_SEL",
                     "CLKOUT_DIVIDER"};
    const L clkout{"CLKOUT_FREQ", "CLKOUT_TOLERANCE"}, clkoutd{"CLKOUTD_BYPASS", "CLKOUTD_SOURCE_CLKOUT"};
    QTest::newRow("initial state: 16 keys") << Options{} << clkout;
    QTest::newRow("smallest file: 14 keys") << Options{{"CLKOUT_BYPASS", true}} << L{};
    QTest::newRow("advanced: no frequencies") << Options{{"MODE_GENERAL", "false"}} << advanced;
    QTest::newRow("general, CLKOUTD live")
            << Options{{"CLKOUTD", true}} << clkout + clkoutd + L{"CLKOUTD_FREQ", "CLKOUTD_TOLERANCE"};
    QTest::newRow("advanced, CLKOUTD live")
            << Options{{"MODE_GENERAL", "false"}, {"CLKOUTD", true}} << advanced + clkoutd + L{"CLKOUTD_DIVIDE"};
    QTest::newRow("CLKOUTP, static adjustment")
            << Options{{"CLKOUT_BYPASS", true}, {"CLKOUTP", true}, {"DYNAMIC", "false"}}
            << L{"CLKOUTP_BYPASS", "CLKOUTP_PHASE", "CLKOUTP_DUTY_CYCLE"};
    QTest::newRow("CLKOUTD3 on") << Options{{"CLKOUT_BYPASS", true}, {"CLKOUTD3", true}} << L{"CLKOUTD3_SOURCE_CLKOUT"};
}

void tst_Config::writtenKeys()
{
    QFETCH(Options, options);
    QFETCH(L, extraKeys);
    auto dialog = newDialog();
    QVERIFY(apply(*dialog, options));
    L expected = L{"LANG",       "MODE_GENERAL", "DYNAMIC", "RESET_PLL",     "PLL_PWD",           "PLL_REGULATOR",
                   "CLKIN_FREQ", "CLKFB_SOURCE", "LOCK_EN", "CLKOUT_BYPASS", "CLKOUT_DIVIDE_DYN", "CLKOUTP",
                   "CLKOUTD",    "CKLOUTD3"}
                 + extraKeys;
    expected.sort();
    QCOMPARE(fileGroup(saveAs(*dialog, "pll")).keys(), expected);
}

void tst_Config::writtenValues()
{
    auto dialog = newDialog();
    QVERIFY(apply(*dialog, {{"module", "top_pll"},
                            {"LANG", 1},
                            {"CLKFB_SOURCE", "External"},
                            {"CLKOUTP", "true"},
                            {"CLKOUTP_BYPASS", true},
                            {"CLKOUTD3", true}}));
    QSettings file(saveAs(*dialog, "pll_file"), QSettings::IniFormat);
    QCOMPARE(file.value("target_device").toString(), DEV::DeviceTable::defaultDevice().arg().id());
    // Information outside any group; combo settings as item indexes, numbers as decimal text.
    for (const QString &e :
         L{"type=MIREL", "version=1.0", "file=pll_file", "module=top_pll", "Config/LANG=1", "Config/CLKFB_SOURCE=1",
           "Config/CLKOUT_TOLERANCE=0", "Config/CLKOUT_FREQ=400", "Config/CLKIN_FREQ=100", "Config/MODE_GENERAL=true",
           "Config/CLKOUTP_BYPASS=true", "Config/CKLOUTD3=true"})
        QCOMPARE(file.value(e.section('=', 0, 0)).toString(), e.section('=', 1));
}

// Every control the key table names is on the form, of the kind its key has, with the
// range, items and start state the table reports; an option left out of the map
// puts the form back where it starts.
void tst_Config::tableMatchesTheForm()
{
    const Mirel_Dialog built(QVariantMap(), nullptr); // ranges as built, before any device
    for (const Config::Entry &entry : Config::entries()) {
        for (const char *name : {entry.control, entry.partner, entry.alternative}) {
            if (!name)
                continue;
            QWidget *w = built.findChild<QWidget *>(name);
            QString range, start;
            if (auto *real = qobject_cast<QDoubleSpinBox *>(w))
                range = QStringLiteral("%1~%2").arg(real->minimum()).arg(real->maximum()),
                start = QString::number(real->value(), 'f', 3);
            else if (auto *whole = qobject_cast<QSpinBox *>(w))
                range = QStringLiteral("%1~%2").arg(whole->minimum()).arg(whole->maximum()),
                start = QString::number(whole->value());
            else if (auto *combo = qobject_cast<QComboBox *>(w))
                start = combo->currentText();
            else if (auto *button = qobject_cast<QAbstractButton *>(w))
                start = button->isChecked() ? "true" : "false";
            const bool fits = entry.kind == Config::Kind::Real    ? bool(qobject_cast<QDoubleSpinBox *>(w))
                              : entry.kind == Config::Kind::Whole ? bool(qobject_cast<QSpinBox *>(w))
                              : entry.kind == Config::Kind::ItemIndex || entry.kind == Config::Kind::ItemText
                                      ? bool(qobject_cast<QComboBox *>(w))
                                      : bool(qobject_cast<QAbstractButton *>(w));
            QVERIFY2(fits, name);
            if (auto *combo = qobject_cast<QComboBox *>(w)) {
                QStringList items;
                for (int i = 0; i < combo->count(); ++i)
                    items << combo->itemText(i);
                QCOMPARE(items, entry.items);
            } else if (!range.isEmpty()) {
                QCOMPARE(range, QStringLiteral("%1~%2").arg(entry.minimum).arg(entry.maximum));
            }
            if (name == entry.control)
                QCOMPARE(start, entry.formDefault);
        }
    }
    auto dialog = newDialog();
    const auto text = [](const QVariant &value) { // numbers compared as numbers: "100.000" is "100"
        bool number = false;
        const double d = value.toString().toDouble(&number);
        return number ? QString::number(d) : value.toString();
    };
    const QVariantMap start = dialog->getProperty();
    for (const Config::Entry *entry : Config::batchOrder()) {
        if (!entry->batchDefault.isNull())
            QCOMPARE(text(start.value(entry->key)), text(entry->batchDefault));
    }
}

// The key, the radio buttons (dynamic first), the controls (dynamic first) and their values; which is picked.
void tst_Config::selectorUnderOneKey_data()
{
    QTest::addColumn<L>("names");
    QTest::addColumn<bool>("dynamic");
    const L clkin{"CLKIN_DIVIDE_STATIC_SEL",
                  "clkinRadioDivideDynamic",
                  "clkinRadioDivideStatic",
                  "clkinSpinDivideDyn",
                  "clkinSpinDivideStatic",
                  "9",
                  "5"};
    const L odiv{"CLKOUT_DIVIDER",
                 "clkoutRadioDivideDyn",
                 "clkoutRadioDivideStatic",
                 "clkoutComBoxDivideDyn",
                 "clkoutComBoxDivideStatic",
                 "64",
                 "16"};
    QTest::newRow("CLKIN dynamic") << clkin << true;
    QTest::newRow("CLKFB static") << L{"CLKFB_DIVIDE_STATIC_SEL",
                                       "clkfbRadioDivideDynamic",
                                       "clkfbRadioDivideStatic",
                                       "clkfbSpinDivideDyn",
                                       "clkfbSpinDivideStatic",
                                       "12",
                                       "3"}
                                  << false;
    QTest::newRow("ODIV dynamic") << odiv << true;
    QTest::newRow("ODIV static") << odiv << false;
}

void tst_Config::selectorUnderOneKey()
{
    QFETCH(L, names);
    QFETCH(bool, dynamic);
    const int pick = dynamic ? 0 : 1;
    auto dialog = newDialog();
    driveDialog(dialog.get(), {"radioModeAdvanced=true", names[3] + '=' + names[5], names[4] + '=' + names[6],
                               names[1 + pick] + "=true"});
    const QString value = names[5 + pick];
    QCOMPARE(dialog->getProperty().value(names[0]).toString(), value);
    const QString path = saveAs(*dialog, "pll");
    QCOMPARE(fileGroup(path).value(names[0]).toString(), value);

    ModalWatcher watcher;
    auto loaded = newDialog();
    const QString untouched = observed(*loaded, names[4 - pick]);
    QVERIFY(loaded->loadIPConfig(path));
    QVERIFY(watcher.boxes.isEmpty());
    const QString wrong = mismatch(*loaded, {names[1 + pick] + "=true", names[3 + pick] + '=' + value,
                                             names[4 - pick] + '=' + untouched});
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
}

// "KEY=value" lines of the file, steps taken before loading, and what the form then shows.
void tst_Config::loadedValues_data()
{
    QTest::addColumn<L>("config");
    QTest::addColumn<L>("before");
    QTest::addColumn<L>("expected");
    const L g{"MODE_GENERAL=true", "DYNAMIC=true"};
    const L steps{"clkoutComBoxDelayStep=2", "clkoutpComBoxDelayStep=2"};
    QTest::newRow("CLKIN above the device clamps") << g + L{"CLKIN_FREQ=100000"} << L{} << L{"clkinSpinFrequency=450"};
    QTest::newRow("CLKIN nan") << g + L{"CLKIN_FREQ=nan"} << L{} << L{"clkinSpinFrequency=3"};
    QTest::newRow("language") << g + L{"LANG=1"} << L{} << L{"@language=1"};
    QTest::newRow("phase index 4 is 90 degrees")
            << g + L{"DYNAMIC=false", "CLKOUTP=true", "CLKOUTP_PHASE=4", "CLKOUTP_DUTY_CYCLE=6"} << L{}
            << L{"clkoutpComBoxPhase=90", "clkoutpComBoxDutyCycle=0.500"};
    QTest::newRow("index beyond the items") << g + L{"CLKFB_SOURCE=5"} << L{} << L{"clkfbComBoxSource="};
    QTest::newRow("the file spells it CKLOUTD3") << g + L{"CLKOUTD3=true"} << L{} << L{"clkoutd3CheckEnable=false"};
    QTest::newRow("absent DYNAMIC means static") << L{"MODE_GENERAL=true"} << L{} << L{"radioPhaseDutyStatic=true"};
    QTest::newRow("dynamic adjustment resets the delay steps")
            << g + L{"CLKOUTP=true"} << steps << L{"clkoutComBoxDelayStep=0", "clkoutpComBoxDelayStep=0"};
    QTest::newRow("static adjustment leaves them") << g + L{"CLKOUTP=true", "DYNAMIC=false"} << steps
                                                   << L{"clkoutComBoxDelayStep=2", "clkoutpComBoxDelayStep=2"};
    QTest::newRow("General Mode file leaves the static ODIV list with no item")
            << g << L{} << L{"clkoutComBoxDivideStatic=", "clkoutComBoxDivideDyn=2"};
    QTest::newRow("CLKOUTD_BYPASS read after CLKOUTD overrides its rule")
            << g + L{"CLKOUT_BYPASS=true", "CLKOUTD=true", "CLKOUTD_BYPASS=false"} << L{}
            << L{"clkoutdCheckBypass=false"};
    QTest::newRow("ODIV in a General Mode file goes to the static list")
            << g + L{"CLKOUT_DIVIDER=16"} << L{} << L{"clkoutComBoxDivideStatic=16", "clkoutComBoxDivideDyn=2"};
}

void tst_Config::loadedValues()
{
    QFETCH(L, config);
    QFETCH(L, before);
    QFETCH(L, expected);
    QVariantMap map;
    for (const QString &line : config)
        map.insert(line.section('=', 0, 0), line.section('=', 1));
    const QString path = m_dir->filePath("pll.ipc");
    IPCore::writeIPConfig(path, {{"version", "1.0"}}, map);

    ModalWatcher watcher;
    auto dialog = newDialog();
    driveDialog(dialog.get(), before);
    QVERIFY(dialog->loadIPConfig(path));
    QVERIFY(watcher.boxes.isEmpty());
    const QString wrong = mismatch(*dialog, expected);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
}

// A first map, then a second; an empty line means the second is accepted, otherwise it is refused with
// that one line and what came before the refusal stays applied.
void tst_Config::setPropertyOutcomes_data()
{
    QTest::addColumn<Options>("first");
    QTest::addColumn<Options>("options");
    QTest::addColumn<QString>("line"); // "'value' 'KEY'"
    QTest::addColumn<L>("expected");
    const Options none, my{{"module", "my_pll"}};
    QTest::newRow("frame fields") << none << Options{{"LANG", 1}, {"module", "top"}, {"file", "pll_a"}} << ""
                                  << L{"@language=1", "@moduleName=top", "@fileName=pll_a", "@createPath=$DIR/pll_a"};
    QTest::newRow("not creating") << none << Options{{"file", "pll_a"}, {"ip_creat_mode", false}} << ""
                                  << L{"@fileName=pll_a", "@createPath=$DIR"};
    QTest::newRow("mode kept without MODE_GENERAL")
            << Options{{"MODE_GENERAL", "false"}} << none << "" << L{"radioModeAdvanced=true"};
    QTest::newRow("absent DYNAMIC back to dynamic")
            << Options{{"DYNAMIC", "false"}} << none << "" << L{"radioPhaseDutyDynamic=true"};
    QTest::newRow("switch given as a bool")
            << none << Options{{"CLKOUT_DIVIDE_DYN", false}} << "" << L{"clkoutRadioDivideStatic=true"};
    QTest::newRow("the options spell it CLKOUTD3")
            << none << Options{{"CKLOUTD3", true}} << "" << L{"clkoutd3CheckEnable=false"};
    QTest::newRow("bypassed CLKOUT bypasses CLKOUTD")
            << none << Options{{"CLKOUT_BYPASS", true}, {"CLKOUTD", "true"}, {"CLKOUTD_BYPASS", false}} << ""
            << L{"clkoutdCheckBypass=true"};
    QTest::newRow("MODE_GENERAL in capitals ends it")
            << none
            << Options{{"module", "my_pll"}, {"MODE_GENERAL", "TRUE"}, {"DYNAMIC", "false"}, {"RESET_PLL", true}}
            << "'TRUE' 'MODE_GENERAL'" << L{"radioPhaseDutyDynamic=true", "checkPllReset=false", "@moduleName=my_pll"};
    QTest::newRow("switch after its set step")
            << none << Options{{"module", "my_pll"}, {"CLKFB_DIVIDE_DYNAMIC", "yes"}, {"LOCK_EN", true}}
            << "'yes' 'CLKFB_DIVIDE_DYNAMIC'" << L{"checkLockEn=false"};
    QTest::newRow("earlier options stay applied")
            << none << Options{{"module", "my_pll"}, {"RESET_PLL", true}, {"CLKIN_FREQ", "1000"}, {"CLKOUTP", true}}
            << "'1000' 'CLKIN_FREQ'" << L{"checkPllReset=true", "clkoutpCheckEnable=false"};
    QTest::newRow("CLKOUTD divider in Advanced Mode")
            << none << Options{{"MODE_GENERAL", "false"}, {"CLKOUTD_DIVIDE", 8}} << "" << L{"clkoutdSpinDivider=8"};
    QTest::newRow("CLKOUT_FREQ refused before CLKOUT_DIVIDER")
            << none << Options{{"module", "my_pll"}, {"CLKOUT_DIVIDER", "3"}, {"CLKOUT_FREQ", "1"}}
            << "'1' 'CLKOUT_FREQ'" << L{};
    QTest::newRow("percent signs in the value")
            << none << Options{{"module", "my_pll"}, {"MODE_GENERAL", "%2%3"}} << "'%2%3' 'MODE_GENERAL'" << L{};
}

void tst_Config::setPropertyOutcomes()
{
    QFETCH(Options, first);
    QFETCH(Options, options);
    QFETCH(QString, line);
    QFETCH(L, expected);
    auto dialog = newDialog();
    QVERIFY(apply(*dialog, first));
    L messages;
    QCOMPARE(apply(*dialog, options, &messages), line.isEmpty());
    // The host's lines go on to name the legal values.
    const QString start = "ERROR: Value " + line.replace("' '", "' is out of the range for configuration option '")
                          + " for IP 'my_pll'.";
    QVERIFY2(line.isEmpty() ? messages.isEmpty() : messages.size() == 1 && messages[0].startsWith(start),
             qPrintable(messages.join('\n')));
    // A creation path names a folder inside the output directory given to setCreating.
    const QString wrong = mismatch(*dialog, expected.replaceInStrings("$DIR", m_dir->path()));
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
}

// Options a script could get wrong, each tried as its own map with a module name.
void tst_Config::badInputCorpus_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("value");
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const QString huge(200000, 'x'), hugeNumber(5000, '9');
    const QVariant list = L{"true", "false"}, numbers = QVariantList{100, 200};
    const QList<QPair<const char *, QVariantList>> corpus = {
            {"MODE_GENERAL", {"TRUE", "False", 1, "0", "yes", "", " true", nan, list, huge}},
            {"DYNAMIC", {"TRUE", 0, "1", "", "static"}},
            {"CLKIN_DIVIDE_DYN", {"FALSE", 1, 1.0}},
            {"CLKFB_DIVIDE_DYNAMIC", {"True", "on", ""}},
            {"CLKOUT_DIVIDE_DYN", {"TRUE", 0, "Dynamic"}},
            {"CLKOUTD_SOURCE_CLKOUT", {"FALSE", "CLKOUTP", 1}},
            {"CLKOUTD3_SOURCE_CLKOUT", {"TRUE", "", inf}},
            {"RESET_PLL", {"TRUE", 1, "1"}},
            {"PLL_PWD", {"on", "", 0.0}},
            {"PLL_REGULATOR", {"False", "enabled"}},
            {"LOCK_EN", {"TRUE", 1, "true\n"}},
            {"CLKOUT_BYPASS", {"Yes", -1}},
            {"CLKOUTP", {"TRUE", "1"}},
            {"CLKOUTP_BYPASS", {"false ", 2}},
            {"CLKOUTD", {"True", ""}},
            {"CLKOUTD_BYPASS", {"TRUE"}},
            {"CLKOUTD3", {"TRUE", 1, huge}},
            {"CLKIN_FREQ",
             {"nan", nan, "inf", inf, -inf, "", "100MHz", "1e400", "1000", 2.999, -100, hugeNumber, true, "100,000",
              " 100"}},
            {"CLKOUT_FREQ", {"NaN", 1e10, "-inf", "3.1", "400.0.0", "", numbers}},
            {"CLKOUTD_FREQ", {"0.01", "Infinity", nan, "1e309", "one"}},
            {"CLKIN_DIVIDE_STATIC_SEL", {"0", 65, "8.5", 8.5, "", "eight", "99999999999999999999", -3, "8 ", nan}},
            {"CLKFB_DIVIDE_STATIC_SEL", {"0x10", 1e3, true, "64.0001", inf}},
            {"CLKFB_SOURCE", {"internal", "0", 1, "", "Internal "}},
            {"CLKOUT_TOLERANCE", {"0", "0.00", "5", 0.5}},
            {"CLKOUTD_TOLERANCE", {"2", "2.0%"}},
            {"CLKOUT_DIVIDER", {"3", "256", 16, "016", ""}},
            {"CLKOUTP_PHASE", {"90.0", "360", 4, "45.0"}},
            {"CLKOUTP_DUTY_CYCLE", {"0.5", "8", 6, "0.1875", huge}},
    };
    for (const auto &entry : corpus)
        for (int i = 0; i < entry.second.size(); ++i)
            QTest::addRow("%s #%d", entry.first, i) << QString::fromLatin1(entry.first) << entry.second[i];
}

void tst_Config::badInputCorpus()
{
    QFETCH(QString, key);
    QFETCH(QVariant, value);
    auto reference = newDialog();
    auto dialog = newDialog();
    L lines;
    QVERIFY(!apply(*dialog, {{"module", "corpus_pll"}, {key, value}}, &lines));
    QVERIFY(!lines.isEmpty());
    QVERIFY2(lines.last().contains(QStringLiteral("option '%1' for IP 'corpus_pll'").arg(key)),
             qPrintable(lines.last().left(200)));
    // Nothing was put into the form: no clamped number, no partial switch.
    QCOMPARE(dialog->getProperty(), reference->getProperty());
}

// Random reachable configurations, written and read back, must report the same
// settings for every key the file carries, and write the same file again.
void tst_Config::roundTripProperty()
{
    QRandomGenerator rng(20240615);
    const QList<DEV::DeviceInfo> &devices = DEV::DeviceTable::devices();
    ModalWatcher watcher;
    for (int round = 0; round < 120; ++round) {
        auto original = newDialog(devices.at(int(rng.bounded(devices.size()))).arg());
        Options options{{"LANG", int(rng.bounded(2))}, {"module", QStringLiteral("pll_%1").arg(round)}};
        for (const Config::Entry *entry : Config::batchOrder()) {
            if (!entry->reported() || rng.bounded(10) < 3)
                continue;
            const QString key = QString::fromLatin1(entry->key);
            if (entry->kind == Config::Kind::Switch || entry->kind == Config::Kind::Check) {
                const bool on = rng.bounded(2);
                options.insert(key, rng.bounded(2) ? QVariant(on) : QVariant(on ? "true" : "false"));
            } else if (entry->kind == Config::Kind::Real) {
                auto *spin = original->findChild<QDoubleSpinBox *>(entry->control);
                const double low = spin->minimum(), high = qMin(spin->maximum(), low + 1000.0);
                const double number = low + rng.generateDouble() * (high - low);
                options.insert(key, rng.bounded(2) ? QVariant(number) : QVariant(QString::number(number, 'f', 3)));
            } else if (auto *spin = original->findChild<QSpinBox *>(entry->control)) {
                options.insert(key, int(rng.bounded(spin->minimum(), spin->maximum() + 1)));
            } else if (auto *combo = original->findChild<QComboBox *>(entry->control)) {
                options.insert(key, combo->itemText(int(rng.bounded(combo->count()))));
            }
        }
        // A divided output takes CLKOUTP as its source only while CLKOUTP is on.
        if (!options.value("CLKOUTP").toBool())
            options.remove("CLKOUTD_SOURCE_CLKOUT"), options.remove("CLKOUTD3_SOURCE_CLKOUT");
        L lines;
        QVERIFY2(apply(*original, options, &lines), qPrintable(lines.join('\n')));
        // The batch options cannot reach the CLKOUTD divider; set it as a user would.
        driveDialog(original.get(), {QStringLiteral("clkoutdSpinDivider=%1").arg(rng.bounded(2, 129))});

        const QString name = QStringLiteral("round_%1").arg(round);
        const QString path = saveAs(*original, name);
        const QVariantMap written = fileGroup(path);
        auto loaded = std::make_unique<Mirel_Dialog>(QVariantMap{{"ipcore.id", "MIREL"}}, nullptr);
        QVERIFY(loaded->setOpening(path, QString()));
        const QVariantMap before = original->getProperty(), after = loaded->getProperty();
        QCOMPARE(after.size(), 28);
        // A key the batch options do not report is compared on its control.
        const auto value = [](Mirel_Dialog &d, const QVariantMap &reported, const Config::Entry *e) {
            return e->reported() ? reported.value(QString::fromLatin1(e->key)).toString()
                                 : observed(d, e->control ? e->control : "@language");
        };
        for (const QString &fileKey : written.keys()) {
            const Config::Entry *entry = Config::findByFileKey(fileKey);
            QVERIFY2(entry, qPrintable(fileKey));
            const QString was = value(*original, before, entry), is = value(*loaded, after, entry);
            QVERIFY2(was == is,
                     qPrintable(QStringLiteral("round %1, %2: saved %3, loaded %4").arg(round).arg(fileKey, was, is)));
        }
        QVERIFY2(fileGroup(saveAs(*loaded, name + "_again")) == written, qPrintable(QString::number(round)));
    }
    QVERIFY(watcher.boxes.isEmpty());
}

QTEST_MAIN(tst_Config)
#include "tst_config.moc"
