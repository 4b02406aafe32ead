#include "Faults.h"

#include <cerrno>
#include <cstdlib>
#include <deque>
#include <map>
#include <mutex>
#include <string>

#include "DeviceRoot.h"
#include "FileUtil.h"

namespace brelta::host {

namespace {
struct Script {
    std::deque<int> values;
};

std::mutex g_mutex;
// Never freed, for the same reason as the device root: exit-time code calls the platform.
std::map<std::string, Script>* g_scripts = nullptr;

Script Load(const std::string& function) {
    Script script;
    std::string text;
    if (!FileUtil::Read(DeviceRoot::Path() + "/faults/" + function, &text)) return script;
    const char* p = text.c_str();
    for (;;) {
        while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r') ++p;
        if (*p == '\0') break;
        char* end = nullptr;
        errno = 0;
        long value = std::strtol(p, &end, 0);
        // A word that is not a number ends the script: what came before it still holds.
        if (end == p || errno != 0 || value < -2147483647L - 1 || value > 2147483647L) break;
        script.values.push_back(static_cast<int>(value));
        p = end;
    }
    return script;
}
}  // namespace

bool Faults::Next(const char* function, int* value) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_scripts == nullptr) g_scripts = new std::map<std::string, Script>();
    auto it = g_scripts->find(function);
    if (it == g_scripts->end()) it = g_scripts->emplace(function, Load(function)).first;
    if (it->second.values.empty()) return false;
    *value = it->second.values.front();
    it->second.values.pop_front();
    return true;
}

bool Faults::Fail(const char* function, int* status) {
    int value = 0;
    if (!Next(function, &value) || value == 0) return false;
    *status = value;
    return true;
}

void Faults::Reset() {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_scripts != nullptr) g_scripts->clear();
}

}  // namespace brelta::host
