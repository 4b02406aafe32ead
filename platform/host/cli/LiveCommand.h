#ifndef BRELTA_CLI_LIVECOMMAND_H
#define BRELTA_CLI_LIVECOMMAND_H

#include "CommandGroup.h"

namespace brelta::cli {

// live list/on/off: which platform services run against this machine's own instead of the
// emulated stand-ins ($ROOT/live), and whether the machine has what each needs.
class LiveCommand : public CommandGroup {
public:
    const char* Name() const override { return "live"; }
    const char* Usage() const override;
    const char* Details() const override;
    int Run(const std::vector<std::string>& words) override;

private:
    int List(const std::vector<std::string>& words);
    int Switch(const std::vector<std::string>& words, bool on);
};

}  // namespace brelta::cli

#endif
