#ifndef BRELTA_HOST_NOTIFICATIONSCREEN_H
#define BRELTA_HOST_NOTIFICATIONSCREEN_H

#include <json-glib/json-glib.h>

#include <memory>
#include <string>
#include <vector>

#include "NotificationRecord.h"

namespace brelta::host {

// What the emulated TV shows, read back from the journal of the notification service,
// $ROOT/notifications/journal: every process on the root appends its posts, deletions and
// delivered events to it, so it alone tells what is on screen.
class NotificationScreen {
public:
    struct Shown {
        int id = 0;
        long pid = 0;
        std::unique_ptr<NotificationRecord> record;  // as its latest post left it
    };

    // The notifications on screen: posted and since then neither deleted (delete_all) nor
    // ended by an event (a press, a hide, a time-out), in the order of their latest posts.
    static std::vector<Shown> OnScreen();
    // The same from journal lines (JSON objects), oldest first.
    static std::vector<Shown> OnScreen(const std::vector<JsonNode*>& lines);
    // The record that a journalled post line describes (its id included); members that are
    // missing, null or of another kind stay unset.
    static std::unique_ptr<NotificationRecord> RecordFromPost(JsonObject* post);
};

}  // namespace brelta::host

#endif
