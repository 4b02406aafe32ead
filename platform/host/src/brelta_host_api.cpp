// Host-only functions (brelta_host.h).
#include <brelta_host.h>

#include <mutex>
#include <set>
#include <string>

#include "DeviceRoot.h"

namespace {
std::mutex g_mutex;
// Kept for the whole process so that callers may hold the returned pointers; never freed.
std::set<std::string>* g_paths = nullptr;
}  // namespace

extern "C" const char* brelta_host_root(void) {
    return brelta::host::DeviceRoot::Path().c_str();
}

extern "C" const char* brelta_host_device_path(const char* device_path) {
    std::string path = brelta::host::DeviceRoot::DevicePath(device_path ? device_path : "");
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_paths == nullptr) g_paths = new std::set<std::string>();
    return g_paths->insert(path).first->c_str();
}
