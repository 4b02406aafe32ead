#include "NotificationReplay.h"

#include <algorithm>
#include <climits>

#include "base/JsonJournal.h"

namespace brelta::host {

namespace {
using Json = NotificationReplay::Json;

// Ids are positive ints: anything else in a journal was not written by the service and
// would turn into another notification's id if it were narrowed.
int AsId(const Json& value) {
    if (!value.is_number_integer()) return 0;
    long long id = value.get<long long>();
    return id > 0 && id <= INT_MAX ? static_cast<int>(id) : 0;
}

std::optional<int> IntMember(const Json& object, const char* name) {
    std::optional<long long> value = JsonJournalReader::IntMember(object, name);
    if (!value || *value < INT_MIN || *value > INT_MAX) return std::nullopt;
    return static_cast<int>(*value);
}

const char* StringMember(const Json& object, const char* name) {
    const std::string* text = JsonJournalReader::StringMember(object, name);
    return text != nullptr ? text->c_str() : nullptr;
}
}  // namespace

int NotificationReplay::Id(const Json& line, const char* member) {
    auto it = line.find(member);
    return it == line.end() ? 0 : AsId(*it);
}

void NotificationReplay::Apply(const Json& line) {
    size_t order = m_Lines++;
    const char* opText = StringMember(line, "op");
    std::string op = opText != nullptr ? opText : "";
    int id = Id(line);
    if (op == "post" && id > 0) {
        m_Shown[id] = Entry{order, JsonJournalReader::IntMember(line, "pid").value_or(0), line};
    } else if (op == "event") {
        m_Shown.erase(id);
    } else if (op == "delete_all") {
        auto ids = line.find("ids");
        if (ids == line.end() || !ids->is_array()) return;
        for (const Json& element : *ids) m_Shown.erase(AsId(element));
    }
}

std::vector<NotificationReplay::Shown> NotificationReplay::Now() const {
    std::vector<const std::pair<const int, Entry>*> sorted;
    for (const auto& item : m_Shown) sorted.push_back(&item);
    std::sort(sorted.begin(), sorted.end(),
              [](auto* a, auto* b) { return a->second.order < b->second.order; });
    std::vector<Shown> result;
    for (auto* item : sorted)
        result.push_back(Shown{item->first, item->second.pid, RecordFromPost(item->second.post),
                               item->second.post});
    return result;
}

bool NotificationReplay::Read(std::vector<Shown>* shown, JsonJournalReader::Skipped* skipped,
                              std::string* error) {
    NotificationReplay screen;
    if (!JsonJournalReader::ForEach(
            JsonJournal::kNotifications, [&screen](const Json& line) { screen.Apply(line); },
            skipped, error))
        return false;
    *shown = screen.Now();
    return true;
}

std::unique_ptr<NotificationRecord> NotificationReplay::RecordFromPost(const Json& post) {
    auto record = std::make_unique<NotificationRecord>(IntMember(post, "type").value_or(0));
    record->SetId(Id(post));
    record->SetText(0, StringMember(post, "title"), nullptr);
    record->SetText(1, StringMember(post, "content"), nullptr);
    record->SetImage(0, StringMember(post, "image"));
    auto buttons = post.find("buttons");
    if (buttons != post.end() && buttons->is_array()) {
        for (const Json& button : *buttons) {
            if (!button.is_object()) continue;
            std::optional<int> index = IntMember(button, "button");
            if (!index || !record->AddButton(*index)) continue;
            record->SetText(NotificationRecord::ButtonTextType(*index),
                            StringMember(button, "text"), nullptr);
            record->SetImage(NotificationRecord::ButtonImageType(*index),
                             StringMember(button, "image"));
        }
    }
    if (std::optional<int> index = IntMember(post, "default_button"))
        record->SetDefaultButton(*index);
    if (std::optional<int> applist = IntMember(post, "display_applist"))
        record->SetDisplayApplist(*applist);
    if (std::optional<int> layout = IntMember(post, "layout")) record->SetLayout(*layout);
    if (std::optional<int> timeout = IntMember(post, "hide_timeout"))
        record->SetHideTimeout(*timeout);
    return record;
}

}  // namespace brelta::host
