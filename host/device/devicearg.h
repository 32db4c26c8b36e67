// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace DEV {

// The host's descriptor of a target device: its family name and its part id.
class DeviceArg
{
public:
    DeviceArg() = default;
    DeviceArg(const QString &device, const QString &id)
        : m_device(device)
        , m_id(id)
    {}

    QString device() const { return m_device; }
    QString id() const { return m_id; }

    bool operator==(const DeviceArg &other) const { return m_device == other.m_device && m_id == other.m_id; }

private:
    QString m_device;
    QString m_id;
};

} // namespace DEV
