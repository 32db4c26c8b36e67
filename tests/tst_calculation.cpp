// SPDX-License-Identifier: MIT
// The searches as the dialog runs them: widgets in, widgets and boxes or lines out.
#include "mireldialog.h"
#include "modalwatcher.h"

#include <devicetable.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QtTest>

using ModMirel::Mirel_Dialog;

namespace {

const QString clkoutFailure = QStringLiteral(
    "The Expected Frequency of CLKOUT cannot be generated. Try to change the Expected Frequency or Tolerance(%)");
const QString clkoutdFailure = QStringLiteral(
    "The Expected Frequency of CLKOUTD cannot be generated. Try to change the Expected Frequency or Tolerance(%)");

// A fresh dialog on the default device, set up through its own widgets.
struct Fixture
{
    explicit Fixture(const QString &device = QString())
        : dialog(QVariantMap(), nullptr)
    {
        const DEV::DeviceInfo *info = device.isEmpty() ? nullptr : DEV::DeviceTable::find(device);
        dialog.setCreating(QStringLiteral("/tmp"), info ? info->arg() : DEV::DeviceTable::defaultDevice().arg());
    }
    template<typename T> T *w(const char *name)
    {
        auto *widget = dialog.findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }
    void general(double clkin, double clkout, const QString &tolerance)
    {
        w<QDoubleSpinBox>("clkinSpinFrequency")->setValue(clkin);
        w<QDoubleSpinBox>("clkoutSpinFrequency")->setValue(clkout);
        w<QComboBox>("clkoutComBoxTolerance")->setCurrentText(tolerance);
    }
    void advanced(double clkin, int idiv, int fbdiv, const QString &odiv)
    {
        w<QRadioButton>("radioModeAdvanced")->setChecked(true);
        w<QDoubleSpinBox>("clkinSpinFrequency")->setValue(clkin);
        w<QSpinBox>("clkinSpinDivideDyn")->setValue(idiv);
        w<QSpinBox>("clkfbSpinDivideDyn")->setValue(fbdiv);
        w<QComboBox>("clkoutComBoxDivideDyn")->setCurrentText(odiv);
    }
    // What a user sees after a search: dividers, ODIV item, result text and colour.
    QStringList view()
    {
        return {QString::number(w<QSpinBox>("clkinSpinDivideStatic")->value()),
                QString::number(w<QSpinBox>("clkfbSpinDivideStatic")->value()),
                w<QComboBox>("clkoutComBoxDivideStatic")->currentText(),
                w<QLineEdit>("clkoutEditActualFrequency")->text(),
                w<QLineEdit>("clkoutEditActualFrequency")->styleSheet(),
                QString::number(w<QSpinBox>("clkoutdSpinDivider")->value()),
                w<QLineEdit>("clkoutdEditActualFrequency")->text(),
                w<QLineEdit>("clkoutdEditActualFrequency")->styleSheet()};
    }
    bool calculate(bool announce)
    {
        bool result = false;
        QMetaObject::invokeMethod(&dialog, "onBtnCalculate", Q_RETURN_ARG(bool, result), Q_ARG(bool, announce));
        return result;
    }

    Mirel_Dialog dialog;
};

} // namespace

class tst_Calculation : public QObject
{
    Q_OBJECT

private slots:
    void clkoutSearch_data();
    void clkoutSearch();
    void overloadsAgree_data();
    void overloadsAgree();
    void clkoutdSearch_data();
    void clkoutdSearch();
    void calculateBoxes_data();
    void calculateBoxes();
    void calculateButtonAnnounces();
    void rangeLabels_data();
    void rangeLabels();
    void rangeRefreshClampsClkin();
};

void tst_Calculation::clkoutSearch_data()
{
    QTest::addColumn<bool>("general");
    QTest::addColumn<QVariantList>("setting"); // General: clkin, clkout, tolerance; Advanced: clkin, idiv, fbdiv, odiv
    QTest::addColumn<double>("result");
    QTest::addColumn<QStringList>("view");    // idiv, fbdiv, odiv item, text, style
    QTest::addColumn<QString>("line");

    QTest::newRow("27->100 at 0.5%") << true << QVariantList{27.0, 100.0, "0.5"} << 100.2857
                                     << QStringList{"7", "26", "4", "100.286", "color:gray"} << "";
    QTest::newRow("27->100 at 0.0% fails") << true << QVariantList{27.0, 100.0, "0.0"} << -1.0
                                           << QStringList{"1", "1", "2", "100.286", "color:red"}
                                           << "WARNING: " + clkoutFailure;
    QTest::newRow("25->33.3 at 0.2%") << true << QVariantList{25.0, 33.3, "0.2"} << 33.3333
                                      << QStringList{"3", "4", "16", "33.333", "color:gray"} << "";
    QTest::newRow("50->100 exact, smallest pair") << true << QVariantList{50.0, 100.0, "0.0"} << 100.0
                                                  << QStringList{"1", "2", "4", "100.000", "color:gray"} << "";
    QTest::newRow("advanced ODIV recommendation") << false << QVariantList{27.0, 1, 4, "2"} << -1.0
                                                  << QStringList{"1", "1", "2", "108.000", "color:gray"}
                                                  << "WARNING: The divide factor of CLKOUT is illegal, the recommand value is 4.";
    QTest::newRow("advanced legal") << false << QVariantList{27.0, 1, 4, "4"} << 108.0
                                    << QStringList{"1", "1", "2", "108.000", "color:gray"} << "";
    QTest::newRow("advanced PFD equal to clkinMax") << false << QVariantList{450.0, 1, 1, "2"} << 450.0
                                               << QStringList{"1", "1", "2", "450.000", "color:gray"} << "";
}

void tst_Calculation::clkoutSearch()
{
    QFETCH(bool, general);
    QFETCH(QVariantList, setting);
    QFETCH(double, result);
    QFETCH(QStringList, view);
    QFETCH(QString, line);
    Fixture f;
    if (general)
        f.general(setting[0].toDouble(), setting[1].toDouble(), setting[2].toString());
    else
        f.advanced(setting[0].toDouble(), setting[1].toInt(), setting[2].toInt(), setting[3].toString());
    QStringList lines;
    const double frequency = f.dialog.calculateClkout(lines);
    if (result == -1.0)
        QCOMPARE(frequency, -1.0);
    else
        QVERIFY(qAbs(frequency - result) < 1e-4);
    QCOMPARE(f.view().mid(0, 5), view);
    QCOMPARE(lines, line.isEmpty() ? QStringList() : QStringList{line});
}

void tst_Calculation::overloadsAgree_data()
{
    QTest::addColumn<QVariantList>("setting");
    QTest::newRow("success") << QVariantList{27.0, 100.0, "0.5"};
    QTest::newRow("failure") << QVariantList{27.0, 100.0, "0.0"};
    QTest::newRow("bypassed") << QVariantList{27.0, 0.0, ""};
}

void tst_Calculation::overloadsAgree()
{
    QFETCH(QVariantList, setting);
    Fixture boxed, batch;
    for (Fixture *f : {&boxed, &batch}) {
        if (setting[2].toString().isEmpty())
            f->w<QCheckBox>("clkoutCheckBypass")->setChecked(true);
        else
            f->general(setting[0].toDouble(), setting[1].toDouble(), setting[2].toString());
    }
    double boxedResult = 0;
    {
        ModalWatcher watcher;
        boxedResult = boxed.dialog.calculateClkout();
        QStringList lines;
        QCOMPARE(batch.dialog.calculateClkout(lines), boxedResult);
        QCOMPARE(watcher.boxes.size(), lines.size());
        for (int i = 0; i < lines.size(); ++i) {
            QCOMPARE(QStringLiteral("WARNING: ") + watcher.boxes[i].text, lines[i]);
            QCOMPARE(watcher.boxes[i].title, QStringLiteral("Warning"));
            QCOMPARE(watcher.boxes[i].icon, QMessageBox::Warning);
            QVERIFY(watcher.boxes[i].hasWindowIcon);
        }
    }
    QCOMPARE(boxed.view(), batch.view());
}

void tst_Calculation::clkoutdSearch_data()
{
    QTest::addColumn<bool>("general");
    QTest::addColumn<double>("expected");
    QTest::addColumn<QString>("tolerance");
    QTest::addColumn<int>("divider");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("view"); // divider, text, style
    QTest::newRow("100->25 at 0.0%") << true << 25.0 << "0.0" << 2 << true << QStringList{"4", "25.000", "color:gray"};
    QTest::newRow("100->30 at 2.0% fails") << true << 30.0 << "2.0" << 2 << false << QStringList{"2", "25.000", "color:red"};
    QTest::newRow("100->37.5 tie keeps first") << true << 37.5 << "2.0" << 2 << false << QStringList{"2", "50.000", "color:red"};
    QTest::newRow("advanced odd divider computes") << false << 1.0 << "0.0" << 3 << true << QStringList{"3", "33.333", "color:gray"};
}

void tst_Calculation::clkoutdSearch()
{
    QFETCH(bool, general);
    QFETCH(double, expected);
    QFETCH(QString, tolerance);
    QFETCH(int, divider);
    QFETCH(bool, ok);
    QFETCH(QStringList, view);
    Fixture f;
    if (!general)
        f.w<QRadioButton>("radioModeAdvanced")->setChecked(true);
    f.w<QDoubleSpinBox>("clkoutdSpinFrequency")->setValue(expected);
    f.w<QComboBox>("clkoutdComBoxTolerance")->setCurrentText(tolerance);
    f.w<QSpinBox>("clkoutdSpinDivider")->setValue(divider);
    QStringList lines;
    QCOMPARE(f.dialog.calculateClkoutd(100.0, lines), ok);
    QCOMPARE(f.view().mid(5), view);
    QCOMPARE(lines, ok ? QStringList() : QStringList{"WARNING: " + clkoutdFailure});
}

void tst_Calculation::calculateBoxes_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QStringList>("boxes");
    QTest::newRow("clkout fails") << "clkout fails" << false << QStringList{clkoutFailure};
    QTest::newRow("clkoutd bypassed") << "clkoutd bypassed" << true << QStringList{"Succeed"};
    QTest::newRow("clkoutd fails") << "clkoutd fails" << false << QStringList{clkoutdFailure};
    QTest::newRow("advanced odd divider") << "advanced odd" << true << QStringList{"Succeed"};
    QTest::newRow("both succeed") << "both" << true << QStringList{"Succeed"};
}

void tst_Calculation::calculateBoxes()
{
    QFETCH(QString, situation);
    QFETCH(bool, result);
    QFETCH(QStringList, boxes);
    Fixture f;
    f.general(27.0, 100.0, situation == QLatin1String("clkout fails") ? "0.0" : "0.5");
    if (situation != QLatin1String("clkout fails"))
        f.w<QCheckBox>("clkoutdCheckEnable")->setChecked(true);
    if (situation == QLatin1String("clkoutd bypassed"))
        f.w<QCheckBox>("clkoutdCheckBypass")->setChecked(true);
    f.w<QDoubleSpinBox>("clkoutdSpinFrequency")->setValue(situation == QLatin1String("clkoutd fails") ? 30.0 : 25.0);
    f.w<QComboBox>("clkoutdComBoxTolerance")->setCurrentText(QStringLiteral("2.0"));
    if (situation == QLatin1String("advanced odd")) {
        f.advanced(27.0, 1, 4, QStringLiteral("4"));
        f.w<QSpinBox>("clkoutdSpinDivider")->setValue(3);
    }
    ModalWatcher watcher;
    QCOMPARE(f.calculate(true), result);
    QCOMPARE(watcher.texts(), boxes);
    if (boxes == QStringList{"Succeed"}) {
        QCOMPARE(watcher.boxes.first().title, QStringLiteral("info"));
        QCOMPARE(watcher.boxes.first().icon, QMessageBox::Information);
    }
    if (situation == QLatin1String("clkoutd fails"))
        QCOMPARE(f.view().at(3), QStringLiteral("100.286")); // CLKOUT's results stay

    // Unannounced, the same settings change the same widgets and show no success box.
    Fixture quiet;
    quiet.general(27.0, 100.0, QStringLiteral("0.5"));
    ModalWatcher none;
    QVERIFY(quiet.calculate(false));
    QVERIFY(none.boxes.isEmpty());
    QCOMPARE(quiet.view().at(3), QStringLiteral("100.286"));
}

void tst_Calculation::calculateButtonAnnounces()
{
    Fixture f;
    f.general(27.0, 100.0, QStringLiteral("0.5"));
    ModalWatcher watcher;
    f.w<QPushButton>("btnCalculate")->click();
    QCOMPARE(watcher.texts(), QStringList{"Succeed"});
}

void tst_Calculation::rangeLabels_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<QList<double>>("ranges");
    QTest::newRow("default device") << "AXL-12"
        << QStringList{"Clock Frequency (3~450):", "Expected Frequency (3.125~450):", "Expected Frequency (0.024~225.000):"}
        << QList<double>{3, 450, 3.125, 900, 3.125 / 128, 450};
    QTest::newRow("low-power device") << "BRN-4LP"
        << QStringList{"Clock Frequency (3~200):", "Expected Frequency (3.125~300):", "Expected Frequency (0.024~150.000):"}
        << QList<double>{3, 200, 3.125, 600, 3.125 / 128, 300};
}

void tst_Calculation::rangeLabels()
{
    QFETCH(QString, device);
    QFETCH(QStringList, labels);
    QFETCH(QList<double>, ranges);
    Fixture f(device);
    QCOMPARE(QStringList({f.w<QLabel>("clkinLabelFrequency")->text(), f.w<QLabel>("clkoutLabelFrequency")->text(),
                          f.w<QLabel>("clkoutdLabelFrequency")->text()}),
             labels);
    const QList<QDoubleSpinBox *> spins{f.w<QDoubleSpinBox>("clkinSpinFrequency"), f.w<QDoubleSpinBox>("clkoutSpinFrequency"),
                                        f.w<QDoubleSpinBox>("clkoutdSpinFrequency")};
    for (int i = 0; i < spins.size(); ++i) {
        // A double spin box rounds its bounds to its three decimals.
        QVERIFY2(qAbs(spins[i]->minimum() - ranges[2 * i]) < 1e-3, qPrintable(QString::number(i)));
        QVERIFY2(qAbs(spins[i]->maximum() - ranges[2 * i + 1]) < 1e-3, qPrintable(QString::number(i)));
    }
}

void tst_Calculation::rangeRefreshClampsClkin()
{
    Fixture f;
    f.w<QDoubleSpinBox>("clkinSpinFrequency")->setValue(420.0);
    f.dialog.setCreating(QStringLiteral("/tmp"), DEV::DeviceTable::find(QStringLiteral("BRN-4LP"))->arg());
    QCOMPARE(f.w<QDoubleSpinBox>("clkinSpinFrequency")->value(), 200.0);
}

QTEST_MAIN(tst_Calculation)
#include "tst_calculation.moc"
