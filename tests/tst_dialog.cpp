// SPDX-License-Identifier: MIT
// The MIREL dialog as built and as a user clicks it: its form on the host frame,
// its slot table, the interaction rules and the ports it hands to the host.
#include "dialogdriver.h"
#include "mireldialog.h"

#include <pllmodel.h>

#include <QAccessible>
#include <QLabel>
#include <QMetaMethod>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QtTest>

using ModMirel::Mirel_Dialog;

class tst_Dialog : public QObject
{
    Q_OBJECT

private slots:
    void freshDialog();
    void outcomes_data();
    void outcomes();
    void wheelNeedsFocus();
    void typedEntries_data();
    void typedEntries();
    void windowFits_data();
    void windowFits();
};

void tst_Dialog::freshDialog()
{
    Mirel_Dialog dialog({{"ipcore.module", "Mirel_PLL"}, {"ipcore.target", "mirel_pll"}, {"ipcore.doc.help", "help"}},
                        nullptr);
    QCOMPARE(dialog.moduleName() + ' ' + dialog.fileName() + ' ' + dialog.helpDoc, QString("Mirel_PLL mirel_pll help"));
    // Absent keys read empty.
    Mirel_Dialog bare(QVariantMap{{"ipcore.module", "Mirel_PLL"}}, nullptr);
    QVERIFY(bare.helpDoc.isEmpty() && bare.fileName().isEmpty());
    QTabWidget *tabs = dialog.tabWidget();
    QCOMPARE(QString::number(tabs->count()) + ' ' + tabs->tabText(0) + ' ' + tabs->widget(0)->objectName(),
             QString("1 Options ModMirel__PllConfig"));
    // The slot table the host calls through: the public ones first, then the private slots.
    const QMetaObject *meta = dialog.metaObject();
    QCOMPARE(meta->superClass(), &IPCore::ModuleGenDialog::staticMetaObject);
    QStringList methods;
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) // access: - private, # protected, + public
        methods << QLatin1Char("-#+"[meta->method(i).access()])
                           + QString::fromLatin1(meta->method(i).methodSignature());
    QCOMPARE(methods.join(' '),
             QString("+accept() +setProperty(QVariantMap,QStringList&) +accept(QStringList&) +getProperty() "
                     "-onModeChanged(bool) -onPhaseDutyChanged(bool) -onClkInDivideChanged(bool) "
                     "-onClkFbDivideChanged(bool) -onClkOutBypassChanged(bool) -onClkoutDivideModeChanged() "
                     "-onClkOutPEnableChanged(bool) -onClkOutPBypassChanged(bool) -onClkOutDEnableChanged(bool) "
                     "-onClkOutDBypassChanged(bool) -onClkOutD3EnableChanged(bool) -onBtnCalculate(bool) "
                     "-onBtnCalculate() -refreshFigure()"));

    // The items and start states of the controls the key table names are tied to the table by
    // tst_Config::tableMatchesTheForm; these are the form's own.
    auto *duty = dialog.findChild<QComboBox *>("clkoutpComBoxDutyCycle");
    QStringList codes;
    for (int i = 0; i < duty->count(); ++i)
        codes << duty->itemData(i).toString();
    QCOMPARE(codes, QString("2 3 4 5 6 7 8 9 10 11 12 13 14").split(' '));
    QCOMPARE(dialog.findChild<QComboBox *>("clkoutComBoxDivideStatic")->currentIndex(), 0);
    QCOMPARE(controlState(&dialog, "clkoutRadioFalling") + ' ' + controlState(&dialog, "clkoutpRadioFalling"),
             QString("true true"));

    // The form's own spellings, which screenshots and users see.
    const QString range = QStringLiteral("(%1~%2):").arg(ModMirel::Calc::kDividerMin).arg(ModMirel::Calc::kDividerMax);
    QCOMPARE(dialog.findChild<QAbstractButton *>("clkinRadioDivideStatic")->text(), "Static " + range);
    QCOMPARE(dialog.findChild<QAbstractButton *>("clkfbRadioDivideStatic")->text(), "Static" + range);
    QCOMPARE(dialog.findChild<QLabel *>("clkoutLlabelDelayStep")->text(), QString("Delay Step:"));

    // A screen reader tells every control of the page apart, and each field by its label.
    QStringList names, unnamed, duplicated, lonelyLabels;
    for (QWidget *w : tabs->widget(0)->findChildren<QWidget *>()) {
        auto *label = qobject_cast<QLabel *>(w);
        if (label && label->text().endsWith(':') && !label->buddy())
            lonelyLabels << w->objectName();
        // A spin box's editor is its focus proxy, named through the spin box.
        if (!(w->focusPolicy() & Qt::TabFocus) || qobject_cast<QAbstractSpinBox *>(w->parentWidget()))
            continue;
        // Qt on Linux names a combo box by its current text; its own name is the property.
        const QString name = w->accessibleName().isEmpty()
                                     ? QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name)
                                     : w->accessibleName();
        if (name.isEmpty())
            unnamed << w->objectName();
        else if (names.contains(name))
            duplicated << name;
        names << name;
    }
    QVERIFY(names.size() >= 45);
    QCOMPARE(unnamed + duplicated + lonelyLabels, QStringList());
}

// Steps, then what the user sees: "objectName:state" (enabled, disabled, checked, unchecked, hidden),
// "ports:" the figure's port names in order and "refreshes:" how often the figure was redrawn; the
// CLKOUT rule group redraws inside itself, then its slot once more.
void tst_Dialog::outcomes_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char *name, const QString &steps, const char *expected) {
        QTest::newRow(name) << steps << QString(expected);
    };
    const QString inputs = "checkPllReset=true checkPllRegulator=true checkPllPowerDown=true "
                           "clkfbComBoxSource=External checkLockEn=true";
    const QString all = inputs
                        + " radioModeAdvanced=true clkoutpCheckEnable=true clkoutdCheckEnable=true "
                          "clkoutd3CheckEnable=true";
    row("fresh dialog", "",
        "clkinGrpBoxDivide:disabled clkfbGrpBoxDivide:disabled clkoutGrpDivide:disabled clkoutWgtFrequency:enabled "
        "clkoutCheckBypass:enabled clkoutdCheckBypass:disabled clkoutdGrpBoxSrc:disabled clkoutd3GrpBoxSrc:disabled "
        "clkoutpCheckBypass:disabled clkoutGrpBoxDutyCycle:hidden clkoutpGrpBoxDutyCycle:hidden btnCalculate:enabled "
        "clkoutdWgtFrequency:disabled clkoutpGrpBoxPhaseDuty:disabled ports:clkin,clkout");
    row("advanced mode", "radioModeAdvanced=true",
        "clkinGrpBoxDivide:enabled clkinSpinDivideDyn:enabled clkinSpinDivideStatic:disabled clkfbGrpBoxDivide:enabled "
        "clkoutGrpDivide:enabled clkoutComBoxDivideDyn:enabled clkoutComBoxDivideStatic:disabled "
        "clkoutWgtFrequency:disabled clkoutCheckBypass:disabled ports:clkin,idsel[5:0],fbdsel[5:0],clkout,odsel[5:0] "
        "refreshes:2");
    row("clkout bypassed", "clkoutCheckBypass=true",
        "clkoutWgtFrequency:disabled clkoutCheckBypass:enabled clkoutGrpDivide:disabled refreshes:2");
    row("lock", "checkLockEn=true", "refreshes:1");
    row("feedback source", "clkfbComBoxSource=External", "refreshes:1");
    row("odiv radio", "clkoutRadioDivideStatic=true", "refreshes:1");
    row("clkoutd3", "clkoutd3CheckEnable=true", "refreshes:1");
    row("advanced mode, clkout bypassed", "clkoutCheckBypass=true radioModeAdvanced=true",
        "clkoutCheckBypass:checked clkoutCheckBypass:disabled clkoutGrpDivide:disabled "
        "clkoutWgtActualFrequency:disabled ports:clkin,idsel[5:0],fbdsel[5:0],clkout");
    row("odiv radios while bypassed", "clkoutCheckBypass=true radioModeAdvanced=true clkoutRadioDivideStatic=true",
        "clkoutComBoxDivideStatic:disabled clkoutComBoxDivideDyn:disabled");
    row("odiv static radio live", "radioModeAdvanced=true clkoutRadioDivideStatic=true",
        "clkoutComBoxDivideStatic:enabled clkoutComBoxDivideDyn:disabled");
    row("clkoutd in advanced mode", "radioModeAdvanced=true clkoutdCheckEnable=true",
        "clkoutdWgtDivide:enabled clkoutdWgtFrequency:disabled clkoutdGrpBoxSrc:enabled clkoutdCheckBypass:enabled");
    row("clkoutd, clkoutp off, clkout bypassed", "clkoutdCheckEnable=true clkoutCheckBypass=true",
        "clkoutdCheckBypass:checked clkoutdCheckBypass:disabled clkoutdRadioSrcClkout:checked "
        "clkoutdRadioSrcClkoutp:disabled clkoutdGrpBoxSrc:disabled ports:clkin,clkout,clkoutd");
    row("clkoutd, clkoutp live, clkout bypassed",
        "clkoutpCheckEnable=true clkoutdCheckEnable=true clkoutCheckBypass=true",
        "clkoutdRadioSrcClkoutp:checked clkoutdRadioSrcClkout:disabled clkoutdRadioSrcClkoutp:enabled "
        "clkoutdCheckBypass:unchecked clkoutdCheckBypass:enabled");
    row("clkoutd, clkoutp bypassed, clkout bypassed",
        "clkoutpCheckEnable=true clkoutpCheckBypass=true clkoutdCheckEnable=true clkoutCheckBypass=true",
        "clkoutdCheckBypass:checked clkoutdCheckBypass:disabled clkoutdRadioSrcClkout:checked "
        "ports:clkin,clkout,clkoutp,clkoutd");
    row("clkoutd source falls back when clkoutp goes",
        "clkoutpCheckEnable=true clkoutdCheckEnable=true clkoutdRadioSrcClkoutp=true clkoutpCheckEnable=false",
        "clkoutdRadioSrcClkout:checked clkoutdRadioSrcClkoutp:disabled");
    row("clkout bypass released", "clkoutdCheckEnable=true clkoutCheckBypass=true clkoutCheckBypass=false",
        "clkoutdCheckBypass:checked clkoutdCheckBypass:enabled clkoutWgtFrequency:enabled");
    row("clkoutp off while clkoutd3 takes it",
        "clkoutpCheckEnable=true clkoutd3CheckEnable=true clkoutd3RadioSrcClkoutp=true clkoutpCheckEnable=false",
        "clkoutd3RadioSrcClkout:checked clkoutd3RadioSrcClkoutp:disabled clkoutd3GrpBoxSrc:enabled "
        "ports:clkin,clkout,clkoutd3");
    row("dynamic phase disables the static group", "clkoutpCheckEnable=true",
        "clkoutpGrpBoxPhaseDuty:disabled clkoutpCheckBypass:enabled "
        "ports:clkin,clkout,clkoutp,psda[3:0],dutyda[3:0],fdly[3:0]");
    row("static phase enables it", "clkoutpCheckEnable=true radioPhaseDutyStatic=true",
        "clkoutpGrpBoxPhaseDuty:enabled clkoutGrpBoxDutyCycle:hidden clkoutpGrpBoxDutyCycle:hidden "
        "ports:clkin,clkout,clkoutp");
    row("static phase, clkoutp bypassed", "clkoutpCheckEnable=true radioPhaseDutyStatic=true clkoutpCheckBypass=true",
        "clkoutpGrpBoxPhaseDuty:disabled");
    row("dynamic phase, clkoutp bypassed", "clkoutpCheckEnable=true clkoutpCheckBypass=true",
        "ports:clkin,clkout,clkoutp");
    row("general mode inputs", inputs, "ports:reset,vren,clkin,reset_p,clkfb,lock,clkout");
    row("advanced dynamic dividers", "radioModeAdvanced=true checkPllPowerDown=true clkfbComBoxSource=External",
        "ports:clkin,idsel[5:0],reset_p,clkfb,fbdsel[5:0],clkout,odsel[5:0]");
    row("advanced static dividers",
        "radioModeAdvanced=true clkinRadioDivideStatic=true clkfbRadioDivideStatic=true clkoutRadioDivideStatic=true",
        "ports:clkin,clkout");
    row("everything", all,
        "ports:reset,vren,clkin,idsel[5:0],reset_p,clkfb,fbdsel[5:0],lock,clkout,odsel[5:0],clkoutp,psda[3:0],"
        "dutyda[3:0],fdly[3:0],clkoutd,clkoutd3");
    row("options switched back off",
        all + " checkPllReset=false radioModeGeneral=true clkoutpCheckEnable=false clkfbComBoxSource=Internal",
        "ports:vren,clkin,reset_p,lock,clkout,clkoutd,clkoutd3");
}

void tst_Dialog::outcomes()
{
    QFETCH(QString, steps);
    QFETCH(QString, expected);
    Mirel_Dialog dialog(QVariantMap(), nullptr);
    int refreshes = 0;
    connect(&dialog, &IPCore::ModuleGenDialog::figurePinsChanged, this, [&refreshes] { ++refreshes; });
    const QString error = driveDialog(&dialog, steps.split(' ', Qt::SkipEmptyParts));
    QVERIFY2(error.isEmpty(), qPrintable(error));
    for (const QString &expectation : expected.split(' ')) {
        const QString name = expectation.section(':', 0, 0), state = expectation.section(':', 1);
        if (name == "refreshes") {
            QCOMPARE(QString::number(refreshes), state);
            continue;
        }
        if (name == "ports") {
            // Names in order; outputs on the right, inputs on the left, buses marked.
            QStringList names;
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

// Every spin box and list, enabled, keeps its value under the wheel while it
// lacks focus; with focus the wheel still works.
void tst_Dialog::wheelNeedsFocus()
{
    Mirel_Dialog dialog(QVariantMap(), nullptr);
    const auto wheel = [](QWidget *w) {
        QWheelEvent event(QPointF(w->rect().center()), QPointF(w->mapToGlobal(w->rect().center())), QPoint(),
                          QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &event);
    };
    QStringList controls;
    for (QWidget *w : dialog.tabWidget()->widget(0)->findChildren<QWidget *>())
        w->setEnabled(true);
    for (QWidget *w : dialog.tabWidget()->widget(0)->findChildren<QWidget *>()) {
        if (!qobject_cast<QAbstractSpinBox *>(w) && !qobject_cast<QComboBox *>(w))
            continue;
        const QString before = controlState(&dialog, w->objectName());
        wheel(w);
        QVERIFY2(controlState(&dialog, w->objectName()) == before, qPrintable(w->objectName()));
        controls << w->objectName();
    }
    QCOMPARE(controls.size(), 17);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto *clkin = dialog.findChild<QDoubleSpinBox *>("clkinSpinFrequency");
    clkin->setFocus();
    wheel(clkin);
    QCOMPARE(clkin->value(), 99.0);
}

// A typed entry: the status line while it stands, the value once focus leaves.
void tst_Dialog::typedEntries_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("value");
    const auto row = [](const char *name, const char *control, const char *typed, const char *refusal,
                        const char *value) {
        QTest::newRow(name) << control << typed << refusal << value;
    };
    const char *clkinRange = "outside the legal values 3.000 to 450.000";
    row("clkin above the device", "clkinSpinFrequency", "500", clkinRange, "100");
    row("clkin below", "clkinSpinFrequency", "1", clkinRange, "100");
    row("clkin legal", "clkinSpinFrequency", "50", "", "50");
    row("clkin text", "clkinSpinFrequency", "2x7.5MHz", "not a number (legal values 3.000 to 450.000)", "100");
    row("clkout above its box", "clkoutSpinFrequency", "1000", "outside the legal values 3.125 to", "100");
    row("divider above 64", "clkfbSpinDivideDyn", "65", "outside the legal values 1 to 64", "1");
    row("divider legal", "clkfbSpinDivideDyn", "12", "", "12");
}

void tst_Dialog::typedEntries()
{
    QFETCH(QString, control);
    QFETCH(QString, typed);
    QFETCH(QString, refusal);
    QFETCH(QString, value);
    Mirel_Dialog dialog(QVariantMap(), nullptr);
    dialog.refreshDeviceInfo();
    if (control.contains("Divide")) // the dividers take entries in Advanced Mode
        driveDialog(&dialog, {"radioModeAdvanced=true"});
    auto *spin = dialog.findChild<QAbstractSpinBox *>(control);
    auto *status = dialog.findChild<QLabel *>("labelEntryStatus");
    const QString before = controlState(&dialog, control);
    QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(spin, typed);
    QCOMPARE(spin->text(), typed);
    QCOMPARE(controlState(&dialog, control), before);
    QVERIFY2(refusal.isEmpty() ? status->text().isEmpty() : status->text().contains(refusal),
             qPrintable(status->text()));
    QFocusEvent leave(QEvent::FocusOut);
    QApplication::sendEvent(spin, &leave);
    QCOMPARE(controlState(&dialog, control), value);
    if (!refusal.isEmpty())
        QVERIFY2(status->text().endsWith("\" was not taken; the field keeps " + spin->text() + "."),
                 qPrintable(status->text()));
}

QTEST_MAIN(tst_Dialog)
#include "tst_dialog.moc"

void tst_Dialog::windowFits_data()
{
    QTest::addColumn<QStringList>("hidden");
    QTest::newRow("whole page, taller than the screen") << QStringList();
    QTest::newRow("short page") << QStringList{"pllWgtRight", "grpBoxClkFB", "grpBoxClkin", "checkLockEn"};
}

// Opened, the window shows the page's width and the page's height or the available screen's, whichever is less.
void tst_Dialog::windowFits()
{
    QFETCH(QStringList, hidden);
    Mirel_Dialog dialog(QVariantMap{}, nullptr);
    for (const QString &name : hidden)
        dialog.findChild<QWidget *>(name)->hide();
    dialog.show();
    QCoreApplication::sendPostedEvents(); // the scroll bars settle through posted layout requests
    auto *area = dialog.findChild<QScrollArea *>("scrollArea");
    const int need = area->widget()->sizeHint().height(), shown = area->viewport()->height();
    const int available = dialog.screen()->availableGeometry().height();
    QVERIFY(!area->horizontalScrollBar()->isVisible());
    QVERIFY(dialog.frameGeometry().height() <= available);
    QCOMPARE(area->verticalScrollBar()->isVisible(), need > shown);
    if (need > shown) // the page scrolls only in a window as tall as the screen allows
        QVERIFY(dialog.frameGeometry().height()
                > available - 2 * dialog.style()->pixelMetric(QStyle::PM_TitleBarHeight));
    else
        QCOMPARE(shown, need);
}
