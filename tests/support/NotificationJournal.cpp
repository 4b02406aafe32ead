#include "NotificationJournal.h"

#include <glib.h>

#include <sstream>

namespace brelta::test {

const nlohmann::json* JournalEntry::Member(const char* name) const {
    if (!m_Node.is_object()) return nullptr;
    auto it = m_Node.find(name);
    return it == m_Node.end() ? nullptr : &*it;
}

std::optional<long> JournalEntry::Int(const char* name) const {
    const nlohmann::json* value = Member(name);
    if (value == nullptr || !value->is_number_integer()) return std::nullopt;
    return value->get<long>();
}

std::optional<std::string> JournalEntry::Str(const char* name) const {
    const nlohmann::json* value = Member(name);
    if (value == nullptr || !value->is_string()) return std::nullopt;
    return value->get<std::string>();
}

bool JournalEntry::IsNull(const char* name) const {
    const nlohmann::json* member = Member(name);
    return member != nullptr && member->is_null();
}

std::vector<long> JournalEntry::Ints(const char* name) const {
    std::vector<long> values;
    const nlohmann::json* member = Member(name);
    if (member == nullptr || !member->is_array()) return values;
    for (const nlohmann::json& element : *member)
        if (element.is_number_integer()) values.push_back(element.get<long>());
    return values;
}

std::vector<JournalEntry> JournalEntry::Objects(const char* name) const {
    std::vector<JournalEntry> elements;
    const nlohmann::json* member = Member(name);
    if (member == nullptr || !member->is_array()) return elements;
    for (const nlohmann::json& element : *member) elements.emplace_back(element);
    return elements;
}

NotificationJournal NotificationJournal::Load(const TempDeviceRoot& root) {
    NotificationJournal journal;
    std::istringstream lines(root.Read("notifications/journal"));
    for (std::string line; std::getline(lines, line);) {
        nlohmann::json node = nlohmann::json::parse(line, nullptr, false);
        if (node.is_object())
            journal.m_Entries.emplace_back(std::move(node));
        else
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
