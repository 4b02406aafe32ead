#include "Commands.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <iostream>
#include <map>

#include "CliError.h"
#include "base/FileUtil.h"
#include "Follow.h"
#include "Output.h"
#include "settings/SettingsStore.h"

namespace brelta::cli::settings {

using host::FileUtil;
using host::RootWatch;
using host::SettingsStore;
using host::SettingType;

namespace {
// A key as the store holds it now. `valid` is false for a file that is not a setting.
struct Setting {
    std::string key;
    bool valid = false;
    SettingType type = SettingType::Int;
    std::string value;  // as stored: bools 0/1, doubles as written
};

// The value as every command prints it: bools as true and false, doubles in their shortest
// form that reads back as the same number, the rest as stored. Here and not in the store,
// which the tool links: the shortest form brings the C++ runtime's floating-point printing,
// and with it the maths library, into every start of the tool.
std::string Display(const Setting& setting) {
    if (setting.type == SettingType::Bool) return setting.value == "1" ? "true" : "false";
    double number = 0;
    if (setting.type == SettingType::Double && SettingsStore::ParseDouble(setting.value, &number)) {
        char text[64];
        auto end = std::to_chars(text, text + sizeof text, number).ptr;
        return std::string(text, end);
    }
    return setting.value;
}

// KEY TYPE VALUE, or KEY (not a valid setting), escaped; a blank in a key as \x20.
std::string Text(const Setting& setting) {
    std::string key;
    for (char c : Output::Escape(setting.key))
        key += c == ' ' ? std::string("\\x20") : std::string(1, c);
    if (!setting.valid) return key + " (not a valid setting)";
    return key + " " + SettingsStore::TypeName(setting.type) + " " +
           Output::Escape(Display(setting));
}

// {"key":..., "type":..., "value":...}; type and value null when it is not a setting.
Output::Object Json(const Setting& setting) {
    Output::Object object;
    object["key"] = setting.key;
    object["type"] = nullptr;
    object["value"] = nullptr;
    if (!setting.valid) return object;
    object["type"] = SettingsStore::TypeName(setting.type);
    int i = 0;
    double d = 0;
    switch (setting.type) {
        case SettingType::Int:
            SettingsStore::ParseInt(setting.value, &i);
            object["value"] = i;
            break;
        case SettingType::Bool:
            object["value"] = setting.value == "1";
            break;
        case SettingType::Double:
            SettingsStore::ParseDouble(setting.value, &d);
            object["value"] = d;
            break;
        case SettingType::String:
            object["value"] = setting.value;
            break;
    }
    return object;
}

// The key's file, or a usage error when the key cannot be one.
std::string KeyPath(const std::string& key) {
    std::string problem = SettingsStore::KeyProblem(key);
    if (!problem.empty()) throw CliError::Usage(problem);
    return SettingsStore::KeyPath(key);
}

bool IsDir(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

Setting Read(const std::string& key) {
    Setting setting;
    setting.key = key;
    setting.valid = SettingsStore::ReadAny(key, &setting.type, &setting.value);
    return setting;
}

std::string WithoutSlash(std::string dir) {
    while (!dir.empty() && dir.back() == '/') dir.pop_back();
    if (!dir.empty()) KeyPath(dir);
    return dir;
}

// The keys below `prefix`, each printed by `print`. A part of the store that could not be
// read is said, and fails the command: a listing is never silently incomplete.
template <typename Print>
void ForEachKey(const std::string& prefix, Print print) {
    std::vector<std::string> problems;
    for (const std::string& key : SettingsStore::Keys(prefix, &problems)) print(key);
    for (const std::string& problem : problems) Output::Warn(problem);
    if (!problems.empty())
        throw CliError::Failure("incomplete: " + Output::Count(problems.size(), "part") +
                                " of the store could not be read");
}
}  // namespace

int Get(const Arguments& args) {
    std::string key = args.Operand(0);
    std::string path = KeyPath(key);
    Setting setting = Read(key);
    if (!setting.valid) {
        if (!FileUtil::Exists(path)) throw CliError::Failure("no key " + key);
        if (IsDir(path)) throw CliError::Failure(key + " is a directory of keys, not a key");
        throw CliError::Failure(key + " is not a valid setting (" + path + ")");
    }
    if (args.Has("json"))
        Output::PrintJson(Json(setting));
    else
        Output::Print(Output::Escape(Display(setting)) + "\n");
    return 0;
}

int Set(const Arguments& args) {
    CliError::Require(SettingsStore::Set(args.Operand(0), args.Operand(1), args.Operand(2)));
    return 0;
}

int Unset(const Arguments& args) {
    for (const std::string& key : args.Operands()) KeyPath(key);
    for (const std::string& key : args.Operands()) CliError::Require(SettingsStore::Remove(key));
    return 0;
}

int List(const Arguments& args) {
    std::string prefix = args.Operand(0);
    bool json = args.Has("json");
    ForEachKey(prefix, [json](const std::string& key) {
        Setting setting = Read(key);
        if (json)
            Output::PrintJson(Json(setting));
        else
            Output::Print(Text(setting) + "\n");
    });
    return 0;
}

int Dump(const Arguments& args) {
    std::string dir = WithoutSlash(args.Operand(0));
    std::string prefix = dir.empty() ? "" : dir + "/";
    ForEachKey(prefix, [&prefix](const std::string& key) {
        Setting setting = Read(key);
        if (!setting.valid)
            return Output::Warn("left out " + Output::Escape(key) + ": not a valid setting");
        setting.key = key.substr(prefix.size());
        Output::Print(Text(setting) + "\n");
    });
    return 0;
}

int Load(const Arguments& args) {
    std::string dir = WithoutSlash(args.Operand(0));
    // Every line is checked before the first is written: a dump with a bad line changes
    // nothing.
    std::vector<SettingsStore::Entry> entries;
    std::string line;
    for (size_t number = 1; std::getline(std::cin, line); ++number) {
        if (line.empty()) continue;
        auto bad = [&](const std::string& why) {
            return CliError::Failure("line " + std::to_string(number) + ": " + why);
        };
        std::string::size_type first = line.find(' ');
        if (first == std::string::npos) throw bad("not KEY TYPE VALUE");
        std::string::size_type second = line.find(' ', first + 1);
        std::string typeName = line.substr(
            first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
        std::string key, value;
        if (!Output::Unescape(line.substr(0, first), &key) ||
            !Output::Unescape(second == std::string::npos ? "" : line.substr(second + 1), &value))
            throw bad("a malformed \\x escape");
        if (!dir.empty()) key = dir + "/" + key;
        SettingsStore::Entry entry;
        host::Outcome checked = SettingsStore::Check(key, typeName, value, &entry);
        if (!checked.Done()) throw bad(checked.message);
        entries.push_back(entry);
    }
    if (std::cin.bad()) throw CliError::SystemFailure("standard input", EIO);
    CliError::Require(SettingsStore::WriteAll(entries));
    return 0;
}

int Watch(const Arguments& args) {
    for (const std::string& key : args.Operands()) KeyPath(key);
    bool json = args.Has("json");
    // Whether each key was there when it was last printed: a directory watched afresh says
    // a gone key's removal once.
    std::map<std::string, bool> present;
    auto print = [json, &present](const std::string& key, bool deleted) {
        if (deleted && !present[key]) return;
        present[key] = !deleted;
        Setting setting = Read(key);
        if (json) {
            Output::Object object = Json(setting);
            object["event"] = deleted ? "deleted" : "changed";
            Output::PrintJson(object);
        } else {
            Output::Print((deleted ? Output::Escape(key) + " (deleted)" : Text(setting)) + "\n");
        }
        Output::Flush();
    };
    // The keys by directory, as the root's watch names the directory of a change.
    std::map<std::string, std::map<std::string, std::string>> byDir;  // dir -> file name -> key
    for (const std::string& key : args.Operands()) {
        std::string path = KeyPath(key);
        byDir[FileUtil::Parent(path)][path.substr(path.rfind('/') + 1)] = key;
        present[key] = FileUtil::Exists(path);
        // Made now, so that the key's first write is one change, not its folder's making too.
        FileUtil::MakeDirs(FileUtil::Parent(path));
    }
    Follow follow([&byDir, &print](unsigned areas, const std::vector<RootWatch::Event>& events) {
        if (!(areas & RootWatch::kSettings)) return;
        for (const RootWatch::Event& event : events) {
            // A directory watched afresh (event.dir), or lost events anywhere: each of its
            // keys as it is now.
            bool anything = (event.mask & IN_Q_OVERFLOW) != 0;
            for (const auto& [dir, keys] : byDir) {
                if (!event.dir.empty() && event.dir != dir) continue;
                for (const auto& [file, key] : keys) {
                    std::string path = dir + "/" + file;
                    if (anything) {
                        print(key, !FileUtil::Exists(path));
                        continue;
                    }
                    if (event.name != file) continue;
                    // The same events as the store's own watch counts as one change each: a
                    // write that closes the file, a move onto it, a link made as it; and a
                    // removal.
                    struct stat st;
                    bool link = (event.mask & IN_CREATE) && lstat(path.c_str(), &st) == 0 &&
                                (S_ISLNK(st.st_mode) || st.st_nlink > 1);
                    if (event.mask & (IN_DELETE | IN_MOVED_FROM))
                        print(key, true);
                    else if ((event.mask & (IN_CLOSE_WRITE | IN_MOVED_TO)) || link)
                        print(key, false);
                }
            }
        }
    });
    follow.Run();
    return 0;
}

}  // namespace brelta::cli::settings
