// SPDX-License-Identifier: MIT
// Outcomes of the interaction rules that a user relies on, reached by clicking.
#include "dialogdriver.h"
#include "mireldialog.h"

#include <QtTest>

using ModMirel::Mirel_Dialog;

class tst_Rules : public QObject
{
    Q_OBJECT

private slots:
    void outcomes_data();
    void outcomes();
};

void tst_Rules::outcomes_data()
{
    // "objectName:state", state one of enabled, disabled, checked, unchecked, hidden.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("fresh dialog") << QStringList{}
        << QStringList{"clkinGrpBoxDivide:disabled", "clkfbGrpBoxDivide:disabled", "clkoutGrpDivide:disabled",
                       "clkoutWgtFrequency:enabled", "clkoutCheckBypass:enabled", "clkoutdCheckBypass:disabled",
                       "clkoutdGrpBoxSrc:disabled", "clkoutd3GrpBoxSrc:disabled", "clkoutpCheckBypass:disabled",
                       "clkoutGrpBoxDutyCycle:hidden", "clkoutpGrpBoxDutyCycle:hidden", "btnCalculate:enabled",
                       "clkoutdWgtFrequency:disabled", "clkoutpGrpBoxPhaseDuty:disabled"};
    QTest::newRow("advanced mode") << QStringList{"radioModeAdvanced=true"}
        << QStringList{"clkinGrpBoxDivide:enabled", "clkinSpinDivideDyn:enabled", "clkinSpinDivideStatic:disabled",
                       "clkfbGrpBoxDivide:enabled", "clkoutGrpDivide:enabled", "clkoutComBoxDivideDyn:enabled",
                       "clkoutComBoxDivideStatic:disabled", "clkoutWgtFrequency:disabled", "clkoutCheckBypass:disabled"};
    QTest::newRow("clkout bypassed") << QStringList{"clkoutCheckBypass=true"}
        << QStringList{"clkoutWgtFrequency:disabled", "clkoutCheckBypass:enabled", "clkoutGrpDivide:disabled"};
    QTest::newRow("advanced mode, clkout bypassed") << QStringList{"clkoutCheckBypass=true", "radioModeAdvanced=true"}
        << QStringList{"clkoutCheckBypass:checked", "clkoutCheckBypass:disabled", "clkoutGrpDivide:disabled",
                       "clkoutWgtActualFrequency:disabled"};
    QTest::newRow("odiv radios while bypassed")
        << QStringList{"clkoutCheckBypass=true", "radioModeAdvanced=true", "clkoutRadioDivideStatic=true"}
        << QStringList{"clkoutComBoxDivideStatic:disabled", "clkoutComBoxDivideDyn:disabled"};
    QTest::newRow("odiv static radio live") << QStringList{"radioModeAdvanced=true", "clkoutRadioDivideStatic=true"}
        << QStringList{"clkoutComBoxDivideStatic:enabled", "clkoutComBoxDivideDyn:disabled"};
    QTest::newRow("clkoutd in advanced mode") << QStringList{"radioModeAdvanced=true", "clkoutdCheckEnable=true"}
        << QStringList{"clkoutdWgtDivide:enabled", "clkoutdWgtFrequency:disabled", "clkoutdGrpBoxSrc:enabled",
                       "clkoutdCheckBypass:enabled"};
    QTest::newRow("clkoutd, clkoutp off, clkout bypassed")
        << QStringList{"clkoutdCheckEnable=true", "clkoutCheckBypass=true"}
        << QStringList{"clkoutdCheckBypass:checked", "clkoutdCheckBypass:disabled", "clkoutdRadioSrcClkout:checked",
                       "clkoutdRadioSrcClkoutp:disabled", "clkoutdGrpBoxSrc:disabled"};
    QTest::newRow("clkoutd, clkoutp live, clkout bypassed")
        << QStringList{"clkoutpCheckEnable=true", "clkoutdCheckEnable=true", "clkoutCheckBypass=true"}
        << QStringList{"clkoutdRadioSrcClkoutp:checked", "clkoutdRadioSrcClkout:disabled",
                       "clkoutdRadioSrcClkoutp:enabled", "clkoutdCheckBypass:unchecked", "clkoutdCheckBypass:enabled"};
    QTest::newRow("clkoutd, clkoutp bypassed, clkout bypassed")
        << QStringList{"clkoutpCheckEnable=true", "clkoutpCheckBypass=true", "clkoutdCheckEnable=true",
                       "clkoutCheckBypass=true"}
        << QStringList{"clkoutdCheckBypass:checked", "clkoutdCheckBypass:disabled", "clkoutdRadioSrcClkout:checked"};
    QTest::newRow("clkoutd source falls back when clkoutp goes")
        << QStringList{"clkoutpCheckEnable=true", "clkoutdCheckEnable=true", "clkoutdRadioSrcClkoutp=true",
                       "clkoutpCheckEnable=false"}
        << QStringList{"clkoutdRadioSrcClkout:checked", "clkoutdRadioSrcClkoutp:disabled"};
    QTest::newRow("clkout bypass released") << QStringList{"clkoutdCheckEnable=true", "clkoutCheckBypass=true",
                                                           "clkoutCheckBypass=false"}
        << QStringList{"clkoutdCheckBypass:checked", "clkoutdCheckBypass:enabled", "clkoutWgtFrequency:enabled"};
    QTest::newRow("clkoutp off while clkoutd3 takes it")
        << QStringList{"clkoutpCheckEnable=true", "clkoutd3CheckEnable=true", "clkoutd3RadioSrcClkoutp=true",
                       "clkoutpCheckEnable=false"}
        << QStringList{"clkoutd3RadioSrcClkout:checked", "clkoutd3RadioSrcClkoutp:disabled", "clkoutd3GrpBoxSrc:enabled"};
    QTest::newRow("dynamic phase disables the static group") << QStringList{"clkoutpCheckEnable=true"}
        << QStringList{"clkoutpGrpBoxPhaseDuty:disabled", "clkoutpCheckBypass:enabled"};
    QTest::newRow("static phase enables it") << QStringList{"clkoutpCheckEnable=true", "radioPhaseDutyStatic=true"}
        << QStringList{"clkoutpGrpBoxPhaseDuty:enabled", "clkoutGrpBoxDutyCycle:hidden", "clkoutpGrpBoxDutyCycle:hidden"};
    QTest::newRow("static phase, clkoutp bypassed")
        << QStringList{"clkoutpCheckEnable=true", "radioPhaseDutyStatic=true", "clkoutpCheckBypass=true"}
        << QStringList{"clkoutpGrpBoxPhaseDuty:disabled"};
}

void tst_Rules::outcomes()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, expected);
    Mirel_Dialog dialog(QVariantMap(), nullptr);
    const QString error = driveDialog(&dialog, steps);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    for (const QString &expectation : expected) {
        QWidget *w = dialog.findChild<QWidget *>(expectation.section(':', 0, 0));
        const QString state = expectation.section(':', 1);
        QVERIFY2(w, qPrintable(expectation));
        auto *button = qobject_cast<QAbstractButton *>(w);
        const bool holds = state == "hidden" ? w->isHidden()
                           : state.endsWith("abled") ? w->isEnabled() == (state == "enabled")
                                                      : button && button->isChecked() == (state == "checked");
        QVERIFY2(holds, qPrintable(expectation));
    }
}

QTEST_MAIN(tst_Rules)
#include "tst_rules.moc"
