// SPDX-License-Identifier: MIT
#include "mirelpackage.h"

#include "mirel.h"

#include <memory>

namespace ModMirel {

QList<TE::TE_IPCore_Def::BaseIPCoreInterface *> MirelPackage::ipCores()
{
    QList<TE::TE_IPCore_Def::BaseIPCoreInterface *> cores;
    auto core = std::make_unique<MIREL>(pluginDir);
    if (!core->initialize())
        return cores;
    cores.append(core.release()); // the host owns it from here on
    return cores;
}

} // namespace ModMirel
