#ifndef BRELTA_CLI_DEVICECLI_H
#define BRELTA_CLI_DEVICECLI_H

#include <memory>
#include <string>
#include <vector>

#include "CommandGroup.h"

namespace brelta::cli {

// The workbench of the emulated TV: reads and changes the device root (--root, else
// $BRELTA_DEVICE_ROOT, else the default one) with the host platform's own classes. Takes the
// global options, picks the command group from the next word, and turns errors into exit
// statuses.
class DeviceCli {
public:
    DeviceCli();
    // Exit status: 0 done, 1 failure, 2 usage error.
    int Run(int argc, char** argv);
    std::string Help() const;

private:
    int Dispatch(const std::vector<std::string>& words);
    CommandGroup* Find(const std::string& name) const;

    std::vector<std::unique_ptr<CommandGroup>> m_Groups;
};

}  // namespace brelta::cli

#endif
