// SPDX-License-Identifier: MIT
#include "devicetable.h"

namespace DEV {

const QList<DeviceInfo> &DeviceTable::devices()
{
    // devicerows.inc: devices.json, written as one line a device when the build runs.
    static const QList<DeviceInfo> table = {
#define MIREL_DEVICE(device, id, description, clkinMin, clkinMax, vcoMin, vcoMax, clkoutMinAlt, clkoutMin, clkoutMax) \
    {QString::fromUtf8(device), \
     QString::fromUtf8(id), \
     QString::fromUtf8(description), \
     {clkinMin, clkinMax, vcoMin, vcoMax, clkoutMinAlt, 0.0f, clkoutMin, clkoutMax}},
#include "devicerows.inc"
#undef MIREL_DEVICE
    };
    return table;
}

DeviceInfo DeviceTable::defaultDevice()
{
    return devices().first();
}

const DeviceInfo *DeviceTable::find(const QString &nameOrId)
{
    for (const DeviceInfo &info : devices()) {
        if (info.device.compare(nameOrId, Qt::CaseInsensitive) == 0
            || info.id.compare(nameOrId, Qt::CaseInsensitive) == 0)
            return &info;
    }
    return nullptr;
}

} // namespace DEV
