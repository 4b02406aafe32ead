#ifndef BRELTA_CLI_LOGCOMMAND_H
#define BRELTA_CLI_LOGCOMMAND_H

#include "CommandGroup.h"

namespace brelta::cli {

// log [options] [BUFFER...]: the records of the system log, the buffers merged in time order,
// streamed (a log of any size is read in constant memory); -f follows them as they are
// written.
class LogCommand : public CommandGroup {
public:
    const char* Name() const override { return "log"; }
    const char* Usage() const override;
    const char* Details() const override;
    int Run(const std::vector<std::string>& words) override;
};

}  // namespace brelta::cli

#endif
