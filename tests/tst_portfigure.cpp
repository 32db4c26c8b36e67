// SPDX-License-Identifier: MIT
// The ports the dialog hands to the host: which, in what order, of what kind.
#include "dialogdriver.h"
#include "mireldialog.h"

#include <QtTest>

using ModMirel::Mirel_Dialog;

class tst_PortFigure : public QObject
{
    Q_OBJECT

private slots:
    void ports_data();
    void ports();
    void pinKinds();
    void refreshesPerAction_data();
    void refreshesPerAction();
};

void tst_PortFigure::ports_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("ports");
    const QStringList all{"checkPllReset=true", "checkPllRegulator=true", "checkPllPowerDown=true",
                          "clkfbComBoxSource=External", "checkLockEn=true", "radioModeAdvanced=true",
                          "clkoutpCheckEnable=true", "clkoutdCheckEnable=true", "clkoutd3CheckEnable=true"};

    QTest::newRow("nothing optional") << QStringList{} << QStringList{"clkin", "clkout"};
    QTest::newRow("general mode inputs")
        << QStringList{"checkPllReset=true", "checkPllRegulator=true", "checkPllPowerDown=true",
                       "clkfbComBoxSource=External", "checkLockEn=true"}
        << QStringList{"reset", "vren", "clkin", "reset_p", "clkfb", "lock", "clkout"};
    QTest::newRow("general mode never lists selects")
        << QStringList{"clkinRadioDivideDynamic=true", "clkfbRadioDivideDynamic=true", "clkoutRadioDivideDyn=true"}
        << QStringList{"clkin", "clkout"};
    QTest::newRow("advanced dynamic dividers")
        << QStringList{"radioModeAdvanced=true", "checkPllPowerDown=true", "clkfbComBoxSource=External"}
        << QStringList{"clkin", "idsel[5:0]", "reset_p", "clkfb", "fbdsel[5:0]", "clkout", "odsel[5:0]"};
    QTest::newRow("advanced static dividers")
        << QStringList{"radioModeAdvanced=true", "clkinRadioDivideStatic=true", "clkfbRadioDivideStatic=true",
                       "clkoutRadioDivideStatic=true"}
        << QStringList{"clkin", "clkout"};
    QTest::newRow("advanced, clkout bypassed, dynamic odiv")
        << QStringList{"clkoutCheckBypass=true", "radioModeAdvanced=true"}
        << QStringList{"clkin", "idsel[5:0]", "fbdsel[5:0]", "clkout"};
    QTest::newRow("clkoutp live, dynamic phase") << QStringList{"clkoutpCheckEnable=true"}
        << QStringList{"clkin", "clkout", "clkoutp", "psda[3:0]", "dutyda[3:0]", "fdly[3:0]"};
    QTest::newRow("clkoutp bypassed") << QStringList{"clkoutpCheckEnable=true", "clkoutpCheckBypass=true"}
        << QStringList{"clkin", "clkout", "clkoutp"};
    QTest::newRow("clkoutp, static phase") << QStringList{"clkoutpCheckEnable=true", "radioPhaseDutyStatic=true"}
        << QStringList{"clkin", "clkout", "clkoutp"};
    QTest::newRow("clkoutd bypassed stays listed") << QStringList{"clkoutdCheckEnable=true", "clkoutCheckBypass=true"}
        << QStringList{"clkin", "clkout", "clkoutd"};
    QTest::newRow("everything") << all
        << QStringList{"reset", "vren", "clkin", "idsel[5:0]", "reset_p", "clkfb", "fbdsel[5:0]", "lock", "clkout",
                       "odsel[5:0]", "clkoutp", "psda[3:0]", "dutyda[3:0]", "fdly[3:0]", "clkoutd", "clkoutd3"};
    QTest::newRow("options switched back off") << all + QStringList{"checkPllReset=false", "radioModeGeneral=true",
                                                                    "clkoutpCheckEnable=false", "clkfbComBoxSource=Internal"}
        << QStringList{"vren", "clkin", "reset_p", "lock", "clkout", "clkoutd", "clkoutd3"};
}

void tst_PortFigure::ports()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, ports);
    Mirel_Dialog dialog(QVariantMap(), nullptr);
    const QString error = driveDialog(&dialog, steps);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QStringList names;
    for (const Utils::PinFigure &pin : dialog.figurePins())
        names << pin.name();
    QCOMPARE(names, ports);
}

void tst_PortFigure::pinKinds()
{
    Mirel_Dialog dialog(QVariantMap(), nullptr);
    driveDialog(&dialog, {"checkPllReset=true", "radioModeAdvanced=true", "checkLockEn=true", "clkoutpCheckEnable=true"});
    for (const Utils::PinFigure &pin : dialog.figurePins()) {
        const bool output = QStringList{"lock", "clkout", "clkoutp"}.contains(pin.name());
        const bool bus = pin.name().contains(QLatin1Char('['));
        QCOMPARE(pin.direction(), output ? 1 : 0);
        QCOMPARE(pin.isBus(), bus);
        QCOMPARE(pin.alignment(), output ? Qt::AlignRight : Qt::AlignLeft);
    }
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
