#include "base/Faults.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <string>

#include "base/DeviceRoot.h"
#include "base/FileUtil.h"
#include "base/ScriptableFunctions.h"
#include "base/VisibleText.h"

namespace brelta::host {

namespace {
struct Script {
    std::deque<int> values;
};

std::mutex g_faultsMutex;
// Never freed, for the same reason as the device root: exit-time code calls the platform.
std::map<std::string, Script>* g_scripts = nullptr;

Script Load(const std::string& function) {
    Script script;
    std::string text;
    if (!FileUtil::Read(Faults::Path(function), &text)) return script;
    for (int value : Faults::Parse(text)) script.values.push_back(value);
    return script;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
}  // namespace

bool Faults::Next(const char* function, int* value) {
    std::lock_guard<std::mutex> lock(g_faultsMutex);
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
    std::lock_guard<std::mutex> lock(g_faultsMutex);
    if (g_scripts != nullptr) g_scripts->clear();
}

std::string Faults::Path(const std::string& function) {
    return DeviceRoot::Path() + "/faults/" + function;
}

bool Faults::ValidName(const std::string& function) {
    if (function.empty() || (function[0] >= '0' && function[0] <= '9')) return false;
    for (char c : function) {
        bool ok =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        if (!ok) return false;
    }
    return true;
}

bool Faults::ParseValue(const std::string& word, int* value) {
    if (word.empty() || IsBlank(word[0])) return false;
    char* end = nullptr;
    errno = 0;
    long parsed = std::strtol(word.c_str(), &end, 0);
    if (end != word.c_str() + word.size() || errno != 0) return false;
    if (parsed < -2147483647L - 1 || parsed > 2147483647L) return false;
    *value = static_cast<int>(parsed);
    return true;
}

std::vector<int> Faults::Parse(const std::string& text) {
    std::vector<int> values;
    std::string::size_type pos = 0;
    for (;;) {
        while (pos < text.size() && IsBlank(text[pos])) ++pos;
        if (pos >= text.size()) break;
        std::string::size_type end = pos;
        while (end < text.size() && !IsBlank(text[end])) ++end;
        int value = 0;
        // A word that is not a number ends the script: what came before it still holds.
        if (!ParseValue(text.substr(pos, end - pos), &value)) break;
        values.push_back(value);
        pos = end;
    }
    return values;
}

bool Faults::Write(const std::string& function, const std::vector<int>& values) {
    if (!ValidName(function)) return false;
    std::string text;
    for (int value : values) text += (text.empty() ? "" : " ") + std::to_string(value);
    return FileUtil::WriteAtomically(Path(function), text + "\n");
}

bool Faults::Remove(const std::string& function) {
    if (!ValidName(function)) return false;
    return unlink(Path(function).c_str()) == 0 || errno == ENOENT;
}

std::vector<std::string> Faults::Scripted() {
    std::vector<std::string> functions;
    DIR* dir = opendir((DeviceRoot::Path() + "/faults").c_str());
    if (dir == nullptr) return functions;
    while (struct dirent* entry = readdir(dir)) {
        // Dot-names are the temporary files of a write in progress.
        if (ValidName(entry->d_name)) functions.push_back(entry->d_name);
    }
    closedir(dir);
    std::sort(functions.begin(), functions.end());
    return functions;
}

bool Faults::Scriptable(const std::string& function) {
    for (const char* known : kScriptableFunctions)
        if (function == known) return true;
    return false;
}

Outcome Faults::Set(const std::string& function, const std::vector<int>& values) {
    if (!Scriptable(function)) {
        std::string names, row;
        for (const char* known : kScriptableFunctions) {
            if (row.size() + std::strlen(known) > 76) names += "\n " + row, row.clear();
            row += std::string(" ") + known;
        }
        return Outcome::Invalid("'" + VisibleText::Escape(function) +
                                "' takes no fault script; these do:" + names + "\n " + row);
    }
    if (values.empty()) return Outcome::Invalid("a script is a list of one or more int results");
    errno = 0;
    if (!Write(function, values)) return Outcome::Failed("cannot write " + Path(function), errno);
    return {};
}

Outcome Faults::Clear(const std::string& function) {
    std::vector<std::string> functions = Scripted();
    if (!function.empty()) {
        if (!ValidName(function) || !FileUtil::Exists(Path(function)))
            return Outcome::Refused("no script for " + VisibleText::Escape(function));
        functions = {function};
    }
    for (const std::string& each : functions)
        if (!Remove(each)) return Outcome::Failed("cannot remove " + Path(each), errno);
    return {};
}

}  // namespace brelta::host
