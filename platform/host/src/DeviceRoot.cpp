#include "DeviceRoot.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>

#include "FileUtil.h"

namespace brelta::host {

namespace {
std::mutex g_mutex;
// Deliberately never freed: exit-time destructors of the tool (the toast) still write
// under the root, so the text must outlive every other static object.
std::string* g_root = nullptr;

std::string FromEnv(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}
}  // namespace

std::string DeviceRoot::Choose() {
    std::string root = FromEnv("BRELTA_DEVICE_ROOT");
    if (!root.empty()) return root;
    std::string state = FromEnv("XDG_STATE_HOME");
    if (!state.empty()) return state + "/brelta-device";
    std::string home = FromEnv("HOME");
    if (home.empty()) {
        // No HOME (a service manager may start us so): the password database still knows.
        struct passwd* pw = getpwuid(getuid());
        if (pw != nullptr && pw->pw_dir != nullptr) home = pw->pw_dir;
    }
    if (home.empty()) return "/tmp/brelta-device-" + std::to_string(getuid());
    return home + "/.local/state/brelta-device";
}

const std::string& DeviceRoot::Path() {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_root == nullptr) g_root = new std::string(Choose());
    return *g_root;
}

std::string DeviceRoot::Dir(const std::string& relative) {
    std::string dir = Path() + "/" + relative;
    FileUtil::MakeDirs(dir);
    return dir;
}

std::string DeviceRoot::DevicePath(const std::string& device_path) {
    std::string path = Path() + device_path;
    std::string::size_type slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0) FileUtil::MakeDirs(path.substr(0, slash));
    return path;
}

bool DeviceRoot::IsOwnEntry(const std::string& name) {
    static const char* const kOwn[] = {"settings", "log",    "notifications", "apps", "network",
                                       "usb",      "faults", "opt",           "usr",  "dev"};
    for (const char* own : kOwn)
        if (name == own) return true;
    return false;
}

void DeviceRoot::Reset() {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_root != nullptr) *g_root = Choose();
}

}  // namespace brelta::host
