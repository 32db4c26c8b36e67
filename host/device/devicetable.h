// SPDX-License-Identifier: MIT
#pragma once

#include "devicearg.h"

#include <QList>
#include <QString>

namespace DEV {

// PLL frequency limits of one device, in MHz: the host's record (IPCore::PLLRange), in its
// field order and types; callers widen them to double.
struct PllLimits
{
    qint32 clkinMin = 0;
    qint32 clkinMax = 0;
    qint32 vcoMin = 0;
    qint32 vcoMax = 0;
    float clkoutMinAlt = 0.0f;
    float reserved = 0.0f; // the host's, read by no core
    float clkoutMin = 0.0f;
    float clkoutMax = 0.0f;
};

struct DeviceInfo
{
    QString device; // family name, e.g. "AXL-12"
    QString id;     // part id, e.g. "AXL-12-QN88"
    QString description;
    PllLimits pll;

    DeviceArg arg() const { return DeviceArg(device, id); }
};

// The device table shipped with the host (devices.json, compiled in).
class DeviceTable
{
public:
    static const QList<DeviceInfo> &devices();
    static DeviceInfo defaultDevice();

    // Looks a device up by family name or part id (case-insensitive); null when unknown.
    static const DeviceInfo *find(const QString &nameOrId);
};

} // namespace DEV
