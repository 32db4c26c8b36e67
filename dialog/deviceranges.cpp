// SPDX-License-Identifier: MIT
// The device-dependent range labels and spin-box ranges of the form.
#include "devicelimits.h"
#include "mireldialog.h"

#include "ui_pllconfig.h"

#include <pllrange.h>
#include <rangelabels.h>
#include <searchtexts.h>

namespace ModMirel {

Calc::PllLimits currentLimits(const DEV::DeviceArg &device)
{
    return Calc::pllLimitsFrom(IPCore::getPLLRange(device));
}

void Mirel_Dialog::refreshDeviceInfo()
{
    const Calc::RangeLabels labels = Calc::rangeLabels(currentLimits(device()));
    const Calc::Text::RangeTexts texts = Calc::Text::rangeTexts(labels);
    ui->clkinLabelFrequency->setText(texts.clkinLabel);
    ui->clkinSpinFrequency->setRange(labels.clkinMin, labels.clkinMax);
    ui->clkoutLabelFrequency->setText(texts.clkoutLabel);
    ui->clkoutSpinFrequency->setRange(labels.clkoutMin, labels.clkoutMax);
    ui->clkoutdLabelFrequency->setText(texts.clkoutdLabel);
    ui->clkoutdSpinFrequency->setRange(labels.clkoutdMin, labels.clkoutdMax);
}

} // namespace ModMirel
