// SPDX-License-Identifier: MIT
// The MIREL dialog as built: its form on the host frame, its flags, its slot table.
#include "dialogdriver.h"
#include "mireldialog.h"

#include <pllmodel.h>

#include <QLabel>
#include <QMetaMethod>
#include <QTabWidget>
#include <QtTest>

using ModMirel::Mirel_Dialog;

class tst_Dialog : public QObject
{
    Q_OBJECT

private slots:
    void freshDialog();
    void description();
    void slotTable();
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
    for (const char *name : {"clkfbComBoxSource", "clkoutComBoxTolerance", "clkoutComBoxDivideDyn", "clkoutComBoxDivideStatic",
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
    for (const char *name : {"radioModeGeneral", "radioModeAdvanced", "radioPhaseDutyDynamic", "clkinRadioDivideDynamic",
                             "clkfbRadioDivideDynamic", "clkoutCheckBypass", "clkoutRadioDivideDyn", "clkoutRadioFalling",
                             "clkoutpCheckEnable", "clkoutpCheckBypass", "clkoutpRadioFalling", "clkoutdCheckEnable",
                             "clkoutdCheckBypass", "clkoutdRadioSrcClkout", "clkoutd3CheckEnable", "clkoutd3RadioSrcClkout",
                             "checkPllReset", "checkLockEn"})
        checked << name + ('=' + controlState(&dialog, name));
    QCOMPARE(checked.join(' '), QString("radioModeGeneral=true radioModeAdvanced=false radioPhaseDutyDynamic=true "
        "clkinRadioDivideDynamic=true clkfbRadioDivideDynamic=true clkoutCheckBypass=false clkoutRadioDivideDyn=true "
        "clkoutRadioFalling=true clkoutpCheckEnable=false clkoutpCheckBypass=false clkoutpRadioFalling=true "
        "clkoutdCheckEnable=false clkoutdCheckBypass=false clkoutdRadioSrcClkout=true clkoutd3CheckEnable=false "
        "clkoutd3RadioSrcClkout=true checkPllReset=false checkLockEn=false"));

    // The form's own spellings, which screenshots and users see.
    QCOMPARE(dialog.findChild<QAbstractButton *>("clkinRadioDivideStatic")->text(), QString("Static (1~64):"));
    QCOMPARE(dialog.findChild<QAbstractButton *>("clkfbRadioDivideStatic")->text(), QString("Static(1~64):"));
    QCOMPARE(dialog.findChild<QLabel *>("clkoutLlabelDelayStep")->text(), QString("Delay Step:"));
}

void tst_Dialog::description()
{
    const QVariantMap info{{"ipcore.module", "Mirel_PLL"}, {"ipcore.target", "mirel_pll"}, {"ipcore.doc.help", "help text"}};
    Mirel_Dialog dialog(info, nullptr);
    QCOMPARE(dialog.moduleName() + ' ' + dialog.fileName() + ' ' + dialog.helpDoc, QString("Mirel_PLL mirel_pll help text"));
    // Absent keys read empty.
    Mirel_Dialog bare(QVariantMap{{"ipcore.module", "Mirel_PLL"}}, nullptr);
    QVERIFY(bare.helpDoc.isEmpty() && bare.fileName().isEmpty());
}

void tst_Dialog::slotTable()
{
    Mirel_Dialog dialog(QVariantMap(), nullptr);
    const QMetaObject *meta = dialog.metaObject();
    QCOMPARE(meta->superClass(), &IPCore::ModuleGenDialog::staticMetaObject);
    const QList<QByteArray> expected{
        "accept()", "setProperty(QVariantMap,QStringList&)", "accept(QStringList&)", "getProperty()", "onModeChanged(bool)",
        "onPhaseDutyChanged(bool)", "onClkInDivideChanged(bool)", "onClkFbDivideChanged(bool)", "onClkOutBypassChanged(bool)",
        "onClkoutDivideModeChanged()", "onClkOutPEnableChanged(bool)", "onClkOutPBypassChanged(bool)",
        "onClkOutDEnableChanged(bool)", "onClkOutDBypassChanged(bool)", "onClkOutD3EnableChanged(bool)",
        "onBtnCalculate(bool)", "onBtnCalculate()", "refreshFigure()"};
    QCOMPARE(meta->methodCount() - meta->methodOffset(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        const QMetaMethod method = meta->method(meta->methodOffset() + i);
        QCOMPARE(method.methodSignature(), expected.at(i));
        QCOMPARE(method.access(), i < 4 ? QMetaMethod::Public : QMetaMethod::Private);
    }
}

QTEST_MAIN(tst_Dialog)
#include "tst_dialog.moc"
