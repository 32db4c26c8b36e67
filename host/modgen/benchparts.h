// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// Pieces the module's testbench and the switching block's testbench share.
namespace ModGen::BenchParts {

// A number as the benches write it: six decimals, never an exponent.
inline QString real(double value)
{
    return QString::number(value, 'f', 6);
}

// The end of a VHDL bench's checking process: the verdict line, then the end of the run.
inline QString vhdlVerdict()
{
    return QStringLiteral("        if failed = 0 then\n"
                          "            write(l, \"PASS: \" & integer'image(checks) & \" checks\");\n"
                          "        else\n"
                          "            write(l, \"FAIL: \" & integer'image(failed) & \" of \" & integer'image(checks) "
                          "& \" checks\");\n"
                          "        end if;\n"
                          "        writeline(output, l);\n"
                          "        std.env.finish;\n"
                          "        wait;\n"
                          "    end process;\n\nend sim;\n");
}

} // namespace ModGen::BenchParts
