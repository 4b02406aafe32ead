#ifndef BRELTA_HOST_NOTIFICATIONREPLAY_H
#define BRELTA_HOST_NOTIFICATIONREPLAY_H

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "JsonJournalReader.h"
#include "notification/NotificationRecord.h"

namespace brelta::host {

// The notification journal ($ROOT/notifications/journal) replayed line by line, oldest first,
// to tell what the emulated TV shows now: every process on the root appends its posts,
// deletions and delivered events to it, and no file holds the screen itself.
class NotificationReplay {
public:
    using Json = JsonJournalReader::Json;
    struct Shown {
        int id = 0;
        long long pid = 0;
        std::unique_ptr<NotificationRecord> record;  // as its latest post left it
        Json post;                                   // that post's journal line
    };

    // Takes one journal line into account, oldest first.
    void Apply(const Json& line);
    // The notifications on screen after the lines so far: posted and since then neither
    // deleted (delete_all) nor ended by an event (a press, a hide, a time-out), in the order
    // of their latest posts.
    std::vector<Shown> Now() const;

    // The same from the journal of the device root; false when it cannot be read.
    static bool Read(std::vector<Shown>* shown, JsonJournalReader::Skipped* skipped,
                     std::string* error);
    // The record that a journalled post line describes (its id included); members that are
    // missing, null or of another kind stay unset.
    static std::unique_ptr<NotificationRecord> RecordFromPost(const Json& post);
    // A notification id of a journal line: 0 unless it is one the service could have given.
    static int Id(const Json& line, const char* member = "id");

private:
    struct Entry {
        size_t order;  // of the latest post
        long long pid;
        Json post;
    };
    std::map<int, Entry> m_Shown;
    size_t m_Lines = 0;
};

}  // namespace brelta::host

#endif
