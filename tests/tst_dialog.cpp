// SPDX-License-Identifier: MIT
// The MIREL dialog as built: its form on the host frame, its flags, its slot table.
#include "mireldialog.h"
#include "modalwatcher.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QMetaMethod>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QtTest>

using ModMirel::Mirel_Dialog;

class tst_Dialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void optionsTab();
    void descriptionTexts();
    void dutyCycleItems();
    void comboBoxesStartOnFirstItem_data();
    void comboBoxesStartOnFirstItem();
    void texts_data();
    void texts();
    void itemLists_data();
    void itemLists();
    void initialChecksAndFlags_data();
    void initialChecksAndFlags();
    void spinBoxes_data();
    void spinBoxes();
    void togglesMoveFlags_data();
    void togglesMoveFlags();
    void slotTable();
    void helpDocWithoutHelpKey();

private:
    template<typename T> T *w(const char *name) const
    {
        auto *widget = m_dialog->findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }

    std::unique_ptr<Mirel_Dialog> m_dialog;
};

static QVariantMap description()
{
    return {{QStringLiteral("ipcore.id"), QStringLiteral("MIREL")},
            {QStringLiteral("ipcore.label"), QStringLiteral("MIREL PLL")},
            {QStringLiteral("ipcore.module"), QStringLiteral("Mirel_PLL")},
            {QStringLiteral("ipcore.target"), QStringLiteral("mirel_pll")},
            {QStringLiteral("ipcore.doc.help"), QStringLiteral("help text")}};
}

void tst_Dialog::init()
{
    m_dialog = std::make_unique<Mirel_Dialog>(description(), nullptr);
}

void tst_Dialog::cleanup()
{
    m_dialog.reset();
}

void tst_Dialog::optionsTab()
{
    QTabWidget *tabs = m_dialog->tabWidget();
    QCOMPARE(tabs->count(), 1);
    QCOMPARE(tabs->tabText(0), QStringLiteral("Options"));
    QWidget *page = tabs->widget(0);
    QCOMPARE(page->parentWidget()->parentWidget(), tabs); // the tab's stack holds the page
    QCOMPARE(page->findChild<QWidget *>(QStringLiteral("scrollArea"))->parentWidget(), page);
    QCOMPARE(page->objectName(), QStringLiteral("ModMirel__PllConfig"));
}

void tst_Dialog::descriptionTexts()
{
    QCOMPARE(m_dialog->moduleName(), QStringLiteral("Mirel_PLL"));
    QCOMPARE(m_dialog->fileName(), QStringLiteral("mirel_pll"));
    QCOMPARE(m_dialog->helpDoc, QStringLiteral("help text"));
}

void tst_Dialog::dutyCycleItems()
{
    auto *combo = w<QComboBox>("clkoutpComBoxDutyCycle");
    const QStringList texts{"0.125", "0.188", "0.250", "0.313", "0.375", "0.438", "0.500",
                            "0.563", "0.625", "0.688", "0.750", "0.813", "0.875"};
    QCOMPARE(combo->count(), texts.size());
    for (int i = 0; i < combo->count(); ++i) {
        QCOMPARE(combo->itemText(i), texts.at(i));
        QCOMPARE(combo->itemData(i).toString(), QString::number(i + 2));
    }
    QCOMPARE(combo->currentIndex(), 6);
    QCOMPARE(combo->currentData().toString(), QStringLiteral("8"));
}

void tst_Dialog::comboBoxesStartOnFirstItem_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : {"clkfbComBoxSource", "clkoutComBoxTolerance", "clkoutComBoxDivideDyn",
                             "clkoutComBoxDivideStatic", "clkoutComBoxDelayStep", "clkoutpComBoxDelayStep",
                             "clkoutpComBoxPhase", "clkoutdComBoxTolerance"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void tst_Dialog::comboBoxesStartOnFirstItem()
{
    QFETCH(QString, name);
    auto *combo = m_dialog->findChild<QComboBox *>(name);
    QVERIFY(combo);
    QCOMPARE(combo->currentIndex(), 0);
}

void tst_Dialog::texts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::newRow("clkin static") << "clkinRadioDivideStatic" << "Static (1~64):";
    QTest::newRow("clkfb static") << "clkfbRadioDivideStatic" << "Static(1~64):";
    QTest::newRow("clkin dyn") << "clkinRadioDivideDynamic" << "Dynamic";
    QTest::newRow("initial value") << "label_2" << "Initial Value(1~64):";
    QTest::newRow("clkoutd label") << "clkoutdLabelFrequency" << "Expected Frequency (3/128~225):";
    QTest::newRow("calculate") << "btnCalculate" << "Calculate";
    QTest::newRow("lock") << "checkLockEn" << "Enable LOCK";
    QTest::newRow("delay step quirk") << "clkoutLlabelDelayStep" << "Delay Step:";
    QTest::newRow("clkoutd3") << "clkoutd3CheckEnable" << "Enable CLKOUTD3";
}

void tst_Dialog::texts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QWidget *widget = m_dialog->findChild<QWidget *>(name);
    QVERIFY2(widget, qPrintable(name));
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        QCOMPARE(button->text(), text);
    else
        QCOMPARE(qobject_cast<QLabel *>(widget)->text(), text);
}

void tst_Dialog::itemLists_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("items");
    const QStringList odiv{"2", "4", "8", "16", "32", "48", "64", "80", "96", "112", "128"};
    QTest::newRow("clkout delay steps") << "clkoutComBoxDelayStep" << QStringList{"0", "1", "2", "4"};
    QTest::newRow("clkoutp delay steps") << "clkoutpComBoxDelayStep" << QStringList{"0", "1", "2"};
    QTest::newRow("odiv dyn") << "clkoutComBoxDivideDyn" << odiv;
    QTest::newRow("odiv static") << "clkoutComBoxDivideStatic" << odiv;
    QTest::newRow("tolerance") << "clkoutdComBoxTolerance" << QStringList{"0.0", "0.2", "0.5", "2.0"};
    QTest::newRow("feedback") << "clkfbComBoxSource" << QStringList{"Internal", "External"};
    QTest::newRow("phase") << "clkoutpComBoxPhase"
                           << QStringList{"0.0", "22.5", "45", "67.5", "90", "112.5", "135", "157.5",
                                          "180", "202.5", "225", "247.5", "270", "292.5", "315", "337.5"};
}

void tst_Dialog::itemLists()
{
    QFETCH(QString, name);
    QFETCH(QStringList, items);
    auto *combo = m_dialog->findChild<QComboBox *>(name);
    QVERIFY(combo);
    QStringList actual;
    for (int i = 0; i < combo->count(); ++i) {
        actual << combo->itemText(i);
        QVERIFY(!combo->itemData(i).isValid());
    }
    QCOMPARE(actual, items);
}

void tst_Dialog::initialChecksAndFlags_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("checked");
    QTest::newRow("general mode") << "radioModeGeneral" << true;
    QTest::newRow("advanced mode") << "radioModeAdvanced" << false;
    QTest::newRow("dynamic phase") << "radioPhaseDutyDynamic" << true;
    QTest::newRow("clkin dynamic") << "clkinRadioDivideDynamic" << true;
    QTest::newRow("clkfb dynamic") << "clkfbRadioDivideDynamic" << true;
    QTest::newRow("clkout bypass") << "clkoutCheckBypass" << false;
    QTest::newRow("odiv dynamic") << "clkoutRadioDivideDyn" << true;
    QTest::newRow("clkout falling") << "clkoutRadioFalling" << true;
    QTest::newRow("clkoutp enable") << "clkoutpCheckEnable" << false;
    QTest::newRow("clkoutp falling") << "clkoutpRadioFalling" << true;
    QTest::newRow("clkoutd enable") << "clkoutdCheckEnable" << false;
    QTest::newRow("clkoutd source") << "clkoutdRadioSrcClkout" << true;
    QTest::newRow("clkoutd3 enable") << "clkoutd3CheckEnable" << false;
    QTest::newRow("clkoutd3 source") << "clkoutd3RadioSrcClkout" << true;
    QTest::newRow("reset") << "checkPllReset" << false;
    QTest::newRow("lock") << "checkLockEn" << false;
}

void tst_Dialog::initialChecksAndFlags()
{
    QFETCH(QString, name);
    QFETCH(bool, checked);
    auto *button = m_dialog->findChild<QAbstractButton *>(name);
    QVERIFY(button);
    QCOMPARE(button->isChecked(), checked);
}

void tst_Dialog::spinBoxes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("maximum");
    QTest::addColumn<double>("value");
    QTest::newRow("clkin") << "clkinSpinFrequency" << 3.0 << 450.0 << 100.0;
    QTest::newRow("clkout") << "clkoutSpinFrequency" << 3.125 << 999999999.0 << 400.0;
    QTest::newRow("clkoutd") << "clkoutdSpinFrequency" << 0.023 << 999999999.0 << 1.0;
    QTest::newRow("idiv static") << "clkinSpinDivideStatic" << 1.0 << 64.0 << 1.0;
    QTest::newRow("fbdiv dyn") << "clkfbSpinDivideDyn" << 1.0 << 64.0 << 1.0;
    QTest::newRow("sdiv") << "clkoutdSpinDivider" << 2.0 << 128.0 << 2.0;
}

void tst_Dialog::spinBoxes()
{
    QFETCH(QString, name);
    QFETCH(double, minimum);
    QFETCH(double, maximum);
    QFETCH(double, value);
    QWidget *widget = m_dialog->findChild<QWidget *>(name);
    if (auto *spin = qobject_cast<QDoubleSpinBox *>(widget)) {
        QCOMPARE(spin->decimals(), 3);
        QCOMPARE(spin->minimum(), minimum);
        QCOMPARE(spin->maximum(), maximum);
        QCOMPARE(spin->value(), value);
    } else {
        auto *intSpin = qobject_cast<QSpinBox *>(widget);
        QVERIFY2(intSpin, qPrintable(name));
        QCOMPARE(intSpin->minimum(), int(minimum));
        QCOMPARE(intSpin->maximum(), int(maximum));
        QCOMPARE(intSpin->value(), int(value));
    }
}

void tst_Dialog::togglesMoveFlags_data()
{
    // Toggling a control must run its slot, which the rules then read: the
    // observable effect of each flag is the enabled state of a dependent control.
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("dependent");
    QTest::addColumn<bool>("enabledBefore");
    QTest::addColumn<bool>("enabledAfter");
    QTest::newRow("advanced mode enables the clkin divider") << "radioModeAdvanced" << "clkinGrpBoxDivide" << false << true;
    QTest::newRow("clkout bypass disables the frequency") << "clkoutCheckBypass" << "clkoutWgtFrequency" << true << false;
    QTest::newRow("clkoutp enable enables its bypass") << "clkoutpCheckEnable" << "clkoutpCheckBypass" << false << true;
    QTest::newRow("clkoutd enable enables its bypass") << "clkoutdCheckEnable" << "clkoutdCheckBypass" << false << true;
    QTest::newRow("clkoutd3 enable enables its source") << "clkoutd3CheckEnable" << "clkoutd3GrpBoxSrc" << false << true;
    QTest::newRow("advanced mode disables the clkout bypass") << "radioModeAdvanced" << "clkoutCheckBypass" << true << false;
}

void tst_Dialog::togglesMoveFlags()
{
    QFETCH(QString, control);
    QFETCH(QString, dependent);
    QFETCH(bool, enabledBefore);
    QFETCH(bool, enabledAfter);
    auto *button = m_dialog->findChild<QAbstractButton *>(control);
    QWidget *target = m_dialog->findChild<QWidget *>(dependent);
    QVERIFY(button && target);
    QCOMPARE(target->isEnabled(), enabledBefore);
    button->click();
    QCOMPARE(target->isEnabled(), enabledAfter);
}

void tst_Dialog::slotTable()
{
    const QMetaObject *meta = m_dialog->metaObject();
    QCOMPARE(meta->className(), "ModMirel::Mirel_Dialog");
    QCOMPARE(meta->superClass(), &IPCore::ModuleGenDialog::staticMetaObject);
    const QList<QByteArray> expected{
        "accept()", "setProperty(QVariantMap,QStringList&)", "accept(QStringList&)", "getProperty()",
        "onModeChanged(bool)", "onPhaseDutyChanged(bool)", "onClkInDivideChanged(bool)",
        "onClkFbDivideChanged(bool)", "onClkOutBypassChanged(bool)", "onClkoutDivideModeChanged()",
        "onClkOutPEnableChanged(bool)", "onClkOutPBypassChanged(bool)", "onClkOutDEnableChanged(bool)",
        "onClkOutDBypassChanged(bool)", "onClkOutD3EnableChanged(bool)", "onBtnCalculate(bool)",
        "onBtnCalculate()", "refreshFigure()"};
    QCOMPARE(meta->methodCount() - meta->methodOffset(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        const QMetaMethod method = meta->method(meta->methodOffset() + i);
        QCOMPARE(method.methodSignature(), expected.at(i));
        QCOMPARE(method.access(), i < 4 ? QMetaMethod::Public : QMetaMethod::Private);
    }
    QVERIFY(meta->method(meta->methodOffset() + 16).attributes() & QMetaMethod::Cloned);
    QCOMPARE(meta->propertyCount(), meta->propertyOffset());
    QCOMPARE(meta->classInfoCount(), meta->classInfoOffset());
}

void tst_Dialog::helpDocWithoutHelpKey()
{
    QVariantMap info = description();
    info.remove(QStringLiteral("ipcore.doc.help"));
    info.remove(QStringLiteral("ipcore.target"));
    Mirel_Dialog dialog(info, nullptr);
    QVERIFY(dialog.helpDoc.isEmpty());
    QVERIFY(dialog.fileName().isEmpty());
}

QTEST_MAIN(tst_Dialog)
#include "tst_dialog.moc"
