#include "ToastCommand.h"

#include <glib.h>
#include <signal.h>
#include <sys/inotify.h>

#include <cerrno>
#include <climits>
#include <deque>

#include "CliError.h"
#include "DeviceRoot.h"
#include "FileEvents.h"
#include "FileUtil.h"
#include "JsonJournal.h"
#include "NotificationInput.h"
#include "NotificationScreen.h"
#include "NotificationView.h"
#include "Output.h"
#include "SettingsStore.h"

namespace brelta::cli {

using host::NotificationInput;
using host::NotificationRecord;
using host::NotificationScreen;
using Json = host::JsonJournalReader::Json;

namespace {
// The service lives in the process that posted: once that process has ended, nothing draws
// its notification, times it out or takes its input.
bool ProcessLives(long long pid) {
    return pid > 0 && pid <= INT_MAX && (kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

int ParseNumber(const std::string& word, const char* what) {
    int value = 0;
    if (!host::SettingsStore::ParseInt(word, &value) || value <= 0)
        throw CliError::Usage("'" + word + "' is not a " + what);
    return value;
}

constexpr int kHiddenByUser = 100;
// How long a press waits for the posting process to take its input file.
constexpr guint kTakeWaitMilliseconds = 3000;

std::vector<NotificationScreen::Shown> OnScreen() {
    std::vector<NotificationScreen::Shown> shown;
    host::JsonJournalReader::Skipped skipped;
    std::string error;
    if (!NotificationScreen::Read(&shown, &skipped, &error))
        throw CliError::Failure("cannot read " + error);
    Output::WarnSkipped(host::JsonJournal::kNotifications, skipped);
    return shown;
}

// "TITLE | CONTENT | [>OK<] [Cancel]", escaped, the default button marked as on screen.
std::string Summary(const NotificationRecord& record) {
    auto text = [&record](int type) {
        const NotificationRecord::Text* found = record.FindText(type);
        return found != nullptr ? Output::Escape(found->text) : std::string();
    };
    std::string line = text(0) + " | " + text(1);
    if (!record.Buttons().empty()) line += " |";
    for (int index : record.Buttons()) {
        bool isDefault = record.DefaultButton() == index;
        line += (isDefault ? " [>" : " [ ") + text(NotificationRecord::ButtonTextType(index)) +
                (isDefault ? "<]" : " ]");
    }
    return line;
}

std::string PidText(const Json& line) {
    std::optional<long long> pid = host::JsonJournalReader::IntMember(line, "pid");
    return pid ? std::to_string(*pid) : "-";
}

// One journal line as toast watch prints it.
std::string Describe(const Json& line) {
    const std::string* op = host::JsonJournalReader::StringMember(line, "op");
    std::string id = std::to_string(NotificationScreen::Id(line));
    if (op != nullptr && *op == "post")
        return "post " + id + " pid " + PidText(line) + ": " +
               Summary(*NotificationScreen::RecordFromPost(line));
    if (op != nullptr && *op == "event") {
        int event =
            static_cast<int>(host::JsonJournalReader::IntMember(line, "event").value_or(-1));
        return "event " + id + " pid " + PidText(line) + ": " +
               host::NotificationView::EventName(event) + " (" + std::to_string(event) + ")";
    }
    if (op != nullptr && *op == "delete_all") {
        std::string ids;
        auto all = line.find("ids");
        if (all != line.end() && all->is_array())
            for (const Json& each : *all)
                ids += (ids.empty() ? "" : ",") +
                       std::to_string(NotificationScreen::Id(Json{{"id", each}}));
        return "delete_all " + (ids.empty() ? "-" : ids) + " pid " + PidText(line);
    }
    return "unknown " + Output::Escape(line.dump(-1, ' ', false, Json::error_handler_t::replace));
}
}  // namespace

const char* ToastCommand::Usage() const {
    return "  toast list [--json]           print the notifications on screen now\n"
           "  toast press ID BUTTON         press button 1 or 2 of notification ID\n"
           "  toast hide ID                 hide notification ID as its user would\n"
           "  toast watch [-n N] [--json]   print each post, event and deletion as it comes,\n"
           "                                after the last N lines of the journal (default 0)\n";
}

const char* ToastCommand::Details() const {
    return "list: ID pid PID: TITLE | CONTENT | [BUTTON]..., the default button as [>OK<];\n"
           "a notification is on screen while the process that posted it runs, until it is\n"
           "pressed, hidden, timed out or deleted. press and hide wait up to 3 s for that\n"
           "process to take the input.\n"
           "watch: post ID pid PID: ..., event ID pid PID: WHAT (EVENT), delete_all IDS pid PID.\n"
           "\n"
           "--json: list: {\"id\":ID,\"pid\":PID,\"type\":...,\"title\":...,\"content\":...,\n"
           "\"image\":...,\"buttons\":[{\"button\":1,\"text\":...,\"image\":...}],\"default_"
           "button\":...,\n"
           "\"display_applist\":...,\"layout\":...,\"hide_timeout\":...}, the members of its "
           "latest\n"
           "post; watch: each journal line as written, with its \"op\".\n";
}

int ToastCommand::Run(const std::vector<std::string>& words) {
    std::string command = Subcommand(words);
    if (command == "list") return List(words);
    if (command == "press") return Act(words, true);
    if (command == "hide") return Act(words, false);
    if (command == "watch") return Watch(words);
    UnknownSubcommand(command);
}

int ToastCommand::List(const std::vector<std::string>& words) {
    bool helped = false;
    Arguments args = Parse(words, {{"json", 0, false}}, "toast list [--json]", &helped);
    if (helped) return 0;
    args.RequireOperands(0, 0);
    for (const NotificationScreen::Shown& shown : OnScreen()) {
        if (!ProcessLives(shown.pid)) continue;
        if (args.Has("json")) {
            Json post = shown.post;
            post.erase("op");
            Output::PrintJson(post);
        } else {
            Output::Print(std::to_string(shown.id) + " pid " + std::to_string(shown.pid) + ": " +
                          Summary(*shown.record) + "\n");
        }
    }
    return 0;
}

int ToastCommand::Watch(const std::vector<std::string>& words) {
    bool helped = false;
    Arguments args = Parse(words, {{"json", 0, false}, {"lines", 'n', true}},
                           "toast watch [-n N] [--json]", &helped);
    if (helped) return 0;
    args.RequireOperands(0, 0);
    bool json = args.Has("json");
    size_t last = 0;
    if (args.Has("lines")) {
        const std::string& text = args.Value("lines");
        if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != text.npos)
            throw CliError::Usage("'" + text + "' is not a number of lines");
        last = std::stoul(text);
    }
    host::JsonJournalReader reader(host::JsonJournal::kNotifications, true);
    auto show = [json](const Json& line) {
        if (json)
            Output::PrintJson(line);
        else
            Output::Print(Describe(line) + "\n");
    };
    auto drain = [&reader, &show]() {
        Json line;
        host::LineStream::Result result;
        while ((result = reader.Next(&line)) == host::LineStream::Result::Line) show(line);
        if (result == host::LineStream::Result::Error)
            throw CliError::Failure("cannot read " + reader.ErrorText());
        Output::Flush();
    };
    // Watched before the history is read, so that nothing written in between is missed.
    std::string path = host::DeviceRoot::Path() + "/" + host::JsonJournal::kNotifications;
    std::string dir = host::FileUtil::Parent(path);
    FileEvents::FollowFile(dir, path.substr(dir.size() + 1), drain);
    // The journal so far is history (toast list shows what of it is still on screen): only
    // its last N lines are shown.
    std::deque<Json> history;
    Json line;
    host::LineStream::Result result;
    while ((result = reader.Next(&line)) == host::LineStream::Result::Line) {
        history.push_back(line);
        if (history.size() > last) history.pop_front();
    }
    if (result == host::LineStream::Result::Error)
        throw CliError::Failure("cannot read " + reader.ErrorText());
    for (const Json& old : history) show(old);
    Output::Flush();
    FileEvents::Run();
    return 0;
}

int ToastCommand::Act(const std::vector<std::string>& words, bool press) {
    bool helped = false;
    Arguments args = Parse(words, {}, press ? "toast press ID BUTTON" : "toast hide ID", &helped);
    if (helped) return 0;
    args.RequireOperands(press ? 2 : 1, press ? 2 : 1);
    const std::string& idText = args.Operands()[0];
    int id = ParseNumber(idText, "notification id");
    int event = kHiddenByUser;
    int button = 0;
    if (press) {
        button = ParseNumber(args.Operands()[1], "button (1 or 2)");
        if (!NotificationRecord::ValidButton(button)) throw CliError::Usage("BUTTON is 1 or 2");
        event = button - 1;
    }
    long long pid = 0;
    for (const NotificationScreen::Shown& shown : OnScreen()) {
        if (shown.id != id) continue;
        if (button != 0 && shown.record->Buttons().count(button) == 0)
            throw CliError::Failure("notification " + idText + " has no button " +
                                    std::to_string(button));
        pid = shown.pid;
    }
    if (pid == 0) throw CliError::Failure("notification " + idText + " is not on screen");
    if (!ProcessLives(pid))
        throw CliError::Failure("notification " + idText + " belongs to process " +
                                std::to_string(pid) + ", which has ended");

    std::string path = NotificationInput::Path(id);
    std::string name = path.substr(path.rfind('/') + 1);
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    // Watched before it is written, so that its taking cannot be missed.
    bool taken = false;
    FileEvents::Add(NotificationInput::Dir(), [&](const std::string& file, std::uint32_t mask) {
        if ((file == name && (mask & (IN_DELETE | IN_MOVED_FROM))) || (mask & IN_Q_OVERFLOW)) {
            taken = !host::FileUtil::Exists(path);
            if (taken) g_main_loop_quit(loop);
        }
    });
    // Complete when it appears (renamed into place), so that the service takes it at once.
    errno = 0;
    if (!host::FileUtil::WriteAtomically(path, std::to_string(event) + "\n"))
        throw CliError::SystemFailure("cannot write " + path, errno != 0 ? errno : EIO);
    g_timeout_add(
        kTakeWaitMilliseconds,
        [](gpointer loop) {
            g_main_loop_quit(static_cast<GMainLoop*>(loop));
            return G_SOURCE_REMOVE;
        },
        loop);
    g_main_loop_run(loop);
    g_main_loop_unref(loop);
    if (taken) return 0;
    throw CliError::Failure("process " + std::to_string(pid) + " has not taken " + path +
                            " yet (is its main loop running?); the file stays for it");
}

}  // namespace brelta::cli
