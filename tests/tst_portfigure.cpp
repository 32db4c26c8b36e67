// SPDX-License-Identifier: MIT
// The ports the dialog hands to the host: which, in what order, of what kind.
#include "dialogdriver.h"
#include "mireldialog.h"

#include <QtTest>

using ModMirel::Mirel_Dialog;
using L = QStringList;

class tst_PortFigure : public QObject
{
    Q_OBJECT

private slots:
    void ports_data();
    void ports();
    void refreshesPerAction_data();
    void refreshesPerAction();
};

void tst_PortFigure::ports_data()
{
    QTest::addColumn<L>("steps");
    QTest::addColumn<L>("ports");
    const L inputs{"checkPllReset=true", "checkPllRegulator=true", "checkPllPowerDown=true", "clkfbComBoxSource=External",
                   "checkLockEn=true"};
    const L all = inputs + L{"radioModeAdvanced=true", "clkoutpCheckEnable=true", "clkoutdCheckEnable=true",
                             "clkoutd3CheckEnable=true"};
    QTest::newRow("nothing optional") << L{} << L{"clkin", "clkout"};
    QTest::newRow("general mode inputs") << inputs << L{"reset", "vren", "clkin", "reset_p", "clkfb", "lock", "clkout"};
    QTest::newRow("general mode never lists selects")
        << L{"clkinRadioDivideDynamic=true", "clkfbRadioDivideDynamic=true", "clkoutRadioDivideDyn=true"} << L{"clkin", "clkout"};
    QTest::newRow("advanced dynamic dividers")
        << L{"radioModeAdvanced=true", "checkPllPowerDown=true", "clkfbComBoxSource=External"}
        << L{"clkin", "idsel[5:0]", "reset_p", "clkfb", "fbdsel[5:0]", "clkout", "odsel[5:0]"};
    QTest::newRow("advanced static dividers") << L{"radioModeAdvanced=true", "clkinRadioDivideStatic=true",
                                                   "clkfbRadioDivideStatic=true", "clkoutRadioDivideStatic=true"}
                                              << L{"clkin", "clkout"};
    QTest::newRow("advanced, clkout bypassed, dynamic odiv")
        << L{"clkoutCheckBypass=true", "radioModeAdvanced=true"} << L{"clkin", "idsel[5:0]", "fbdsel[5:0]", "clkout"};
    QTest::newRow("clkoutp live, dynamic phase")
        << L{"clkoutpCheckEnable=true"} << L{"clkin", "clkout", "clkoutp", "psda[3:0]", "dutyda[3:0]", "fdly[3:0]"};
    QTest::newRow("clkoutp bypassed") << L{"clkoutpCheckEnable=true", "clkoutpCheckBypass=true"} << L{"clkin", "clkout", "clkoutp"};
    QTest::newRow("clkoutp, static phase")
        << L{"clkoutpCheckEnable=true", "radioPhaseDutyStatic=true"} << L{"clkin", "clkout", "clkoutp"};
    QTest::newRow("clkoutd bypassed stays listed")
        << L{"clkoutdCheckEnable=true", "clkoutCheckBypass=true"} << L{"clkin", "clkout", "clkoutd"};
    QTest::newRow("everything") << all << L{"reset", "vren", "clkin", "idsel[5:0]", "reset_p", "clkfb", "fbdsel[5:0]", "lock",
                                            "clkout", "odsel[5:0]", "clkoutp", "psda[3:0]", "dutyda[3:0]", "fdly[3:0]",
                                            "clkoutd", "clkoutd3"};
    QTest::newRow("options switched back off")
        << all + L{"checkPllReset=false", "radioModeGeneral=true", "clkoutpCheckEnable=false", "clkfbComBoxSource=Internal"}
        << L{"vren", "clkin", "reset_p", "lock", "clkout", "clkoutd", "clkoutd3"};
}

// Names in order; outputs on the right, inputs on the left, buses marked.
void tst_PortFigure::ports()
{
    QFETCH(L, steps);
    QFETCH(L, ports);
    Mirel_Dialog dialog(QVariantMap(), nullptr);
    const QString error = driveDialog(&dialog, steps);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    L names;
    for (const Utils::PinFigure &pin : dialog.figurePins()) {
        names << pin.name();
        const bool output = pin.name() == "lock" || pin.name().startsWith("clkout");
        QVERIFY2(pin.direction() == (output ? 1 : 0) && pin.isBus() == pin.name().contains('[')
                     && pin.alignment() == (output ? Qt::AlignRight : Qt::AlignLeft), qPrintable(pin.name()));
    }
    QCOMPARE(names, ports);
}

void tst_PortFigure::refreshesPerAction_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<int>("refreshes");
    QTest::newRow("lock") << "checkLockEn=true" << 1;
    QTest::newRow("feedback source") << "clkfbComBoxSource=External" << 1;
    QTest::newRow("odiv radio") << "clkoutRadioDivideStatic=true" << 1;
    QTest::newRow("clkoutd3") << "clkoutd3CheckEnable=true" << 1;
    // The CLKOUT rule group refreshes inside itself, then the slot once more.
    QTest::newRow("mode") << "radioModeAdvanced=true" << 2;
    QTest::newRow("clkout bypass") << "clkoutCheckBypass=true" << 2;
}

void tst_PortFigure::refreshesPerAction()
{
    QFETCH(QString, step);
    QFETCH(int, refreshes);
    Mirel_Dialog dialog(QVariantMap(), nullptr);
    int calls = 0;
    connect(&dialog, &IPCore::ModuleGenDialog::figurePinsChanged, this, [&calls] { ++calls; });
    QMetaObject::invokeMethod(&dialog, "refreshFigure");
    QCOMPARE(calls, 1);
    calls = 0;
    driveDialog(&dialog, {step});
    QCOMPARE(calls, refreshes);
}

QTEST_MAIN(tst_PortFigure)
#include "tst_portfigure.moc"
