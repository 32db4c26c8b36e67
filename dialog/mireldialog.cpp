// SPDX-License-Identifier: MIT
#include "mireldialog.h"

#include "ui_pllconfig.h"

#include <QVariant>
#include <QWidget>

namespace ModMirel {

Mirel_Dialog::Mirel_Dialog(const QVariantMap &info, QWidget *parent)
    : IPCore::ModuleGenDialog(parent)
    , ui(new PllConfig)
    , ipInfo(info)
{
    uiSetLabelText(ipInfo.value(QStringLiteral("ipcore.label")).toString());
    uiSetModuleName(ipInfo.value(QStringLiteral("ipcore.module")).toString());
    uiSetDefaultFileName(ipInfo.value(QStringLiteral("ipcore.target")).toString());

    auto *page = new QWidget(this);
    ui->setupUi(page);
    uiAddTab(page, QStringLiteral("Options"));

    fillDutyCycleItems();
    helpDoc = ipInfo.value(QStringLiteral("ipcore.doc.help")).toString();
    connectForm();

    applyClkinDividerRules();
    applyClkfbDividerRules();
    applyClkoutRules();
    applyClkoutpRules();
    applyClkoutdRules();
    applyClkoutd3Rules();
    refreshFigure();
}

Mirel_Dialog::~Mirel_Dialog()
{
    delete ui;
}

void Mirel_Dialog::fillDutyCycleItems()
{
    // Texts are written out: n/16 rounded half-up to three decimals, which
    // printf-style rounding (half-even) would get wrong for 5/16 and 13/16.
    static const char *const texts[] = {"0.125", "0.188", "0.250", "0.313", "0.375", "0.438", "0.500",
                                        "0.563", "0.625", "0.688", "0.750", "0.813", "0.875"};
    int sixteenths = 2;
    for (const char *text : texts)
        ui->clkoutpComBoxDutyCycle->addItem(QString::fromLatin1(text), QString::number(sixteenths++));
    ui->clkoutpComBoxDutyCycle->setCurrentIndex(6); // 0.500, the batch default of CLKOUTP_DUTY_CYCLE
}

void Mirel_Dialog::connectForm()
{
    connect(ui->radioModeGeneral, &QRadioButton::toggled, this, &Mirel_Dialog::onModeChanged);
    connect(ui->radioPhaseDutyDynamic, &QRadioButton::toggled, this, &Mirel_Dialog::onPhaseDutyChanged);
    connect(ui->clkinRadioDivideDynamic, &QRadioButton::toggled, this, &Mirel_Dialog::onClkInDivideChanged);
    connect(ui->clkfbRadioDivideDynamic, &QRadioButton::toggled, this, &Mirel_Dialog::onClkFbDivideChanged);
    connect(ui->clkfbComBoxSource, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &Mirel_Dialog::refreshFigure);
    connect(ui->checkLockEn, &QCheckBox::toggled, this, &Mirel_Dialog::refreshFigure);
    connect(ui->clkoutCheckBypass, &QCheckBox::toggled, this, &Mirel_Dialog::onClkOutBypassChanged);
    connect(ui->clkoutRadioDivideStatic, &QRadioButton::toggled, this, &Mirel_Dialog::onClkoutDivideModeChanged);
    connect(ui->clkoutpCheckEnable, &QCheckBox::toggled, this, &Mirel_Dialog::onClkOutPEnableChanged);
    connect(ui->clkoutpCheckBypass, &QCheckBox::toggled, this, &Mirel_Dialog::onClkOutPBypassChanged);
    connect(ui->clkoutdCheckEnable, &QCheckBox::toggled, this, &Mirel_Dialog::onClkOutDEnableChanged);
    connect(ui->clkoutdCheckBypass, &QCheckBox::toggled, this, &Mirel_Dialog::onClkOutDBypassChanged);
    connect(ui->clkoutd3CheckEnable, &QCheckBox::toggled, this, &Mirel_Dialog::onClkOutD3EnableChanged);
    connect(ui->btnCalculate, &QPushButton::clicked, this, [this] { onBtnCalculate(); });
    connect(ui->checkPllRegulator, &QCheckBox::toggled, this, &Mirel_Dialog::refreshFigure);
    connect(ui->checkPllReset, &QCheckBox::toggled, this, &Mirel_Dialog::refreshFigure);
    connect(ui->checkPllPowerDown, &QCheckBox::toggled, this, &Mirel_Dialog::refreshFigure);
}

void Mirel_Dialog::onModeChanged(bool checked)
{
    pll.generalMode = checked;
    applyClkinDividerRules();
    applyClkfbDividerRules();
    applyClkoutRules();
    applyClkoutdRules();
    ui->btnCalculate->setEnabled(true);
    refreshFigure();
}

void Mirel_Dialog::onPhaseDutyChanged(bool checked)
{
    pll.phaseDutyDynamic = checked;
    applyClkoutRules();
    applyClkoutpRules();
    refreshFigure();
}

void Mirel_Dialog::onClkInDivideChanged(bool checked)
{
    pll.clkinDivideDynamic = checked;
    applyClkinDividerRules();
    ui->btnCalculate->setEnabled(true);
    refreshFigure();
}

void Mirel_Dialog::onClkFbDivideChanged(bool checked)
{
    pll.clkfbDivideDynamic = checked;
    applyClkfbDividerRules();
    ui->btnCalculate->setEnabled(true);
    refreshFigure();
}

void Mirel_Dialog::onClkOutBypassChanged(bool checked)
{
    pll.clkoutNoBypass = !checked;
    applyClkoutRules();
    applyClkoutdRules();
    applyClkoutdSourceRules();
    refreshFigure();
}

void Mirel_Dialog::onClkoutDivideModeChanged()
{
    applyOdivModeRules();
}

void Mirel_Dialog::onClkOutPEnableChanged(bool checked)
{
    pll.clkoutpEnabled = checked;
    applyClkoutpRules();
    applyClkoutdRules();
    applyClkoutd3Rules();
    applyClkoutdSourceRules();
    refreshFigure();
}

void Mirel_Dialog::onClkOutPBypassChanged(bool checked)
{
    pll.clkoutpNoBypass = !checked;
    applyClkoutpRules();
    applyClkoutdRules();
    applyClkoutdSourceRules();
    refreshFigure();
}

void Mirel_Dialog::onClkOutDEnableChanged(bool checked)
{
    pll.clkoutdEnabled = checked;
    applyClkoutdRules();
    applyClkoutdSourceRules();
    refreshFigure();
}

void Mirel_Dialog::onClkOutDBypassChanged(bool checked)
{
    pll.clkoutdNoBypass = !checked;
    applyClkoutdRules();
    refreshFigure();
}

void Mirel_Dialog::onClkOutD3EnableChanged(bool checked)
{
    pll.clkoutd3Enabled = checked;
    applyClkoutd3Rules();
    refreshFigure();
}

} // namespace ModMirel
