// SPDX-License-Identifier: MIT
// The host stand-in's dialog frame and how it drives the operations a core overrides.
#include "modalwatcher.h"

#include <devicetable.h>
#include <figurepanel.h>
#include <modulegendialog.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using IPCore::ModuleGenDialog;
using Utils::PinFigure;

namespace {

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

} // namespace

class TestModuleGenDialog : public QObject
{
    Q_OBJECT

private slots:
    void setOpening_data();
    void setOpening();
    void figurePinsRendered();
    void buttons();
};

void TestModuleGenDialog::setOpening_data()
{
    QTest::addColumn<QByteArray>("ini"); // null: no file
    QTest::addColumn<QString>("device");
    QTest::addColumn<bool>("loadResult");
    QTest::addColumn<QString>("expected"); // device, file name, module name
    const QString fallback = DEV::DeviceTable::defaultDevice().device;
    QTest::newRow("device from file") << QByteArray("target_device=AXL-25-BG256\nfile=pll_a\nmodule=pll_top\n[Config]\nX=1\n")
                                      << "" << true << "AXL-25 pll_a pll_top";
    QTest::newRow("device from caller wins") << QByteArray("target_device=AXL-25-BG256\nfile=pll_a\nmodule=pll_top\n")
                                             << "BRN-4LP" << true << "BRN-4LP pll_a pll_top";
    QTest::newRow("caller names part id") << QByteArray("file=pll_a\n") << "brn-4lp-cs49" << true << "BRN-4LP pll_a preset";
    QTest::newRow("unknown device in file") << QByteArray("target_device=XYZ-9\n") << "" << true << fallback + " saved preset";
    QTest::newRow("keys only in the group") << QByteArray("[Config]\nfile=inner\nmodule=inner\n") << "" << true
                                            << fallback + " saved preset";
    QTest::newRow("loader refuses") << QByteArray("target_device=AXL-25\nfile=pll_a\n") << "" << false << "AXL-25 pll_a preset";
    QTest::newRow("missing file still reaches the loader") << QByteArray() << "" << false << fallback + " saved preset";
}

void TestModuleGenDialog::setOpening()
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
void TestModuleGenDialog::figurePinsRendered()
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
void TestModuleGenDialog::buttons()
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
    QCOMPARE(watcher.texts(), QStringList({"No help is available for this IP core.", "No help is available for this IP core.",
                                           "Configures the PLL."}));
    QCOMPARE(watcher.boxes[2].title, QString("Help"));
    QCOMPARE(dialog.events, QStringList{"accept"});
}

QTEST_MAIN(TestModuleGenDialog)
#include "tst_modulegendialog.moc"
