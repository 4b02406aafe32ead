#include "DeviceCli.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "CaptureCommand.h"
#include "CliError.h"
#include "DeviceRoot.h"
#include "FaultCommand.h"
#include "LaunchesCommand.h"
#include "LiveCommand.h"
#include "LogCommand.h"
#include "Output.h"
#include "ResetCommand.h"
#ifdef BRELTA_SCREEN
#include "ScreenCommand.h"
#endif
#include "SettingsCommand.h"
#include "ToastCommand.h"
#include "UsbCommand.h"

namespace brelta::cli {

namespace {
// The option that chooses the device root is an environment variable to the platform: the
// CLI sets it, so that it and every class it calls agree on the root.
void UseRoot(const std::string& dir) {
    if (dir.empty()) throw CliError::Usage("--root needs a directory");
    std::string absolute = dir;
    if (absolute[0] != '/') {
        char* cwd = getcwd(nullptr, 0);
        if (cwd == nullptr) throw CliError::SystemFailure("current directory", errno);
        absolute = std::string(cwd) + "/" + dir;
        free(cwd);
    }
    setenv("BRELTA_DEVICE_ROOT", absolute.c_str(), 1);
    host::DeviceRoot::Reset();
}
}  // namespace

DeviceCli::DeviceCli() {
    m_Groups.emplace_back(new SettingsCommand());
    m_Groups.emplace_back(new UsbCommand());
    m_Groups.emplace_back(new ToastCommand());
    m_Groups.emplace_back(new CaptureCommand());
    m_Groups.emplace_back(new FaultCommand());
    m_Groups.emplace_back(new LogCommand());
    m_Groups.emplace_back(new LaunchesCommand());
    m_Groups.emplace_back(new LiveCommand());
    m_Groups.emplace_back(new ResetCommand());
#ifdef BRELTA_SCREEN
    m_Groups.emplace_back(new ScreenCommand());
#endif
}

std::string DeviceCli::Help() const {
    std::string help =
        "usage: brelta-device [--root DIR] COMMAND [ARGUMENTS]\n"
        "       brelta-device --help | --version\n"
        "\n"
        "Reads and changes the emulated TV of a device root, the directory that holds its\n"
        "whole state.\n"
        "\n"
        "Options (before COMMAND):\n"
        "  --root DIR        the device root; default: $BRELTA_DEVICE_ROOT, else\n"
        "                    $XDG_STATE_HOME/brelta-device, else ~/.local/state/brelta-device\n"
        "                    (now: " +
        host::DeviceRoot::Path() +
        ")\n"
        "  -h, --help        this help; COMMAND --help shows the help of one command group\n"
        "  --version         the version\n"
        "\n"
        "Commands:\n"
        "  root                          print the path of the device root\n";
    for (const auto& group : m_Groups) help += group->Usage();
    help +=
        "\n"
        "Options may stand anywhere after COMMAND; -- ends them. A word such as -12 is a\n"
        "value, not an option. --json prints one JSON object per line; without it, text\n"
        "output keeps each record on one line, with control characters and the backslash\n"
        "written as \\xNN.\n"
        "\n"
        "Exit status: 0 done, 1 failed, 2 wrong command line.\n";
    return help;
}

CommandGroup* DeviceCli::Find(const std::string& name) const {
    for (const auto& group : m_Groups)
        if (name == group->Name()) return group.get();
    return nullptr;
}

int DeviceCli::Dispatch(const std::vector<std::string>& words) {
    Arguments options(words, {{"root", 0, true}, {"version", 0, false}},
                      "[--root DIR] COMMAND [ARGUMENTS]", true);
    if (options.Has("root")) UseRoot(options.Value("root"));
    if (options.Has("help")) {
        Output::Print(Help());
        return 0;
    }
    if (options.Has("version")) {
        Output::Print("brelta-device " BRELTA_VERSION "\n");
        return 0;
    }
    const std::vector<std::string>& operands = options.Operands();
    if (operands.empty()) throw CliError::Usage("no command given");
    if (operands[0] == "help") {
        Output::Print(Help());
        return 0;
    }
    if (operands[0] == "root" && operands.size() == 1) {
        Output::Print(host::DeviceRoot::Path() + "\n");
        return 0;
    }
    CommandGroup* group = Find(operands[0]);
    if (group == nullptr) throw CliError::Usage("unknown command '" + operands[0] + "'");
    std::vector<std::string> rest(operands.begin() + 1, operands.end());
    if (!rest.empty() && (rest[0] == "--help" || rest[0] == "-h" || rest[0] == "help")) {
        Output::Print(group->Help());
        return 0;
    }
    return group->Run(rest);
}

int DeviceCli::Run(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    int status = 0;
    try {
        status = Dispatch(words);
        Output::Flush();
    } catch (const CliError& error) {
        std::fprintf(stderr, "brelta-device: %s\n", error.what());
        if (error.Status() == CliError::kUsage) std::fputs("Try 'brelta-device --help'.\n", stderr);
        status = error.Status();
    }
    return status;
}

}  // namespace brelta::cli
