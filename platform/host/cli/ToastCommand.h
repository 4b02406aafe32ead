#ifndef BRELTA_CLI_TOASTCOMMAND_H
#define BRELTA_CLI_TOASTCOMMAND_H

#include "CommandGroup.h"

namespace brelta::cli {

// toast list/press/hide: the notifications on the emulated TV's screen, from the
// notification journal, and the input files that act on them as a remote's keys would.
class ToastCommand : public CommandGroup {
public:
    const char* Name() const override { return "toast"; }
    const char* Usage() const override;
    int Run(const std::vector<std::string>& args) override;

private:
    static int List(const std::vector<std::string>& args);
    // Writes `event` into the input file of the notification and waits until its process
    // has taken it.
    static int Act(const std::vector<std::string>& args, size_t count, const char* synopsis);
};

}  // namespace brelta::cli

#endif
