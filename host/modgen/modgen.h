// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace FileIO {
class StagedFiles;
}

namespace ModGen {

// One generator run: where to write and the argument list that says what.
struct Request
{
    QString fileName;
    QString dir;
    QStringList args;
};

// The generator command is a self-contained text, so that it can be queued or
// handed to another process; decode fails on anything it did not encode.
QString encodeCommand(const Request &request);
bool decodeCommand(const QString &command, Request *request);

// A MIREL argument list read back into switch values.
struct Settings
{
    QStringList header;
    QString module;
    QString file;
    QString path;
    bool vhdl = false;
    QString ipVersion;
    QString device;
    // The VCO window of that device in MHz, both 0 when the device table does not know it.
    int vcoMin = 0;
    int vcoMax = 0;
    bool dynIdiv = false;
    int idiv = 1;
    bool dynFbdiv = false;
    int fbdiv = 1;
    bool dynOdiv = false;
    int odiv = 2;
    bool hasSdiv = false;
    int sdiv = 2;
    bool dynDa = false;
    bool reset = false;
    bool resetP = false;
    bool regulator = false;
    double fclkin = 0.0;
    int clkfbSel = 0;
    bool lock = false;
    bool clkoutBypass = false;
    bool clkoutp = false;
    bool clkoutpBypass = false;
    bool hasPsda = false;
    int psda = 0;
    int dutyda = 8;
    bool clkoutd = false;
    bool clkoutdBypass = false;
    bool clkoutdSrcClkoutp = false;
    bool clkoutd3 = false;
    bool clkoutd3SrcClkoutp = false;
};

// The VCO dividers the hardware has, ascending; the dynamic select odsel gives
// ODIV = 2 x (64 - odsel).
const QList<int> &odivValues();
inline int odselCode(int odiv)
{
    return 64 - odiv / 2;
}

// False with one problem per line in errors when the list is not a sound MIREL list.
bool parseArgs(const QStringList &args, Settings *settings, QStringList *errors);

struct Port
{
    QString name;
    bool output = false;
    int width = 1; // 1: a single bit
};

// The module's ports in the order of the dialog's port figure.
QList<Port> ports(const Settings &s);

// Frequencies the static settings give, in MHz, for every file that states them. The VCO is 0
// when no output comes from the PLL.
struct Frequencies
{
    double pfd = 0, vco = 0;
    double clkout = 0, clkoutp = 0, clkoutd = 0, clkoutd3 = 0;
};
Frequencies frequencies(const Settings &s);

// The header every generated file starts with: the caller's lines, then the
// module, device, settings and achieved frequencies, each line after prefix.
QString commentBlock(const Settings &s, const QString &prefix);

QString moduleText(const Settings &s);
QString templateText(const Settings &s);
// Timing constraints of the module's clocks, for tools that read SDC.
QString sdcText(const Settings &s);
// A self-checking testbench: drives clkin, measures every enabled output and
// ends with a PASS or FAIL line.
QString benchText(const Settings &s);

// Writes <dir>/<file>.v, <file>_tmp.v, <file>.sdc and <file>_tb.v (or .vhd);
// written lists them, the module first. With `into`, the files join
// that open set and its owner commits them with the rest of the module; without
// it they are committed here. A failure leaves every earlier file intact.
// Appends problems to errors.
bool generate(const Request &request, QStringList *errors, QStringList *written = nullptr,
              FileIO::StagedFiles *into = nullptr);

} // namespace ModGen
