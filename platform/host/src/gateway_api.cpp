// The default-gateway check of the maker's network extension.
#include <ostra_network.h>

#include "DefaultRoute.h"
#include "Faults.h"

extern "C" int connection_profile_check_default_gateway(bool* is_default_gateway) {
    int status = 0;
    if (brelta::host::Faults::Fail("connection_profile_check_default_gateway", &status))
        return status;
    if (is_default_gateway == nullptr) return CONNECTION_ERROR_INVALID_PARAMETER;
    return brelta::host::DefaultRoute::Current().Check(is_default_gateway);
}
