// SPDX-License-Identifier: MIT
// The host stand-in's CoreGen library: the dialog frame and how it drives the
// operations a core overrides, the batch option setter and reader, and the
// configuration file writer.
#include "dialogdriver.h"
#include "modalwatcher.h"

#include <cfgsmap.h>
#include <devicetable.h>
#include <figurepanel.h>
#include <ipconfigwriter.h>
#include <mireldialog.h>
#include <modulegendialog.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
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
    void opensShowingPageAndDevice_data();
    void opensShowingPageAndDevice();
    void setValue_data();
    void setValue();
    void refusalLine_data();
    void refusalLine();
    void insertTypes();
    void writeRoundTrip();
    void writeLayoutAndRewrite();
    void failedWriteKeepsOldFile();
};

namespace {

using IPCore::ModuleGenDialog;
using Utils::PinFigure;

// Records how the frame drives the operations a core overrides.
class ProbeDialog : public ModuleGenDialog
{
public:
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

// One control of each kind in a known starting state, named "c" inside a parent.
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
    } else {
        auto *combo = new QComboBox(parent.get());
        combo->addItems({"0.0", "0.2", "0.5", "2.0"});
        combo->setCurrentIndex(1);
    }
    parent->findChild<QWidget *>()->setObjectName("c");
    return parent;
}

QString line(const QString &value, const QString &legal = {}, bool notNumber = false)
{
    return (notNumber
                    ? QStringLiteral(
                            "ERROR: Value '%1' for configuration option 'OPTION' for IP 'pll_0' is not a number.")
                    : QStringLiteral(
                            "ERROR: Value '%1' is out of the range for configuration option 'OPTION' for IP 'pll_0'."))
                   .arg(value)
           + (legal.isEmpty() ? QString() : " Legal values: " + legal + ".");
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

void tst_CoreGen::setOpening_data()
{
    QTest::addColumn<QByteArray>("ini"); // null: no file
    QTest::addColumn<QString>("device");
    QTest::addColumn<bool>("loadResult");
    QTest::addColumn<QString>("expected"); // device, file name, module name
    const QString fallback = DEV::DeviceTable::defaultDevice().device;
    QTest::newRow("device from file") << QByteArray(
            "target_device=AXL-25-BG256\nfile=pll_a\nmodule=pll_top\n[Config]\nX=1\n")
                                      << "" << true << "AXL-25 pll_a pll_top";
    QTest::newRow("device from caller wins") << QByteArray("target_device=AXL-25-BG256\nfile=pll_a\nmodule=pll_top\n")
                                             << "BRN-4LP" << true << "BRN-4LP pll_a pll_top";
    QTest::newRow("caller names part id")
            << QByteArray("file=pll_a\n") << "brn-4lp-cs49" << true << "BRN-4LP pll_a preset";
    QTest::newRow("unknown device in file")
            << QByteArray("target_device=XYZ-9\n") << "" << true << fallback + " saved preset";
    QTest::newRow("keys only in the group")
            << QByteArray("[Config]\nfile=inner\nmodule=inner\n") << "" << true << fallback + " saved preset";
    QTest::newRow("loader refuses") << QByteArray("target_device=AXL-25\nfile=pll_a\n") << "" << false
                                    << "AXL-25 pll_a preset";
    QTest::newRow("missing file still reaches the loader") << QByteArray() << "" << false << fallback + " saved preset";
}

void tst_CoreGen::setOpening()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, device);
    QFETCH(bool, loadResult);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    QFile file(dir.filePath("saved.ipc"));
    QVERIFY(ini.isNull() || (file.open(QIODevice::WriteOnly) && file.write(ini) == ini.size()));
    file.close();
    ProbeDialog dialog;
    dialog.uiSetModuleName("preset");
    dialog.setCreatPath("/elsewhere");
    dialog.loadResult = loadResult;
    QCOMPARE(dialog.setOpening(file.fileName(), device), loadResult);
    const QString dev = expected.section(' ', 0, 0);
    QCOMPARE(dialog.events, QStringList({"refresh " + dev + ' ' + dir.path(), "load " + file.fileName()}));
    QCOMPARE(dialog.device().device() + ' ' + dialog.fileName() + ' ' + dialog.moduleName(), expected);
    QCOMPARE(QFile::exists(file.fileName()), !ini.isNull());
}

// A new pin list reaches the screen; more than one pin needs a taller panel.
void tst_CoreGen::figurePinsRendered()
{
    for (int count : {0, 1, 2, 16}) {
        ModuleGenDialog dialog;
        dialog.uiSetModuleName("pll_top");
        auto *panel = dialog.findChild<IPCore::FigurePanel *>();
        const int emptyHeight = panel->sizeHint().height();
        const QImage before = dialog.grab().toImage();
        QList<PinFigure> pins;
        for (int i = 0; i < count; ++i)
            pins << PinFigure(QStringLiteral("pin%1").arg(i) + (i % 4 == 1 ? "[5:0]" : ""), i % 3 == 2, i % 4 == 1,
                              i % 3 != 2 ? Qt::AlignLeft : Qt::AlignRight);
        dialog.uiSetFigurePins(pins);
        QCOMPARE(dialog.figurePins(), pins);
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

// Taken as given, or refused with one line and the control untouched: never clamped.
void tst_CoreGen::setValue_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QVariant>("value");    // "<absent>": the key is not in the map
    QTest::addColumn<QVariant>("fallback"); // the default
    QTest::addColumn<QString>("expected");  // null: refused
    const char *no = nullptr, *absent = "<absent>";
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    struct Row
    {
        Row(const char *k, const QVariant &v, const char *e, const QVariant &f = {})
            : kind(k)
            , value(v)
            , expected(e)
            , fallback(f)
        {}
        const char *kind;
        QVariant value;
        const char *expected;
        QVariant fallback;
    };
    const Row rows[] = {
            {"check", "false", "false"},
            {"check", false, "false"},
            {"radio", "true", "true"},
            {"check", "FALSE", no},
            {"check", 0, no},
            {"check", "", no},
            {"check", "false ", no},
            {"check", QVariant(), no},
            {"spin", "8", "8"},
            {"spin", 64, "64"},
            {"spin", 8.0, "8"},
            {"spin", "65", no},
            {"spin", 0, no},
            {"spin", "8.5", no},
            {"spin", 8.5, no},
            {"spin", "8x", no},
            {"spin", "", no},
            {"spin", true, no},
            {"spin", "99999999999999999999999", no},
            {"double", "123.456", "123.456"},
            {"double", "1e2", "100"},
            {"double", 450, "450"},
            {"double", "3", "3"},
            {"double", 123.4564, "123.456"},
            {"double", "450.001", no},
            {"double", 2.999, no},
            {"double", "nan", no},
            {"double", nan, no},
            {"double", inf, no},
            {"double", -inf, no},
            {"double", "100MHz", no},
            {"combo", "0.5", "0.5"},
            {"combo", QByteArray("0.0"), "0.0"},
            {"combo", "0.50", no},
            {"combo", 2, no},
            {"combo", 0.5, no},
            // Absent keys take the default; a device narrower than the default bounds it, since the script asked for nothing.
            {"check", absent, "false", false},
            {"spin", absent, "1", 1},
            {"double", absent, "400", "400.000"},
            {"double", absent, "450", "500.000"},
            {"combo", absent, "0.0", "0.0"},
            {"combo", absent, no, "0.7"},
    };
    int i = 0;
    for (const Row &row : rows)
        QTest::addRow("%d: %s %s", i++, row.kind, qPrintable(row.value.toString().left(20)))
                << QString::fromLatin1(row.kind) << row.value << row.fallback << QString::fromLatin1(row.expected);
}

void tst_CoreGen::setValue()
{
    QFETCH(QString, kind);
    QFETCH(QVariant, value);
    QFETCH(QVariant, fallback);
    QFETCH(QString, expected);
    auto parent = makeControl(kind);
    const QString before = controlState(parent.get(), "c");
    const QVariantMap cfgs = value.toString() == "<absent>" ? QVariantMap{{"OTHER", "x"}} : QVariantMap{{Key, value}};
    QStringList messages;
    QCOMPARE(IPCore::setValueByCfgsMap(Key, fallback, parent->findChild<QWidget *>("c"), cfgs, "pll_0", messages),
             !expected.isNull());
    QCOMPARE(controlState(parent.get(), "c"), expected.isNull() ? before : expected);
    if (!expected.isNull())
        QCOMPARE(messages, QStringList());
    else
        QVERIFY2(messages.size() == 1
                         && QRegularExpression("^ERROR: Value '.*' (is out of the range for |for )?configuration "
                                               "option 'OPTION' for IP 'pll_0'.*\\.$",
                                               QRegularExpression::DotMatchesEverythingOption)
                                    .match(messages[0])
                                    .hasMatch(),
                 qPrintable(messages.join('\n').left(200)));
}

// The line names what the control takes, and says so when the value is no number at all.
void tst_CoreGen::refusalLine_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("percent signs") << "spin" << QVariant("%2 and %3") << line("%2 and %3", "1 to 64", true);
    QTest::newRow("whole range") << "spin" << QVariant("65") << line("65", "1 to 64");
    QTest::newRow("not whole") << "spin" << QVariant(8.5) << line("8.5", "1 to 64");
    QTest::newRow("unit") << "double" << QVariant("27MHz") << line("27MHz", "3.000 to 450.000", true);
    QTest::newRow("frequency range") << "double" << QVariant("500") << line("500", "3.000 to 450.000");
    QTest::newRow("items") << "combo" << QVariant("0.50") << line("0.50", "0.0, 0.2, 0.5, 2.0");
    QTest::newRow("flag") << "check" << QVariant("yes") << line("yes", "true, false");
    QTest::newRow("no control") << "" << QVariant(4) << line("4");
}

void tst_CoreGen::refusalLine()
{
    QFETCH(QString, kind);
    QFETCH(QVariant, value);
    QFETCH(QString, expected);
    auto parent = makeControl(kind);
    QStringList messages{"earlier line"};
    QWidget *control = kind.isEmpty() ? nullptr : parent->findChild<QWidget *>("c");
    QVERIFY(!IPCore::setValueByCfgsMap(Key, 1, control, {{Key, value}}, "pll_0", messages));
    QCOMPARE(messages, QStringList({"earlier line", expected}));
}

// Check boxes and radio buttons give a bool, spin boxes an int or a double, combo boxes the item text.
void tst_CoreGen::insertTypes()
{
    const QVariantList expected{true, false, 5, 100.0, QStringLiteral("0.2")};
    const QStringList kinds{"check", "radio", "spin", "double", "combo"};
    for (int i = 0; i < kinds.size(); ++i) {
        QVariantMap map;
        IPCore::insertToCfgsMap(Key, makeControl(kinds[i])->findChild<QWidget *>("c"), map);
        QCOMPARE(map.keys(), QStringList{Key});
        QCOMPARE(map.value(Key).userType(), expected[i].userType());
        QCOMPARE(map.value(Key), expected[i]);
    }
    QLineEdit edit("text");
    QVariantMap map;
    IPCore::insertToCfgsMap("EDIT", &edit, map);
    QVERIFY(map.isEmpty());
}

// Whatever text a value holds, QSettings reads back the same text; numbers are plain decimals.
void tst_CoreGen::writeRoundTrip()
{
    const QList<QPair<QString, QVariant>> written = {{"K1", "a=b"},
                                                     {"K2", "a;b"},
                                                     {"K3", "a,b"},
                                                     {"K4", "say \"hi\""},
                                                     {"K5", "C:\\dir\\x"},
                                                     {"K6", QStringLiteral("Grüße ✓")},
                                                     {"K7", QStringLiteral("é1fA")},
                                                     {"K8", QStringLiteral("\U0001F600")},
                                                     {"K9", "  padded "},
                                                     {"K10", "a\nb\tc\rd"},
                                                     {"K11", "@Variant(x)"},
                                                     {"K12", ""},
                                                     {"two words", "v"},
                                                     {QStringLiteral("Größe€"), "v"},
                                                     {"B", true},
                                                     {"I", -42},
                                                     {"D1", 400.0},
                                                     {"D2", 0.0234375},
                                                     {"D3", 999999999.0}};
    const QStringList numbers{"true", "-42", "400", "0.0234375", "999999999"};
    QVariantMap config;
    for (const auto &pair : written)
        config.insert(pair.first, pair.second);
    QTemporaryDir dir;
    const QString path = dir.filePath("x.ipc");
    IPCore::writeIPConfig(path, {{"version", "1.0"}, {"K1", "a=b"}}, config);
    QSettings settings(path, QSettings::IniFormat);
    QCOMPARE(settings.status(), QSettings::NoError);
    QCOMPARE(settings.value("K1"), QVariant("a=b"));
    settings.beginGroup("Config");
    QCOMPARE(settings.childKeys().size(), written.size());
    for (int i = 0; i < written.size(); ++i) {
        const QString text = i < written.size() - numbers.size() ? written[i].second.toString()
                                                                 : numbers[i - written.size() + numbers.size()];
        QCOMPARE(settings.value(written[i].first), QVariant(text));
    }
}

void tst_CoreGen::writeLayoutAndRewrite()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("pll.ipc");
    QVERIFY(IPCore::writeIPConfig(path, {{"version", "1.0"}, {"type", QString()}},
                                  {{"MODE_GENERAL", true}, {"CLKIN_FREQ", 100.0}, {"STALE", 1}}));
    // Hand-made tools read these files too, so the layout itself is pinned.
    QCOMPARE(contents(path), QByteArray("[General]\ntype=\nversion=1.0\n\n"
                                        "[Config]\nCLKIN_FREQ=100\nMODE_GENERAL=true\nSTALE=1\n"));
    // Writing again replaces the file: no key of the old one survives.
    IPCore::writeIPConfig(path, {{"version", "1.0"}}, {{"A", 2}});
    QCOMPARE(contents(path), QByteArray("[General]\nversion=1.0\n\n[Config]\nA=2\n"));
}

// A write the file system refuses leaves the old file, reports on the warning channel and returns
// false; the dialog-level tests cut writes short part-way.
void tst_CoreGen::failedWriteKeepsOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("pll.ipc");
    const QVariantMap info{{"version", "1.0"}};
    QVERIFY(IPCore::writeIPConfig(path, info, {{"OLD", true}}));
    const QByteArray old = contents(path);
    const QRegularExpression warning("^IPCore::writeIPConfig: could not write '.*pll\\.ipc'");
    QTest::ignoreMessage(QtWarningMsg, warning);
    QVERIFY(!IPCore::writeIPConfig(dir.filePath("absent/pll.ipc"), info, {{"NEW", true}}));
    QVERIFY(!QFileInfo::exists(dir.filePath("absent")));

    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    const bool binds = ::access(qPrintable(dir.path()), W_OK) != 0; // not for root
    if (binds) {
        QTest::ignoreMessage(QtWarningMsg, warning);
        QVERIFY(!IPCore::writeIPConfig(path, info, {{"NEW", true}}));
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(contents(path), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"pll.ipc"});
}

// The core's dialog opens naming its device, wide enough for the whole page and no taller than the
// screen, and Tab walks the frame, then the page column by column from the top, then the buttons.
void tst_CoreGen::opensShowingPageAndDevice_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("title");
    QTest::newRow("BRN-4LP") << "BRN-4LP"
                             << "MIREL PLL \u2014 BRN-4LP (BRN-4LP-CS49)";
    QTest::newRow("by part id") << "AXL-25-BG256"
                                << "MIREL PLL \u2014 AXL-25 (AXL-25-BG256)";
}

void tst_CoreGen::opensShowingPageAndDevice()
{
    QFETCH(QString, device);
    QFETCH(QString, title);
    QTemporaryDir dir;
    ModMirel::Mirel_Dialog dialog({{"ipcore.label", "MIREL PLL"}}, nullptr);
    dialog.setCreating(dir.path(), DEV::DeviceTable::find(device)->arg());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.windowTitle(), title);
    QCOMPARE(dialog.findChild<QLabel *>("deviceText")->text(), title.section(" \u2014 ", 1));

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
    QCOMPARE(chain.join(' '),
             QString("moduleNameEdit fileNameEdit createPathEdit browseButton languageCombo qt_tabwidget_tabbar "
                     "scrollArea "
                     "radioModeGeneral radioModeAdvanced radioPhaseDutyDynamic radioPhaseDutyStatic checkPllReset "
                     "checkPllPowerDown "
                     "checkPllRegulator clkinSpinFrequency clkinRadioDivideDynamic clkinSpinDivideDyn "
                     "clkinRadioDivideStatic "
                     "clkinSpinDivideStatic btnCalculate clkfbComBoxSource clkfbRadioDivideDynamic clkfbSpinDivideDyn "
                     "clkfbRadioDivideStatic clkfbSpinDivideStatic checkLockEn "
                     "clkoutCheckBypass clkoutSpinFrequency clkoutComBoxTolerance clkoutRadioDivideDyn "
                     "clkoutComBoxDivideDyn "
                     "clkoutRadioDivideStatic clkoutComBoxDivideStatic clkoutEditActualFrequency clkoutpCheckEnable "
                     "clkoutpCheckBypass "
                     "clkoutpComBoxPhase clkoutpComBoxDutyCycle clkoutdCheckEnable clkoutdCheckBypass "
                     "clkoutdRadioSrcClkout "
                     "clkoutdRadioSrcClkoutp clkoutdSpinFrequency clkoutdComBoxTolerance clkoutdSpinDivider "
                     "clkoutdEditActualFrequency "
                     "clkoutd3CheckEnable clkoutd3RadioSrcClkout clkoutd3RadioSrcClkoutp QPushButton:OK "
                     "QPushButton:Cancel QPushButton:Help"));
}

QTEST_MAIN(tst_CoreGen)
#include "tst_coregen.moc"
