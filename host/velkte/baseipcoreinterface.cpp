// SPDX-License-Identifier: MIT
#include "baseipcoreinterface.h"

namespace TE {
namespace TE_IPCore_Def {

BaseIPCoreInterface::BaseIPCoreInterface() = default;
BaseIPCoreInterface::~BaseIPCoreInterface() = default;

} // namespace TE_IPCore_Def
} // namespace TE
