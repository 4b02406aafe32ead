#include "SettingsCommand.h"

#include <glib.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <set>

#include "CliError.h"
#include "FileUtil.h"
#include "SettingsStore.h"
#include "SettingsWatcher.h"

namespace brelta::cli {

using host::FileUtil;
using host::SettingsStore;
using host::SettingType;

const char* SettingsCommand::Usage() const {
    return "  settings get KEY              print the value of KEY\n"
           "  settings set KEY TYPE VALUE   write KEY (TYPE: int, bool, double, string)\n"
           "  settings list [PREFIX]        print KEY TYPE VALUE of every key (below PREFIX)\n"
           "  settings watch KEY...         print KEY TYPE VALUE at each change, until ^C\n";
}

int SettingsCommand::Run(const std::vector<std::string>& args) {
    std::string command = Subcommand(args);
    if (command == "get") return Get(args);
    if (command == "set") return Set(args);
    if (command == "list") return List(args);
    if (command == "watch") return Watch(args);
    UnknownSubcommand(command);
}

std::string SettingsCommand::KeyPath(const std::string& key) {
    std::string path = SettingsStore::KeyPath(key);
    if (path.empty())
        throw CliError::Usage("'" + key +
                              "' is not a settings key (a relative name such as "
                              "db/menu_widget/language, without '.' components)");
    return path;
}

int SettingsCommand::Get(const std::vector<std::string>& args) {
    RequireCount(args, 1, 1, 1, "settings get KEY");
    const std::string& key = args[1];
    std::string path = KeyPath(key);
    SettingType type;
    std::string value;
    if (!SettingsStore::ReadAny(key, &type, &value)) {
        if (!FileUtil::Exists(path)) throw CliError::Failure("no key " + key);
        throw CliError::Failure(key + " is not a valid setting (" + path + ")");
    }
    Print(value + "\n");
    return 0;
}

int SettingsCommand::Set(const std::vector<std::string>& args) {
    RequireCount(args, 1, 3, 3, "settings set KEY TYPE VALUE");
    const std::string& key = args[1];
    std::string path = KeyPath(key);
    SettingType type;
    if (!SettingsStore::TypeFromName(args[2], &type))
        throw CliError::Usage("unknown type '" + args[2] + "' (int, bool, double or string)");
    if (!SettingsStore::Valid(type, args[3]))
        throw CliError::Usage("'" + args[3] + "' is not a " + args[2] +
                              (type == SettingType::Bool ? " (0 or 1)" : ""));
    errno = 0;
    if (!SettingsStore::Write(key, type, args[3]))
        throw CliError::SystemFailure("cannot write " + path, errno != 0 ? errno : EIO);
    return 0;
}

int SettingsCommand::List(const std::vector<std::string>& args) {
    RequireCount(args, 1, 0, 1, "settings list [PREFIX]");
    std::string prefix = args.size() > 1 ? args[1] : "";
    for (const std::string& key : SettingsStore::Keys(prefix)) {
        SettingType type;
        std::string value;
        if (SettingsStore::ReadAny(key, &type, &value))
            Print(key + " " + SettingsStore::TypeName(type) + " " + value + "\n");
        else
            Print(key + " (not a valid setting)\n");
    }
    return 0;
}

namespace {
// One line per change, as "settings list" prints a key, written at once for a reader at the
// other end of a pipe.
void PrintChange(keynode_t* node, void*) {
    std::string line = node->name + " ";
    switch (node->type) {
        case VCONF_TYPE_INT:
            line += "int " + std::to_string(node->intValue);
            break;
        case VCONF_TYPE_BOOL:
            line += "bool " + std::to_string(node->intValue);
            break;
        case VCONF_TYPE_DOUBLE: {
            // The shortest text that reads back as the same double, as a person would write.
            char text[64];
            auto end = std::to_chars(text, text + sizeof text, node->dblValue).ptr;
            line += "double " + std::string(text, end);
            break;
        }
        case VCONF_TYPE_STRING:
            line += "string " + node->strValue;
            break;
        default:
            line += "(not a valid setting)";
    }
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}
}  // namespace

int SettingsCommand::Watch(const std::vector<std::string>& args) {
    RequireCount(args, 1, 1, static_cast<size_t>(-1), "settings watch KEY...");
    std::set<std::string> keys;
    for (size_t i = 1; i < args.size(); ++i) {
        KeyPath(args[i]);
        keys.insert(args[i]);
    }
    // The store's own change notifications, as the tool registers them (without the scripted
    // faults of vconf_notify_key_changed: those are meant for the tool).
    for (const std::string& key : keys)
        if (!host::SettingsWatcher::Instance().Add(key, PrintChange, nullptr))
            throw CliError::Failure("cannot watch " + key);
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    g_main_loop_run(loop);
    g_main_loop_unref(loop);
    return 0;
}

}  // namespace brelta::cli
