// SPDX-License-Identifier: MIT
#include <devicetable.h>
#include <figurepanel.h>
#include <modulegendialog.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using IPCore::ModuleGenDialog;
using Utils::PinFigure;

namespace {

// Records how the frame drives the operations a core overrides.
class ProbeDialog : public ModuleGenDialog
{
public:
    using ModuleGenDialog::accept;

    void refreshDeviceInfo() override
    {
        events << QStringLiteral("refresh");
        deviceAtRefresh = device();
        pathAtRefresh = createPath();
    }

    bool loadIPConfig(const QString &path) override
    {
        events << QStringLiteral("load");
        loadedPath = path;
        return loadResult;
    }

    void accept() override
    {
        ++acceptCount;
    }

    QStringList events;
    DEV::DeviceArg deviceAtRefresh;
    QString pathAtRefresh;
    QString loadedPath;
    bool loadResult = true;
    int acceptCount = 0;
};

QList<PinFigure> makePins(int count)
{
    QList<PinFigure> pins;
    for (int i = 0; i < count; ++i) {
        const bool input = i % 3 != 2;
        const bool bus = i % 4 == 1;
        const QString name = QStringLiteral("pin%1").arg(i) + (bus ? QStringLiteral("[5:0]") : QString());
        pins.append(PinFigure(name, input ? 0 : 1, bus, input ? Qt::AlignLeft : Qt::AlignRight));
    }
    return pins;
}

QString writeIni(const QTemporaryDir &dir, const QString &name, const QByteArray &content)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(content);
    return path;
}

} // namespace

class TestModuleGenDialog : public QObject
{
    Q_OBJECT

private slots:
    void createPathTrimsTrailingSlash_data();
    void createPathTrimsTrailingSlash();
    void languageIndexIsFileType_data();
    void languageIndexIsFileType();
    void defaultFileNameOnlyFillsEmptyField_data();
    void defaultFileNameOnlyFillsEmptyField();
    void setCreatingStoresDeviceBeforeRefresh();
    void setOpening_data();
    void setOpening();
    void setOpeningMissingFileStillReachesLoader();
    void baseBatchOperationsRefuse();
    void figurePinsRendered_data();
    void figurePinsRendered();
    void okRunsOverriddenAccept();
    void help_data();
    void help();
};

void TestModuleGenDialog::createPathTrimsTrailingSlash_data()
{
    QTest::addColumn<QString>("entered");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain") << "/work/out" << "/work/out";
    QTest::newRow("one slash") << "/work/out/" << "/work/out";
    QTest::newRow("several slashes") << "/work/out///" << "/work/out";
    QTest::newRow("root") << "/" << "/";
    QTest::newRow("root doubled") << "//" << "/";
    QTest::newRow("relative") << "out/" << "out";
    QTest::newRow("blanks around") << "  /work/out/  " << "/work/out";
    QTest::newRow("empty") << "" << "";
}

void TestModuleGenDialog::createPathTrimsTrailingSlash()
{
    QFETCH(QString, entered);
    QFETCH(QString, expected);

    ModuleGenDialog dialog;
    dialog.setCreatPath(entered);
    QCOMPARE(dialog.createPath(), expected);
}

void TestModuleGenDialog::languageIndexIsFileType_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("shown");

    QTest::newRow("verilog") << 0 << 0 << "Verilog";
    QTest::newRow("vhdl") << 1 << 1 << "VHDL";
    QTest::newRow("other value is vhdl") << 7 << 1 << "VHDL";
    QTest::newRow("negative is vhdl") << -1 << 1 << "VHDL";
}

void TestModuleGenDialog::languageIndexIsFileType()
{
    QFETCH(int, index);
    QFETCH(int, expected);
    QFETCH(QString, shown);

    ModuleGenDialog dialog;
    QCOMPARE(dialog.fileType(), 0);
    dialog.uiSetLanguageIndex(index);
    QCOMPARE(dialog.uiLanguageIndex(), expected);
    QCOMPARE(dialog.fileType(), expected);
    auto *combo = dialog.findChild<QComboBox *>(QStringLiteral("languageCombo"));
    QVERIFY(combo);
    QCOMPARE(combo->currentText(), shown);
}

void TestModuleGenDialog::defaultFileNameOnlyFillsEmptyField_data()
{
    QTest::addColumn<QString>("preset");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty field") << "" << "mirel";
    QTest::newRow("blank field") << "   " << "mirel";
    QTest::newRow("user's name kept") << "my_pll" << "my_pll";
}

void TestModuleGenDialog::defaultFileNameOnlyFillsEmptyField()
{
    QFETCH(QString, preset);
    QFETCH(QString, expected);

    ModuleGenDialog dialog;
    dialog.uiSetFileName(preset);
    dialog.uiSetDefaultFileName(QStringLiteral("mirel"));
    QCOMPARE(dialog.fileName(), expected);
    QCOMPARE(dialog.defaultFileName(), QStringLiteral("mirel"));
}

void TestModuleGenDialog::setCreatingStoresDeviceBeforeRefresh()
{
    ProbeDialog dialog;
    QVERIFY(!dialog.device().isValid());

    const DEV::DeviceArg device(QStringLiteral("AXL-25"), QStringLiteral("AXL-25-BG256"));
    dialog.setCreating(QStringLiteral("/work/out/"), device);

    QCOMPARE(dialog.events, QStringList{QStringLiteral("refresh")});
    QCOMPARE(dialog.device(), device);
    // The core adapts to the new device, so it must already see it and the directory.
    QCOMPARE(dialog.deviceAtRefresh, device);
    QCOMPARE(dialog.pathAtRefresh, QStringLiteral("/work/out"));
}

void TestModuleGenDialog::setOpening_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("second");
    QTest::addColumn<bool>("loadResult");
    QTest::addColumn<QString>("expectedDevice");
    QTest::addColumn<QString>("expectedFile");
    QTest::addColumn<QString>("expectedModule");

    const QString fallback = DEV::DeviceTable::defaultDevice().device;

    QTest::newRow("device from file")
        << QByteArray("target_device=AXL-25-BG256\nfile=pll_a\nmodule=pll_top\n[Config]\nX=1\n")
        << "" << true << "AXL-25" << "pll_a" << "pll_top";
    QTest::newRow("device from caller wins")
        << QByteArray("target_device=AXL-25-BG256\nfile=pll_a\nmodule=pll_top\n")
        << "BRN-4LP" << true << "BRN-4LP" << "pll_a" << "pll_top";
    QTest::newRow("caller names part id")
        << QByteArray("file=pll_a\n") << "brn-4lp-cs49" << true << "BRN-4LP" << "pll_a" << "preset";
    QTest::newRow("unknown device in file")
        << QByteArray("target_device=XYZ-9\n") << "" << true << fallback << "saved" << "preset";
    QTest::newRow("no device, file or module keys")
        << QByteArray("[Config]\nfile=inner\nmodule=inner\n") << "" << true << fallback << "saved"
        << "preset";
    QTest::newRow("loader refuses")
        << QByteArray("target_device=AXL-25\nfile=pll_a\n") << "" << false << "AXL-25" << "pll_a"
        << "preset";
}

void TestModuleGenDialog::setOpening()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, second);
    QFETCH(bool, loadResult);
    QFETCH(QString, expectedDevice);
    QFETCH(QString, expectedFile);
    QFETCH(QString, expectedModule);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = writeIni(dir, QStringLiteral("saved.ipc"), ini);
    QVERIFY(!path.isEmpty());

    ProbeDialog dialog;
    dialog.uiSetModuleName(QStringLiteral("preset"));
    dialog.setCreatPath(QStringLiteral("/elsewhere"));
    dialog.loadResult = loadResult;

    QCOMPARE(dialog.setOpening(path, second), loadResult);
    QCOMPARE(dialog.events, (QStringList{QStringLiteral("refresh"), QStringLiteral("load")}));
    QCOMPARE(dialog.loadedPath, path);
    QCOMPARE(dialog.device().device(), expectedDevice);
    QCOMPARE(dialog.deviceAtRefresh.device(), expectedDevice);
    QCOMPARE(dialog.createPath(), QFileInfo(dir.path()).absoluteFilePath());
    QCOMPARE(dialog.fileName(), expectedFile);
    QCOMPARE(dialog.moduleName(), expectedModule);
}

void TestModuleGenDialog::setOpeningMissingFileStillReachesLoader()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("gone.ipc"));

    ProbeDialog dialog;
    dialog.loadResult = false;
    QVERIFY(!dialog.setOpening(path, QString()));
    QCOMPARE(dialog.loadedPath, path);
    QCOMPARE(dialog.device(), DEV::DeviceTable::defaultDevice().arg());
    QCOMPARE(dialog.fileName(), QStringLiteral("gone"));
    QVERIFY(!QFile::exists(path));
}

void TestModuleGenDialog::baseBatchOperationsRefuse()
{
    ModuleGenDialog dialog;
    QStringList messages;
    QVERIFY(!dialog.setProperty(QVariantMap{{QStringLiteral("A"), 1}}, messages));
    QVERIFY(!dialog.accept(messages));
    QCOMPARE(messages.size(), 2);
    for (const QString &line : qAsConst(messages))
        QVERIFY2(line.startsWith(QStringLiteral("ERROR: ")), qPrintable(line));
    QVERIFY(!dialog.loadIPConfig(QStringLiteral("/nowhere.ipc")));
}

void TestModuleGenDialog::figurePinsRendered_data()
{
    QTest::addColumn<int>("count");

    QTest::newRow("no pins") << 0;
    QTest::newRow("two pins") << 2;
    QTest::newRow("sixteen pins") << 16;
}

void TestModuleGenDialog::figurePinsRendered()
{
    QFETCH(int, count);

    ModuleGenDialog dialog;
    dialog.uiSetModuleName(QStringLiteral("pll_top"));
    auto *panel = dialog.findChild<IPCore::FigurePanel *>();
    QVERIFY(panel);
    const int emptyHeight = panel->sizeHint().height();
    const QPixmap before = dialog.grab();

    const QList<PinFigure> pins = makePins(count);
    dialog.uiSetFigurePins(pins);
    QCOMPARE(dialog.figurePins(), pins);

    const QPixmap after = dialog.grab();
    QVERIFY(!after.isNull());
    QCOMPARE(after.size(), before.size());
    // A new pin list has to reach the screen; an unchanged (empty) one leaves it as it was.
    const bool changed = before.toImage() != after.toImage();
    QCOMPARE(changed, count > 0);
    // One pin fits the empty symbol's single row; more need a taller panel.
    const bool grew = panel->sizeHint().height() > emptyHeight;
    QCOMPARE(grew, count > 1);
}

void TestModuleGenDialog::okRunsOverriddenAccept()
{
    ProbeDialog dialog;
    auto *buttons = dialog.findChild<QDialogButtonBox *>();
    QVERIFY(buttons);

    buttons->button(QDialogButtonBox::Ok)->click();
    QCOMPARE(dialog.acceptCount, 1);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));

    dialog.setResult(QDialog::Accepted);
    buttons->button(QDialogButtonBox::Cancel)->click();
    QCOMPARE(dialog.acceptCount, 1);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

void TestModuleGenDialog::help_data()
{
    QTest::addColumn<QString>("doc");
    QTest::addColumn<QString>("expected");

    QTest::newRow("no help") << "" << "No help is available for this IP core.";
    QTest::newRow("blank help") << "  " << "No help is available for this IP core.";
    QTest::newRow("core's help") << "Configures the PLL." << "Configures the PLL.";
}

void TestModuleGenDialog::help()
{
    QFETCH(QString, doc);
    QFETCH(QString, expected);

    ModuleGenDialog dialog;
    dialog.helpDoc = doc;
    auto *buttons = dialog.findChild<QDialogButtonBox *>();
    QVERIFY(buttons);

    QString title;
    QString text;
    bool wasModal = false;
    // Polls from inside the message box's own event loop until the box is up.
    QTimer closer;
    closer.setInterval(0);
    connect(&closer, &QTimer::timeout, &dialog, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        closer.stop();
        title = box->windowTitle();
        text = box->text();
        wasModal = box->isModal();
        box->accept();
    });
    closer.start();
    buttons->button(QDialogButtonBox::Help)->click();
    closer.stop();

    QVERIFY(wasModal);
    QCOMPARE(title, QStringLiteral("Help"));
    QCOMPARE(text, expected);
}

QTEST_MAIN(TestModuleGenDialog)
#include "tst_modulegendialog.moc"
