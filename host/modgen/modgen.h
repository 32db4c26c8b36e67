// SPDX-License-Identifier: MIT
#pragma once

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

// Frequencies the static settings give, in MHz.
struct Frequencies
{
    double clkout = 0, clkoutp = 0, clkoutd = 0, clkoutd3 = 0;
};
Frequencies frequencies(const Settings &s);

QString moduleText(const Settings &s);
QString templateText(const Settings &s);

// Writes <dir>/<file>.v and <file>_tmp.v (or .vhd). With `into`, the files join
// that open set and its owner commits them with the rest of the module; without
// it they are committed here. A failure leaves every earlier file intact.
// Appends problems to errors.
bool generate(const Request &request, QStringList *errors, QStringList *written = nullptr,
              FileIO::StagedFiles *into = nullptr);

} // namespace ModGen
