#include "UsbCommand.h"

#include <cerrno>
#include <cstdio>

#include "CliError.h"
#include "FileUtil.h"
#include "UsbDevices.h"

namespace brelta::cli {

using host::FileUtil;
using host::UsbDevices;

namespace {
std::vector<UsbDevices::Line> Attached() {
    std::string content;
    if (!FileUtil::Read(UsbDevices::Path(), &content) && FileUtil::Exists(UsbDevices::Path()))
        throw CliError::SystemFailure("cannot read " + UsbDevices::Path(), errno);
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
           "  usb list                      print MOUNTPATH<TAB>PRODUCT of each, in list order\n";
}

int UsbCommand::Run(const std::vector<std::string>& args) {
    std::string command = Subcommand(args);
    if (command == "attach") return Attach(args);
    if (command == "detach") return Detach(args);
    if (command == "list") return List(args);
    UnknownSubcommand(command);
}

int UsbCommand::Attach(const std::vector<std::string>& args) {
    RequireCount(args, 1, 1, 2, "usb attach MOUNTPATH [PRODUCT]");
    const std::string& mount = args[1];
    std::string product = args.size() > 2 ? args[2] : kDefaultProduct;
    RequireOneField(mount, "MOUNTPATH");
    RequireOneField(product, "PRODUCT");
    // The tool uses the path as it stands, from whatever directory it runs in.
    if (mount[0] != '/') throw CliError::Usage("MOUNTPATH must be an absolute path");
    std::vector<UsbDevices::Line> lines = Attached();
    for (const UsbDevices::Line& line : lines)
        if (line.mountpath == mount) throw CliError::Failure(mount + " is already attached");
    lines.push_back({mount, product});
    Save(lines);
    if (!FileUtil::Exists(mount))
        std::fprintf(stderr, "brelta-device: note: %s does not exist yet\n", mount.c_str());
    return 0;
}

int UsbCommand::Detach(const std::vector<std::string>& args) {
    RequireCount(args, 1, 1, 1, "usb detach MOUNTPATH");
    std::vector<UsbDevices::Line> lines = Attached(), kept;
    for (const UsbDevices::Line& line : lines)
        if (line.mountpath != args[1]) kept.push_back(line);
    if (kept.size() == lines.size()) throw CliError::Failure(args[1] + " is not attached");
    Save(kept);
    return 0;
}

int UsbCommand::List(const std::vector<std::string>& args) {
    RequireCount(args, 1, 0, 0, "usb list");
    Print(UsbDevices::Format(Attached()));
    return 0;
}

}  // namespace brelta::cli
