#ifndef BRELTA_CLI_LAUNCHESCOMMAND_H
#define BRELTA_CLI_LAUNCHESCOMMAND_H

#include <json-glib/json-glib.h>

#include <string>

#include "CommandGroup.h"

namespace brelta::cli {

// launches: the launch requests journalled in $ROOT/apps/launches, one block per request.
class LaunchesCommand : public CommandGroup {
public:
    const char* Name() const override { return "launches"; }
    const char* Usage() const override;
    int Run(const std::vector<std::string>& args) override;

    // One request as text: "#N pid P app APP_ID result R", then the operation and each extra
    // datum on an indented line.
    static std::string Describe(size_t number, JsonObject* launch);
};

}  // namespace brelta::cli

#endif
