#ifndef BRELTA_CLI_CAPTURECOMMAND_H
#define BRELTA_CLI_CAPTURECOMMAND_H

#include "CommandGroup.h"

namespace brelta::cli {

// capture start/stop/status: the platform's packet capture (emulated or live, as the tool
// would find it), driven by the platform's own calls. A live capture started by a run of the
// tool is stopped here: the tool stops only what it started in the same process.
class CaptureCommand : public CommandGroup {
public:
    const char* Name() const override { return "capture"; }
    const char* Usage() const override;
    const char* Details() const override;
    int Run(const std::vector<std::string>& words) override;
};

}  // namespace brelta::cli

#endif
