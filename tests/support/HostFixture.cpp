#include "HostFixture.h"

#include <cstdlib>

#include "DeviceRoot.h"
#include "Faults.h"

namespace brelta::test {

void HostFixture::SetUp() {
    root = std::make_unique<TempDeviceRoot>();
    setenv("BRELTA_DEVICE_ROOT", root->Path().c_str(), 1);
    brelta::host::DeviceRoot::Reset();
    brelta::host::Faults::Reset();
    // Drain what an earlier test left on the default context.
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
}

void HostFixture::TearDown() {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    brelta::host::Faults::Reset();
}

void HostFixture::ReloadFaults() {
    brelta::host::Faults::Reset();
}

}  // namespace brelta::test
