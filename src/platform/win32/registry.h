// The Windows registry behind platform::Registry. Tests root it in keys of
// their own instead of HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE.
#pragma once

#include <windows.h>

#include <memory>

#include "platform/registry.h"

namespace platform {

std::unique_ptr<Registry> MakeRegistryUnder(HKEY currentUser, HKEY localMachine);

}  // namespace platform
