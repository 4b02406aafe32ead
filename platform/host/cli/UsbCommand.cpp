#include "Commands.h"

#include "CliError.h"
#include "base/FileUtil.h"
#include "Output.h"
#include "usb/UsbDevices.h"

namespace brelta::cli::usb {

using host::FileUtil;
using host::UsbDevices;

namespace {
std::vector<UsbDevices::Line> Attached() {
    std::vector<UsbDevices::Line> lines;
    CliError::Require(UsbDevices::Read(&lines));
    return lines;
}
}  // namespace

int Attach(const Arguments& args) {
    std::string mount = args.Operand(0);
    CliError::Require(UsbDevices::Attach(mount, args.Operand(1, UsbDevices::kDefaultProduct)));
    if (!FileUtil::Exists(mount)) Output::Warn(Output::Escape(mount) + " does not exist yet");
    return 0;
}

int Detach(const Arguments& args) {
    CliError::Require(UsbDevices::Detach(args.Operand(0)));
    return 0;
}

int List(const Arguments& args) {
    for (const UsbDevices::Line& line : Attached()) {
        if (args.Has("json"))
            Output::PrintJson({{"mountpath", line.mountpath}, {"product", line.product}});
        else
            Output::Print(Output::Escape(line.mountpath) + "\t" + Output::Escape(line.product) +
                          "\n");
    }
    return 0;
}

}  // namespace brelta::cli::usb
