#include "FuzzSupport.h"

#include <ftw.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "Services.h"
#include "base/DeviceRoot.h"

namespace brelta::fuzz {

namespace {
std::string* g_root = nullptr;

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
    remove(path);
    return 0;
}

void RemoveRoot() {
    if (g_root != nullptr) nftw(g_root->c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}
}  // namespace

const std::string& UseTemporaryDeviceRoot() {
    if (g_root != nullptr) return *g_root;
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/brelta-fuzz-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) == nullptr) {
        perror("mkdtemp");
        abort();
    }
    g_root = new std::string(name.data());
    setenv("BRELTA_DEVICE_ROOT", g_root->c_str(), 1);
    // No service live, whatever the environment says: the inputs go to the root's files.
    setenv("BRELTA_LIVE", "", 1);
    brelta::host::DeviceRoot::Reset();
    brelta::host::Services::Reset();
    atexit(RemoveRoot);
    return *g_root;
}

void Check(bool condition, const char* invariant) {
    if (condition) return;
    fprintf(stderr, "invariant broken: %s\n", invariant);
    abort();
}

}  // namespace brelta::fuzz
