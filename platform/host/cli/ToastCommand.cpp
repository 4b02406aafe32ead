#include "Commands.h"

#include <glib.h>
#include <sys/inotify.h>

#include <algorithm>
#include <cerrno>
#include <deque>

#include "CliError.h"
#include "base/DeviceRoot.h"
#include "Follow.h"
#include "base/FileUtil.h"
#include "base/JsonJournal.h"
#include "notification/NotificationInput.h"
#include "NotificationPress.h"
#include "NotificationReplay.h"
#include "notification/NotificationView.h"
#include "Output.h"
#include "settings/SettingsStore.h"

namespace brelta::cli::toast {

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

// The notifications of the journal that are up; `drawn`: only those whose poster still runs
// to draw them.
std::vector<NotificationReplay::Shown> OnScreen(bool drawn = false) {
    std::vector<NotificationReplay::Shown> shown;
    host::JsonJournalReader::Skipped skipped;
    std::string error;
    if (!NotificationReplay::Read(&shown, &skipped, &error))
        throw CliError::Failure("cannot read " + error);
    Output::WarnSkipped(host::JsonJournal::kNotifications, skipped);
    if (drawn)
        shown.erase(std::remove_if(shown.begin(), shown.end(),
                                   [](const NotificationReplay::Shown& one) {
                                       return !host::NotificationPress::PosterRuns(one.pid);
                                   }),
                    shown.end());
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
// Writes the event of a press or a hide into the notification's input file and waits until
// its process has taken it.
int Act(const Arguments& args, bool press) {
    int id = ParseNumber(args.Operand(0), "notification id");
    int event = host::NotificationPress::kHidden;
    if (press) {
        int button = ParseNumber(args.Operand(1), "button (1 or 2)");
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
}  // namespace

int List(const Arguments& args) {
    for (const NotificationReplay::Shown& shown : OnScreen(true)) {
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

int Watch(const Arguments& args) {
    bool json = args.Has("json");
    size_t last = static_cast<size_t>(args.Count("lines", "lines", 0));
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

int Press(const Arguments& args) {
    return Act(args, true);
}

int Hide(const Arguments& args) {
    return Act(args, false);
}

std::vector<std::string> IdsOnScreen() {
    std::vector<std::string> ids;
    for (const NotificationReplay::Shown& shown : OnScreen(true))
        ids.push_back(std::to_string(shown.id));
    return ids;
}

}  // namespace brelta::cli::toast
