#include "base/DeviceRoot.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "base/FileUtil.h"

namespace brelta::host {

namespace {
std::mutex g_deviceRootMutex;
// Deliberately never freed: exit-time destructors of the tool (the toast) still write
// under the root, so the text must outlive every other static object.
std::string* g_root = nullptr;

std::string FromEnv(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

// The XDG rules: a relative path in these variables is invalid and ignored.
std::string AbsolutePath(const std::string& path) {
    return !path.empty() && path[0] == '/' ? path : std::string();
}

// Whether the root exists, or can be made: its nearest existing ancestor is a directory we
// may write (a home that does not exist is made with it, unless it cannot be: nobody's
// /nonexistent).
bool CanHold(const std::string& root) {
    for (std::string path = root;; path = FileUtil::Parent(path)) {
        struct stat st;
        if (stat(path.c_str(), &st) == 0)
            return S_ISDIR(st.st_mode) && (path == root || access(path.c_str(), W_OK | X_OK) == 0);
        if (path == "/" || path.empty()) return false;
    }
}

// Anyone may have made the fallback's name in /tmp first. It is used only as a directory of
// this user's that nobody else may write (as runtime directories are checked), so that no
// one else can plant files or links in it; otherwise the root is refused: one below /dev/null,
// where every call fails as it does for any root that cannot be used.
std::string CheckedFallback() {
    std::string path = "/tmp/brelta-device-" + std::to_string(getuid());
    // Made here, and not on demand like the rest, so that it is made with this mode.
    mkdir(path.c_str(), 0700);
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid() &&
        (st.st_mode & (S_IWGRP | S_IWOTH)) == 0)
        return path;
    std::fprintf(stderr,
                 "brelta: refusing the device root %s: not a directory of this user that only "
                 "they may write\n",
                 path.c_str());
    return "/dev/null/refused" + path;
}
}  // namespace

std::string DeviceRoot::Choose() {
    std::string root = FromEnv("BRELTA_DEVICE_ROOT");
    if (!root.empty()) return root;
    std::string state = AbsolutePath(FromEnv("XDG_STATE_HOME"));
    if (!state.empty()) return state + "/brelta-device";
    std::string home = AbsolutePath(FromEnv("HOME"));
    if (home.empty()) {
        // No HOME (a service manager may start us so): the password database still knows.
        struct passwd* pw = getpwuid(getuid());
        if (pw != nullptr && pw->pw_dir != nullptr) home = AbsolutePath(pw->pw_dir);
    }
    if (!home.empty() && CanHold(home + "/.local/state/brelta-device"))
        return home + "/.local/state/brelta-device";
    return CheckedFallback();
}

const std::string& DeviceRoot::Path() {
    std::lock_guard<std::mutex> lock(g_deviceRootMutex);
    if (g_root == nullptr) g_root = new std::string(Choose());
    return *g_root;
}

std::string DeviceRoot::MakeDir(const std::string& relative) {
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
    static const char* const kOwn[] = {"settings", "log", "notifications", "apps", "network", "usb",
                                       "faults",   "opt", "usr",           "dev",  "live"};
    for (const char* own : kOwn)
        if (name == own) return true;
    return false;
}

void DeviceRoot::Reset() {
    std::lock_guard<std::mutex> lock(g_deviceRootMutex);
    if (g_root != nullptr) *g_root = Choose();
}

}  // namespace brelta::host
