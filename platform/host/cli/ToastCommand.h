#ifndef BRELTA_CLI_TOASTCOMMAND_H
#define BRELTA_CLI_TOASTCOMMAND_H

#include "CommandGroup.h"

namespace brelta::cli {

// toast list/press/hide/watch: the notifications on the emulated TV's screen, from the
// notification journal, and the input files that act on them as a remote's keys would.
class ToastCommand : public CommandGroup {
public:
    const char* Name() const override { return "toast"; }
    const char* Usage() const override;
    const char* Details() const override;
    int Run(const std::vector<std::string>& words) override;

private:
    int List(const std::vector<std::string>& words);
    int Watch(const std::vector<std::string>& words);
    // Writes the event of a press or a hide into the notification's input file and waits
    // until its process has taken it.
    int Act(const std::vector<std::string>& words, bool press);
};

}  // namespace brelta::cli

#endif
