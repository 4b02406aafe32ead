#include "NotificationJournal.h"

#include <glib.h>

#include <sstream>

namespace brelta::test {

JsonNode* JournalEntry::Member(const char* name) const {
    if (!JSON_NODE_HOLDS_OBJECT(m_Node.get())) return nullptr;
    return json_object_get_member(json_node_get_object(m_Node.get()), name);
}

namespace {
JsonNode* OfType(JsonNode* node, GType type) {
    return node != nullptr && JSON_NODE_HOLDS_VALUE(node) && json_node_get_value_type(node) == type
               ? node
               : nullptr;
}
}  // namespace

std::optional<long> JournalEntry::Int(const char* name) const {
    JsonNode* value = OfType(Member(name), G_TYPE_INT64);
    if (value == nullptr) return std::nullopt;
    return static_cast<long>(json_node_get_int(value));
}

std::optional<std::string> JournalEntry::Str(const char* name) const {
    JsonNode* value = OfType(Member(name), G_TYPE_STRING);
    if (value == nullptr) return std::nullopt;
    return std::string(json_node_get_string(value));
}

bool JournalEntry::IsNull(const char* name) const {
    JsonNode* member = Member(name);
    return member != nullptr && JSON_NODE_HOLDS_NULL(member);
}

std::vector<long> JournalEntry::Ints(const char* name) const {
    std::vector<long> values;
    for (const JournalEntry& element : Objects(name))
        if (JsonNode* value = OfType(element.m_Node.get(), G_TYPE_INT64))
            values.push_back(static_cast<long>(json_node_get_int(value)));
    return values;
}

std::vector<JournalEntry> JournalEntry::Objects(const char* name) const {
    std::vector<JournalEntry> elements;
    JsonNode* member = Member(name);
    if (member == nullptr || !JSON_NODE_HOLDS_ARRAY(member)) return elements;
    JsonArray* array = json_node_get_array(member);
    for (guint i = 0; i < json_array_get_length(array); ++i)
        // Shares the ownership of the whole line.
        elements.emplace_back(std::shared_ptr<JsonNode>(m_Node, json_array_get_element(array, i)));
    return elements;
}

NotificationJournal NotificationJournal::Load(const TempDeviceRoot& root) {
    NotificationJournal journal;
    std::istringstream lines(root.Read("notifications/journal"));
    for (std::string line; std::getline(lines, line);) {
        JsonNode* node = json_from_string(line.c_str(), nullptr);
        if (node != nullptr && JSON_NODE_HOLDS_OBJECT(node)) {
            journal.m_Entries.emplace_back(std::shared_ptr<JsonNode>(node, json_node_unref));
            continue;
        }
        if (node != nullptr) json_node_unref(node);
        journal.m_Broken.push_back(line);
    }
    return journal;
}

int NotificationJournal::WaitForPost(const TempDeviceRoot& root, long pid, double seconds) {
    gint64 deadline = g_get_monotonic_time() + static_cast<gint64>(seconds * 1e6);
    do {
        for (const JournalEntry& post : Load(root).Ops("post"))
            if (post.Int("pid") == pid) return static_cast<int>(post.Int("id").value_or(0));
        g_usleep(10 * 1000);
    } while (g_get_monotonic_time() < deadline);
    return 0;
}

std::vector<JournalEntry> NotificationJournal::Ops(const std::string& op) const {
    std::vector<JournalEntry> found;
    for (const JournalEntry& entry : m_Entries)
        if (entry.Str("op") == op) found.push_back(entry);
    return found;
}

std::vector<int> NotificationJournal::Events(int id) const {
    std::vector<int> events;
    for (const JournalEntry& event : Ops("event"))
        if (event.Int("id") == id)
            events.push_back(static_cast<int>(event.Int("event").value_or(-1)));
    return events;
}

int NotificationJournal::LastPostId() const {
    std::vector<JournalEntry> posts = Ops("post");
    return posts.empty() ? 0 : static_cast<int>(posts.back().Int("id").value_or(0));
}

}  // namespace brelta::test
