// SPDX-License-Identifier: MIT
// The searches as the dialog runs them: widgets in, widgets and boxes or lines out.
#include "dialogdriver.h"
#include "mireldialog.h"
#include "modalwatcher.h"

#include <devicetable.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using ModMirel::Mirel_Dialog;
using L = QStringList;

namespace {

const QString cannot
        = "The Expected Frequency of %1 cannot be generated. Try to change the Expected Frequency or Tolerance(%)";

// A fresh dialog on the device a "device=NAME" step names (else the default one),
// set up through its own widgets.
struct Fixture
{
    explicit Fixture(L steps = {})
        : dialog(QVariantMap(), nullptr)
    {
        const QString device = steps.isEmpty() || !steps[0].startsWith("device=") ? QString()
                                                                                  : steps.takeFirst().mid(7);
        dialog.setCreating("/tmp",
                           (device.isEmpty() ? DEV::DeviceTable::defaultDevice() : *DEV::DeviceTable::find(device))
                                   .arg());
        driveDialog(&dialog, steps);
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
    Mirel_Dialog dialog;
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

class tst_Calculation : public QObject
{
    Q_OBJECT

private slots:
    void clkoutSearch_data();
    void clkoutSearch();
    void calculateBoxes_data();
    void calculateBoxes();
    void rangesFollowTheDevice();
};

void tst_Calculation::clkoutSearch_data()
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
    const QString illegal = "WARNING: The value of divide factor for CLKIN and CLKFB is illegal";
    for (const DEV::DeviceInfo &d : DEV::DeviceTable::devices()) {
        const L on{"device=" + d.device};
        QTest::addRow("%s: VCO of 3456", qPrintable(d.device))
                << on + advanced(1, 64, 2) << -1.0 << L{"1", "1", "2", "1728.000 color:red"} << illegal;
        QTest::addRow("%s: 3 MHz, no legal ODIV", qPrintable(d.device))
                << on + advanced(9, 1, 2) << -1.0 << L{"1", "1", "2", "3.000 color:red"} << illegal;
        const QString max = QString::number(d.pll.clkoutMax, 'f', 3);
        QTest::addRow("%s: 1.5 x the maximum", qPrintable(d.device))
                << on + general("100", QString::number(d.pll.clkoutMax * 1.5), "2.0") << -1.0
                << L{"1", "1", "2", max + " color:red"} << "WARNING: " + cannot.arg("CLKOUT");
    }
}

// Both overloads change the same widgets; the box one shows as "Warning" boxes exactly the lines the other appends.
void tst_Calculation::clkoutSearch()
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

void tst_Calculation::calculateBoxes_data()
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

void tst_Calculation::calculateBoxes()
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

void tst_Calculation::rangesFollowTheDevice()
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

QTEST_MAIN(tst_Calculation)
#include "tst_calculation.moc"
