// brelta-device: the workbench of the emulated TV.
#include "DeviceCli.h"

int main(int argc, char** argv) {
    return brelta::cli::DeviceCli().Run(argc, argv);
}
