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

// A VHDL bench's wait for a rising edge that gives up at a deadline, so that an output
// that never toggles ends the run instead of hanging it.
inline QString vhdlRise()
{
    return QStringLiteral("        procedure rise(signal clk: std_logic; deadline: time) is\n"
                          "        begin\n"
                          "            if not timed_out and now < deadline then\n"
                          "                wait until rising_edge(clk) for deadline - now;\n"
                          "            end if;\n"
                          "            timed_out := timed_out or now >= deadline;\n"
                          "        end procedure;\n\n");
}

// The failed check a VHDL bench reports for an output without edges within `limit`.
inline QString vhdlNoEdges(const QString &limit)
{
    return QStringLiteral("        procedure no_edges(name: string) is\n"
                          "        begin\n"
                          "            checks := checks + 1;\n"
                          "            failed := failed + 1;\n"
                          "            write(l, name & \": no clock edges within %1: FAIL\");\n"
                          "            writeline(output, l);\n"
                          "            timed_out := false;\n"
                          "        end procedure;\n\n")
            .arg(limit);
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
