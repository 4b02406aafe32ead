#ifndef BRELTA_CLI_SETTINGSCOMMAND_H
#define BRELTA_CLI_SETTINGSCOMMAND_H

#include "CommandGroup.h"
#include "Output.h"
#include "SettingsStore.h"

namespace brelta::cli {

// settings get/set/unset/list/dump/load/watch: the settings store of the device root,
// through the store's own reader and writer, so that the CLI and the platform never disagree
// on the format.
class SettingsCommand : public CommandGroup {
public:
    const char* Name() const override { return "settings"; }
    const char* Usage() const override;
    const char* Details() const override;
    int Run(const std::vector<std::string>& words) override;

    // A key as the store holds it now. `valid` is false for a file that is not a setting.
    struct Setting {
        std::string key;
        bool valid = false;
        host::SettingType type = host::SettingType::Int;
        std::string value;  // as stored: bools 0/1, doubles as written
    };
    // The value as every command prints it (SettingsStore::DisplayValue).
    static std::string Display(const Setting& setting);
    // KEY TYPE VALUE, or KEY (not a valid setting), escaped; a blank in a key as \x20.
    static std::string Text(const Setting& setting);
    // {"key":..., "type":..., "value":...}; type and value null when it is not a setting.
    static Output::Object Json(const Setting& setting);

private:
    int Get(const std::vector<std::string>& words);
    int Set(const std::vector<std::string>& words);
    int Unset(const std::vector<std::string>& words);
    int List(const std::vector<std::string>& words);
    int Dump(const std::vector<std::string>& words);
    int Load(const std::vector<std::string>& words);
    int Watch(const std::vector<std::string>& words);
};

}  // namespace brelta::cli

#endif
