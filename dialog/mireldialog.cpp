// SPDX-License-Identifier: MIT
#include "mireldialog.h"

#include "configflows.h"
#include "devicelimits.h"
#include "formrules.h"
#include "pllform.h"

#include "ui_pllconfig.h"

#include <pinfigure.h>
#include <portfigure.h>
#include <rangelabels.h>

#include <QVariant>
#include <QWidget>

namespace ModMirel {

Mirel_Dialog::Mirel_Dialog(const QVariantMap &info, QWidget *parent)
    : IPCore::ModuleGenDialog(parent)
    , ipInfo(info)
{
    uiSetLabelText(ipInfo.value(QStringLiteral("ipcore.label")).toString());
    uiSetModuleName(ipInfo.value(QStringLiteral("ipcore.module")).toString());
    uiSetDefaultFileName(ipInfo.value(QStringLiteral("ipcore.target")).toString());

    auto *page = new QWidget(this);
    form = std::make_unique<PllForm>(page);
    ui = form->ui();
    rules = std::make_unique<FormRules>(*ui, pll, [this] { refreshFigure(); });
    flows = std::make_unique<ConfigFlows>(
            *this, [this] { return settings(); }, ipInfo.value(QStringLiteral("ipcore.id")).toString());
    uiAddTab(page, QStringLiteral("Options"));

    helpDoc = ipInfo.value(QStringLiteral("ipcore.doc.help")).toString();
    connectForm();

    rules->clkinDivider();
    rules->clkfbDivider();
    rules->clkout();
    rules->clkoutp();
    rules->clkoutd();
    rules->clkoutd3();
    refreshFigure();
}

Mirel_Dialog::~Mirel_Dialog() = default;

PllSettings Mirel_Dialog::settings() const
{
    PllSettings state = pll;
    state.language = uiLanguageIndex();
    return form->read(state);
}

void Mirel_Dialog::refreshFigure()
{
    QList<Utils::PinFigure> pins;
    for (const Generate::Pin &pin : Generate::portFigure(settings())) {
        if (pin.output)
            pins << Utils::PinFigure(pin.name, 1, false, Qt::AlignRight);
        else
            pins << Utils::PinFigure(pin.name, 0, pin.bus, Qt::AlignLeft);
    }
    uiSetFigurePins(pins);
}

bool Mirel_Dialog::saveIPConfig()
{
    return flows->save();
}

bool Mirel_Dialog::loadIPConfig(const QString &path)
{
    return flows->load(path, batchMessages);
}

void Mirel_Dialog::applyIPConfig(const QVariantMap &config)
{
    flows->apply(config);
}

bool Mirel_Dialog::setProperty(QVariantMap cfgs, QStringList &messagelist)
{
    return flows->setBatchOptions(cfgs, messagelist);
}

QVariantMap Mirel_Dialog::getProperty()
{
    return flows->batchOptions();
}

void Mirel_Dialog::refreshDeviceInfo()
{
    form->showRanges(Calc::rangeLabels(currentLimits(device())));
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
    rules->clkinDivider();
    rules->clkfbDivider();
    rules->clkout();
    rules->clkoutd();
    ui->btnCalculate->setEnabled(true);
    refreshFigure();
}

void Mirel_Dialog::onPhaseDutyChanged(bool checked)
{
    pll.phaseDutyDynamic = checked;
    rules->clkout();
    rules->clkoutp();
    refreshFigure();
}

void Mirel_Dialog::onClkInDivideChanged(bool checked)
{
    pll.clkinDivideDynamic = checked;
    rules->clkinDivider();
    ui->btnCalculate->setEnabled(true);
    refreshFigure();
}

void Mirel_Dialog::onClkFbDivideChanged(bool checked)
{
    pll.clkfbDivideDynamic = checked;
    rules->clkfbDivider();
    ui->btnCalculate->setEnabled(true);
    refreshFigure();
}

void Mirel_Dialog::onClkOutBypassChanged(bool checked)
{
    pll.clkoutNoBypass = !checked;
    rules->clkout();
    rules->clkoutd();
    rules->clkoutdSource();
    refreshFigure();
}

void Mirel_Dialog::onClkoutDivideModeChanged()
{
    rules->odivMode();
}

void Mirel_Dialog::onClkOutPEnableChanged(bool checked)
{
    pll.clkoutpEnabled = checked;
    rules->clkoutp();
    rules->clkoutd();
    rules->clkoutd3();
    rules->clkoutdSource();
    refreshFigure();
}

void Mirel_Dialog::onClkOutPBypassChanged(bool checked)
{
    pll.clkoutpNoBypass = !checked;
    rules->clkoutp();
    rules->clkoutd();
    rules->clkoutdSource();
    refreshFigure();
}

void Mirel_Dialog::onClkOutDEnableChanged(bool checked)
{
    pll.clkoutdEnabled = checked;
    rules->clkoutd();
    rules->clkoutdSource();
    refreshFigure();
}

void Mirel_Dialog::onClkOutDBypassChanged(bool checked)
{
    pll.clkoutdNoBypass = !checked;
    rules->clkoutd();
    refreshFigure();
}

void Mirel_Dialog::onClkOutD3EnableChanged(bool checked)
{
    pll.clkoutd3Enabled = checked;
    rules->clkoutd3();
    refreshFigure();
}

} // namespace ModMirel
