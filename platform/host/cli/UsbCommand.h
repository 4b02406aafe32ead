#ifndef BRELTA_CLI_USBCOMMAND_H
#define BRELTA_CLI_USBCOMMAND_H

#include "CommandGroup.h"

namespace brelta::cli {

// usb attach/detach/list: the USB storage devices of the emulated TV ($ROOT/usb/devices),
// read and written with the USB stand-in's own format code.
class UsbCommand : public CommandGroup {
public:
    const char* Name() const override { return "usb"; }
    const char* Usage() const override;
    const char* Details() const override;
    int Run(const std::vector<std::string>& words) override;

private:
    int Attach(const std::vector<std::string>& words);
    int Detach(const std::vector<std::string>& words);
    int List(const std::vector<std::string>& words);
};

}  // namespace brelta::cli

#endif
