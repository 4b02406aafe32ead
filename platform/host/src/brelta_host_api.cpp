// Host-only functions (brelta_host.h).
#include <brelta_host.h>

#include <mutex>
#include <set>
#include <string>

#include "base/DeviceRoot.h"

namespace {
std::mutex g_hostApiMutex;
// Kept for the whole process so that callers may hold the returned pointers; never freed.
std::set<std::string>* g_paths = nullptr;
}  // namespace

extern "C" const char* brelta_host_root(void) {
    return brelta::host::DeviceRoot::Path().c_str();
}

namespace {
const char* Keep(const std::string& text) {
    std::lock_guard<std::mutex> lock(g_hostApiMutex);
    if (g_paths == nullptr) g_paths = new std::set<std::string>();
    return g_paths->insert(text).first->c_str();
}
}  // namespace

extern "C" const char* brelta_host_device_path(const char* device_path) {
    return Keep(brelta::host::DeviceRoot::DevicePath(device_path ? device_path : ""));
}

extern "C" const char* brelta_host_device_command(const char* device_path) {
    std::string path = brelta::host::DeviceRoot::DevicePath(device_path ? device_path : "");
    // Within single quotes the shell takes every byte as it is, but the quote itself:
    // that one ends the quoting, is given escaped, and the quoting starts again.
    std::string word = "'";
    for (char c : path) word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return Keep(word + "'");
}
