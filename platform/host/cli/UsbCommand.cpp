#include "UsbCommand.h"

#include <cerrno>

#include "CliError.h"
#include "FileUtil.h"
#include "Output.h"
#include "UsbDevices.h"

namespace brelta::cli {

using host::FileUtil;
using host::UsbDevices;

namespace {
std::vector<UsbDevices::Line> Attached() {
    std::string content;
    if (!FileUtil::Read(UsbDevices::Path(), &content) && FileUtil::Exists(UsbDevices::Path()))
        throw CliError::Failure("cannot read " + UsbDevices::Path() +
                                " (not a regular file of at most 1 MiB)");
    return UsbDevices::Parse(content);
}

void Save(const std::vector<UsbDevices::Line>& lines) {
    errno = 0;
    if (!FileUtil::WriteAtomically(UsbDevices::Path(), UsbDevices::Format(lines)))
        throw CliError::SystemFailure("cannot write " + UsbDevices::Path(),
                                      errno != 0 ? errno : EIO);
}

// A tab or a line break would split the line of the devices file.
void RequireOneField(const std::string& text, const char* what) {
    if (text.empty() || text.find_first_of("\t\r\n") != std::string::npos)
        throw CliError::Usage(std::string(what) + " must be a non-empty text without tabs or " +
                              "line breaks");
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
    std::string product = args.Operands().size() > 1 ? args.Operands()[1] : kDefaultProduct;
    RequireOneField(mount, "MOUNTPATH");
    RequireOneField(product, "PRODUCT");
    // The tool uses the path as it stands, from whatever directory it runs in.
    if (mount[0] != '/') throw CliError::Usage("MOUNTPATH must be an absolute path");
    std::vector<UsbDevices::Line> lines = Attached();
    for (const UsbDevices::Line& line : lines)
        if (line.mountpath == mount) throw CliError::Failure(mount + " is already attached");
    lines.push_back({mount, product});
    Save(lines);
    if (!FileUtil::Exists(mount)) Output::Warn(Output::Escape(mount) + " does not exist yet");
    return 0;
}

int UsbCommand::Detach(const std::vector<std::string>& words) {
    bool helped = false;
    Arguments args = Parse(words, {}, "usb detach MOUNTPATH", &helped);
    if (helped) return 0;
    args.RequireOperands(1, 1);
    std::vector<UsbDevices::Line> lines = Attached(), kept;
    for (const UsbDevices::Line& line : lines)
        if (line.mountpath != args.Operands()[0]) kept.push_back(line);
    if (kept.size() == lines.size())
        throw CliError::Failure(Output::Escape(args.Operands()[0]) + " is not attached");
    Save(kept);
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
