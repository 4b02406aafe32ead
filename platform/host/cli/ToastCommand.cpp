#include "ToastCommand.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "CliError.h"
#include "FileUtil.h"
#include "NotificationInput.h"
#include "NotificationScreen.h"
#include "NotificationView.h"
#include "SettingsStore.h"

namespace brelta::cli {

using host::NotificationInput;
using host::NotificationScreen;

namespace {
// The service lives in the process that posted: once that process has ended, nothing draws
// its notification, times it out or takes its input.
bool ProcessLives(long pid) {
    return pid > 0 && (kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

int ParseNumber(const std::string& word, const char* what) {
    int value = 0;
    if (!host::SettingsStore::ParseInt(word, &value) || value <= 0)
        throw CliError::Usage("'" + word + "' is not a " + what);
    return value;
}

constexpr int kHiddenByUser = 100;
// How long a press waits for the posting process to take its input file.
constexpr int kTakeWaitMilliseconds = 3000;
}  // namespace

const char* ToastCommand::Usage() const {
    return "  toast list                    draw the notifications on screen now\n"
           "  toast press ID BUTTON         press button 1 or 2 of notification ID\n"
           "  toast hide ID                 hide notification ID as its user would\n";
}

int ToastCommand::Run(const std::vector<std::string>& args) {
    std::string command = Subcommand(args);
    if (command == "list") return List(args);
    if (command == "press") return Act(args, 2, "toast press ID BUTTON");
    if (command == "hide") return Act(args, 1, "toast hide ID");
    UnknownSubcommand(command);
}

int ToastCommand::List(const std::vector<std::string>& args) {
    RequireCount(args, 1, 0, 0, "toast list");
    for (const NotificationScreen::Shown& shown : NotificationScreen::OnScreen()) {
        if (!ProcessLives(shown.pid)) continue;
        Print(host::NotificationView::Box(*shown.record, NotificationInput::Dir()));
        Print("  posted by pid " + std::to_string(shown.pid) + "\n");
    }
    return 0;
}

int ToastCommand::Act(const std::vector<std::string>& args, size_t count, const char* synopsis) {
    RequireCount(args, 1, count, count, synopsis);
    int id = ParseNumber(args[1], "notification id");
    int event = kHiddenByUser;
    int button = 0;
    if (count == 2) {
        button = ParseNumber(args[2], "button (1 or 2)");
        if (button != 1 && button != 2) throw CliError::Usage("BUTTON is 1 or 2");
        event = button - 1;
    }
    long pid = 0;
    for (const NotificationScreen::Shown& shown : NotificationScreen::OnScreen()) {
        if (shown.id != id) continue;
        if (button != 0 && shown.record->Buttons().count(button) == 0)
            throw CliError::Failure("notification " + args[1] + " has no button " + args[2]);
        pid = shown.pid;
    }
    if (pid == 0) throw CliError::Failure("notification " + args[1] + " is not on screen");
    if (!ProcessLives(pid))
        throw CliError::Failure("notification " + args[1] + " belongs to process " +
                                std::to_string(pid) + ", which has ended");

    std::string path = NotificationInput::Path(id);
    // Complete when it appears (renamed into place), so that the service takes it at once.
    errno = 0;
    if (!host::FileUtil::WriteAtomically(path, std::to_string(event) + "\n"))
        throw CliError::SystemFailure("cannot write " + path, errno != 0 ? errno : EIO);
    for (int waited = 0; waited < kTakeWaitMilliseconds; waited += 10) {
        if (!host::FileUtil::Exists(path)) return 0;
        usleep(10 * 1000);
    }
    throw CliError::Failure("process " + std::to_string(pid) + " has not taken " + path +
                            " yet (is its main loop running?); the file stays for it");
}

}  // namespace brelta::cli
