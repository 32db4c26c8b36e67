// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

namespace ModMirel {

struct PllSettings;
namespace Ui {
class PllConfig;
}

// The rule groups that keep the form consistent with the chosen mode and
// outputs: each is a function of the flags, applied to the widgets. Checking a
// connected control runs its slot at once, nested, before the next step, so the
// flags are read through a reference that those slots update.
class FormRules
{
public:
    // redrawFigure: the ODIV radios change the port figure, so their group redraws it.
    FormRules(Ui::PllConfig &ui, const PllSettings &flags, std::function<void()> redrawFigure);

    void clkinDivider();
    void clkfbDivider();
    void clkout();
    void odivMode();
    void clkoutp();
    void clkoutd();
    void clkoutd3();
    void clkoutdSource();

private:
    Ui::PllConfig &ui;
    const PllSettings &pll;
    std::function<void()> redrawFigure;
};

} // namespace ModMirel
