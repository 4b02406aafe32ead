// The default-gateway check of the maker's network extension.
#include <ostra_network.h>

#include "network/DefaultRoute.h"
#include "base/Faults.h"

extern "C" int connection_profile_check_default_gateway(bool* is_default_gateway) {
    BRELTA_FAULT_HOOK(fault);
    if (is_default_gateway == nullptr) return CONNECTION_ERROR_INVALID_PARAMETER;
    return brelta::host::Services::Get<brelta::host::DefaultRoute>().Check(is_default_gateway);
}
