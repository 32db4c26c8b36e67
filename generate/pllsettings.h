// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace ModMirel {

// Every setting of one MIREL instance as one value: the dialog reads its form
// into one, and the searches, the argument list, the port figure and the .ipc
// writer work on it. Defaults are the form's start state.
struct PllSettings
{
    // The ten flags that mirror check states of the form.
    bool generalMode = true;
    bool phaseDutyDynamic = true;
    bool clkinDivideDynamic = true;
    bool clkfbDivideDynamic = true;
    bool clkoutNoBypass = true;
    bool clkoutpEnabled = false;
    bool clkoutpNoBypass = true;
    bool clkoutdEnabled = false;
    bool clkoutdNoBypass = true;
    bool clkoutd3Enabled = false;

    // The dividers the searches settled on; defined before any search, so that a
    // list built without one still carries legal numbers.
    int fbdivSel = 1;
    int idivSel = 1;
    int odivSel = 2;
    int sdivSel = 2;

    int language = 0; // the frame's output-language index
    bool reset = false;
    bool powerDown = false;
    bool regulator = false;
    bool lock = false;
    double clkinFreq = 100.0;
    int clkfbSource = 0; // item index: 0 internal, 1 external

    // General Mode: what the searches aim at; tolerances are item indexes.
    double clkoutFreq = 100.0;
    int clkoutTolerance = 0;
    double clkoutdFreq = 50.0;
    int clkoutdTolerance = 0;

    // Advanced Mode: the user's dividers; the flags and clkoutDivideDynamic pick one of each pair.
    int idivStatic = 1;
    int idivDynamic = 1;
    int fbdivStatic = 1;
    int fbdivDynamic = 1;
    bool clkoutDivideDynamic = true;
    int odivStatic = 2; // 0 while the list has no current item
    int odivDynamic = 2;
    int sdivEntry = 2;

    // Item indexes; -1 while a list has no current item.
    int clkoutDelayStep = 0;
    int phaseIndex = 0;
    int dutyIndex = 6; // 0.500
    int clkoutpDelayStep = 0;
    bool clkoutdSourceClkout = true;
    bool clkoutd3SourceClkout = true;

    // CLKOUTD divides, so it has a divider and a source.
    bool clkoutdLive() const { return clkoutdEnabled && clkoutdNoBypass; }
    // CLKOUTP is a real PLL output, so it has a phase and a duty cycle.
    bool clkoutpLive() const { return clkoutpEnabled && clkoutpNoBypass; }

    int idiv() const { return clkinDivideDynamic ? idivDynamic : idivStatic; }
    int fbdiv() const { return clkfbDivideDynamic ? fbdivDynamic : fbdivStatic; }
    int odiv() const { return clkoutDivideDynamic ? odivDynamic : odivStatic; }

    // The duty-cycle items run from 2/16 upwards; the generator takes the sixteenths.
    static constexpr int kFirstDutySixteenth = 2;
    QString dutyCode() const { return dutyIndex < 0 ? QString() : QString::number(dutyIndex + kFirstDutySixteenth); }
};

} // namespace ModMirel
