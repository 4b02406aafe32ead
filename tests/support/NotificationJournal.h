#ifndef BRELTA_TESTS_NOTIFICATIONJOURNAL_H
#define BRELTA_TESTS_NOTIFICATIONJOURNAL_H

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <vector>

#include "TempDeviceRoot.h"

namespace brelta::test {

// One JSON object of the journal.
class JournalEntry {
public:
    explicit JournalEntry(nlohmann::json node) : m_Node(std::move(node)) {}

    // Members: nullopt when missing, null or of another type (IsNull tells null apart).
    std::optional<long> Int(const char* name) const;
    std::optional<std::string> Str(const char* name) const;
    bool IsNull(const char* name) const;
    std::vector<long> Ints(const char* name) const;
    // The objects of an array member ("buttons").
    std::vector<JournalEntry> Objects(const char* name) const;

private:
    const nlohmann::json* Member(const char* name) const;
    nlohmann::json m_Node;
};

// $ROOT/notifications/journal parsed with a JSON parser: one object per line. A line that
// is not a JSON object is kept in Broken() (it must stay empty).
class NotificationJournal {
public:
    static NotificationJournal Load(const TempDeviceRoot& root);
    // Waits until a post by `pid` is journalled; its id, or 0 after `seconds`.
    static int WaitForPost(const TempDeviceRoot& root, long pid, double seconds);

    const std::vector<JournalEntry>& All() const { return m_Entries; }
    const std::vector<std::string>& Broken() const { return m_Broken; }
    std::vector<JournalEntry> Ops(const std::string& op) const;
    // The events journalled for `id`, in order.
    std::vector<int> Events(int id) const;
    // The id of the last post (0 when there is none).
    int LastPostId() const;

private:
    std::vector<JournalEntry> m_Entries;
    std::vector<std::string> m_Broken;
};

}  // namespace brelta::test

#endif
