#include "UsbCommand.h"

#include "CliError.h"
#include "FileUtil.h"
#include "Output.h"
#include "UsbDevices.h"

namespace brelta::cli {

using host::FileUtil;
using host::UsbDevices;

namespace {
std::vector<UsbDevices::Line> Attached() {
    std::vector<UsbDevices::Line> lines;
    CliError::Require(UsbDevices::Read(&lines));
    return lines;
}
}  // namespace

const char* UsbCommand::Usage() const {
    return "  usb attach MOUNTPATH [PRODUCT] attach a USB storage device mounted at MOUNTPATH\n"
           "  usb detach MOUNTPATH          detach it\n"
           "  usb list [--json]             print MOUNTPATH<TAB>PRODUCT of each, in list order\n";
}

const char* UsbCommand::Details() const {
    return "MOUNTPATH is absolute: the tool uses it as it stands, from any directory. PRODUCT\n"
           "defaults to \"USB Storage\".\n"
           "\n"
           "--json: {\"mountpath\":MOUNTPATH,\"product\":PRODUCT}.\n";
}

int UsbCommand::Run(const std::vector<std::string>& words) {
    std::string command = Subcommand(words);
    if (command == "attach") return Attach(words);
    if (command == "detach") return Detach(words);
    if (command == "list") return List(words);
    UnknownSubcommand(command);
}

int UsbCommand::Attach(const std::vector<std::string>& words) {
    bool helped = false;
    Arguments args = Parse(words, {}, "usb attach MOUNTPATH [PRODUCT]", &helped);
    if (helped) return 0;
    args.RequireOperands(1, 2);
    const std::string& mount = args.Operands()[0];
    CliError::Require(UsbDevices::Attach(
        mount, args.Operands().size() > 1 ? args.Operands()[1] : UsbDevices::kDefaultProduct));
    if (!FileUtil::Exists(mount)) Output::Warn(Output::Escape(mount) + " does not exist yet");
    return 0;
}

int UsbCommand::Detach(const std::vector<std::string>& words) {
    bool helped = false;
    Arguments args = Parse(words, {}, "usb detach MOUNTPATH", &helped);
    if (helped) return 0;
    args.RequireOperands(1, 1);
    CliError::Require(UsbDevices::Detach(args.Operands()[0]));
    return 0;
}

int UsbCommand::List(const std::vector<std::string>& words) {
    bool helped = false;
    Arguments args = Parse(words, {{"json", 0, false}}, "usb list [--json]", &helped);
    if (helped) return 0;
    args.RequireOperands(0, 0);
    for (const UsbDevices::Line& line : Attached()) {
        if (args.Has("json"))
            Output::PrintJson({{"mountpath", line.mountpath}, {"product", line.product}});
        else
            Output::Print(Output::Escape(line.mountpath) + "\t" + Output::Escape(line.product) +
                          "\n");
    }
    return 0;
}

}  // namespace brelta::cli
