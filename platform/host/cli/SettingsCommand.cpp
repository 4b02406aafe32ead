#include "SettingsCommand.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <iostream>
#include <map>

#include "CliError.h"
#include "FileUtil.h"
#include "FileEvents.h"

namespace brelta::cli {

using host::FileUtil;
using host::SettingsStore;
using host::SettingType;

namespace {
// The key's file, or a usage error when the key cannot be one. Control characters are
// refused too: the store could hold them, but no listing could show such a key on one line.
std::string KeyPath(const std::string& key) {
    for (unsigned char c : key)
        if (c < 0x20 || c == 0x7f)
            throw CliError::Usage("'" + Output::Escape(key) +
                                  "' is not a settings key: keys hold no control characters");
    std::string path = SettingsStore::KeyPath(key);
    if (path.empty())
        throw CliError::Usage("'" + key +
                              "' is not a settings key (a relative name such as "
                              "db/menu_widget/language, without '.' components)");
    return path;
}

bool IsDir(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

SettingsCommand::Setting Read(const std::string& key) {
    SettingsCommand::Setting setting;
    setting.key = key;
    setting.valid = SettingsStore::ReadAny(key, &setting.type, &setting.value);
    return setting;
}

// Why a write of `key` failed, in the store's own terms where the file system's would
// mislead ("File exists" for a key below another key).
[[noreturn]] void WriteFailed(const std::string& key, int error) {
    std::string::size_type slash = 0;
    while ((slash = key.find('/', slash + 1)) != std::string::npos) {
        std::string parent = key.substr(0, slash);
        struct stat st;
        if (lstat(SettingsStore::KeyPath(parent).c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
            throw CliError::Failure("cannot write " + key + ": " + parent +
                                    " is a key, so no key can be below it");
    }
    if (IsDir(SettingsStore::KeyPath(key)))
        throw CliError::Failure("cannot write " + key + ": it is a directory of keys");
    throw CliError::SystemFailure("cannot write " + key, error != 0 ? error : EIO);
}

void Write(const std::string& key, SettingType type, const std::string& value) {
    size_t room = SettingsStore::kMaxFileBytes - SettingsStore::Format(type, "").size();
    if (value.size() > room)
        throw CliError::Usage("the value of " + key + " is " + std::to_string(value.size()) +
                              " bytes, over the size limit of a " + SettingsStore::TypeName(type) +
                              " setting (" + std::to_string(room) + " bytes)");
    errno = 0;
    if (!SettingsStore::Write(key, type, value)) WriteFailed(key, errno);
}

// "an int", "a bool": for messages.
std::string Article(SettingType type) {
    return std::string(type == SettingType::Int ? "an " : "a ") + SettingsStore::TypeName(type);
}

std::string WithoutSlash(std::string dir) {
    while (!dir.empty() && dir.back() == '/') dir.pop_back();
    if (!dir.empty()) KeyPath(dir);
    return dir;
}
}  // namespace

const char* SettingsCommand::Usage() const {
    return "  settings get [--json] KEY     print the value of KEY\n"
           "  settings set KEY TYPE VALUE   write KEY (TYPE: int, bool, double, string)\n"
           "  settings unset KEY...         remove KEY (a missing key is no error)\n"
           "  settings list [--json] [PREFIX]\n"
           "                                print KEY TYPE VALUE of every key (below PREFIX)\n"
           "  settings dump [DIR]           print the keys below DIR, relative to it\n"
           "  settings load [DIR]           write the keys of a dump (standard input) below DIR\n"
           "  settings watch [--json] KEY...\n"
           "                                print KEY TYPE VALUE at each change, until ^C\n";
}

const char* SettingsCommand::Details() const {
    return "Bools are written and printed as true and false (1 and 0 are taken too), doubles\n"
           "in their shortest form that reads back as the same number. A key that is not a\n"
           "setting prints as KEY (not a valid setting); watch prints KEY (deleted) when a key\n"
           "is removed. A dump is the text of list, one KEY TYPE VALUE per line, so that load\n"
           "writes back exactly what dump read.\n"
           "\n"
           "--json: {\"key\":KEY,\"type\":\"int\"|\"bool\"|\"double\"|\"string\",\"value\":VALUE}, "
           "with\n"
           "type and value null for a file that is not a setting; watch adds \"event\":\n"
           "\"changed\" or \"deleted\".\n";
}

int SettingsCommand::Run(const std::vector<std::string>& words) {
    std::string command = Subcommand(words);
    if (command == "get") return Get(words);
    if (command == "set") return Set(words);
    if (command == "unset") return Unset(words);
    if (command == "list") return List(words);
    if (command == "dump") return Dump(words);
    if (command == "load") return Load(words);
    if (command == "watch") return Watch(words);
    UnknownSubcommand(command);
}

std::string SettingsCommand::Display(const Setting& setting) {
    if (setting.type == SettingType::Bool) return setting.value == "1" ? "true" : "false";
    double number = 0;
    if (setting.type == SettingType::Double && SettingsStore::ParseDouble(setting.value, &number)) {
        char text[64];
        auto end = std::to_chars(text, text + sizeof text, number).ptr;
        return std::string(text, end);
    }
    return setting.value;
}

std::string SettingsCommand::Text(const Setting& setting) {
    std::string key;
    for (char c : Output::Escape(setting.key))
        key += c == ' ' ? std::string("\\x20") : std::string(1, c);
    if (!setting.valid) return key + " (not a valid setting)";
    return key + " " + SettingsStore::TypeName(setting.type) + " " +
           Output::Escape(Display(setting));
}

Output::Object SettingsCommand::Json(const Setting& setting) {
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

bool SettingsCommand::StoredValue(SettingType type, const std::string& typed, std::string* value) {
    *value = typed;
    if (type == SettingType::Bool) {
        if (typed == "true") *value = "1";
        if (typed == "false") *value = "0";
    }
    return SettingsStore::Valid(type, *value);
}

int SettingsCommand::Get(const std::vector<std::string>& words) {
    bool helped = false;
    Arguments args = Parse(words, {{"json", 0, false}}, "settings get [--json] KEY", &helped);
    if (helped) return 0;
    args.RequireOperands(1, 1);
    const std::string& key = args.Operands()[0];
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

int SettingsCommand::Set(const std::vector<std::string>& words) {
    bool helped = false;
    Arguments args = Parse(words, {}, "settings set KEY TYPE VALUE", &helped);
    if (helped) return 0;
    args.RequireOperands(3, 3);
    const std::string& key = args.Operands()[0];
    const std::string& typeName = args.Operands()[1];
    KeyPath(key);
    SettingType type;
    if (!SettingsStore::TypeFromName(typeName, &type))
        throw CliError::Usage("unknown type '" + typeName + "' (int, bool, double or string)");
    std::string value;
    if (!StoredValue(type, args.Operands()[2], &value))
        throw CliError::Usage("'" + args.Operands()[2] + "' is not " + Article(type) +
                              (type == SettingType::Bool ? " (true, false, 1 or 0)" : ""));
    Write(key, type, value);
    return 0;
}

int SettingsCommand::Unset(const std::vector<std::string>& words) {
    bool helped = false;
    Arguments args = Parse(words, {}, "settings unset KEY...", &helped);
    if (helped) return 0;
    args.RequireOperands(1, static_cast<size_t>(-1));
    for (const std::string& key : args.Operands()) KeyPath(key);
    for (const std::string& key : args.Operands()) {
        std::string path = KeyPath(key);
        if (IsDir(path)) throw CliError::Failure(key + " is a directory of keys, not a key");
        if (unlink(path.c_str()) != 0 && errno != ENOENT && errno != ENOTDIR)
            throw CliError::SystemFailure("cannot remove " + key, errno);
    }
    return 0;
}

int SettingsCommand::List(const std::vector<std::string>& words) {
    bool helped = false;
    Arguments args = Parse(words, {{"json", 0, false}}, "settings list [--json] [PREFIX]", &helped);
    if (helped) return 0;
    args.RequireOperands(0, 1);
    std::string prefix = args.Operands().empty() ? "" : args.Operands()[0];
    for (const std::string& key : SettingsStore::Keys(prefix)) {
        Setting setting = Read(key);
        if (args.Has("json"))
            Output::PrintJson(Json(setting));
        else
            Output::Print(Text(setting) + "\n");
    }
    return 0;
}

int SettingsCommand::Dump(const std::vector<std::string>& words) {
    bool helped = false;
    Arguments args = Parse(words, {}, "settings dump [DIR]", &helped);
    if (helped) return 0;
    args.RequireOperands(0, 1);
    std::string dir = WithoutSlash(args.Operands().empty() ? "" : args.Operands()[0]);
    std::string prefix = dir.empty() ? "" : dir + "/";
    for (const std::string& key : SettingsStore::Keys(prefix)) {
        Setting setting = Read(key);
        if (!setting.valid) {
            Output::Warn("left out " + Output::Escape(key) + ": not a valid setting");
            continue;
        }
        setting.key = key.substr(prefix.size());
        Output::Print(Text(setting) + "\n");
    }
    return 0;
}

int SettingsCommand::Load(const std::vector<std::string>& words) {
    bool helped = false;
    Arguments args = Parse(words, {}, "settings load [DIR] < DUMP", &helped);
    if (helped) return 0;
    args.RequireOperands(0, 1);
    std::string dir = WithoutSlash(args.Operands().empty() ? "" : args.Operands()[0]);
    // Every line is checked before the first is written: a dump with a bad line changes
    // nothing.
    struct Entry {
        std::string key;
        SettingType type;
        std::string value;
    };
    std::vector<Entry> entries;
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
        Entry entry;
        std::string value;
        if (!Output::Unescape(line.substr(0, first), &entry.key) ||
            !Output::Unescape(second == std::string::npos ? "" : line.substr(second + 1), &value))
            throw bad("a malformed \\x escape");
        if (!dir.empty()) entry.key = dir + "/" + entry.key;
        try {
            KeyPath(entry.key);
        } catch (const CliError& error) {
            throw bad(error.what());
        }
        if (!SettingsStore::TypeFromName(typeName, &entry.type))
            throw bad("unknown type '" + typeName + "'");
        if (!StoredValue(entry.type, value, &entry.value))
            throw bad("'" + Output::Escape(value) + "' is not " + Article(entry.type));
        entries.push_back(entry);
    }
    if (std::cin.bad()) throw CliError::SystemFailure("standard input", EIO);
    for (const Entry& entry : entries) Write(entry.key, entry.type, entry.value);
    return 0;
}

int SettingsCommand::Watch(const std::vector<std::string>& words) {
    bool helped = false;
    Arguments args = Parse(words, {{"json", 0, false}}, "settings watch [--json] KEY...", &helped);
    if (helped) return 0;
    args.RequireOperands(1, static_cast<size_t>(-1));
    for (const std::string& key : args.Operands()) KeyPath(key);
    bool json = args.Has("json");
    auto print = [json](const std::string& key, bool deleted) {
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
    // The keys by directory: one watch of each directory serves all its keys.
    std::map<std::string, std::map<std::string, std::string>> byDir;  // dir -> file name -> key
    for (const std::string& key : args.Operands()) {
        std::string path = KeyPath(key);
        byDir[FileUtil::Parent(path)][path.substr(path.rfind('/') + 1)] = key;
    }
    for (const auto& [dir, keys] : byDir) {
        FileEvents::Add(
            dir, [dir = dir, keys = keys, print](const std::string& name, std::uint32_t mask) {
                for (const auto& [file, key] : keys) {
                    if (!name.empty() && name != file) continue;
                    bool gone = !FileUtil::Exists(dir + "/" + file);
                    // The same events as the store's own watch counts as one change each: a write
                    // that closes the file, a move onto it, a link made as it; and a removal.
                    struct stat st;
                    bool link = (mask & IN_CREATE) && lstat((dir + "/" + file).c_str(), &st) == 0 &&
                                (S_ISLNK(st.st_mode) || st.st_nlink > 1);
                    if (mask & (IN_DELETE | IN_MOVED_FROM))
                        print(key, true);
                    else if ((mask & (IN_CLOSE_WRITE | IN_MOVED_TO)) || link)
                        print(key, false);
                    else if (mask & IN_Q_OVERFLOW)
                        print(key, gone);
                }
            });
    }
    FileEvents::Run();
    return 0;
}

}  // namespace brelta::cli
