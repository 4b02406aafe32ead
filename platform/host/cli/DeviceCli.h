#ifndef BRELTA_CLI_DEVICECLI_H
#define BRELTA_CLI_DEVICECLI_H

#include <string>
#include <vector>

#include "Help.h"

namespace brelta::cli {

// The workbench of the emulated TV: reads and changes the device root (--root, else
// $BRELTA_DEVICE_ROOT, else the default one) with the host platform's own classes. Finds the
// command of a command line in the table (VerbTable.cpp), checks the line against its row,
// runs it, and turns errors into exit statuses.
class DeviceCli {
public:
    DeviceCli();
    // Exit status: 0 done, 1 failure, 2 usage error.
    int Run(int argc, char** argv);

    // Chooses the device root for this process and every class it calls: the environment
    // variable that the platform reads, made absolute, so that the programs it starts (the
    // screen's runs of the tool) find the same root from any directory.
    static void UseRoot(const std::string& dir);

private:
    int Dispatch(const std::vector<std::string>& words);

    const Table& m_Table;
    Help m_Help;
    // The command (or group) whose help a usage error points at; "" for the whole program.
    std::string m_HelpOf;
};

}  // namespace brelta::cli

#endif
