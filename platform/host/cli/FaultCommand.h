#ifndef BRELTA_CLI_FAULTCOMMAND_H
#define BRELTA_CLI_FAULTCOMMAND_H

#include "CommandGroup.h"

namespace brelta::cli {

// fault set/clear/list: scripted results of platform functions ($ROOT/faults/), for the
// processes started after the change.
class FaultCommand : public CommandGroup {
public:
    const char* Name() const override { return "fault"; }
    const char* Usage() const override;
    const char* Details() const override;
    int Run(const std::vector<std::string>& words) override;

private:
    int Set(const std::vector<std::string>& words);
    int Clear(const std::vector<std::string>& words);
    int List(const std::vector<std::string>& words);
};

}  // namespace brelta::cli

#endif
