#ifndef BRELTA_CLI_SETTINGSCOMMAND_H
#define BRELTA_CLI_SETTINGSCOMMAND_H

#include "CommandGroup.h"

namespace brelta::cli {

// settings get/set/list/watch: the settings store of the device root, through the store's
// own reader and writer, so that the CLI and the platform never disagree on the format.
class SettingsCommand : public CommandGroup {
public:
    const char* Name() const override { return "settings"; }
    const char* Usage() const override;
    int Run(const std::vector<std::string>& args) override;

private:
    static int Get(const std::vector<std::string>& args);
    static int Set(const std::vector<std::string>& args);
    static int List(const std::vector<std::string>& args);
    static int Watch(const std::vector<std::string>& args);
    // The key's file, or a usage error when the key cannot be one.
    static std::string KeyPath(const std::string& key);
};

}  // namespace brelta::cli

#endif
