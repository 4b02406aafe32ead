#include "SettingsStore.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "DeviceRoot.h"
#include "FileUtil.h"

namespace brelta::host {

const char* SettingsStore::TypeName(SettingType type) {
    switch (type) {
        case SettingType::Int:
            return "int";
        case SettingType::Bool:
            return "bool";
        case SettingType::Double:
            return "double";
        case SettingType::String:
            return "string";
    }
    return "";
}

bool SettingsStore::TypeFromName(const std::string& name, SettingType* type) {
    for (SettingType t :
         {SettingType::Int, SettingType::Bool, SettingType::Double, SettingType::String}) {
        if (name == TypeName(t)) {
            *type = t;
            return true;
        }
    }
    return false;
}

bool SettingsStore::ParseInt(const std::string& text, int* value) {
    if (text.empty() || text.size() > 12) return false;
    const char* begin = text.c_str();
    if (!(*begin == '-' || *begin == '+' || (*begin >= '0' && *begin <= '9'))) return false;
    char* end = nullptr;
    errno = 0;
    long parsed = std::strtol(begin, &end, 10);
    // The whole text: strtol stops at an embedded NUL as at the end.
    if (errno != 0 || end != begin + text.size()) return false;
    if (parsed < -2147483647L - 1 || parsed > 2147483647L) return false;
    *value = static_cast<int>(parsed);
    return true;
}

bool SettingsStore::ParseDouble(const std::string& text, double* value) {
    if (text.empty() || text.size() > 64 || text[0] == ' ' || text[0] == '\t') return false;
    char* end = nullptr;
    errno = 0;
    double parsed = std::strtod(text.c_str(), &end);
    if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(parsed)) return false;
    *value = parsed;
    return true;
}

bool SettingsStore::Valid(SettingType type, const std::string& value) {
    int i = 0;
    double d = 0;
    switch (type) {
        case SettingType::Int:
            return ParseInt(value, &i);
        case SettingType::Bool:
            return value == "0" || value == "1";
        case SettingType::Double:
            return ParseDouble(value, &d);
        case SettingType::String:
            return value.find('\0') == std::string::npos;
    }
    return false;
}

bool SettingsStore::Parse(const std::string& content, SettingType* type, std::string* value) {
    std::string::size_type blank = content.find(' ');
    if (blank == std::string::npos) return false;
    SettingType parsed;
    if (!TypeFromName(content.substr(0, blank), &parsed)) return false;
    std::string text = content.substr(blank + 1);
    // The final newline ends the value; a file written by hand without one is read the same.
    if (!text.empty() && text.back() == '\n') text.pop_back();
    if (!Valid(parsed, text)) return false;
    *type = parsed;
    *value = text;
    return true;
}

std::string SettingsStore::Format(SettingType type, const std::string& value) {
    return std::string(TypeName(type)) + " " + value + "\n";
}

std::string SettingsStore::Root() {
    return DeviceRoot::Path() + "/settings";
}

std::string SettingsStore::KeyPath(const std::string& key) {
    if (key.empty() || key.front() == '/' || key.back() == '/') return "";
    if (key.find('\0') != std::string::npos) return "";
    std::string::size_type start = 0;
    while (start <= key.size()) {
        std::string::size_type slash = key.find('/', start);
        std::string part =
            key.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        // Empty parts would fold into their neighbours; dot-names would leave settings/ or
        // collide with the temporary files of an atomic write.
        if (part.empty() || part.front() == '.') return "";
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    return Root() + "/" + key;
}

bool SettingsStore::ReadAny(const std::string& key, SettingType* type, std::string* value) {
    std::string path = KeyPath(key);
    if (path.empty()) return false;
    std::string content;
    if (!FileUtil::Read(path, &content, kMaxFileBytes)) return false;
    return Parse(content, type, value);
}

bool SettingsStore::Read(const std::string& key, SettingType type, std::string* value) {
    SettingType found;
    std::string text;
    if (!ReadAny(key, &found, &text) || found != type) return false;
    *value = text;
    return true;
}

namespace {
void CollectKeys(const std::string& dir, const std::string& key_dir, const std::string& prefix,
                 std::vector<std::string>* keys) {
    DIR* d = opendir(dir.c_str());
    if (d == nullptr) return;
    while (struct dirent* entry = readdir(d)) {
        std::string name = entry->d_name;
        if (name.empty() || name.front() == '.') continue;
        std::string path = dir + "/" + name;
        std::string key = key_dir.empty() ? name : key_dir + "/" + name;
        struct stat st;
        if (lstat(path.c_str(), &st) != 0) continue;
        // Only descend where the prefix can still match, so that a narrow prefix stays cheap.
        bool could_match = key.compare(0, prefix.size(), prefix, 0, key.size()) == 0;
        if (S_ISDIR(st.st_mode) && could_match)
            CollectKeys(path, key, prefix, keys);
        else if (S_ISREG(st.st_mode) && key.compare(0, prefix.size(), prefix) == 0)
            keys->push_back(key);
    }
    closedir(d);
}
}  // namespace

std::vector<std::string> SettingsStore::Keys(const std::string& prefix) {
    std::vector<std::string> keys;
    CollectKeys(Root(), "", prefix, &keys);
    std::sort(keys.begin(), keys.end());
    return keys;
}

namespace {
int SweepBelow(const std::string& dir) {
    int removed = FileUtil::SweepTemporariesIn(dir);
    DIR* d = opendir(dir.c_str());
    if (d == nullptr) return removed;
    std::vector<std::string> subdirs;
    while (struct dirent* entry = readdir(d)) {
        std::string name = entry->d_name;
        struct stat st;
        if (name != "." && name != ".." && lstat((dir + "/" + name).c_str(), &st) == 0 &&
            S_ISDIR(st.st_mode))
            subdirs.push_back(dir + "/" + name);
    }
    closedir(d);
    for (const std::string& sub : subdirs) removed += SweepBelow(sub);
    return removed;
}
}  // namespace

int SettingsStore::SweepTemporaries() {
    return SweepBelow(Root());
}

bool SettingsStore::Write(const std::string& key, SettingType type, const std::string& value) {
    std::string path = KeyPath(key);
    if (path.empty() || !Valid(type, value)) return false;
    std::string content = Format(type, value);
    if (content.size() > kMaxFileBytes) return false;
    return FileUtil::WriteAtomically(path, content);
}

bool SettingsStore::GetInt(const std::string& key, int* value) {
    std::string text;
    return Read(key, SettingType::Int, &text) && ParseInt(text, value);
}

bool SettingsStore::GetBool(const std::string& key, int* value) {
    std::string text;
    if (!Read(key, SettingType::Bool, &text)) return false;
    *value = text == "1" ? 1 : 0;
    return true;
}

bool SettingsStore::GetDouble(const std::string& key, double* value) {
    std::string text;
    return Read(key, SettingType::Double, &text) && ParseDouble(text, value);
}

bool SettingsStore::GetString(const std::string& key, std::string* value) {
    return Read(key, SettingType::String, value);
}

}  // namespace brelta::host
