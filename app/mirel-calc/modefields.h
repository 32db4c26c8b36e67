// SPDX-License-Identifier: MIT
#pragma once

// The names of the profile, best input clock and joint searches in JSON requests and
// answers, all in one place.
namespace MirelCalc::Field {

// Requests: the options' own names, which a profile object of a request also uses.
inline constexpr char profiles[] = "profiles";
inline constexpr char bestClkin[] = "best-clkin";
inline constexpr char crystals[] = "crystals";
inline constexpr char clkinRange[] = "clkin-range";
inline constexpr char top[] = "top";
inline constexpr char joint[] = "joint";
inline constexpr char clkoutd3[] = "clkoutd3";
inline constexpr char clkoutd3Tolerance[] = "clkoutd3-tolerance";
inline constexpr char clkout[] = "clkout";
inline constexpr char tolerance[] = "tolerance";
inline constexpr char clkoutd[] = "clkoutd";
inline constexpr char clkoutdTolerance[] = "clkoutd-tolerance";

// Answers, in the vocabulary of every machine answer (schemas/profiles.schema.json,
// best-clkin.schema.json, joint.schema.json; an output and an alternative as mirel.calc/1).
inline constexpr char schema[] = "schema";
inline constexpr char profilesSchema[] = "mirel.profiles/1";
inline constexpr char bestClkinSchema[] = "mirel.best-clkin/1";
inline constexpr char jointSchema[] = "mirel.joint/1";
inline constexpr char ok[] = "ok";
inline constexpr char error[] = "error";
inline constexpr char device[] = "device";
inline constexpr char part[] = "part";
inline constexpr char messages[] = "messages";
inline constexpr char clkinMhz[] = "clkin_mhz";
inline constexpr char profile[] = "profile";
inline constexpr char tolerancePct[] = "tolerance_pct";
inline constexpr char clkoutdTolerancePct[] = "clkoutd_tolerance_pct";
inline constexpr char idiv[] = "idiv";
inline constexpr char fbdiv[] = "fbdiv";
inline constexpr char odiv[] = "odiv";
inline constexpr char sdiv[] = "sdiv";
inline constexpr char idsel[] = "idsel";
inline constexpr char fbdsel[] = "fbdsel";
inline constexpr char odsel[] = "odsel";
inline constexpr char pfdMhz[] = "pfd_mhz";
inline constexpr char vcoMhz[] = "vco_mhz";
inline constexpr char outputs[] = "outputs";
inline constexpr char name[] = "name";
inline constexpr char wantedMhz[] = "wanted_mhz";
inline constexpr char achievedMhz[] = "achieved_mhz";
inline constexpr char errorPpm[] = "error_ppm";
inline constexpr char rejectedMhz[] = "rejected_mhz";
inline constexpr char alternatives[] = "alternatives";
inline constexpr char clkoutMhz[] = "clkout_mhz";
inline constexpr char candidates[] = "candidates";
inline constexpr char pluginOk[] = "plugin_ok";
inline constexpr char changed[] = "changed";
inline constexpr char pluginMhz[] = "plugin_mhz";
inline constexpr char jointMhz[] = "joint_mhz";
inline constexpr char changePpm[] = "change_ppm";

} // namespace MirelCalc::Field
