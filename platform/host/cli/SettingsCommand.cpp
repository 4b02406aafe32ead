#include "SettingsCommand.h"

#include <cerrno>

#include "CliError.h"
#include "FileUtil.h"
#include "SettingsStore.h"

namespace brelta::cli {

using host::FileUtil;
using host::SettingsStore;
using host::SettingType;

const char* SettingsCommand::Usage() const {
    return "  settings get KEY              print the value of KEY\n"
           "  settings set KEY TYPE VALUE   write KEY (TYPE: int, bool, double, string)\n"
           "  settings list [PREFIX]        print KEY TYPE VALUE of every key (below PREFIX)\n";
}

int SettingsCommand::Run(const std::vector<std::string>& args) {
    std::string command = Subcommand(args);
    if (command == "get") return Get(args);
    if (command == "set") return Set(args);
    if (command == "list") return List(args);
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

}  // namespace brelta::cli
