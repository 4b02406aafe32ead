#include "settings/SettingsStore.h"

#include <dirent.h>
#include <sys/stat.h>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>

#include "base/DeviceRoot.h"
#include "base/FileUtil.h"
#include "base/VisibleText.h"

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
    if (VisibleText::HasHidden(key)) return "";
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

std::string SettingsStore::KeyProblem(const std::string& key) {
    // A key a listing could not show on one line as it is: no dump could be loaded back.
    if (VisibleText::HasHidden(key))
        return "'" + VisibleText::Escape(key) +
               "' is not a settings key: keys hold no control characters";
    if (KeyPath(key).empty())
        return "'" + key +
               "' is not a settings key (a relative name such as db/menu_widget/language, "
               "without '.' components)";
    return "";
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
                 std::vector<std::string>* keys, std::vector<std::string>* problems) {
    // A key as a message shows it: a path of thousands of bytes would say nothing more.
    auto shown = [](const std::string& key) {
        std::string text = VisibleText::Escape(key);
        return "settings/" + (text.size() > 40 ? text.substr(0, 40) + "..." : text);
    };
    DIR* d = opendir(dir.c_str());
    if (d == nullptr) {
        // A folder gone since its parent was read was removed meanwhile: nothing is missed.
        if (errno != ENOENT)
            problems->push_back("cannot read " + shown(key_dir) + ": " + std::strerror(errno));
        return;
    }
    while (struct dirent* entry = readdir(d)) {
        std::string name = entry->d_name;
        if (name.empty() || name.front() == '.') continue;
        std::string path = dir + "/" + name;
        std::string key = key_dir.empty() ? name : key_dir + "/" + name;
        // Only descend where the prefix can still match, so that a narrow prefix stays cheap.
        bool could_match = key.compare(0, prefix.size(), prefix, 0, key.size()) == 0;
        if (!could_match) continue;
        if (path.size() >= PATH_MAX) {
            problems->push_back("cannot read " + shown(key) + ": deeper than the longest path (" +
                                std::to_string(PATH_MAX) + " bytes)");
            continue;
        }
        struct stat st;
        if (lstat(path.c_str(), &st) != 0) {
            if (errno != ENOENT)
                problems->push_back("cannot read " + shown(key) + ": " + std::strerror(errno));
        } else if (S_ISDIR(st.st_mode)) {
            CollectKeys(path, key, prefix, keys, problems);
        } else if (S_ISREG(st.st_mode) && key.compare(0, prefix.size(), prefix) == 0) {
            keys->push_back(key);
        }
    }
    closedir(d);
}
}  // namespace

std::vector<std::string> SettingsStore::Keys(const std::string& prefix,
                                             std::vector<std::string>* problems) {
    std::vector<std::string> keys;
    size_t before = problems->size();
    CollectKeys(Root(), "", prefix, &keys, problems);
    std::sort(keys.begin(), keys.end());
    std::sort(problems->begin() + static_cast<long>(before), problems->end());
    return keys;
}

std::vector<std::string> SettingsStore::Keys(const std::string& prefix) {
    std::vector<std::string> problems;
    return Keys(prefix, &problems);
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

namespace {
// "an int", "a bool": for messages.
std::string Article(SettingType type) {
    return std::string(type == SettingType::Int ? "an " : "a ") + SettingsStore::TypeName(type);
}

bool IsDir(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Why a write of `key` failed (errno `error`).
Outcome WriteFailed(const std::string& key, int error) {
    std::string::size_type slash = 0;
    while ((slash = key.find('/', slash + 1)) != std::string::npos) {
        std::string parent = key.substr(0, slash);
        struct stat st;
        if (lstat(SettingsStore::KeyPath(parent).c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
            return Outcome::Refused("cannot write " + key + ": " + parent +
                                    " is a key, so no key can be below it");
    }
    if (IsDir(SettingsStore::KeyPath(key)))
        return Outcome::Refused("cannot write " + key + ": it is a directory of keys");
    return Outcome::Failed("cannot write " + key, error);
}
}  // namespace

Outcome SettingsStore::Check(const std::string& key, const std::string& typeName,
                             const std::string& typed, Entry* entry) {
    std::string problem = KeyProblem(key);
    if (!problem.empty()) return Outcome::Invalid(problem);
    if (!TypeFromName(typeName, &entry->type))
        return Outcome::Invalid("unknown type '" + VisibleText::Escape(typeName) +
                                "' (int, bool, double or string)");
    entry->key = key;
    entry->value = typed;
    if (entry->type == SettingType::Bool && (typed == "true" || typed == "false"))
        entry->value = typed == "true" ? "1" : "0";
    if (!Valid(entry->type, entry->value))
        return Outcome::Invalid("'" + VisibleText::Escape(typed) + "' is not " +
                                Article(entry->type) +
                                (entry->type == SettingType::Bool ? " (true, false, 1 or 0)" : ""));
    size_t room = kMaxFileBytes - Format(entry->type, "").size();
    if (entry->value.size() > room)
        return Outcome::Invalid("the value of " + key + " is " +
                                std::to_string(entry->value.size()) +
                                " bytes, over the size limit of a " + TypeName(entry->type) +
                                " setting (" + std::to_string(room) + " bytes)");
    return {};
}

Outcome SettingsStore::Set(const std::string& key, const std::string& typeName,
                           const std::string& typed) {
    Entry entry;
    Outcome checked = Check(key, typeName, typed, &entry);
    return checked.Done() ? WriteAll({entry}) : checked;
}

Outcome SettingsStore::WriteAll(const std::vector<Entry>& entries) {
    std::set<std::string> swept;
    for (const Entry& entry : entries) {
        std::string path = KeyPath(entry.key);
        if (path.empty() || !Valid(entry.type, entry.value))
            return Outcome::Invalid("not a setting: " + VisibleText::Escape(entry.key));
        std::string dir = FileUtil::Parent(path);
        if (swept.insert(dir).second) FileUtil::SweepTemporariesIn(dir);
        errno = 0;
        if (!FileUtil::WriteAtomically(path, Format(entry.type, entry.value),
                                       FileUtil::Temporaries::kSwept))
            return WriteFailed(entry.key, errno);
    }
    return {};
}

Outcome SettingsStore::Remove(const std::string& key) {
    std::string problem = KeyProblem(key);
    if (!problem.empty()) return Outcome::Invalid(problem);
    std::string path = KeyPath(key);
    if (IsDir(path)) return Outcome::Refused(key + " is a directory of keys, not a key");
    if (unlink(path.c_str()) != 0 && errno != ENOENT && errno != ENOTDIR)
        return Outcome::Failed("cannot remove " + key, errno);
    return {};
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
