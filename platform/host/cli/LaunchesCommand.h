#ifndef BRELTA_CLI_LAUNCHESCOMMAND_H
#define BRELTA_CLI_LAUNCHESCOMMAND_H

#include "CommandGroup.h"

namespace brelta::cli {

// launches [-f] [--json]: the launch requests journalled in $ROOT/apps/launches, one line
// each; -f follows the journal.
class LaunchesCommand : public CommandGroup {
public:
    const char* Name() const override { return "launches"; }
    const char* Usage() const override;
    const char* Details() const override;
    int Run(const std::vector<std::string>& words) override;
};

}  // namespace brelta::cli

#endif
