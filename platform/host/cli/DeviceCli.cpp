#include "DeviceCli.h"

#include <cerrno>
#include <cstdio>

#include "CliError.h"
#include "DeviceRoot.h"
#include "FaultCommand.h"
#include "LaunchesCommand.h"
#include "LogCommand.h"
#include "ResetCommand.h"
#ifdef BRELTA_SCREEN
#include "ScreenCommand.h"
#endif
#include "SettingsCommand.h"
#include "ToastCommand.h"
#include "UsbCommand.h"

namespace brelta::cli {

namespace {
bool IsHelp(const std::string& word) {
    return word == "--help" || word == "-h" || word == "help";
}
}  // namespace

DeviceCli::DeviceCli() {
    m_Groups.emplace_back(new SettingsCommand());
    m_Groups.emplace_back(new UsbCommand());
    m_Groups.emplace_back(new ToastCommand());
    m_Groups.emplace_back(new FaultCommand());
    m_Groups.emplace_back(new LogCommand());
    m_Groups.emplace_back(new LaunchesCommand());
    m_Groups.emplace_back(new ResetCommand());
#ifdef BRELTA_SCREEN
    m_Groups.emplace_back(new ScreenCommand());
#endif
}

std::string DeviceCli::Help() const {
    std::string help =
        "usage: brelta-device COMMAND [ARGUMENTS]\n"
        "\n"
        "Reads and changes the emulated TV of the device root\n"
        "  " +
        host::DeviceRoot::Path() +
        "\n"
        "($BRELTA_DEVICE_ROOT, else $XDG_STATE_HOME/brelta-device, else\n"
        "$HOME/.local/state/brelta-device).\n"
        "\n"
        "Commands:\n";
    for (const auto& group : m_Groups) help += group->Usage();
    help +=
        "\n"
        "brelta-device COMMAND --help shows the commands of one group.\n"
        "Exit status: 0 done, 1 failed, 2 wrong command line.\n";
    return help;
}

CommandGroup* DeviceCli::Find(const std::string& name) const {
    for (const auto& group : m_Groups)
        if (name == group->Name()) return group.get();
    return nullptr;
}

int DeviceCli::Dispatch(const std::vector<std::string>& args) {
    if (args.empty()) throw CliError::Usage("no command given");
    if (IsHelp(args[0])) {
        std::fputs(Help().c_str(), stdout);
        return 0;
    }
    CommandGroup* group = Find(args[0]);
    if (group == nullptr) throw CliError::Usage("unknown command '" + args[0] + "'");
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (!rest.empty() && IsHelp(rest[0])) {
        std::fputs(group->Usage(), stdout);
        return 0;
    }
    return group->Run(rest);
}

int DeviceCli::Run(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
    int status = 0;
    try {
        status = Dispatch(args);
        if (std::fflush(stdout) != 0) throw CliError::SystemFailure("standard output", errno);
    } catch (const CliError& error) {
        std::fprintf(stderr, "brelta-device: %s\n", error.what());
        if (error.Status() == CliError::kUsage) std::fputs("Try 'brelta-device --help'.\n", stderr);
        status = error.Status();
    }
    return status;
}

}  // namespace brelta::cli
