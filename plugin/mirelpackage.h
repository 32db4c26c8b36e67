// SPDX-License-Identifier: MIT
#pragma once

#include <ipplugin.h>

namespace ModMirel {

// The object the host discovers in the library; it offers exactly one core. Its metadata
// (mirel-metadata.json, written at build time by metadatatool.cpp) describes the core, so
// that a host can show it without loading the library (host/velkte/coredescription.h).
class MirelPackage : public TE::TE_IPCore_Def::IPPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "ModMirel.MirelPackage/1.0" FILE "mirel-metadata.json")
    Q_INTERFACES(TE::TE_IPCore_Def::IPPlugin)
public:
    MirelPackage() = default;

    QList<TE::TE_IPCore_Def::BaseIPCoreInterface *> ipCores() override;
};

} // namespace ModMirel
