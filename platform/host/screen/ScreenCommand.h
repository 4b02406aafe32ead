#ifndef BRELTA_SCREEN_SCREENCOMMAND_H
#define BRELTA_SCREEN_SCREENCOMMAND_H

#include "CommandGroup.h"

namespace brelta::cli {

// brelta-device screen: serves the emulated TV of the device root as a page, until ^C.
class ScreenCommand : public CommandGroup {
public:
    const char* Name() const override { return "screen"; }
    const char* Usage() const override;
    const char* Details() const override;
    int Run(const std::vector<std::string>& args) override;
};

}  // namespace brelta::cli

#endif
