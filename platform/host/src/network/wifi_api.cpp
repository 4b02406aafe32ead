// Wi-Fi module power of the maker's network extension: the module's state is the file
// $ROOT/network/wifi_module.
#include <ostra_network.h>

#include "base/DeviceRoot.h"
#include "base/Faults.h"
#include "base/FileUtil.h"

using brelta::host::DeviceRoot;
using brelta::host::Faults;
using brelta::host::FileUtil;

extern "C" int wifi_set_module_low(void) {
    BRELTA_FAULT_HOOK(fault);
    // The bare word, without a newline: readers compare it as it stands.
    if (!FileUtil::WriteAtomically(DeviceRoot::MakeDir("network") + "/wifi_module", "low"))
        return CONNECTION_ERROR_OPERATION_FAILED;
    return CONNECTION_ERROR_NONE;
}
