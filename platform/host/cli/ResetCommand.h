#ifndef BRELTA_CLI_RESETCOMMAND_H
#define BRELTA_CLI_RESETCOMMAND_H

#include "CommandGroup.h"

namespace brelta::cli {

// reset [--yes]: empties the device root, a new TV. Asks first, unless --yes, and refuses a
// directory holding anything the emulated TV did not make: a root set by mistake to a
// directory of one's own must not be emptied.
class ResetCommand : public CommandGroup {
public:
    const char* Name() const override { return "reset"; }
    const char* Usage() const override;
    int Run(const std::vector<std::string>& words) override;

private:
    static bool Confirmed(const std::string& root);
};

}  // namespace brelta::cli

#endif
