// SPDX-License-Identifier: MIT
#include "devicetable.h"

#include "devicerows.h"

namespace DEV {

static QList<DeviceInfo> loadTable()
{
    QList<DeviceInfo> table;
    for (int i = 0; i < deviceRowCount; ++i) {
        const DeviceRow &row = deviceRows[i];
        table.append({QString::fromUtf8(row.device), QString::fromUtf8(row.id), QString::fromUtf8(row.description),
                      row.pll});
    }
    return table;
}

const QList<DeviceInfo> &DeviceTable::devices()
{
    static const QList<DeviceInfo> table = loadTable();
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
