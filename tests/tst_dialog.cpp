// SPDX-License-Identifier: MIT
// The MIREL dialog as built and as a user clicks it: its form on the host frame,
// its slot table, the interaction rules and the ports it hands to the host.
#include "dialogdriver.h"
#include "mireldialog.h"

#include <pllmodel.h>

#include <QLabel>
#include <QMetaMethod>
#include <QTabWidget>
#include <QtTest>

using ModMirel::Mirel_Dialog;
using L = QStringList;

class tst_Dialog : public QObject
{
    Q_OBJECT

private slots:
    void freshDialog();
    void description();
    void slotTable();
    void outcomes_data();
    void outcomes();
    void refreshesPerAction_data();
    void refreshesPerAction();
};

static QStringList items(QComboBox *combo, bool data = false)
{
    QStringList list;
    for (int i = 0; i < combo->count(); ++i)
        list << (data ? combo->itemData(i).toString() : combo->itemText(i));
    return list;
}

void tst_Dialog::freshDialog()
{
    Mirel_Dialog dialog(QVariantMap(), nullptr);
    QTabWidget *tabs = dialog.tabWidget();
    QCOMPARE(tabs->count(), 1);
    QCOMPARE(tabs->tabText(0), QString("Options"));
    QCOMPARE(tabs->widget(0)->objectName(), QString("ModMirel__PllConfig"));

    auto *duty = dialog.findChild<QComboBox *>("clkoutpComBoxDutyCycle");
    QCOMPARE(items(duty), QStringList({"0.125", "0.188", "0.250", "0.313", "0.375", "0.438", "0.500", "0.563", "0.625",
                                       "0.688", "0.750", "0.813", "0.875"}));
    QCOMPARE(items(duty, true), QStringList({"2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14"}));
    QCOMPARE(duty->currentIndex(), 6);
    QCOMPARE(duty->currentData().toString(), QString("8"));
    for (const char *name :
         {"clkfbComBoxSource", "clkoutComBoxTolerance", "clkoutComBoxDivideDyn", "clkoutComBoxDivideStatic",
          "clkoutComBoxDelayStep", "clkoutpComBoxDelayStep", "clkoutpComBoxPhase", "clkoutdComBoxTolerance"})
        QVERIFY2(dialog.findChild<QComboBox *>(name)->currentIndex() == 0, name);
    QCOMPARE(items(dialog.findChild<QComboBox *>("clkoutComBoxDelayStep")), QStringList({"0", "1", "2", "4"}));
    QCOMPARE(items(dialog.findChild<QComboBox *>("clkoutpComBoxDelayStep")), QStringList({"0", "1", "2"}));
    // Both ODIV lists offer exactly the values the searches try.
    QStringList odiv;
    for (int value : ModMirel::Calc::kOdivCandidates)
        odiv << QString::number(value);
    for (const char *name : {"clkoutComBoxDivideStatic", "clkoutComBoxDivideDyn"})
        QCOMPARE(items(dialog.findChild<QComboBox *>(name)), odiv);

    // Check states, which the ten flags mirror.
    QStringList checked;
    for (const char *name :
         {"radioModeGeneral", "radioModeAdvanced", "radioPhaseDutyDynamic", "clkinRadioDivideDynamic",
          "clkfbRadioDivideDynamic", "clkoutCheckBypass", "clkoutRadioDivideDyn", "clkoutRadioFalling",
          "clkoutpCheckEnable", "clkoutpCheckBypass", "clkoutpRadioFalling", "clkoutdCheckEnable", "clkoutdCheckBypass",
          "clkoutdRadioSrcClkout", "clkoutd3CheckEnable", "clkoutd3RadioSrcClkout", "checkPllReset", "checkLockEn"})
        checked << name + ('=' + controlState(&dialog, name));
    QCOMPARE(checked.join(' '), QString("radioModeGeneral=true radioModeAdvanced=false radioPhaseDutyDynamic=true "
                                        "clkinRadioDivideDynamic=true clkfbRadioDivideDynamic=true "
                                        "clkoutCheckBypass=false clkoutRadioDivideDyn=true "
                                        "clkoutRadioFalling=true clkoutpCheckEnable=false clkoutpCheckBypass=false "
                                        "clkoutpRadioFalling=true "
                                        "clkoutdCheckEnable=false clkoutdCheckBypass=false clkoutdRadioSrcClkout=true "
                                        "clkoutd3CheckEnable=false "
                                        "clkoutd3RadioSrcClkout=true checkPllReset=false checkLockEn=false"));

    // The form's own spellings, which screenshots and users see.
    QCOMPARE(dialog.findChild<QAbstractButton *>("clkinRadioDivideStatic")->text(), QString("Static (1~64):"));
    QCOMPARE(dialog.findChild<QAbstractButton *>("clkfbRadioDivideStatic")->text(), QString("Static(1~64):"));
    QCOMPARE(dialog.findChild<QLabel *>("clkoutLlabelDelayStep")->text(), QString("Delay Step:"));
}

void tst_Dialog::description()
{
    const QVariantMap info{{"ipcore.module", "Mirel_PLL"},
                           {"ipcore.target", "mirel_pll"},
                           {"ipcore.doc.help", "help text"}};
    Mirel_Dialog dialog(info, nullptr);
    QCOMPARE(dialog.moduleName() + ' ' + dialog.fileName() + ' ' + dialog.helpDoc,
             QString("Mirel_PLL mirel_pll help text"));
    // Absent keys read empty.
    Mirel_Dialog bare(QVariantMap{{"ipcore.module", "Mirel_PLL"}}, nullptr);
    QVERIFY(bare.helpDoc.isEmpty() && bare.fileName().isEmpty());
}

void tst_Dialog::slotTable()
{
    Mirel_Dialog dialog(QVariantMap(), nullptr);
    const QMetaObject *meta = dialog.metaObject();
    QCOMPARE(meta->superClass(), &IPCore::ModuleGenDialog::staticMetaObject);
    const QList<QByteArray> expected{"accept()",
                                     "setProperty(QVariantMap,QStringList&)",
                                     "accept(QStringList&)",
                                     "getProperty()",
                                     "onModeChanged(bool)",
                                     "onPhaseDutyChanged(bool)",
                                     "onClkInDivideChanged(bool)",
                                     "onClkFbDivideChanged(bool)",
                                     "onClkOutBypassChanged(bool)",
                                     "onClkoutDivideModeChanged()",
                                     "onClkOutPEnableChanged(bool)",
                                     "onClkOutPBypassChanged(bool)",
                                     "onClkOutDEnableChanged(bool)",
                                     "onClkOutDBypassChanged(bool)",
                                     "onClkOutD3EnableChanged(bool)",
                                     "onBtnCalculate(bool)",
                                     "onBtnCalculate()",
                                     "refreshFigure()"};
    QCOMPARE(meta->methodCount() - meta->methodOffset(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        const QMetaMethod method = meta->method(meta->methodOffset() + i);
        QCOMPARE(method.methodSignature(), expected.at(i));
        QCOMPARE(method.access(), i < 4 ? QMetaMethod::Public : QMetaMethod::Private);
    }
}

// Steps, then what the user sees: "objectName:state" (enabled, disabled, checked,
// unchecked, hidden) and "ports:" the figure's port names in order.
void tst_Dialog::outcomes_data()
{
    QTest::addColumn<L>("steps");
    QTest::addColumn<L>("expected");
    const L inputs{"checkPllReset=true", "checkPllRegulator=true", "checkPllPowerDown=true",
                   "clkfbComBoxSource=External", "checkLockEn=true"};
    const L all = inputs
                  + L{"radioModeAdvanced=true", "clkoutpCheckEnable=true", "clkoutdCheckEnable=true",
                      "clkoutd3CheckEnable=true"};
    QTest::newRow("fresh dialog") << L{} << L{"clkinGrpBoxDivide:disabled",
                                              "clkfbGrpBoxDivide:disabled",
                                              "clkoutGrpDivide:disabled",
                                              "clkoutWgtFrequency:enabled",
                                              "clkoutCheckBypass:enabled",
                                              "clkoutdCheckBypass:disabled",
                                              "clkoutdGrpBoxSrc:disabled",
                                              "clkoutd3GrpBoxSrc:disabled",
                                              "clkoutpCheckBypass:disabled",
                                              "clkoutGrpBoxDutyCycle:hidden",
                                              "clkoutpGrpBoxDutyCycle:hidden",
                                              "btnCalculate:enabled",
                                              "clkoutdWgtFrequency:disabled",
                                              "clkoutpGrpBoxPhaseDuty:disabled",
                                              "ports:clkin,clkout"};
    QTest::newRow("advanced mode") << L{"radioModeAdvanced=true"}
                                   << L{"clkinGrpBoxDivide:enabled",
                                        "clkinSpinDivideDyn:enabled",
                                        "clkinSpinDivideStatic:disabled",
                                        "clkfbGrpBoxDivide:enabled",
                                        "clkoutGrpDivide:enabled",
                                        "clkoutComBoxDivideDyn:enabled",
                                        "clkoutComBoxDivideStatic:disabled",
                                        "clkoutWgtFrequency:disabled",
                                        "clkoutCheckBypass:disabled",
                                        "ports:clkin,idsel[5:0],fbdsel[5:0],clkout,odsel[5:0]"};
    QTest::newRow("clkout bypassed") << L{"clkoutCheckBypass=true"}
                                     << L{"clkoutWgtFrequency:disabled", "clkoutCheckBypass:enabled",
                                          "clkoutGrpDivide:disabled"};
    QTest::newRow("advanced mode, clkout bypassed")
            << L{"clkoutCheckBypass=true", "radioModeAdvanced=true"}
            << L{"clkoutCheckBypass:checked", "clkoutCheckBypass:disabled", "clkoutGrpDivide:disabled",
                 "clkoutWgtActualFrequency:disabled", "ports:clkin,idsel[5:0],fbdsel[5:0],clkout"};
    QTest::newRow("odiv radios while bypassed")
            << L{"clkoutCheckBypass=true", "radioModeAdvanced=true", "clkoutRadioDivideStatic=true"}
            << L{"clkoutComBoxDivideStatic:disabled", "clkoutComBoxDivideDyn:disabled"};
    QTest::newRow("odiv static radio live") << L{"radioModeAdvanced=true", "clkoutRadioDivideStatic=true"}
                                            << L{"clkoutComBoxDivideStatic:enabled", "clkoutComBoxDivideDyn:disabled"};
    QTest::newRow("clkoutd in advanced mode") << L{"radioModeAdvanced=true", "clkoutdCheckEnable=true"}
                                              << L{"clkoutdWgtDivide:enabled", "clkoutdWgtFrequency:disabled",
                                                   "clkoutdGrpBoxSrc:enabled", "clkoutdCheckBypass:enabled"};
    QTest::newRow("clkoutd, clkoutp off, clkout bypassed")
            << L{"clkoutdCheckEnable=true", "clkoutCheckBypass=true"}
            << L{"clkoutdCheckBypass:checked",      "clkoutdCheckBypass:disabled", "clkoutdRadioSrcClkout:checked",
                 "clkoutdRadioSrcClkoutp:disabled", "clkoutdGrpBoxSrc:disabled",   "ports:clkin,clkout,clkoutd"};
    QTest::newRow("clkoutd, clkoutp live, clkout bypassed")
            << L{"clkoutpCheckEnable=true", "clkoutdCheckEnable=true", "clkoutCheckBypass=true"}
            << L{"clkoutdRadioSrcClkoutp:checked", "clkoutdRadioSrcClkout:disabled", "clkoutdRadioSrcClkoutp:enabled",
                 "clkoutdCheckBypass:unchecked", "clkoutdCheckBypass:enabled"};
    QTest::newRow("clkoutd, clkoutp bypassed, clkout bypassed")
            << L{"clkoutpCheckEnable=true", "clkoutpCheckBypass=true", "clkoutdCheckEnable=true",
                 "clkoutCheckBypass=true"}
            << L{"clkoutdCheckBypass:checked", "clkoutdCheckBypass:disabled", "clkoutdRadioSrcClkout:checked",
                 "ports:clkin,clkout,clkoutp,clkoutd"};
    QTest::newRow("clkoutd source falls back when clkoutp goes")
            << L{"clkoutpCheckEnable=true", "clkoutdCheckEnable=true", "clkoutdRadioSrcClkoutp=true",
                 "clkoutpCheckEnable=false"}
            << L{"clkoutdRadioSrcClkout:checked", "clkoutdRadioSrcClkoutp:disabled"};
    QTest::newRow("clkout bypass released")
            << L{"clkoutdCheckEnable=true", "clkoutCheckBypass=true", "clkoutCheckBypass=false"}
            << L{"clkoutdCheckBypass:checked", "clkoutdCheckBypass:enabled", "clkoutWgtFrequency:enabled"};
    QTest::newRow("clkoutp off while clkoutd3 takes it")
            << L{"clkoutpCheckEnable=true", "clkoutd3CheckEnable=true", "clkoutd3RadioSrcClkoutp=true",
                 "clkoutpCheckEnable=false"}
            << L{"clkoutd3RadioSrcClkout:checked", "clkoutd3RadioSrcClkoutp:disabled", "clkoutd3GrpBoxSrc:enabled",
                 "ports:clkin,clkout,clkoutd3"};
    QTest::newRow("dynamic phase disables the static group")
            << L{"clkoutpCheckEnable=true"}
            << L{"clkoutpGrpBoxPhaseDuty:disabled", "clkoutpCheckBypass:enabled",
                 "ports:clkin,clkout,clkoutp,psda[3:0],dutyda[3:0],fdly[3:0]"};
    QTest::newRow("static phase enables it") << L{"clkoutpCheckEnable=true", "radioPhaseDutyStatic=true"}
                                             << L{"clkoutpGrpBoxPhaseDuty:enabled", "clkoutGrpBoxDutyCycle:hidden",
                                                  "clkoutpGrpBoxDutyCycle:hidden", "ports:clkin,clkout,clkoutp"};
    QTest::newRow("static phase, clkoutp bypassed")
            << L{"clkoutpCheckEnable=true", "radioPhaseDutyStatic=true", "clkoutpCheckBypass=true"}
            << L{"clkoutpGrpBoxPhaseDuty:disabled"};
    QTest::newRow("dynamic phase, clkoutp bypassed")
            << L{"clkoutpCheckEnable=true", "clkoutpCheckBypass=true"} << L{"ports:clkin,clkout,clkoutp"};
    QTest::newRow("general mode inputs") << inputs << L{"ports:reset,vren,clkin,reset_p,clkfb,lock,clkout"};
    QTest::newRow("general mode never lists selects")
            << L{"clkinRadioDivideDynamic=true", "clkfbRadioDivideDynamic=true", "clkoutRadioDivideDyn=true"}
            << L{"ports:clkin,clkout"};
    QTest::newRow("advanced dynamic dividers")
            << L{"radioModeAdvanced=true", "checkPllPowerDown=true", "clkfbComBoxSource=External"}
            << L{"ports:clkin,idsel[5:0],reset_p,clkfb,fbdsel[5:0],clkout,odsel[5:0]"};
    QTest::newRow("advanced static dividers") << L{"radioModeAdvanced=true", "clkinRadioDivideStatic=true",
                                                   "clkfbRadioDivideStatic=true", "clkoutRadioDivideStatic=true"}
                                              << L{"ports:clkin,clkout"};
    QTest::newRow("everything") << all
                                << L{"ports:reset,vren,clkin,idsel[5:0],reset_p,clkfb,fbdsel[5:0],lock,clkout,"
                                     "odsel[5:0],clkoutp,psda[3:0],dutyda[3:0],fdly[3:0],clkoutd,clkoutd3"};
    QTest::newRow("options switched back off") << all
                                                          + L{"checkPllReset=false", "radioModeGeneral=true",
                                                              "clkoutpCheckEnable=false", "clkfbComBoxSource=Internal"}
                                               << L{"ports:vren,clkin,reset_p,lock,clkout,clkoutd,clkoutd3"};
}

void tst_Dialog::outcomes()
{
    QFETCH(L, steps);
    QFETCH(L, expected);
    Mirel_Dialog dialog(QVariantMap(), nullptr);
    const QString error = driveDialog(&dialog, steps);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    for (const QString &expectation : expected) {
        const QString name = expectation.section(':', 0, 0), state = expectation.section(':', 1);
        if (name == "ports") {
            // Names in order; outputs on the right, inputs on the left, buses marked.
            L names;
            for (const Utils::PinFigure &pin : dialog.figurePins()) {
                names << pin.name();
                const bool output = pin.name() == "lock" || pin.name().startsWith("clkout");
                QVERIFY2(pin.direction() == (output ? 1 : 0) && pin.isBus() == pin.name().contains('[')
                                 && pin.alignment() == (output ? Qt::AlignRight : Qt::AlignLeft),
                         qPrintable(pin.name()));
            }
            QCOMPARE(names.join(','), state);
            continue;
        }
        QWidget *w = dialog.findChild<QWidget *>(name);
        QVERIFY2(w, qPrintable(expectation));
        auto *button = qobject_cast<QAbstractButton *>(w);
        const bool holds = state == "hidden"         ? w->isHidden()
                           : state.endsWith("abled") ? w->isEnabled() == (state == "enabled")
                                                     : button && button->isChecked() == (state == "checked");
        QVERIFY2(holds, qPrintable(expectation));
    }
}

void tst_Dialog::refreshesPerAction_data()
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

void tst_Dialog::refreshesPerAction()
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

QTEST_MAIN(tst_Dialog)
#include "tst_dialog.moc"
