// SPDX-License-Identifier: MIT
#include "devicetable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace DEV {

extern const char devicesJson[]; // devices.json, compiled in

static QList<DeviceInfo> loadTable()
{
    QList<DeviceInfo> table;
    const QJsonArray list = QJsonDocument::fromJson(QByteArray::fromRawData(devicesJson, int(qstrlen(devicesJson))))
                                    .object()
                                    .value("devices")
                                    .toArray();
    for (const QJsonValue &entry : list) {
        const QJsonObject o = entry.toObject();
        const QJsonObject pll = o.value("pll").toObject();
        DeviceInfo info;
        info.device = o.value("device").toString();
        info.id = o.value("id").toString();
        info.description = o.value("description").toString();
        info.pll.clkinMin = pll.value("clkinMin").toInt();
        info.pll.clkinMax = pll.value("clkinMax").toInt();
        info.pll.vcoMin = pll.value("vcoMin").toInt();
        info.pll.vcoMax = pll.value("vcoMax").toInt();
        info.pll.clkoutMinAlt = float(pll.value("clkoutMinAlt").toDouble());
        info.pll.clkoutMin = float(pll.value("clkoutMin").toDouble());
        info.pll.clkoutMax = float(pll.value("clkoutMax").toDouble());
        table.append(info);
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
