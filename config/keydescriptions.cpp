// SPDX-License-Identifier: MIT
// The one-line description of each batch option, as a host lists them.
#include "configkeys.h"

#include <cstring>

namespace ModMirel {
namespace Config {

namespace {

struct Line
{
    const char *key;
    const char *text;
};

const Line lines[] = {
        {Key::Lang, "Output language: 0 or Verilog, 1 or VHDL"},
        {Key::ModeGeneral,
         "true: General Mode (the dividers are searched); false: Advanced Mode (the dividers are given)"},
        {Key::Dynamic, "true: phase and duty cycle of CLKOUTP adjustable at run time; false: static"},
        {Key::ClkinFreq, "Input clock frequency in MHz"},
        {Key::ClkinDivideDyn, "true: input divider IDIV set at run time; false: static (Advanced Mode)"},
        {Key::ClkinDivideSel, "Input divider IDIV (Advanced Mode)"},
        {Key::ClkfbSource, "Feedback source"},
        {Key::ClkfbDivideDyn, "true: feedback divider FBDIV set at run time; false: static (Advanced Mode)"},
        {Key::ClkfbDivideSel, "Feedback divider FBDIV (Advanced Mode)"},
        {Key::ResetPll, "Add the PLL reset input"},
        {Key::PllPwd, "Add the power-down input"},
        {Key::PllRegulator, "Add the regulator control input"},
        {Key::LockEn, "Add the LOCK output"},
        {Key::ClkoutBypass, "CLKOUT passes CLKIN through undivided"},
        {Key::ClkoutFreq, "Wanted CLKOUT frequency in MHz (General Mode)"},
        {Key::ClkoutTolerance, "Allowed CLKOUT error in percent (General Mode)"},
        {Key::ClkoutDivideDyn, "true: VCO divider ODIV set at run time; false: static"},
        {Key::ClkoutDivider, "VCO divider ODIV (Advanced Mode)"},
        {Key::Clkoutp, "Enable the phase-shifted output CLKOUTP"},
        {Key::ClkoutpBypass, "CLKOUTP passes CLKIN through"},
        {Key::ClkoutpPhase, "CLKOUTP phase shift in degrees (static adjustment)"},
        {Key::ClkoutpDutyCycle, "CLKOUTP duty cycle (static adjustment)"},
        {Key::Clkoutd, "Enable the divided output CLKOUTD"},
        {Key::ClkoutdBypass, "CLKOUTD passes CLKIN through"},
        {Key::ClkoutdSourceClkout, "true: CLKOUTD divides CLKOUT; false: CLKOUTP"},
        {Key::ClkoutdFreq, "Wanted CLKOUTD frequency in MHz (General Mode)"},
        {Key::ClkoutdTolerance, "Allowed CLKOUTD error in percent (General Mode)"},
        {Key::ClkoutdDivide, "CLKOUTD divider SDIV, even (Advanced Mode only)"},
        {Key::Clkoutd3, "Enable the divide-by-3 output CLKOUTD3"},
        {Key::Clkoutd3SourceClkout, "true: CLKOUTD3 divides CLKOUT; false: CLKOUTP"},
};

} // namespace

const char *description(const char *key)
{
    for (const Line &line : lines) {
        if (key && std::strcmp(line.key, key) == 0)
            return line.text;
    }
    return nullptr;
}

} // namespace Config
} // namespace ModMirel
