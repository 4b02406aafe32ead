#ifndef BRELTA_CLI_LOGCOMMAND_H
#define BRELTA_CLI_LOGCOMMAND_H

#include "CommandGroup.h"

namespace brelta::cli {

// log [main|system] [-f]: the records of the system log, both buffers merged in time order
// unless one is named; -f keeps printing records as they are written.
class LogCommand : public CommandGroup {
public:
    const char* Name() const override { return "log"; }
    const char* Usage() const override;
    int Run(const std::vector<std::string>& args) override;

    // Merges per-buffer record lists (each in its file's order) by their time stamps; on
    // equal times the earlier buffer's record comes first.
    static std::vector<std::string> Merge(const std::vector<std::vector<std::string>>& buffers);
};

}  // namespace brelta::cli

#endif
