#include "NotificationScreen.h"

#include <algorithm>
#include <map>

#include "JsonJournal.h"
#include "JsonJournalReader.h"

namespace brelta::host {

std::vector<NotificationScreen::Shown> NotificationScreen::OnScreen(
    const std::vector<JsonNode*>& lines) {
    // Keyed by id; `order` is the line number of the latest post.
    struct Entry {
        size_t order;
        Shown shown;
    };
    std::map<int, Entry> shown;
    for (size_t line = 0; line < lines.size(); ++line) {
        if (!JSON_NODE_HOLDS_OBJECT(lines[line])) continue;
        JsonObject* object = json_node_get_object(lines[line]);
        const char* opText = JsonJournalReader::StringMember(object, "op");
        std::string op = opText != nullptr ? opText : "";
        int id = static_cast<int>(JsonJournalReader::IntMember(object, "id").value_or(0));
        if (op == "post" && id > 0) {
            Entry& entry = shown[id];
            entry.order = line;
            entry.shown.id = id;
            entry.shown.pid = JsonJournalReader::IntMember(object, "pid").value_or(0);
            entry.shown.record = RecordFromPost(object);
        } else if (op == "event") {
            shown.erase(id);
        } else if (op == "delete_all") {
            JsonNode* ids = json_object_get_member(object, "ids");
            if (ids == nullptr || !JSON_NODE_HOLDS_ARRAY(ids)) continue;
            JsonArray* array = json_node_get_array(ids);
            for (guint i = 0; i < json_array_get_length(array); ++i) {
                JsonNode* element = json_array_get_element(array, i);
                if (JSON_NODE_HOLDS_VALUE(element) &&
                    json_node_get_value_type(element) == G_TYPE_INT64)
                    shown.erase(static_cast<int>(json_node_get_int(element)));
            }
        }
    }
    std::vector<Entry*> sorted;
    for (auto& item : shown) sorted.push_back(&item.second);
    std::sort(sorted.begin(), sorted.end(),
              [](const Entry* a, const Entry* b) { return a->order < b->order; });
    std::vector<Shown> result;
    for (Entry* entry : sorted) result.push_back(std::move(entry->shown));
    return result;
}

namespace {
std::optional<int> IntMember(JsonObject* object, const char* name) {
    std::optional<long> value = JsonJournalReader::IntMember(object, name);
    return value ? std::optional<int>(static_cast<int>(*value)) : std::nullopt;
}
}  // namespace

std::unique_ptr<NotificationRecord> NotificationScreen::RecordFromPost(JsonObject* post) {
    using Reader = JsonJournalReader;
    auto record = std::make_unique<NotificationRecord>(IntMember(post, "type").value_or(0));
    record->SetId(IntMember(post, "id").value_or(0));
    record->SetText(0, Reader::StringMember(post, "title"), nullptr);
    record->SetText(1, Reader::StringMember(post, "content"), nullptr);
    record->SetImage(0, Reader::StringMember(post, "image"));
    JsonNode* buttons = json_object_get_member(post, "buttons");
    if (buttons != nullptr && JSON_NODE_HOLDS_ARRAY(buttons)) {
        JsonArray* array = json_node_get_array(buttons);
        for (guint i = 0; i < json_array_get_length(array); ++i) {
            JsonNode* node = json_array_get_element(array, i);
            if (!JSON_NODE_HOLDS_OBJECT(node)) continue;
            JsonObject* button = json_node_get_object(node);
            std::optional<int> index = IntMember(button, "button");
            if (!index || !record->AddButton(*index)) continue;
            record->SetText(NotificationRecord::ButtonTextType(*index),
                            Reader::StringMember(button, "text"), nullptr);
            record->SetImage(NotificationRecord::ButtonImageType(*index),
                             Reader::StringMember(button, "image"));
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

std::vector<NotificationScreen::Shown> NotificationScreen::OnScreen() {
    std::vector<JsonNode*> lines = JsonJournalReader::ReadAll(JsonJournal::kNotifications);
    std::vector<Shown> result = OnScreen(lines);
    for (JsonNode* node : lines) json_node_unref(node);
    return result;
}

}  // namespace brelta::host
