// SPDX-License-Identifier: MIT
// The host stand-in's CoreGen library: the dialog frame and how it drives the operations a core overrides,
// the batch option setter and reader, and the configuration file writer.
#include "dialogdriver.h"
#include "modalwatcher.h"
#include "testfiles.h"

#include <cfgsmap.h>
#include <devicetable.h>
#include <figurepanel.h>
#include <ipconfigwriter.h>
#include <mireldialog.h>
#include <modulegendialog.h>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>
#include <memory>
#include <unistd.h>

class tst_CoreGen : public QObject
{
    Q_OBJECT

private slots:
    void setOpening_data();
    void setOpening();
    void figurePinsRendered();
    void buttons();
    void opensShowingPageAndDevice();
    void setValue_data();
    void setValue();
    void writer();
};

namespace {

// Records how the frame drives the operations a core overrides.
struct ProbeDialog : IPCore::ModuleGenDialog
{
    void refreshDeviceInfo() override { events << "refresh " + device().device() + ' ' + createPath(); }
    bool loadIPConfig(const QString &path) override
    {
        events << "load " + path;
        return loadResult;
    }
    using IPCore::ModuleGenDialog::accept;
    void accept() override { events << "accept"; }

    QStringList events;
    bool loadResult = true;
};

const QString Key = QStringLiteral("OPTION");

// One control of each kind in a known starting state, named "c" inside a parent; a combo box by default.
std::unique_ptr<QWidget> makeControl(const QString &kind)
{
    auto parent = std::make_unique<QWidget>();
    if (kind == "check" || kind == "radio") {
        auto *button = kind == "check" ? new QCheckBox(parent.get())
                                       : static_cast<QAbstractButton *>(new QRadioButton(parent.get()));
        button->setAutoExclusive(false);
        button->setChecked(kind == "check");
    } else if (kind == "spin") {
        auto *spin = new QSpinBox(parent.get());
        spin->setRange(1, 64);
        spin->setValue(5);
    } else if (kind == "double") {
        auto *spin = new QDoubleSpinBox(parent.get());
        spin->setDecimals(3);
        spin->setRange(3.0, 450.0);
        spin->setValue(100.0);
    } else if (kind == "edit") {
        new QLineEdit("text", parent.get());
    } else {
        auto *combo = new QComboBox(parent.get());
        combo->addItems({"0.0", "0.2", "0.5", "2.0"});
        combo->setCurrentIndex(1);
    }
    parent->findChild<QWidget *>()->setObjectName("c");
    return parent;
}

} // namespace

void tst_CoreGen::setOpening_data()
{
    QTest::addColumn<QByteArray>("ini"); // null: no file
    QTest::addColumn<QString>("device");
    QTest::addColumn<bool>("loadResult");
    QTest::addColumn<QString>("expected"); // device, file name, module name
    const auto row = [](const char *name, const char *ini, const char *device, bool loads, const QString &expected) {
        QTest::newRow(name) << QByteArray(ini) << QString(device) << loads << expected;
    };
    const QString fallback = DEV::DeviceTable::defaultDevice().device;
    const char *named = "target_device=AXL-25-BG256\nfile=pll_a\nmodule=pll_top\n[Config]\nX=1\n";
    row("device from file", named, "", true, "AXL-25 pll_a pll_top");
    row("device from caller wins", named, "BRN-4LP", true, "BRN-4LP pll_a pll_top");
    row("caller names part id", "file=pll_a\n", "brn-4lp-cs49", true, "BRN-4LP pll_a preset");
    row("unknown device in file", "target_device=XYZ-9\n", "", true, fallback + " saved preset");
    row("keys only in the group", "[Config]\nfile=inner\nmodule=inner\n", "", true, fallback + " saved preset");
    row("loader refuses", "target_device=AXL-25\nfile=pll_a\n", "", false, "AXL-25 pll_a preset");
    row("missing file still reaches the loader", nullptr, "", false, fallback + " saved preset");
}

void tst_CoreGen::setOpening()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, device);
    QFETCH(bool, loadResult);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath("saved.ipc");
    QVERIFY(ini.isNull() || writeFile(path, ini));
    ProbeDialog dialog;
    dialog.uiSetModuleName("preset");
    dialog.setCreatPath("/elsewhere");
    dialog.loadResult = loadResult;
    QCOMPARE(dialog.setOpening(path, device), loadResult);
    QCOMPARE(dialog.events, QStringList({"refresh " + expected.section(' ', 0, 0) + ' ' + dir.path(), "load " + path}));
    QCOMPARE(dialog.device().device() + ' ' + dialog.fileName() + ' ' + dialog.moduleName(), expected);
    QCOMPARE(QFile::exists(path), !ini.isNull());
}

// A new pin list reaches the screen; more than one pin needs a taller panel.
void tst_CoreGen::figurePinsRendered()
{
    for (int count : {0, 1, 2, 16}) {
        IPCore::ModuleGenDialog dialog;
        auto *panel = dialog.findChild<IPCore::FigurePanel *>();
        const int emptyHeight = panel->sizeHint().height();
        const QImage before = dialog.grab().toImage();
        QList<Utils::PinFigure> pins;
        for (int i = 0; i < count; ++i)
            pins << Utils::PinFigure(QStringLiteral("pin%1").arg(i) + (i % 4 == 1 ? "[5:0]" : ""), i % 3 == 2,
                                     i % 4 == 1, i % 3 != 2 ? Qt::AlignLeft : Qt::AlignRight);
        dialog.uiSetFigurePins(pins);
        QCOMPARE(before != dialog.grab().toImage(), count > 0);
        QCOMPARE(panel->sizeHint().height() > emptyHeight, count > 1);
    }
}

// OK runs the core's accept; Cancel rejects; Help shows the core's help, or says there is none.
void tst_CoreGen::buttons()
{
    ProbeDialog dialog;
    auto *buttons = dialog.findChild<QDialogButtonBox *>();
    buttons->button(QDialogButtonBox::Ok)->click();
    QCOMPARE(dialog.events, QStringList{"accept"});
    dialog.setResult(QDialog::Accepted);
    buttons->button(QDialogButtonBox::Cancel)->click();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));

    ModalWatcher watcher;
    for (const char *doc : {"", "  ", "Configures the PLL."}) {
        dialog.helpDoc = doc;
        buttons->button(QDialogButtonBox::Help)->click();
    }
    QCOMPARE(watcher.texts(), QStringList({"No help is available for this IP core.",
                                           "No help is available for this IP core.", "Configures the PLL."}));
    QCOMPARE(watcher.boxes[2].title, QString("Help"));
    QCOMPARE(dialog.events, QStringList{"accept"});
}

// Taken as given, or refused with one line after the earlier ones and the control untouched: never
// clamped. The line names what the control takes, and says so when the value is no number at all.
void tst_CoreGen::setValue_data()
{
    QTest::addColumn<QString>("kind");      // "none": no control
    QTest::addColumn<QVariant>("value");    // "<absent>": the key is not in the map
    QTest::addColumn<QVariant>("fallback"); // the default
    QTest::addColumn<QString>("expected");  // the control's state, or the refusal line
    const QString absent = "<absent>";
    const QMap<QString, QString> legal{{"check", "true, false"},
                                       {"spin", "1 to 64"},
                                       {"double", "3.000 to 450.000"},
                                       {"combo", "0.0, 0.2, 0.5, 2.0"}};
    const auto row = [&](const QString &kind, const QVariant &value, const QString &expected,
                         const QVariant &fallback = {}) {
        const QString shown = value.toString() == absent ? "absent, default " + fallback.toString()
                                                         : (value.isValid() ? value.typeName() : "invalid")
                                                                   + (' ' + value.toString().left(20));
        QTest::newRow(qPrintable(kind + ' ' + shown)) << kind << value << fallback << expected;
    };
    const auto taken = [&](const QString &kind, const QList<QPair<QVariant, QString>> &valuesAndStates) {
        for (const auto &[value, state] : valuesAndStates)
            row(kind, value, state);
    };
    // The refusal line for the value shown as given, naming the legal values of the control.
    const auto line = [&](const QString &kind, const QVariant &value, bool notNumber = false) {
        const QString option = "configuration option 'OPTION' for IP 'pll_0'";
        return (notNumber ? "ERROR: Value '%1' for " + option + " is not a number."
                          : "ERROR: Value '%1' is out of the range for " + option + '.')
                       .arg(value.toString())
               + (legal.contains(kind) ? " Legal values: " + legal[kind] + "." : QString());
    };
    const auto refused = [&](const QString &kind, const QVariantList &values, bool notNumber = false) {
        for (const QVariant &value : values)
            row(kind, value, line(kind, value, notNumber));
    };
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    taken("check", {{"false", "false"}, {false, "false"}});
    taken("radio", {{"true", "true"}});
    taken("spin", {{"8", "8"}, {64, "64"}, {8.0, "8"}});
    taken("double", {{"123.456", "123.456"}, {"1e2", "100"}, {450, "450"}, {"3", "3"}, {123.4564, "123.456"}});
    taken("combo", {{"0.5", "0.5"}, {QByteArray("0.0"), "0.0"}});
    refused("check", {"FALSE", 0, "", "false ", QVariant(), "yes"});
    refused("spin", {"65", 0, "8.5", 8.5, "99999999999999999999999"});
    refused("spin", {"8x", "", true, "%2 and %3"}, true);
    refused("double", {"450.001", 2.999});
    refused("double", {"nan", nan, inf, -inf, "100MHz"}, true);
    refused("combo", {"0.50", 2, 0.5});
    refused("edit", {"text"});
    refused("none", {4});
    // Absent keys take the default; a device narrower than the default bounds it, since the script asked for nothing.
    row("check", absent, "false", false);
    row("spin", absent, "1", 1);
    row("double", absent, "400", "400.000");
    row("double", absent, "450", "500.000");
    row("combo", absent, "0.0", "0.0");
    row("combo", absent, line("combo", "0.7"), "0.7");
}

// The control is then read back as a core reports it: check boxes and radio buttons give a bool, spin boxes
// an int or a double, combo boxes the item text; other widgets nothing.
void tst_CoreGen::setValue()
{
    QFETCH(QString, kind);
    QFETCH(QVariant, value);
    QFETCH(QVariant, fallback);
    QFETCH(QString, expected);
    auto parent = makeControl(kind);
    const QString before = controlState(parent.get(), "c");
    const QVariantMap cfgs = value.toString() == "<absent>" ? QVariantMap{{"OTHER", "x"}} : QVariantMap{{Key, value}};
    const bool refused = expected.startsWith("ERROR: ");
    QWidget *control = kind == "none" ? nullptr : parent->findChild<QWidget *>("c");
    QStringList messages{"earlier line"};
    QCOMPARE(IPCore::setValueByCfgsMap(Key, fallback, control, cfgs, "pll_0", messages), !refused);
    QCOMPARE(controlState(parent.get(), "c"), refused ? before : expected);
    QCOMPARE(messages, QStringList("earlier line") + (refused ? QStringList(expected) : QStringList()));

    const int type = QList<int>{QMetaType::Bool, QMetaType::Bool, QMetaType::Int, QMetaType::Double, QMetaType::QString}
                             .value(QStringList{"check", "radio", "spin", "double", "combo"}.indexOf(kind));
    QVariantMap read;
    IPCore::insertToCfgsMap(Key, control, read);
    QCOMPARE(read.keys(), type ? QStringList(Key) : QStringList());
    QCOMPARE(read.value(Key).userType(), type);
    QCOMPARE(read.value(Key).toString(), type ? controlState(parent.get(), "c") : QString());
}

// Hand-made tools read these files too, so the layout is pinned: numbers as plain decimals. Whatever text a key
// or value holds, QSettings reads it back; a new write leaves no key of the old file. A write the file system
// refuses leaves the old file, reports on the warning channel and returns false (tst_generation cuts one short).
void tst_CoreGen::writer()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("pll.ipc");
    const QVariantMap numbers{{"BIG", 999999999.0}, {"FLAG", true}, {"FRAC", 0.0234375}, {"FREQ", 100.0}, {"NEG", -42}};
    QVERIFY(IPCore::writeIPConfig(path, {{"version", "1.0"}, {"type", QString()}}, numbers));
    QCOMPARE(readFile(path), QByteArray("[General]\ntype=\nversion=1.0\n\n[Config]\nBIG=999999999\nFLAG=true\n"
                                        "FRAC=0.0234375\nFREQ=100\nNEG=-42\n"));
    // Plain keys and texts are written as QSettings writes them, in its order, without it.
    const QVariantMap plain{{"b", "x"}, {"B", "1.5"}, {"_a", "-3"}, {"a.b-c", "Q-1.0"}, {"e", ""}};
    for (const QVariantMap &info : {QVariantMap{{"version", "1.0"}, {"Z", "true"}}, QVariantMap()}) {
        QFile::remove(path);
        {
            QSettings settings(path, QSettings::IniFormat);
            for (auto it = info.cbegin(); it != info.cend(); ++it)
                settings.setValue(it.key(), it.value());
            for (auto it = plain.cbegin(); it != plain.cend(); ++it)
                settings.setValue("Config/" + it.key(), it.value());
        }
        QCOMPARE(IPCore::ipConfigText(info, plain).value_or("none"), readFile(path));
    }

    const QStringList texts
            = QString("a=b|a;b|a,b|say \"hi\"|C:\\dir\\x|Grüße ✓|é1fA|\U0001F600|  padded |a\nb\tc\rd|@Variant(x)|")
                      .split('|');
    QVariantMap config{{"two words", "v"}, {"Größe€", "v"}};
    for (int i = 0; i < texts.size(); ++i)
        config.insert(QStringLiteral("K%1").arg(i), texts[i]);
    QVERIFY(IPCore::writeIPConfig(path, {{"version", "1.0"}, {"K1", "a=b"}}, config));
    QSettings settings(path, QSettings::IniFormat);
    QCOMPARE(settings.status(), QSettings::NoError);
    QCOMPARE(settings.allKeys().size(), config.size() + 2);
    QCOMPARE(settings.value("K1"), QVariant("a=b"));
    settings.beginGroup("Config");
    for (auto it = config.cbegin(); it != config.cend(); ++it)
        QCOMPARE(settings.value(it.key()), it.value());

    const QByteArray old = readFile(path);
    const QVariantMap info{{"version", "1.0"}};
    const QRegularExpression warning("^IPCore::writeIPConfig: could not write '.*pll\\.ipc'");
    QLoggingCategory::setFilterRules("mirel.coregen.writer.warning=true"); // the caller reports; the reason on request
    QTest::ignoreMessage(QtWarningMsg, warning);
    QVERIFY(!IPCore::writeIPConfig(dir.filePath("absent/pll.ipc"), info, {{"NEW", true}}));
    QVERIFY(!QFileInfo::exists(dir.filePath("absent")));
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    if (::access(qPrintable(dir.path()), W_OK) != 0) { // root writes anyway
        QTest::ignoreMessage(QtWarningMsg, warning);
        QVERIFY(!IPCore::writeIPConfig(path, info, {{"NEW", true}}));
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(readFile(path), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"pll.ipc"});
}

// The core's dialog opens naming its device, wide enough for the whole page and no taller than the
// screen, and Tab walks the frame, then the page column by column from the top, then the buttons.
void tst_CoreGen::opensShowingPageAndDevice()
{
    QTemporaryDir dir;
    ModMirel::Mirel_Dialog dialog({{"ipcore.label", "MIREL PLL"}}, nullptr);
    dialog.setCreating(dir.path(), DEV::DeviceTable::find("BRN-4LP")->arg());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.windowTitle() + " | " + dialog.findChild<QLabel *>("deviceText")->text(),
             QString("MIREL PLL \u2014 BRN-4LP (BRN-4LP-CS49) | BRN-4LP (BRN-4LP-CS49)"));
    ModMirel::Mirel_Dialog blank({{"ipcore.label", " \t\n"}}, nullptr); // a blank label leaves no dash
    blank.setCreating(dir.path(), DEV::DeviceTable::find("BRN-4LP")->arg());
    QCOMPARE(blank.windowTitle(), QString("BRN-4LP (BRN-4LP-CS49)"));

    auto *area = dialog.findChild<QScrollArea *>();
    QVERIFY(!area->horizontalScrollBar()->isVisible() && area->widget()->width() <= area->viewport()->width());
    QVERIFY(dialog.frameGeometry().height() <= dialog.screen()->availableGeometry().height());

    QStringList chain;
    for (QWidget *w = dialog.findChild<QWidget *>("moduleNameEdit"); chain.size() < 200; w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) && !w->focusProxy() && w->isVisible())
            chain << (w->objectName().isEmpty() ? w->metaObject()->className() + (':' + w->property("text").toString())
                                                : w->objectName());
        if (w->nextInFocusChain()->objectName() == "moduleNameEdit")
            break;
    }
    const QString expected
            = "moduleNameEdit fileNameEdit createPathEdit browseButton languageCombo qt_tabwidget_tabbar scrollArea "
              "radioModeGeneral radioModeAdvanced radioPhaseDutyDynamic radioPhaseDutyStatic checkPllReset "
              "checkPllPowerDown checkPllRegulator clkinSpinFrequency clkinRadioDivideDynamic clkinSpinDivideDyn "
              "clkinRadioDivideStatic clkinSpinDivideStatic btnCalculate clkfbComBoxSource clkfbRadioDivideDynamic "
              "clkfbSpinDivideDyn clkfbRadioDivideStatic clkfbSpinDivideStatic checkLockEn clkoutCheckBypass "
              "clkoutSpinFrequency clkoutComBoxTolerance clkoutRadioDivideDyn clkoutComBoxDivideDyn "
              "clkoutRadioDivideStatic clkoutComBoxDivideStatic clkoutEditActualFrequency clkoutpCheckEnable "
              "clkoutpCheckBypass clkoutpComBoxPhase clkoutpComBoxDutyCycle clkoutdCheckEnable clkoutdCheckBypass "
              "clkoutdRadioSrcClkout clkoutdRadioSrcClkoutp clkoutdSpinFrequency clkoutdComBoxTolerance "
              "clkoutdSpinDivider clkoutdEditActualFrequency clkoutd3CheckEnable clkoutd3RadioSrcClkout "
              "clkoutd3RadioSrcClkoutp QPushButton:OK QPushButton:Cancel QPushButton:Help";
    QCOMPARE(chain.join(' '), expected);
}

QTEST_MAIN(tst_CoreGen)
#include "tst_coregen.moc"
