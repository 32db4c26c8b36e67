// SPDX-License-Identifier: MIT
// The .ipc file written and read by the dialog, and the batch option and settings maps.
#include "dialogdriver.h"
#include "mireldialog.h"
#include "modalwatcher.h"

#include <configkeys.h>
#include <devicetable.h>
#include <ipconfigwriter.h>
#include <pllmodel.h>
#include <refusal.h>

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
    void written_data();
    void written();
    void tableMatchesTheForm_data();
    void tableMatchesTheForm();
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

// The "name=value" pairs for the names in `expected` as the dialog shows them now: "@language",
// "@createPath", "@fileName", "@moduleName" read the frame, other names a control.
QString shown(Mirel_Dialog &d, const QString &expected)
{
    const QMap<QString, QString> frame{{"@language", QString::number(d.uiLanguageIndex())},
                                       {"@createPath", d.createPath()},
                                       {"@fileName", d.fileName()},
                                       {"@moduleName", d.moduleName()}};
    QStringList pairs;
    for (const QString &e : expected.split(' ', Qt::SkipEmptyParts)) {
        const QString name = e.section('=', 0, 0);
        pairs << name + '=' + frame.value(name, controlState(&d, name));
    }
    return pairs.join(' ');
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

// Options applied, then steps taken in the form: the keys written beyond the fourteen every file
// carries, and values read back, "key=value" from the file or "property:KEY=value" from getProperty.
void tst_Config::written_data()
{
    QTest::addColumn<Options>("options");
    QTest::addColumn<QString>("extraKeys");
    QTest::addColumn<QString>("values");
    QTest::addColumn<QString>("steps");
    const auto row = [](const char *name, const Options &options, const QString &extraKeys, const char *values = "",
                        const QString &steps = {}) {
        QTest::newRow(name) << options << extraKeys << QString(values) << steps;
    };
    const QString advanced = "CLKIN_DIVIDE_DYN CLKIN_DIVIDE_STATIC_SEL CLKFB_DIVIDE_DYNAMIC CLKFB_DIVIDE_STATIC_SEL "
                             "CLKOUT_DIVIDER";
    const QString clkout = "CLKOUT_FREQ CLKOUT_TOLERANCE", clkoutd = " CLKOUTD_BYPASS CLKOUTD_SOURCE_CLKOUT";
    row("initial state: 16 keys", {}, clkout);
    row("smallest file: 14 keys", {{"CLKOUT_BYPASS", true}}, "");
    row("general, CLKOUTD live", {{"CLKOUTD", true}}, clkout + clkoutd + " CLKOUTD_FREQ CLKOUTD_TOLERANCE");
    row("advanced, CLKOUTD live", {{"MODE_GENERAL", "false"}, {"CLKOUTD", true}},
        advanced + clkoutd + " CLKOUTD_DIVIDE");
    row("CLKOUTP, static adjustment", {{"CLKOUT_BYPASS", true}, {"CLKOUTP", true}, {"DYNAMIC", "false"}},
        "CLKOUTP_BYPASS CLKOUTP_PHASE CLKOUTP_DUTY_CYCLE");
    // Information outside any group; combo settings as item indexes, numbers as decimal text.
    row("values", {{"module", "top_pll"}, {"LANG", 1}, {"CLKFB_SOURCE", "External"}, {"CLKOUTD3", true}},
        clkout + " CLKOUTD3_SOURCE_CLKOUT",
        "type=MIREL version=1.0 file=pll module=top_pll Config/LANG=1 Config/CLKFB_SOURCE=1 Config/CLKOUT_TOLERANCE=0 "
        "Config/CLKOUT_FREQ=100 Config/CLKIN_FREQ=100 Config/MODE_GENERAL=true Config/CKLOUTD3=true");
    // A key held by one of two controls takes its value from the one its switch picks.
    const QString dividers
            = "radioModeAdvanced=true clkinSpinDivideDyn=9 clkinSpinDivideStatic=5 clkfbSpinDivideDyn=12 "
              "clkfbSpinDivideStatic=3 clkoutComBoxDivideDyn=64 clkoutComBoxDivideStatic=16 ";
    row("dynamic dividers picked", {}, advanced,
        "Config/CLKIN_DIVIDE_STATIC_SEL=9 Config/CLKFB_DIVIDE_STATIC_SEL=12 Config/CLKOUT_DIVIDER=64 "
        "property:CLKIN_DIVIDE_STATIC_SEL=9 property:CLKFB_DIVIDE_STATIC_SEL=12 property:CLKOUT_DIVIDER=64",
        dividers + "clkinRadioDivideDynamic=true clkfbRadioDivideDynamic=true clkoutRadioDivideDyn=true");
    row("static dividers picked", {}, advanced,
        "Config/CLKIN_DIVIDE_STATIC_SEL=5 Config/CLKFB_DIVIDE_STATIC_SEL=3 Config/CLKOUT_DIVIDER=16 "
        "property:CLKIN_DIVIDE_STATIC_SEL=5 property:CLKFB_DIVIDE_STATIC_SEL=3 property:CLKOUT_DIVIDER=16",
        dividers + "clkinRadioDivideStatic=true clkfbRadioDivideStatic=true clkoutRadioDivideStatic=true");
}

void tst_Config::written()
{
    QFETCH(Options, options);
    QFETCH(QString, extraKeys);
    QFETCH(QString, values);
    QFETCH(QString, steps);
    auto dialog = newDialog();
    QVERIFY(apply(*dialog, options));
    const QString error = driveDialog(dialog.get(), steps.split(' ', Qt::SkipEmptyParts));
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const QString path = saveAs(*dialog, "pll");
    L keys = QString("LANG MODE_GENERAL DYNAMIC RESET_PLL PLL_PWD PLL_REGULATOR CLKIN_FREQ CLKFB_SOURCE LOCK_EN "
                     "CLKOUT_BYPASS CLKOUT_DIVIDE_DYN CLKOUTP CLKOUTD CKLOUTD3 "
                     + extraKeys)
                     .split(' ', Qt::SkipEmptyParts);
    keys.sort();
    QCOMPARE(fileGroup(path).keys(), keys);
    QSettings file(path, QSettings::IniFormat);
    QCOMPARE(file.value("target_device").toString(), DEV::DeviceTable::defaultDevice().arg().id());
    const QVariantMap property = dialog->getProperty();
    for (const QString &e : values.split(' ', Qt::SkipEmptyParts)) {
        const QString key = e.section('=', 0, 0);
        const QVariant got = key.startsWith("property:") ? property.value(key.section(':', 1)) : file.value(key);
        QCOMPARE(got.toString(), e.section('=', 1));
    }
}

// Every control the key table names is on the form, of the kind its key has, with the range, items
// (the one list of ODIV values, duty cycles, phases) and start state the table reports; an option
// left out of the map puts the form back where it starts. One row per key.
void tst_Config::tableMatchesTheForm_data()
{
    QTest::addColumn<QString>("fileKey");
    for (const Config::Entry &entry : Config::entries())
        QTest::newRow(entry.fileKey) << QString(entry.fileKey);
}

void tst_Config::tableMatchesTheForm()
{
    QFETCH(QString, fileKey);
    const Config::Entry &entry = *Config::findByFileKey(fileKey);
    const auto text = [](const QVariant &value) { // numbers compared as numbers: "100.000" is "100"
        bool number = false;
        const double d = value.toString().toDouble(&number);
        return number ? QString::number(d) : value.toString();
    };
    Mirel_Dialog built(QVariantMap(), nullptr); // ranges as built, before any device
    for (const char *name : {entry.control, entry.partner, entry.alternative}) {
        if (!name)
            continue;
        QWidget *w = built.findChild<QWidget *>(name);
        const auto *combo = qobject_cast<QComboBox *>(w);
        const bool real = qobject_cast<QDoubleSpinBox *>(w), whole = qobject_cast<QSpinBox *>(w);
        const bool fits = entry.kind == Config::Kind::Real    ? real
                          : entry.kind == Config::Kind::Whole ? whole
                          : entry.kind == Config::Kind::ItemIndex || entry.kind == Config::Kind::ItemText
                                  ? bool(combo)
                                  : bool(qobject_cast<QAbstractButton *>(w));
        QVERIFY2(fits, name);
        QStringList items;
        for (int i = 0; combo && i < combo->count(); ++i)
            items << combo->itemText(i);
        QCOMPARE(items, entry.items);
        if (real || whole) {
            QCOMPARE(w->property("minimum").toDouble(), entry.minimum);
            QCOMPARE(w->property("maximum").toDouble(), entry.maximum);
        }
        if (name == entry.control)
            QCOMPARE(text(controlState(&built, name)), text(entry.formDefault));
    }
    // The settings value starts where the form does, and the file carries what the form holds.
    QCOMPARE(Config::fileValue(entry, ModMirel::PllSettings()).toString(),
             entry.kind == Config::Kind::Language ? QString("0")
                                                  : Config::fileValue(entry, built.settings()).toString());
    if (entry.batchDefault.isNull())
        return;
    auto dialog = newDialog();
    QCOMPARE(text(dialog->getProperty().value(entry.key)), text(entry.batchDefault));
}

// "KEY=value" lines of the file, steps taken before loading, and what the form then shows.
void tst_Config::loadedValues_data()
{
    QTest::addColumn<QString>("config");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("refused"); // the key batch use refuses, or empty: it accepts the file
    const auto row = [](const char *name, const QString &config, const QString &expected, const QString &before = {},
                        const QString &refused = {}) {
        QTest::newRow(name) << config << before << expected << refused;
    };
    const QString g = "MODE_GENERAL=true DYNAMIC=true ";
    const QString steps = "clkoutComBoxDelayStep=2 clkoutpComBoxDelayStep=2";
    row("CLKIN above the device clamps", g + "CLKIN_FREQ=100000", "clkinSpinFrequency=450");
    row("CLKIN nan", g + "CLKIN_FREQ=nan", "clkinSpinFrequency=3");
    row("phase index 4 is 90 degrees", g + "DYNAMIC=false CLKOUTP=true CLKOUTP_PHASE=4 CLKOUTP_DUTY_CYCLE=6",
        "clkoutpComBoxPhase=90 clkoutpComBoxDutyCycle=0.500");
    row("index beyond the items", g + "CLKFB_SOURCE=5", "clkfbComBoxSource=");
    row("the file spells it CKLOUTD3", g + "CLKOUTD3=true", "clkoutd3CheckEnable=false");
    row("absent DYNAMIC means static", "MODE_GENERAL=true", "radioPhaseDutyStatic=true");
    row("dynamic adjustment resets the delay steps", g + "CLKOUTP=true",
        "clkoutComBoxDelayStep=0 clkoutpComBoxDelayStep=0", steps);
    row("static adjustment leaves them", g + "CLKOUTP=true DYNAMIC=false", steps, steps);
    row("General Mode file leaves the static ODIV list with no item", g,
        "clkoutComBoxDivideStatic= clkoutComBoxDivideDyn=2");
    row("CLKOUTD_BYPASS read after CLKOUTD overrides its rule",
        g + "CLKOUT_BYPASS=true CLKOUTD=true CLKOUTD_BYPASS=false", "clkoutdCheckBypass=false", {},
        "CLKOUTD_SOURCE_CLKOUT");
    row("ODIV in a General Mode file goes to the static list", g + "CLKOUT_DIVIDER=16",
        "clkoutComBoxDivideStatic=16 clkoutComBoxDivideDyn=2");
    // A key held by one of two controls goes to the one its switch picks; the other keeps what it held.
    const QString dividers
            = "MODE_GENERAL=false CLKIN_DIVIDE_STATIC_SEL=9 CLKFB_DIVIDE_STATIC_SEL=12 CLKOUT_DIVIDER=64 ";
    const QString statics = "clkinSpinDivideStatic=5 clkfbSpinDivideStatic=3 clkoutComBoxDivideStatic=16";
    const QString dynamics = "clkinSpinDivideDyn=5 clkfbSpinDivideDyn=3 clkoutComBoxDivideDyn=16";
    row("dynamic dividers", dividers + "CLKIN_DIVIDE_DYN=true CLKFB_DIVIDE_DYNAMIC=true CLKOUT_DIVIDE_DYN=true",
        "clkinRadioDivideDynamic=true clkfbRadioDivideDynamic=true clkoutRadioDivideDyn=true clkinSpinDivideDyn=9 "
        "clkfbSpinDivideDyn=12 clkoutComBoxDivideDyn=64 clkinSpinDivideStatic=5 clkfbSpinDivideStatic=3 "
        "clkoutComBoxDivideStatic=16",
        statics);
    row("static dividers", dividers + "CLKIN_DIVIDE_DYN=false CLKFB_DIVIDE_DYNAMIC=false CLKOUT_DIVIDE_DYN=false",
        "clkinRadioDivideStatic=true clkfbRadioDivideStatic=true clkoutRadioDivideStatic=true clkinSpinDivideStatic=9 "
        "clkfbSpinDivideStatic=12 clkoutComBoxDivideStatic=64 clkinSpinDivideDyn=5 clkfbSpinDivideDyn=3 "
        "clkoutComBoxDivideDyn=16",
        dynamics);
    // A divided output that takes CLKOUTP while CLKOUTP is off falls back to CLKOUT; a script is told.
    const QString d = "CLKOUTD=true CLKOUTD_SOURCE_CLKOUT=false ", d3 = "CKLOUTD3=true CLKOUTD3_SOURCE_CLKOUT=false ";
    row("CLKOUTD from a disabled CLKOUTP", g + d, "clkoutdRadioSrcClkout=true", {}, "CLKOUTD_SOURCE_CLKOUT");
    row("CLKOUTD3 from a disabled CLKOUTP", g + d3, "clkoutd3RadioSrcClkout=true", {}, "CLKOUTD3_SOURCE_CLKOUT");
    row("both from a disabled CLKOUTP", g + d + d3, "clkoutdRadioSrcClkout=true clkoutd3RadioSrcClkout=true", {},
        "CLKOUTD_SOURCE_CLKOUT");
    row("CLKOUTD from an enabled CLKOUTP", g + d + "CLKOUTP=true", "clkoutdRadioSrcClkoutp=true");
    row("CLKOUTD3 from an enabled CLKOUTP", g + d3 + "CLKOUTP=true", "clkoutd3RadioSrcClkoutp=true");
    row("a disabled CLKOUTD keeps its source", g, "clkoutdRadioSrcClkoutp=true",
        "clkoutpCheckEnable=true clkoutdCheckEnable=true clkoutdRadioSrcClkoutp=true clkoutdCheckEnable=false");
}

void tst_Config::loadedValues()
{
    QFETCH(QString, config);
    QFETCH(QString, before);
    QFETCH(QString, expected);
    QFETCH(QString, refused);
    QVariantMap map;
    for (const QString &line : config.split(' ', Qt::SkipEmptyParts))
        map.insert(line.section('=', 0, 0), line.section('=', 1));
    const QString path = m_dir->filePath("pll.ipc");
    IPCore::writeIPConfig(path, {{"version", "1.0"}}, map);

    ModalWatcher watcher;
    auto dialog = newDialog();
    driveDialog(dialog.get(), before.split(' ', Qt::SkipEmptyParts));
    QVERIFY(dialog->loadIPConfig(path));
    QVERIFY(watcher.boxes.isEmpty());
    QCOMPARE(shown(*dialog, expected), expected);

    auto batch = newDialog();
    driveDialog(batch.get(), before.split(' ', Qt::SkipEmptyParts));
    L lines;
    batch->reportToMessageList(&lines);
    QCOMPARE(batch->loadIPConfig(path), refused.isEmpty());
    QCOMPARE(lines.join('\n'), refused.isEmpty() ? QString() : Config::refusalLine("false", refused, QString()));
}

// A first map, then a second; an empty line means the second is accepted, otherwise it is refused with
// that one line and what came before the refusal stays applied.
void tst_Config::setPropertyOutcomes_data()
{
    QTest::addColumn<Options>("first");
    QTest::addColumn<Options>("options"); // with the module "my_pll" unless it names one
    QTest::addColumn<QString>("line");    // "'value' 'KEY'"
    QTest::addColumn<QString>("expected");
    const auto row = [](const char *name, const Options &options, const char *line, const char *expected,
                        const Options &first = {}) {
        QTest::newRow(name) << first << options << QString(line) << QString(expected);
    };
    row("frame fields", {{"LANG", 1}, {"module", "top"}, {"file", "pll_a"}}, "",
        "@language=1 @moduleName=top @fileName=pll_a @createPath=$DIR/pll_a");
    row("not creating", {{"file", "pll_a"}, {"ip_creat_mode", false}}, "", "@fileName=pll_a @createPath=$DIR");
    row("mode kept without MODE_GENERAL", {}, "", "radioModeAdvanced=true", {{"MODE_GENERAL", "false"}});
    row("absent DYNAMIC back to dynamic", {}, "", "radioPhaseDutyDynamic=true", {{"DYNAMIC", "false"}});
    row("switch given as a bool", {{"CLKOUT_DIVIDE_DYN", false}}, "", "clkoutRadioDivideStatic=true");
    row("the options spell it CLKOUTD3", {{"CKLOUTD3", true}}, "", "clkoutd3CheckEnable=false");
    row("bypassed CLKOUT bypasses CLKOUTD", {{"CLKOUT_BYPASS", true}, {"CLKOUTD", "true"}, {"CLKOUTD_BYPASS", false}},
        "", "clkoutdCheckBypass=true");
    row("MODE_GENERAL in capitals ends it", {{"MODE_GENERAL", "TRUE"}, {"DYNAMIC", "false"}, {"RESET_PLL", true}},
        "'TRUE' 'MODE_GENERAL'", "radioPhaseDutyDynamic=true checkPllReset=false @moduleName=my_pll");
    row("switch after its set step", {{"CLKFB_DIVIDE_DYNAMIC", "yes"}, {"LOCK_EN", true}},
        "'yes' 'CLKFB_DIVIDE_DYNAMIC'", "checkLockEn=false");
    row("earlier options stay applied", {{"RESET_PLL", true}, {"CLKIN_FREQ", "1000"}, {"CLKOUTP", true}},
        "'1000' 'CLKIN_FREQ'", "checkPllReset=true clkoutpCheckEnable=false");
    row("CLKOUT_FREQ refused before CLKOUT_DIVIDER", {{"CLKOUT_DIVIDER", "3"}, {"CLKOUT_FREQ", "1"}},
        "'1' 'CLKOUT_FREQ'", "");
    row("percent signs in the value", {{"MODE_GENERAL", "%2%3"}}, "'%2%3' 'MODE_GENERAL'", "");
    // A divided output may take CLKOUTP as its source only while CLKOUTP is on.
    for (const QString output : {"CLKOUTD", "CLKOUTD3"}) {
        const QString source = output + "_SOURCE_CLKOUT", radio = output.toLower() + "RadioSrcClkout";
        const QByteArray refusal = ("'false' '" + source + "'").toLatin1(), takes = (radio + "p=true").toLatin1();
        QTest::addRow("%s from a disabled CLKOUTP", qPrintable(output))
                << Options() << Options{{output, true}, {source, "false"}} << QString(refusal) << QString();
        QTest::addRow("%s from an enabled CLKOUTP", qPrintable(output))
                << Options() << Options{{output, true}, {source, "false"}, {"CLKOUTP", true}} << QString()
                << QString(takes);
        QTest::addRow("%s off keeps CLKOUTP", qPrintable(output))
                << Options() << Options{{output, false}, {source, "false"}} << QString() << QString(takes);
        QTest::addRow("%s from CLKOUT", qPrintable(output))
                << Options() << Options{{output, true}, {source, "true"}} << QString() << radio + "=true";
    }
}

void tst_Config::setPropertyOutcomes()
{
    QFETCH(Options, first);
    QFETCH(Options, options);
    QFETCH(QString, line);
    QFETCH(QString, expected);
    if (!options.contains("module"))
        options.insert("module", "my_pll");
    auto dialog = newDialog();
    QVERIFY(apply(*dialog, first));
    L messages;
    QCOMPARE(apply(*dialog, options, &messages), line.isEmpty());
    // The host's lines go on to name the legal values.
    const QString start = "ERROR: Value " + line.replace("' '", "' is out of the range for configuration option '")
                          + " for IP 'my_pll'.";
    QVERIFY2(line.isEmpty() ? messages.filter("ERROR").isEmpty() : messages.size() == 1 && messages[0].startsWith(start),
             qPrintable(messages.join('\n')));
    // A creation path names a folder inside the output directory given to setCreating.
    QCOMPARE(shown(*dialog, expected).replace(m_dir->path(), "$DIR"), expected);
}

// Options a script could get wrong, each tried as its own map with a module name.
void tst_Config::badInputCorpus_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("value");
    // The keys take the values in turn, so that every key is tried at least once.
    const auto add = [](const QString &keys, const QVariantList &values) {
        const QStringList names = keys.split(' ');
        for (int i = 0; i < values.size(); ++i)
            QTest::addRow("%s #%d", qPrintable(names[i % names.size()]), i) << names[i % names.size()] << values[i];
    };
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const QString huge(200000, 'x'), hugeNumber(5000, '9');
    // Switches: the plug-in's own "true"/"false" check, or the host's setter on a radio button before it.
    add("MODE_GENERAL", {"False", 1, "", " true", nan, L{"true", "false"}, huge});
    add("DYNAMIC CLKIN_DIVIDE_DYN CLKFB_DIVIDE_DYNAMIC CLKOUT_DIVIDE_DYN CLKOUTD_SOURCE_CLKOUT CLKOUTD3_SOURCE_CLKOUT",
        {"TRUE", 1.0, "on", "Dynamic", "CLKOUTP", inf, 0});
    add("RESET_PLL PLL_PWD PLL_REGULATOR LOCK_EN CLKOUT_BYPASS CLKOUTP CLKOUTP_BYPASS CLKOUTD CLKOUTD_BYPASS CLKOUTD3",
        {"TRUE", 0.0, "enabled", "true\n", -1, "1", "false ", "", "True", huge});
    // Numbers: no number, not finite, outside the control's range, not whole.
    add("CLKIN_FREQ", {"nan", -inf, "", hugeNumber, 2.999, true, "100,000", " 100"});
    add("CLKOUT_FREQ", {1e10, "3.1", "400.0.0", QVariantList{100, 200}});
    add("CLKOUTD_FREQ", {"0.01", "Infinity", nan});
    add("CLKIN_DIVIDE_STATIC_SEL", {"0", 65, "8.5", "eight", "99999999999999999999", "8 ", nan});
    add("CLKFB_DIVIDE_STATIC_SEL", {"0x10", 1e3, true});
    // List items, matched by their exact text: not by number, index or item data.
    add("CLKFB_SOURCE", {"internal", "0", 1, "Internal "});
    add("CLKOUT_TOLERANCE CLKOUTD_TOLERANCE", {"0.00", "2.0%", 0.5});
    add("CLKOUT_DIVIDER", {"3", 16, "016"});
    add("CLKOUTP_PHASE", {"90.0", 4});
    add("CLKOUTP_DUTY_CYCLE", {"0.5", "8", "0.1875"});
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
    QVERIFY2(lines.first().contains(QStringLiteral("option '%1' for IP 'corpus_pll'").arg(key)),
             qPrintable(lines.first().left(200)));
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
                   : e->control  ? controlState(&d, e->control)
                                 : QString::number(d.uiLanguageIndex());
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
