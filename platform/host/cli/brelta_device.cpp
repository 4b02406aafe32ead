// brelta-device: the workbench of the emulated TV.
#include "DeviceCli.h"
#include "base/ProcessStart.h"

int main(int argc, char** argv) {
    brelta::host::PrepareProcess(brelta::host::BrokenPipe::kEnds);
    return brelta::cli::DeviceCli().Run(argc, argv);
}
