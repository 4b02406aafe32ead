#include "ToastCommand.h"

#include <glib.h>
#include <sys/inotify.h>

#include <cerrno>
#include <deque>

#include "CliError.h"
#include "DeviceRoot.h"
#include "Follow.h"
#include "FileUtil.h"
#include "JsonJournal.h"
#include "NotificationInput.h"
#include "NotificationPress.h"
#include "NotificationReplay.h"
#include "NotificationView.h"
#include "Output.h"
#include "SettingsStore.h"

namespace brelta::cli {

using host::NotificationInput;
using host::NotificationRecord;
using host::NotificationReplay;
using Json = host::JsonJournalReader::Json;

namespace {
int ParseNumber(const std::string& word, const char* what) {
    int value = 0;
    if (!host::SettingsStore::ParseInt(word, &value) || value <= 0)
        throw CliError::Usage("'" + word + "' is not a " + what);
    return value;
}

// How long a press waits for the posting process to take its input file.
constexpr guint kTakeWaitMilliseconds = 3000;

std::vector<NotificationReplay::Shown> OnScreen() {
    std::vector<NotificationReplay::Shown> shown;
    host::JsonJournalReader::Skipped skipped;
    std::string error;
    if (!NotificationReplay::Read(&shown, &skipped, &error))
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
    std::string id = std::to_string(NotificationReplay::Id(line));
    if (op != nullptr && *op == "post")
        return "post " + id + " pid " + PidText(line) + ": " +
               Summary(*NotificationReplay::RecordFromPost(line));
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
                       std::to_string(NotificationReplay::Id(Json{{"id", each}}));
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
    for (const NotificationReplay::Shown& shown : OnScreen()) {
        if (!host::NotificationPress::PosterRuns(shown.pid)) continue;
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
    Follow follow([&drain](unsigned areas, const auto&) {
        if (areas & host::RootWatch::kToasts) drain();
    });
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
    follow.Run();
    return 0;
}

int ToastCommand::Act(const std::vector<std::string>& words, bool press) {
    bool helped = false;
    Arguments args = Parse(words, {}, press ? "toast press ID BUTTON" : "toast hide ID", &helped);
    if (helped) return 0;
    args.RequireOperands(press ? 2 : 1, press ? 2 : 1);
    const std::string& idText = args.Operands()[0];
    int id = ParseNumber(idText, "notification id");
    int event = host::NotificationPress::kHidden;
    if (press) {
        int button = ParseNumber(args.Operands()[1], "button (1 or 2)");
        if (!NotificationRecord::ValidButton(button)) throw CliError::Usage("BUTTON is 1 or 2");
        event = button - 1;
    }
    std::vector<NotificationReplay::Shown> onScreen = OnScreen();
    std::string path = NotificationInput::Path(id);
    std::string name = path.substr(path.rfind('/') + 1);
    // Watched before it is written, so that its taking cannot be missed.
    bool taken = false;
    Follow follow([&](unsigned, const std::vector<host::RootWatch::Event>& events) {
        for (const host::RootWatch::Event& event : events)
            if ((event.name == name && (event.mask & (IN_DELETE | IN_MOVED_FROM))) ||
                (event.mask & IN_Q_OVERFLOW))
                taken = taken || !host::FileUtil::Exists(path);
        if (taken) follow.Stop();
    });
    long long pid = 0;
    CliError::Require(host::NotificationPress::Press(onScreen, id, event, &pid));
    guint timeout = g_timeout_add(
        kTakeWaitMilliseconds,
        [](gpointer follow) {
            static_cast<Follow*>(follow)->Stop();
            return G_SOURCE_REMOVE;
        },
        &follow);
    follow.Run();
    if (taken) {
        // Still pending unless it is what ended the loop (in the same turn as the taking).
        GSource* source = g_main_context_find_source_by_id(nullptr, timeout);
        if (source != nullptr) g_source_destroy(source);
        return 0;
    }
    throw CliError::Failure("process " + std::to_string(pid) + " has not taken " + path +
                            " yet (is its main loop running?); the file stays for it");
}

}  // namespace brelta::cli
