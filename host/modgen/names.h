// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace ModGen {

// Each returns an empty text when the name is acceptable, else one clear problem.

// The longest module name every supported tool takes: Verilator refuses a top
// module of 128 characters or more, and the testbench's top is NAME_tb.
constexpr int MaxModuleName = 124;

// A module name must be a legal identifier in both Verilog and VHDL and a
// reserved word of neither nor a name VHDL predefines, at most MaxModuleName
// characters long, and must not clash with the primitive or a port.
QString moduleNameProblem(const QString &name);

// Text from outside made safe for one comment line or one message line.
QString commentSafe(const QString &text);

} // namespace ModGen
