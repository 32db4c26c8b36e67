// SPDX-License-Identifier: MIT
#pragma once

// The names of the profile, best input clock and joint searches in JSON requests and
// answers, all in one place.
namespace MirelCalc::Field {

// Requests: the options' own names.
inline constexpr char profiles[] = "profiles";
inline constexpr char bestClkin[] = "best-clkin";
inline constexpr char crystals[] = "crystals";
inline constexpr char clkinRange[] = "clkin-range";
inline constexpr char top[] = "top";
inline constexpr char joint[] = "joint";
inline constexpr char clkoutd3[] = "clkoutd3";
inline constexpr char clkoutd3Tolerance[] = "clkoutd3-tolerance";

// Answers (and the profile objects of a request).
inline constexpr char ok[] = "ok";
inline constexpr char error[] = "error";
inline constexpr char device[] = "device";
inline constexpr char clkin[] = "clkin";
inline constexpr char profile[] = "profile";
inline constexpr char wanted[] = "wanted";
inline constexpr char tolerance[] = "tolerance";
inline constexpr char idiv[] = "idiv";
inline constexpr char fbdiv[] = "fbdiv";
inline constexpr char odiv[] = "odiv";
inline constexpr char sdiv[] = "sdiv";
inline constexpr char idsel[] = "idsel";
inline constexpr char fbdsel[] = "fbdsel";
inline constexpr char odsel[] = "odsel";
inline constexpr char pfd[] = "pfd";
inline constexpr char vco[] = "vco";
inline constexpr char clkout[] = "clkout";
inline constexpr char clkoutPpm[] = "clkout_ppm";
inline constexpr char clkoutd[] = "clkoutd";
inline constexpr char clkoutdWanted[] = "clkoutd_wanted";
inline constexpr char clkoutdTolerance[] = "clkoutd-tolerance";
inline constexpr char clkoutdPpm[] = "clkoutd_ppm";
inline constexpr char clkoutd3Ppm[] = "clkoutd3_ppm";
inline constexpr char errorPpm[] = "error_ppm";
inline constexpr char alternatives[] = "alternatives";
inline constexpr char candidates[] = "candidates";
inline constexpr char messages[] = "messages";
inline constexpr char pluginOk[] = "plugin_ok";
inline constexpr char changed[] = "changed";
inline constexpr char name[] = "name";
inline constexpr char plugin[] = "plugin";
inline constexpr char joined[] = "joint";
inline constexpr char changePpm[] = "change_ppm";

} // namespace MirelCalc::Field
