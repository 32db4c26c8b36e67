// SPDX-License-Identifier: MIT
// The key table, the .ipc file written and read by the dialog, and the batch
// option and settings maps.
#include "mireldialog.h"
#include "modalwatcher.h"

#include <configkeys.h>
#include <devicetable.h>
#include <ipconfigwriter.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>
#include <memory>

using ModMirel::Mirel_Dialog;
namespace Config = ModMirel::Config;

using Options = QVariantMap;

class tst_Config : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void tableMatchesForm_data();
    void tableMatchesForm();
    void reportedSettings();

    void writtenKeys_data();
    void writtenKeys();
    void writtenValues();
    void selectorUnderOneKey_data();
    void selectorUnderOneKey();
    void clkoutd3Spelling();

    void refusedFile_data();
    void refusedFile();
    void loadedValues_data();
    void loadedValues();
    void generalFileLeavesStaticOdivEmpty();
    void delayStepsOnLoad_data();
    void delayStepsOnLoad();

    void setPropertyApplies_data();
    void setPropertyApplies();
    void refusalStops_data();
    void refusalStops();
    void badInputCorpus_data();
    void badInputCorpus();

    void roundTripProperty();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

QString str(const char *latin1)
{
    return QString::fromLatin1(latin1);
}

QVariantMap description()
{
    return {{QStringLiteral("ipcore.id"), QStringLiteral("MIREL")},
            {QStringLiteral("ipcore.label"), QStringLiteral("MIREL PLL")},
            {QStringLiteral("ipcore.module"), QStringLiteral("Mirel_PLL")},
            {QStringLiteral("ipcore.target"), QStringLiteral("mirel_pll")}};
}

DEV::DeviceArg defaultDevice()
{
    return DEV::DeviceTable::defaultDevice().arg();
}

std::unique_ptr<Mirel_Dialog> newDialog(const QString &dir, const DEV::DeviceArg &device = defaultDevice(),
                                        const QVariantMap &info = description())
{
    auto dialog = std::make_unique<Mirel_Dialog>(info, nullptr);
    dialog->setCreating(dir, device);
    return dialog;
}

QString saveAs(Mirel_Dialog &dialog, const QString &dir, const QString &name)
{
    dialog.setCreatPath(dir);
    dialog.uiSetFileName(name);
    dialog.saveIPConfig();
    return dir + QLatin1Char('/') + name + QStringLiteral(".ipc");
}

QVariantMap fileGroup(const QString &path, const QString &group)
{
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup(group);
    QVariantMap map;
    const QStringList keys = settings.childKeys();
    for (const QString &key : keys)
        map.insert(key, settings.value(key));
    return map;
}

QVariantMap fileConfig(const QString &path)
{
    return fileGroup(path, QStringLiteral("Config"));
}

void writeText(const QString &path, const QByteArray &text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

// "@language", "@createPath", "@fileName", "@moduleName" read the frame;
// other names a control: buttons give their check state, spin boxes their
// value, combo boxes their current text ("" when none is current).
QVariant observed(Mirel_Dialog &dialog, const QString &name)
{
    if (name == QLatin1String("@language"))
        return dialog.uiLanguageIndex();
    if (name == QLatin1String("@createPath"))
        return dialog.createPath();
    if (name == QLatin1String("@fileName"))
        return dialog.fileName();
    if (name == QLatin1String("@moduleName"))
        return dialog.moduleName();
    QWidget *widget = dialog.findChild<QWidget *>(name);
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return button->isChecked();
    if (auto *spin = qobject_cast<QDoubleSpinBox *>(widget))
        return spin->value();
    if (auto *spin = qobject_cast<QSpinBox *>(widget))
        return spin->value();
    if (auto *combo = qobject_cast<QComboBox *>(widget))
        return combo->currentText();
    return QStringLiteral("<no control %1>").arg(name);
}

// Empty when every expectation holds; "@min" and "@max" stand for a spin box's bounds.
QString mismatch(Mirel_Dialog &dialog, const QVariantMap &expected)
{
    for (auto it = expected.constBegin(); it != expected.constEnd(); ++it) {
        QVariant want = it.value();
        if (auto *spin = dialog.findChild<QDoubleSpinBox *>(it.key())) {
            if (want == QVariant(QStringLiteral("@min")))
                want = spin->minimum();
            else if (want == QVariant(QStringLiteral("@max")))
                want = spin->maximum();
        }
        const QVariant got = observed(dialog, it.key());
        if (got != want)
            return QStringLiteral("%1: got %2, expected %3").arg(it.key(), got.toString(), want.toString());
    }
    return {};
}

void setControl(Mirel_Dialog &dialog, const QString &name, const QVariant &value)
{
    QWidget *widget = dialog.findChild<QWidget *>(name);
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        button->setChecked(value.toBool());
    else if (auto *spin = qobject_cast<QSpinBox *>(widget))
        spin->setValue(value.toInt());
    else if (auto *combo = qobject_cast<QComboBox *>(widget))
        combo->setCurrentText(value.toString());
    else
        qFatal("no control %s", qPrintable(name));
}

bool apply(Mirel_Dialog &dialog, const Options &options, QStringList *lines = nullptr)
{
    QStringList messages;
    const bool accepted = dialog.setProperty(options, messages);
    if (lines)
        *lines = messages;
    else if (!messages.isEmpty())
        qWarning("%s", qPrintable(messages.join(QLatin1Char('\n'))));
    return accepted;
}

const QStringList smallestKeys{"LANG",    "MODE_GENERAL", "DYNAMIC",       "RESET_PLL",         "PLL_PWD",
                               "PLL_REGULATOR", "CLKIN_FREQ", "CLKFB_SOURCE", "LOCK_EN", "CLKOUT_BYPASS",
                               "CLKOUT_DIVIDE_DYN", "CLKOUTP", "CLKOUTD", "CKLOUTD3"};

} // namespace

void tst_Config::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

// The table names controls and legal values; a renamed control or a changed item
// list in the form would otherwise only show as a silently missing key.
void tst_Config::tableMatchesForm_data()
{
    QTest::addColumn<QString>("key");
    for (const Config::Entry &entry : Config::entries())
        QTest::newRow(entry.key) << str(entry.key);
}

void tst_Config::tableMatchesForm()
{
    QFETCH(QString, key);
    const Config::Entry *entry = Config::findByKey(key);
    QVERIFY(entry);
    Mirel_Dialog dialog(description(), nullptr);

    const auto check = [&](const char *name) -> QWidget * {
        if (!name)
            return nullptr;
        QWidget *widget = dialog.findChild<QWidget *>(str(name));
        return widget;
    };
    QWidget *control = check(entry->control);
    switch (entry->kind) {
    case Config::Kind::Language:
        QVERIFY(!entry->control);
        QCOMPARE(QString::number(dialog.uiLanguageIndex()), entry->formDefault);
        return;
    case Config::Kind::Switch:
        QVERIFY(qobject_cast<QRadioButton *>(control));
        QVERIFY(qobject_cast<QRadioButton *>(check(entry->partner)));
        QCOMPARE(control->parentWidget(), check(entry->partner)->parentWidget());
        QCOMPARE(str(qobject_cast<QRadioButton *>(control)->isChecked() ? "true" : "false"), entry->formDefault);
        return;
    case Config::Kind::Check:
        QVERIFY(qobject_cast<QCheckBox *>(control));
        QCOMPARE(str(qobject_cast<QCheckBox *>(control)->isChecked() ? "true" : "false"), entry->formDefault);
        return;
    case Config::Kind::Real: {
        auto *spin = qobject_cast<QDoubleSpinBox *>(control);
        QVERIFY(spin);
        QCOMPARE(spin->minimum(), entry->minimum);
        QCOMPARE(spin->maximum(), entry->maximum);
        QCOMPARE(spin->value(), entry->formDefault.toDouble());
        return;
    }
    case Config::Kind::Whole:
        for (const char *name : {entry->control, entry->alternative}) {
            if (!name)
                continue;
            auto *spin = qobject_cast<QSpinBox *>(check(name));
            QVERIFY2(spin, name);
            QCOMPARE(spin->minimum(), int(entry->minimum));
            QCOMPARE(spin->maximum(), int(entry->maximum));
            QCOMPARE(QString::number(spin->value()), entry->formDefault);
        }
        return;
    case Config::Kind::ItemIndex:
    case Config::Kind::ItemText:
        for (const char *name : {entry->control, entry->alternative}) {
            if (!name)
                continue;
            auto *combo = qobject_cast<QComboBox *>(check(name));
            QVERIFY2(combo, name);
            QStringList items;
            for (int i = 0; i < combo->count(); ++i)
                items << combo->itemText(i);
            QCOMPARE(items, entry->items);
            QCOMPARE(combo->currentText(), entry->formDefault);
        }
        return;
    }
}

void tst_Config::reportedSettings()
{
    Mirel_Dialog dialog(description(), nullptr);
    const QVariantMap settings = dialog.getProperty();
    QStringList expected{"MODE_GENERAL", "DYNAMIC", "RESET_PLL", "PLL_PWD", "PLL_REGULATOR", "CLKIN_FREQ",
                         "CLKIN_DIVIDE_DYN", "CLKIN_DIVIDE_STATIC_SEL", "CLKFB_SOURCE", "CLKFB_DIVIDE_DYNAMIC",
                         "CLKFB_DIVIDE_STATIC_SEL", "LOCK_EN", "CLKOUT_BYPASS", "CLKOUT_FREQ", "CLKOUT_TOLERANCE",
                         "CLKOUT_DIVIDE_DYN", "CLKOUT_DIVIDER", "CLKOUTP", "CLKOUTP_BYPASS", "CLKOUTP_PHASE",
                         "CLKOUTP_DUTY_CYCLE", "CLKOUTD", "CLKOUTD_BYPASS", "CLKOUTD_SOURCE_CLKOUT", "CLKOUTD_FREQ",
                         "CLKOUTD_TOLERANCE", "CLKOUTD3", "CLKOUTD3_SOURCE_CLKOUT"};
    expected.sort();
    QCOMPARE(settings.keys(), expected);
    // Values as the host reads them: item texts, not indexes.
    QCOMPARE(settings.value("CLKOUTP_DUTY_CYCLE"), QVariant(QStringLiteral("0.500")));
    QCOMPARE(settings.value("CLKFB_SOURCE"), QVariant(QStringLiteral("Internal")));
    QCOMPARE(settings.value("CLKOUTD_FREQ"), QVariant(1.0));
    QCOMPARE(settings.value("CLKIN_DIVIDE_STATIC_SEL"), QVariant(1));
    QCOMPARE(settings.value("CLKOUTD3"), QVariant(false));
}

void tst_Config::writtenKeys_data()
{
    QTest::addColumn<Options>("options");
    QTest::addColumn<QStringList>("extraKeys");

    const QStringList advanced{"CLKIN_DIVIDE_DYN", "CLKIN_DIVIDE_STATIC_SEL", "CLKFB_DIVIDE_DYNAMIC",
                               "CLKFB_DIVIDE_STATIC_SEL", "CLKOUT_DIVIDER"};
    const QStringList clkout{"CLKOUT_FREQ", "CLKOUT_TOLERANCE"};

    QTest::newRow("initial state") << Options{} << clkout;
    QTest::newRow("smallest file") << Options{{"CLKOUT_BYPASS", true}} << QStringList{};
    QTest::newRow("advanced mode") << Options{{"MODE_GENERAL", "false"}} << advanced;
    QTest::newRow("general, CLKOUTD live")
        << Options{{"CLKOUTD", true}}
        << clkout + QStringList{"CLKOUTD_BYPASS", "CLKOUTD_SOURCE_CLKOUT", "CLKOUTD_FREQ", "CLKOUTD_TOLERANCE"};
    QTest::newRow("general, CLKOUTD bypassed")
        << Options{{"CLKOUTD", true}, {"CLKOUTD_BYPASS", true}} << clkout + QStringList{"CLKOUTD_BYPASS"};
    QTest::newRow("advanced, CLKOUTD live")
        << Options{{"MODE_GENERAL", "false"}, {"CLKOUTD", true}}
        << advanced + QStringList{"CLKOUTD_BYPASS", "CLKOUTD_SOURCE_CLKOUT", "CLKOUTD_DIVIDE"};
    QTest::newRow("CLKOUTP live, static adjustment")
        << Options{{"CLKOUT_BYPASS", true}, {"CLKOUTP", true}, {"DYNAMIC", "false"}}
        << QStringList{"CLKOUTP_BYPASS", "CLKOUTP_PHASE", "CLKOUTP_DUTY_CYCLE"};
    QTest::newRow("CLKOUTP live, dynamic adjustment")
        << Options{{"CLKOUT_BYPASS", true}, {"CLKOUTP", true}} << QStringList{"CLKOUTP_BYPASS"};
    QTest::newRow("CLKOUTP bypassed")
        << Options{{"CLKOUT_BYPASS", true}, {"CLKOUTP", true}, {"CLKOUTP_BYPASS", true}, {"DYNAMIC", "false"}}
        << QStringList{"CLKOUTP_BYPASS"};
    QTest::newRow("CLKOUTD3 on") << Options{{"CLKOUT_BYPASS", true}, {"CLKOUTD3", true}}
                                 << QStringList{"CLKOUTD3_SOURCE_CLKOUT"};
}

void tst_Config::writtenKeys()
{
    QFETCH(Options, options);
    QFETCH(QStringList, extraKeys);

    auto dialog = newDialog(m_dir->path());
    QVERIFY(apply(*dialog, options));
    const QString path = saveAs(*dialog, m_dir->path(), QStringLiteral("pll"));

    QStringList expected = smallestKeys + extraKeys;
    expected.sort();
    QCOMPARE(fileConfig(path).keys(), expected);
}

void tst_Config::writtenValues()
{
    auto dialog = newDialog(m_dir->path());
    QVERIFY(apply(*dialog, {{"module", "top_pll"}, {"LANG", 1}, {"CLKFB_SOURCE", "External"}, {"CLKOUTD3", true},
                            {"CLKOUTP", "true"}, {"CLKOUTP_BYPASS", true}}));
    const QString path = saveAs(*dialog, m_dir->path(), QStringLiteral("pll_file"));
    QVERIFY(QFileInfo::exists(m_dir->filePath(QStringLiteral("pll_file.ipc"))));

    const QVariantMap info = fileGroup(path, QString());
    QCOMPARE(info.value("target_device"), QVariant(defaultDevice().id()));
    QCOMPARE(info.value("type"), QVariant("MIREL"));
    QCOMPARE(info.value("version"), QVariant("1.0"));
    QCOMPARE(info.value("file"), QVariant("pll_file"));
    QCOMPARE(info.value("module"), QVariant("top_pll"));

    const QVariantMap config = fileConfig(path);
    QCOMPARE(config.value("LANG"), QVariant("1"));
    QCOMPARE(config.value("CLKFB_SOURCE"), QVariant("1"));
    QCOMPARE(config.value("CLKOUT_FREQ"), QVariant("400"));
    QCOMPARE(config.value("CLKOUT_TOLERANCE"), QVariant("0"));
    QCOMPARE(config.value("CLKIN_FREQ"), QVariant("100"));
    QCOMPARE(config.value("MODE_GENERAL"), QVariant("true"));
    QCOMPARE(config.value("CLKOUTP_BYPASS"), QVariant("true"));
    QCOMPARE(config.value("CLKOUTD"), QVariant("false"));

    // A description without an id still writes the key, empty.
    QVariantMap noId = description();
    noId.remove(QStringLiteral("ipcore.id"));
    auto other = newDialog(m_dir->path(), defaultDevice(), noId);
    const QString otherPath = saveAs(*other, m_dir->path(), QStringLiteral("no_id"));
    QCOMPARE(fileGroup(otherPath, QString()).value("type"), QVariant(QString()));
}

void tst_Config::selectorUnderOneKey_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("trueButton");
    QTest::addColumn<QString>("falseButton");
    QTest::addColumn<QString>("trueControl");
    QTest::addColumn<QString>("falseControl");
    QTest::addColumn<QString>("trueValue");
    QTest::addColumn<QString>("falseValue");
    QTest::addColumn<bool>("dynamic");

    for (bool dynamic : {false, true}) {
        const QByteArray mode = dynamic ? " dynamic" : " static";
        QTest::newRow("CLKIN" + mode) << "CLKIN_DIVIDE_STATIC_SEL" << "clkinRadioDivideDynamic"
                                      << "clkinRadioDivideStatic" << "clkinSpinDivideDyn" << "clkinSpinDivideStatic"
                                      << "9" << "5" << dynamic;
        QTest::newRow("CLKFB" + mode) << "CLKFB_DIVIDE_STATIC_SEL" << "clkfbRadioDivideDynamic"
                                      << "clkfbRadioDivideStatic" << "clkfbSpinDivideDyn" << "clkfbSpinDivideStatic"
                                      << "12" << "3" << dynamic;
        QTest::newRow("ODIV" + mode) << "CLKOUT_DIVIDER" << "clkoutRadioDivideDyn" << "clkoutRadioDivideStatic"
                                     << "clkoutComBoxDivideDyn" << "clkoutComBoxDivideStatic" << "64" << "16"
                                     << dynamic;
    }
}

void tst_Config::selectorUnderOneKey()
{
    QFETCH(QString, key);
    QFETCH(QString, trueButton);
    QFETCH(QString, falseButton);
    QFETCH(QString, trueControl);
    QFETCH(QString, falseControl);
    QFETCH(QString, trueValue);
    QFETCH(QString, falseValue);
    QFETCH(bool, dynamic);

    auto dialog = newDialog(m_dir->path());
    setControl(*dialog, QStringLiteral("radioModeAdvanced"), true);
    setControl(*dialog, trueControl, trueValue);
    setControl(*dialog, falseControl, falseValue);
    setControl(*dialog, dynamic ? trueButton : falseButton, true);
    QCOMPARE(dialog->getProperty().value(key).toString(), dynamic ? trueValue : falseValue);

    const QString path = saveAs(*dialog, m_dir->path(), QStringLiteral("pll"));
    QCOMPARE(fileConfig(path).value(key).toString(), dynamic ? trueValue : falseValue);

    ModalWatcher watcher;
    auto loaded = newDialog(m_dir->path());
    const QVariant freshTrue = observed(*loaded, trueControl);
    const QVariant freshFalse = observed(*loaded, falseControl);
    QVERIFY(loaded->loadIPConfig(path));
    QVERIFY(watcher.boxes.isEmpty());
    QCOMPARE(observed(*loaded, dynamic ? trueButton : falseButton), QVariant(true));
    QCOMPARE(observed(*loaded, dynamic ? trueControl : falseControl).toString(), dynamic ? trueValue : falseValue);
    QCOMPARE(observed(*loaded, dynamic ? falseControl : trueControl), dynamic ? freshFalse : freshTrue);
}

void tst_Config::clkoutd3Spelling()
{
    auto dialog = newDialog(m_dir->path());
    QVERIFY(apply(*dialog, {{"CLKOUTD3", true}}));
    QCOMPARE(dialog->getProperty().value("CLKOUTD3"), QVariant(true));
    QVERIFY(!dialog->getProperty().contains("CKLOUTD3"));
    const QString path = saveAs(*dialog, m_dir->path(), QStringLiteral("pll"));
    QCOMPARE(fileConfig(path).value("CKLOUTD3"), QVariant("true"));
    QVERIFY(!fileConfig(path).contains("CLKOUTD3"));

    // Neither list takes the other's spelling.
    auto fromOptions = newDialog(m_dir->path());
    QVERIFY(apply(*fromOptions, {{"CKLOUTD3", true}}));
    QCOMPARE(observed(*fromOptions, "clkoutd3CheckEnable"), QVariant(false));

    const QString misspelt = m_dir->filePath(QStringLiteral("misspelt.ipc"));
    writeText(misspelt, "[General]\nversion=1.0\n[Config]\nMODE_GENERAL=true\nCLKOUTD3=true\n");
    ModalWatcher watcher;
    auto fromFile = newDialog(m_dir->path());
    QVERIFY(fromFile->loadIPConfig(misspelt));
    QCOMPARE(observed(*fromFile, "clkoutd3CheckEnable"), QVariant(false));
}

void tst_Config::refusedFile_data()
{
    QTest::addColumn<QByteArray>("text"); // null: no file at all

    const QByteArray config = "[Config]\nMODE_GENERAL=false\nDYNAMIC=false\nCLKIN_FREQ=200\nRESET_PLL=true\nLANG=1\n";
    QTest::newRow("another number") << "[General]\nversion=2.0\n" + config;
    QTest::newRow("longer number") << "[General]\nversion=1.00\n" + config;
    QTest::newRow("blank after the number") << "[General]\nversion=\"1.0 \"\n" + config;
    QTest::newRow("blank before the number") << "[General]\nversion=\" 1.0\"\n" + config;
    QTest::newRow("two versions") << "[General]\nversion=1.0, 1.0\n" + config;
    QTest::newRow("version absent") << config;
    QTest::newRow("version only in the group") << "[Config]\nversion=1.0\n" + config.mid(9);
    QTest::newRow("empty file") << QByteArray("");
    QTest::newRow("missing file") << QByteArray();
}

void tst_Config::refusedFile()
{
    QFETCH(QByteArray, text);

    const QString path = m_dir->filePath(QStringLiteral("pll.ipc"));
    if (!text.isNull())
        writeText(path, text);

    auto dialog = newDialog(m_dir->path());
    const QVariantMap before = dialog->getProperty();
    ModalWatcher watcher;
    QVERIFY(!dialog->loadIPConfig(path));

    QCOMPARE(watcher.boxes.size(), 1);
    const ModalWatcher::Box &box = watcher.boxes.first();
    QCOMPARE(box.title, QStringLiteral("Error"));
    QCOMPARE(box.text,
             QStringLiteral("This version of specified IP Config file is incompatible with current IP Core Generator."));
    QCOMPARE(box.icon, QMessageBox::NoIcon);
    QVERIFY(box.hasWindowIcon);
    QVERIFY(box.hasIconPixmap);

    QCOMPARE(dialog->getProperty(), before);
    QCOMPARE(dialog->uiLanguageIndex(), 0);
}

void tst_Config::loadedValues_data()
{
    QTest::addColumn<Options>("config");
    QTest::addColumn<QVariantMap>("expected");

    const QVariantMap general{{"MODE_GENERAL", "true"}, {"DYNAMIC", "true"}};
    auto with = [](QVariantMap base, const QVariantMap &more) {
        for (auto it = more.constBegin(); it != more.constEnd(); ++it)
            base.insert(it.key(), it.value());
        return base;
    };

    QTest::newRow("CLKIN above the device limit")
        << with(general, {{"CLKIN_FREQ", "100000"}}) << QVariantMap{{"clkinSpinFrequency", "@max"}};
    QTest::newRow("CLKIN below the device limit")
        << with(general, {{"CLKIN_FREQ", "-5"}}) << QVariantMap{{"clkinSpinFrequency", "@min"}};
    QTest::newRow("CLKIN not a number")
        << with(general, {{"CLKIN_FREQ", "fast"}}) << QVariantMap{{"clkinSpinFrequency", "@min"}};
    QTest::newRow("CLKIN nan") << with(general, {{"CLKIN_FREQ", "nan"}})
                               << QVariantMap{{"clkinSpinFrequency", "@min"}};
    QTest::newRow("CLKIN exact") << with(general, {{"CLKIN_FREQ", "123.456"}})
                                 << QVariantMap{{"clkinSpinFrequency", 123.456}};
    QTest::newRow("language") << with(general, {{"LANG", "1"}}) << QVariantMap{{"@language", 1}};
    QTest::newRow("phase index 4 is 90 degrees")
        << with(general, {{"DYNAMIC", "false"}, {"CLKOUTP", "true"}, {"CLKOUTP_PHASE", "4"},
                          {"CLKOUTP_DUTY_CYCLE", "6"}})
        << QVariantMap{{"clkoutpComBoxPhase", "90"}, {"clkoutpComBoxDutyCycle", "0.500"}};
    QTest::newRow("bypassed CLKOUTP sets no phase")
        << with(general, {{"DYNAMIC", "false"}, {"CLKOUTP", "true"}, {"CLKOUTP_BYPASS", "true"},
                          {"CLKOUTP_PHASE", "4"}, {"CLKOUTP_DUTY_CYCLE", "2"}})
        << QVariantMap{{"clkoutpComBoxPhase", "0.0"}, {"clkoutpComBoxDutyCycle", "0.500"}};
    QTest::newRow("index beyond the items")
        << with(general, {{"CLKFB_SOURCE", "5"}}) << QVariantMap{{"clkfbComBoxSource", ""}};
    QTest::newRow("absent DYNAMIC means static")
        << Options{{"MODE_GENERAL", "true"}} << QVariantMap{{"radioPhaseDutyStatic", true}};
    QTest::newRow("static input divider")
        << Options{{"MODE_GENERAL", "false"}, {"CLKIN_DIVIDE_DYN", "false"}, {"CLKIN_DIVIDE_STATIC_SEL", "7"}}
        << QVariantMap{{"clkinRadioDivideStatic", true}, {"clkinSpinDivideStatic", 7}, {"clkinSpinDivideDyn", 1}};
    QTest::newRow("divider keys ignored in General Mode")
        << with(general, {{"CLKIN_DIVIDE_DYN", "false"}, {"CLKIN_DIVIDE_STATIC_SEL", "7"}})
        << QVariantMap{{"clkinRadioDivideDynamic", true}, {"clkinSpinDivideStatic", 1}, {"clkinSpinDivideDyn", 1}};
    QTest::newRow("ODIV in a General Mode file goes to the static list")
        << with(general, {{"CLKOUT_DIVIDER", "16"}})
        << QVariantMap{{"clkoutComBoxDivideStatic", "16"}, {"clkoutComBoxDivideDyn", "2"}};
    QTest::newRow("unknown ODIV item")
        << Options{{"MODE_GENERAL", "false"}, {"CLKOUT_DIVIDE_DYN", "true"}, {"CLKOUT_DIVIDER", "17"}}
        << QVariantMap{{"clkoutComBoxDivideDyn", ""}};
    // The divider stays in the list the file names even while CLKOUT is bypassed,
    // so that saving again writes what was read.
    QTest::newRow("ODIV of a bypassed CLKOUT in Advanced Mode")
        << Options{{"MODE_GENERAL", "false"}, {"CLKOUT_BYPASS", "true"}, {"CLKOUT_DIVIDE_DYN", "true"},
                   {"CLKOUT_DIVIDER", "48"}}
        << QVariantMap{{"clkoutComBoxDivideDyn", "48"}, {"clkoutComBoxDivideStatic", "2"}};
    QTest::newRow("CLKOUTD divider in Advanced Mode")
        << Options{{"MODE_GENERAL", "false"}, {"CLKOUTD", "true"}, {"CLKOUTD_DIVIDE", "40"},
                   {"CLKOUTD_FREQ", "7"}}
        << QVariantMap{{"clkoutdSpinDivider", 40}, {"clkoutdSpinFrequency", 1.0}};
    QTest::newRow("unknown keys ignored")
        << with(general, {{"NOT_A_KEY", "1"}, {"CLKOUTD3_SOURCE", "false"}}) << QVariantMap{{"radioModeGeneral", true}};
}

void tst_Config::loadedValues()
{
    QFETCH(Options, config);
    QFETCH(QVariantMap, expected);

    const QString path = m_dir->filePath(QStringLiteral("pll.ipc"));
    IPCore::writeIPConfig(path, {{QStringLiteral("version"), QStringLiteral("1.0")}}, config);

    ModalWatcher watcher;
    auto dialog = newDialog(m_dir->path());
    QVERIFY(dialog->loadIPConfig(path));
    QVERIFY(watcher.boxes.isEmpty());
    const QString wrong = mismatch(*dialog, expected);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
}

void tst_Config::generalFileLeavesStaticOdivEmpty()
{
    auto dialog = newDialog(m_dir->path());
    const QString path = saveAs(*dialog, m_dir->path(), QStringLiteral("pll"));
    QVERIFY(!fileConfig(path).contains("CLKOUT_DIVIDER"));

    ModalWatcher watcher;
    auto loaded = std::make_unique<Mirel_Dialog>(description(), nullptr);
    QVERIFY(loaded->setOpening(path, QString()));
    auto *staticList = loaded->findChild<QComboBox *>(QStringLiteral("clkoutComBoxDivideStatic"));
    QCOMPARE(staticList->currentIndex(), -1);
    QCOMPARE(loaded->findChild<QComboBox *>(QStringLiteral("clkoutComBoxDivideDyn"))->currentIndex(), 0);
}

void tst_Config::delayStepsOnLoad_data()
{
    QTest::addColumn<QString>("dynamic");
    QTest::addColumn<int>("expected");
    QTest::newRow("dynamic adjustment resets them") << "true" << 0;
    QTest::newRow("static adjustment leaves them") << "false" << 2;
}

void tst_Config::delayStepsOnLoad()
{
    QFETCH(QString, dynamic);
    QFETCH(int, expected);

    const QString path = m_dir->filePath(QStringLiteral("pll.ipc"));
    IPCore::writeIPConfig(path, {{QStringLiteral("version"), QStringLiteral("1.0")}},
                          {{"MODE_GENERAL", true}, {"DYNAMIC", dynamic}, {"CLKOUTP", true}});
    auto dialog = newDialog(m_dir->path());
    auto *clkoutSteps = dialog->findChild<QComboBox *>(QStringLiteral("clkoutComBoxDelayStep"));
    auto *clkoutpSteps = dialog->findChild<QComboBox *>(QStringLiteral("clkoutpComBoxDelayStep"));
    clkoutSteps->setCurrentIndex(2);
    clkoutpSteps->setCurrentIndex(2);

    ModalWatcher watcher;
    QVERIFY(dialog->loadIPConfig(path));
    QCOMPARE(clkoutSteps->currentIndex(), expected);
    QCOMPARE(clkoutpSteps->currentIndex(), expected);
}

void tst_Config::setPropertyApplies_data()
{
    QTest::addColumn<Options>("first");
    QTest::addColumn<Options>("options");
    QTest::addColumn<QVariantMap>("expected");

    QTest::newRow("empty map") << Options{} << Options{}
                               << QVariantMap{{"@language", 0}, {"@moduleName", ""}, {"@fileName", ""},
                                              {"@createPath", ""}, {"radioModeGeneral", true}};
    QTest::newRow("frame fields") << Options{} << Options{{"LANG", 1}, {"module", "top"}, {"file", "pll_a"}}
                                  << QVariantMap{{"@language", 1}, {"@moduleName", "top"}, {"@fileName", "pll_a"},
                                                 {"@createPath", "pll_a"}};
    QTest::newRow("not creating") << Options{} << Options{{"file", "pll_a"}, {"ip_creat_mode", false}}
                                  << QVariantMap{{"@fileName", "pll_a"}, {"@createPath", ""}};
    QTest::newRow("mode kept without MODE_GENERAL")
        << Options{{"MODE_GENERAL", "false"}} << Options{} << QVariantMap{{"radioModeAdvanced", true}};
    QTest::newRow("absent DYNAMIC back to dynamic")
        << Options{{"DYNAMIC", "false"}} << Options{} << QVariantMap{{"radioPhaseDutyDynamic", true}};
    QTest::newRow("static adjustment") << Options{} << Options{{"DYNAMIC", "false"}}
                                       << QVariantMap{{"radioPhaseDutyStatic", true}};
    QTest::newRow("switch given as a bool") << Options{} << Options{{"CLKOUT_DIVIDE_DYN", false}}
                                            << QVariantMap{{"clkoutRadioDivideStatic", true}};
    QTest::newRow("static input divider")
        << Options{} << Options{{"MODE_GENERAL", "false"}, {"CLKIN_DIVIDE_DYN", "false"}, {"CLKIN_DIVIDE_STATIC_SEL", 8}}
        << QVariantMap{{"clkinRadioDivideStatic", true}, {"clkinSpinDivideStatic", 8}, {"clkinSpinDivideDyn", 1}};
    QTest::newRow("dynamic input divider by default")
        << Options{} << Options{{"CLKIN_DIVIDE_STATIC_SEL", "8"}}
        << QVariantMap{{"clkinSpinDivideDyn", 8}, {"clkinSpinDivideStatic", 1}};
    QTest::newRow("static ODIV list")
        << Options{} << Options{{"CLKOUT_DIVIDE_DYN", "false"}, {"CLKOUT_DIVIDER", "48"}}
        << QVariantMap{{"clkoutComBoxDivideStatic", "48"}, {"clkoutComBoxDivideDyn", "2"}};
    QTest::newRow("bypassed CLKOUT bypasses CLKOUTD")
        << Options{} << Options{{"CLKOUT_BYPASS", true}, {"CLKOUTD", "true"}, {"CLKOUTD_BYPASS", false}}
        << QVariantMap{{"clkoutdCheckBypass", true}};
    QTest::newRow("misspelt CLKOUTD3 is no option")
        << Options{} << Options{{"CKLOUTD3", true}} << QVariantMap{{"clkoutd3CheckEnable", false}};
    QTest::newRow("frequencies and items")
        << Options{}
        << Options{{"CLKIN_FREQ", "25.5"}, {"CLKOUT_FREQ", 200}, {"CLKOUT_TOLERANCE", "2.0"},
                   {"CLKOUTP", true}, {"DYNAMIC", "false"}, {"CLKOUTP_PHASE", "337.5"}, {"CLKOUTP_DUTY_CYCLE", "0.813"},
                   {"CLKFB_SOURCE", "External"}}
        << QVariantMap{{"clkinSpinFrequency", 25.5}, {"clkoutSpinFrequency", 200.0}, {"clkoutComBoxTolerance", "2.0"},
                       {"clkoutpComBoxPhase", "337.5"}, {"clkoutpComBoxDutyCycle", "0.813"},
                       {"clkfbComBoxSource", "External"}};
}

void tst_Config::setPropertyApplies()
{
    QFETCH(Options, first);
    QFETCH(Options, options);
    QFETCH(QVariantMap, expected);

    auto dialog = newDialog(m_dir->path());
    QVERIFY(apply(*dialog, first));
    QStringList lines;
    QVERIFY(apply(*dialog, options, &lines));
    QCOMPARE(lines, QStringList());
    // A creation path names a folder inside the output directory given to setCreating.
    if (expected.contains(QStringLiteral("@createPath"))) {
        const QString sub = expected.value(QStringLiteral("@createPath")).toString();
        expected.insert(QStringLiteral("@createPath"), sub.isEmpty() ? m_dir->path() : QDir(m_dir->path()).filePath(sub));
    }
    const QString wrong = mismatch(*dialog, expected);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
}

void tst_Config::refusalStops_data()
{
    QTest::addColumn<Options>("options");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QVariantMap>("expected");

    const auto line = [](const char *value, const char *key) {
        return QStringList{QStringLiteral("ERROR: Value '%1' is out of the range for configuration option '%2' for IP 'my_pll'.")
                               .arg(str(value), str(key))};
    };
    QTest::newRow("MODE_GENERAL in capitals")
        << Options{{"module", "my_pll"}, {"MODE_GENERAL", "TRUE"}, {"DYNAMIC", "false"}, {"RESET_PLL", true}}
        << line("TRUE", "MODE_GENERAL")
        << QVariantMap{{"radioPhaseDutyDynamic", true}, {"checkPllReset", false}, {"@moduleName", "my_pll"}};
    QTest::newRow("MODE_GENERAL as a number")
        << Options{{"module", "my_pll"}, {"MODE_GENERAL", 0}} << line("0", "MODE_GENERAL")
        << QVariantMap{{"radioModeGeneral", true}};
    QTest::newRow("switch after its set step")
        << Options{{"module", "my_pll"}, {"CLKFB_DIVIDE_DYNAMIC", "yes"}, {"LOCK_EN", true}}
        << line("yes", "CLKFB_DIVIDE_DYNAMIC") << QVariantMap{{"checkLockEn", false}};
    QTest::newRow("earlier options stay applied")
        << Options{{"module", "my_pll"}, {"RESET_PLL", true}, {"CLKIN_FREQ", "abc"}, {"CLKOUTP", true}}
        << line("abc", "CLKIN_FREQ") << QVariantMap{{"checkPllReset", true}, {"clkoutpCheckEnable", false}};
    QTest::newRow("percent signs in the value")
        << Options{{"module", "my_pll"}, {"MODE_GENERAL", "%2%3"}} << line("%2%3", "MODE_GENERAL") << QVariantMap{};
}

void tst_Config::refusalStops()
{
    QFETCH(Options, options);
    QFETCH(QStringList, lines);
    QFETCH(QVariantMap, expected);

    auto dialog = newDialog(m_dir->path());
    QStringList messages;
    QVERIFY(!apply(*dialog, options, &messages));
    QCOMPARE(messages, lines);
    const QString wrong = mismatch(*dialog, expected);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
}

// Options a script could get wrong. Each row is one map: the module name and one bad option.
void tst_Config::badInputCorpus_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("value");

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const QString huge(200000, QLatin1Char('x'));
    const QString hugeNumber(5000, QLatin1Char('9'));
    const QVariant list = QStringList{QStringLiteral("true"), QStringLiteral("false")};
    const QVariant variantList = QVariantList{100, 200};

    struct Row
    {
        const char *name;
        const char *key;
        QVariant value;
    };
    const Row rows[] = {
        {"MODE_GENERAL capitals", "MODE_GENERAL", "TRUE"},
        {"MODE_GENERAL title case", "MODE_GENERAL", "False"},
        {"MODE_GENERAL int", "MODE_GENERAL", 1},
        {"MODE_GENERAL zero text", "MODE_GENERAL", "0"},
        {"MODE_GENERAL yes", "MODE_GENERAL", "yes"},
        {"MODE_GENERAL empty", "MODE_GENERAL", ""},
        {"MODE_GENERAL leading blank", "MODE_GENERAL", " true"},
        {"MODE_GENERAL nan", "MODE_GENERAL", nan},
        {"MODE_GENERAL list", "MODE_GENERAL", list},
        {"MODE_GENERAL huge", "MODE_GENERAL", huge},
        {"DYNAMIC capitals", "DYNAMIC", "TRUE"},
        {"DYNAMIC int", "DYNAMIC", 0},
        {"DYNAMIC number text", "DYNAMIC", "1"},
        {"DYNAMIC empty", "DYNAMIC", ""},
        {"DYNAMIC word", "DYNAMIC", "static"},
        {"CLKIN_DIVIDE_DYN capitals", "CLKIN_DIVIDE_DYN", "FALSE"},
        {"CLKIN_DIVIDE_DYN int", "CLKIN_DIVIDE_DYN", 1},
        {"CLKIN_DIVIDE_DYN double", "CLKIN_DIVIDE_DYN", 1.0},
        {"CLKFB_DIVIDE_DYNAMIC title case", "CLKFB_DIVIDE_DYNAMIC", "True"},
        {"CLKFB_DIVIDE_DYNAMIC on", "CLKFB_DIVIDE_DYNAMIC", "on"},
        {"CLKFB_DIVIDE_DYNAMIC empty", "CLKFB_DIVIDE_DYNAMIC", ""},
        {"CLKOUT_DIVIDE_DYN capitals", "CLKOUT_DIVIDE_DYN", "TRUE"},
        {"CLKOUT_DIVIDE_DYN int", "CLKOUT_DIVIDE_DYN", 0},
        {"CLKOUT_DIVIDE_DYN label", "CLKOUT_DIVIDE_DYN", "Dynamic"},
        {"CLKOUTD_SOURCE_CLKOUT capitals", "CLKOUTD_SOURCE_CLKOUT", "FALSE"},
        {"CLKOUTD_SOURCE_CLKOUT source name", "CLKOUTD_SOURCE_CLKOUT", "CLKOUTP"},
        {"CLKOUTD_SOURCE_CLKOUT int", "CLKOUTD_SOURCE_CLKOUT", 1},
        {"CLKOUTD3_SOURCE_CLKOUT capitals", "CLKOUTD3_SOURCE_CLKOUT", "TRUE"},
        {"CLKOUTD3_SOURCE_CLKOUT empty", "CLKOUTD3_SOURCE_CLKOUT", ""},
        {"CLKOUTD3_SOURCE_CLKOUT inf", "CLKOUTD3_SOURCE_CLKOUT", inf},
        {"RESET_PLL capitals", "RESET_PLL", "TRUE"},
        {"RESET_PLL int", "RESET_PLL", 1},
        {"RESET_PLL number text", "RESET_PLL", "1"},
        {"PLL_PWD on", "PLL_PWD", "on"},
        {"PLL_PWD empty", "PLL_PWD", ""},
        {"PLL_PWD double", "PLL_PWD", 0.0},
        {"PLL_REGULATOR title case", "PLL_REGULATOR", "False"},
        {"PLL_REGULATOR word", "PLL_REGULATOR", "enabled"},
        {"LOCK_EN capitals", "LOCK_EN", "TRUE"},
        {"LOCK_EN int", "LOCK_EN", 1},
        {"LOCK_EN trailing newline", "LOCK_EN", "true\n"},
        {"CLKOUT_BYPASS yes", "CLKOUT_BYPASS", "Yes"},
        {"CLKOUT_BYPASS negative", "CLKOUT_BYPASS", -1},
        {"CLKOUTP capitals", "CLKOUTP", "TRUE"},
        {"CLKOUTP number text", "CLKOUTP", "1"},
        {"CLKOUTP_BYPASS trailing blank", "CLKOUTP_BYPASS", "false "},
        {"CLKOUTP_BYPASS int", "CLKOUTP_BYPASS", 2},
        {"CLKOUTD title case", "CLKOUTD", "True"},
        {"CLKOUTD empty", "CLKOUTD", ""},
        {"CLKOUTD_BYPASS capitals", "CLKOUTD_BYPASS", "TRUE"},
        {"CLKOUTD3 capitals", "CLKOUTD3", "TRUE"},
        {"CLKOUTD3 int", "CLKOUTD3", 1},
        {"CLKOUTD3 huge", "CLKOUTD3", huge},
        {"CLKIN_FREQ nan text", "CLKIN_FREQ", "nan"},
        {"CLKIN_FREQ nan", "CLKIN_FREQ", nan},
        {"CLKIN_FREQ inf text", "CLKIN_FREQ", "inf"},
        {"CLKIN_FREQ inf", "CLKIN_FREQ", inf},
        {"CLKIN_FREQ minus inf", "CLKIN_FREQ", -inf},
        {"CLKIN_FREQ empty", "CLKIN_FREQ", ""},
        {"CLKIN_FREQ unit", "CLKIN_FREQ", "100MHz"},
        {"CLKIN_FREQ overflowing text", "CLKIN_FREQ", "1e400"},
        {"CLKIN_FREQ above the device", "CLKIN_FREQ", "1000"},
        {"CLKIN_FREQ below the device", "CLKIN_FREQ", 2.999},
        {"CLKIN_FREQ negative", "CLKIN_FREQ", -100},
        {"CLKIN_FREQ huge number", "CLKIN_FREQ", hugeNumber},
        {"CLKIN_FREQ bool", "CLKIN_FREQ", true},
        {"CLKIN_FREQ comma", "CLKIN_FREQ", "100,000"},
        {"CLKIN_FREQ leading blank", "CLKIN_FREQ", " 100"},
        {"CLKOUT_FREQ nan text", "CLKOUT_FREQ", "NaN"},
        {"CLKOUT_FREQ far above", "CLKOUT_FREQ", 1e10},
        {"CLKOUT_FREQ minus inf text", "CLKOUT_FREQ", "-inf"},
        {"CLKOUT_FREQ below", "CLKOUT_FREQ", "3.1"},
        {"CLKOUT_FREQ two points", "CLKOUT_FREQ", "400.0.0"},
        {"CLKOUT_FREQ empty", "CLKOUT_FREQ", ""},
        {"CLKOUT_FREQ list", "CLKOUT_FREQ", variantList},
        {"CLKOUTD_FREQ below", "CLKOUTD_FREQ", "0.01"},
        {"CLKOUTD_FREQ Infinity", "CLKOUTD_FREQ", "Infinity"},
        {"CLKOUTD_FREQ nan", "CLKOUTD_FREQ", nan},
        {"CLKOUTD_FREQ overflowing text", "CLKOUTD_FREQ", "1e309"},
        {"CLKOUTD_FREQ word", "CLKOUTD_FREQ", "one"},
        {"CLKIN_DIVIDE_STATIC_SEL zero", "CLKIN_DIVIDE_STATIC_SEL", "0"},
        {"CLKIN_DIVIDE_STATIC_SEL above", "CLKIN_DIVIDE_STATIC_SEL", 65},
        {"CLKIN_DIVIDE_STATIC_SEL fraction text", "CLKIN_DIVIDE_STATIC_SEL", "8.5"},
        {"CLKIN_DIVIDE_STATIC_SEL fraction", "CLKIN_DIVIDE_STATIC_SEL", 8.5},
        {"CLKIN_DIVIDE_STATIC_SEL empty", "CLKIN_DIVIDE_STATIC_SEL", ""},
        {"CLKIN_DIVIDE_STATIC_SEL word", "CLKIN_DIVIDE_STATIC_SEL", "eight"},
        {"CLKIN_DIVIDE_STATIC_SEL overflow", "CLKIN_DIVIDE_STATIC_SEL", "99999999999999999999"},
        {"CLKIN_DIVIDE_STATIC_SEL negative", "CLKIN_DIVIDE_STATIC_SEL", -3},
        {"CLKIN_DIVIDE_STATIC_SEL trailing blank", "CLKIN_DIVIDE_STATIC_SEL", "8 "},
        {"CLKIN_DIVIDE_STATIC_SEL nan", "CLKIN_DIVIDE_STATIC_SEL", nan},
        {"CLKFB_DIVIDE_STATIC_SEL hex", "CLKFB_DIVIDE_STATIC_SEL", "0x10"},
        {"CLKFB_DIVIDE_STATIC_SEL thousand", "CLKFB_DIVIDE_STATIC_SEL", 1e3},
        {"CLKFB_DIVIDE_STATIC_SEL bool", "CLKFB_DIVIDE_STATIC_SEL", true},
        {"CLKFB_DIVIDE_STATIC_SEL just above", "CLKFB_DIVIDE_STATIC_SEL", "64.0001"},
        {"CLKFB_DIVIDE_STATIC_SEL inf", "CLKFB_DIVIDE_STATIC_SEL", inf},
        {"CLKFB_SOURCE lower case", "CLKFB_SOURCE", "internal"},
        {"CLKFB_SOURCE index text", "CLKFB_SOURCE", "0"},
        {"CLKFB_SOURCE index", "CLKFB_SOURCE", 1},
        {"CLKFB_SOURCE empty", "CLKFB_SOURCE", ""},
        {"CLKFB_SOURCE trailing blank", "CLKFB_SOURCE", "Internal "},
        {"CLKOUT_TOLERANCE index text", "CLKOUT_TOLERANCE", "0"},
        {"CLKOUT_TOLERANCE other spelling", "CLKOUT_TOLERANCE", "0.00"},
        {"CLKOUT_TOLERANCE unknown", "CLKOUT_TOLERANCE", "5"},
        {"CLKOUT_TOLERANCE double", "CLKOUT_TOLERANCE", 0.5},
        {"CLKOUTD_TOLERANCE short", "CLKOUTD_TOLERANCE", "2"},
        {"CLKOUTD_TOLERANCE percent", "CLKOUTD_TOLERANCE", "2.0%"},
        {"CLKOUT_DIVIDER odd", "CLKOUT_DIVIDER", "3"},
        {"CLKOUT_DIVIDER beyond", "CLKOUT_DIVIDER", "256"},
        {"CLKOUT_DIVIDER int", "CLKOUT_DIVIDER", 16},
        {"CLKOUT_DIVIDER leading zero", "CLKOUT_DIVIDER", "016"},
        {"CLKOUT_DIVIDER empty", "CLKOUT_DIVIDER", ""},
        {"CLKOUTP_PHASE decimals", "CLKOUTP_PHASE", "90.0"},
        {"CLKOUTP_PHASE full turn", "CLKOUTP_PHASE", "360"},
        {"CLKOUTP_PHASE index", "CLKOUTP_PHASE", 4},
        {"CLKOUTP_PHASE other spelling", "CLKOUTP_PHASE", "45.0"},
        {"CLKOUTP_DUTY_CYCLE short", "CLKOUTP_DUTY_CYCLE", "0.5"},
        {"CLKOUTP_DUTY_CYCLE sixteenths", "CLKOUTP_DUTY_CYCLE", "8"},
        {"CLKOUTP_DUTY_CYCLE index", "CLKOUTP_DUTY_CYCLE", 6},
        {"CLKOUTP_DUTY_CYCLE exact fraction", "CLKOUTP_DUTY_CYCLE", "0.1875"},
        {"CLKOUTP_DUTY_CYCLE huge", "CLKOUTP_DUTY_CYCLE", huge},
    };
    for (const Row &row : rows)
        QTest::newRow(row.name) << str(row.key) << row.value;
}

void tst_Config::badInputCorpus()
{
    QFETCH(QString, key);
    QFETCH(QVariant, value);

    auto reference = newDialog(m_dir->path());
    auto dialog = newDialog(m_dir->path());
    QStringList lines;
    QVERIFY(!apply(*dialog, {{"module", "corpus_pll"}, {key, value}}, &lines));
    QVERIFY(!lines.isEmpty());
    QVERIFY2(lines.last().contains(QStringLiteral("option '%1' for IP 'corpus_pll'.").arg(key)),
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
    QVERIFY(!devices.isEmpty());
    ModalWatcher watcher;

    for (int round = 0; round < 200; ++round) {
        const DEV::DeviceArg device = devices.at(int(rng.bounded(devices.size()))).arg();
        auto original = newDialog(m_dir->path(), device);

        Options options{{"LANG", int(rng.bounded(2))}, {"module", QStringLiteral("pll_%1").arg(round)}};
        for (const Config::Entry *entry : Config::batchOrder()) {
            if (!entry->reported() || rng.bounded(10) < 3)
                continue;
            const QString key = str(entry->key);
            switch (entry->kind) {
            case Config::Kind::Switch:
            case Config::Kind::Check: {
                const bool on = rng.bounded(2);
                options.insert(key, rng.bounded(2) ? QVariant(on) : QVariant(on ? "true" : "false"));
                break;
            }
            case Config::Kind::Real: {
                auto *spin = original->findChild<QDoubleSpinBox *>(str(entry->control));
                const double low = spin->minimum();
                const double high = qMin(spin->maximum(), low + 1000.0);
                const double number = low + rng.generateDouble() * (high - low);
                options.insert(key, rng.bounded(2) ? QVariant(number) : QVariant(QString::number(number, 'f', 3)));
                break;
            }
            case Config::Kind::Whole:
                options.insert(key, int(rng.bounded(int(entry->minimum), int(entry->maximum) + 1)));
                break;
            case Config::Kind::ItemIndex:
            case Config::Kind::ItemText:
                options.insert(key, entry->items.at(int(rng.bounded(entry->items.size()))));
                break;
            case Config::Kind::Language:
                break;
            }
        }
        QStringList lines;
        QVERIFY2(apply(*original, options, &lines), qPrintable(lines.join(QLatin1Char('\n'))));
        // The batch options cannot reach the CLKOUTD divider; set it as a user would.
        original->findChild<QSpinBox *>(QStringLiteral("clkoutdSpinDivider"))->setValue(int(rng.bounded(2, 129)));

        const QString name = QStringLiteral("round_%1").arg(round);
        const QString path = saveAs(*original, m_dir->path(), name);
        const QVariantMap written = fileConfig(path);

        auto loaded = std::make_unique<Mirel_Dialog>(description(), nullptr);
        QVERIFY(loaded->setOpening(path, QString()));
        const QVariantMap before = original->getProperty();
        const QVariantMap after = loaded->getProperty();
        for (const QString &fileKey : written.keys()) {
            const Config::Entry *entry = Config::findByFileKey(fileKey);
            QVERIFY2(entry, qPrintable(fileKey));
            QVariant was;
            QVariant is;
            if (entry->reported()) {
                was = before.value(str(entry->key));
                is = after.value(str(entry->key));
            } else if (entry->kind == Config::Kind::Language) {
                was = original->uiLanguageIndex();
                is = loaded->uiLanguageIndex();
            } else {
                was = observed(*original, str(entry->control));
                is = observed(*loaded, str(entry->control));
            }
            QVERIFY2(was == is, qPrintable(QStringLiteral("round %1, %2: saved %3, loaded %4")
                                               .arg(round).arg(fileKey, was.toString(), is.toString())));
        }
        const QString again = saveAs(*loaded, m_dir->path(), name + QStringLiteral("_again"));
        QVERIFY2(fileConfig(again) == written, qPrintable(QStringLiteral("round %1 wrote a different file").arg(round)));
    }
    QVERIFY(watcher.boxes.isEmpty());
}

QTEST_MAIN(tst_Config)
#include "tst_config.moc"
