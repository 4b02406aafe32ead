#ifndef BRELTA_HOST_NOTIFICATIONINPUT_H
#define BRELTA_HOST_NOTIFICATIONINPUT_H

#include <string>

namespace brelta::host {

// The way a person or a test acts on a shown notification: creating
// $ROOT/notifications/input/<id> with an event number in it. The directory is watched with
// the kernel's file notifications (FileWatch, no polling); what each file asks for is decided
// by NotificationService, which knows which ids this process posted.
class NotificationInput {
public:
    // Starts watching `dir` on the thread-default main context; every file that is created,
    // written, moved in or renamed there is handed to NotificationService::TakeInput with
    // `serial`. Returns the watch (FileWatch's id), 0 when the directory cannot be watched.
    static unsigned Watch(const std::string& dir, unsigned serial);
    static void Stop(unsigned watch);

    static constexpr const char* kRelativeDir = "notifications/input";
    // The input directory, $ROOT/notifications/input, and the file that acts on `id`.
    static std::string Dir();
    static std::string Path(int id);

    // The id that a file name stands for: decimal digits without a leading zero, > 0.
    static bool ParseId(const std::string& name, int* id);
    // The event that a file's content asks for: 0, 1, 100 or 102, blanks around it allowed.
    // Unless the writer is known to be done (`complete`), only a content that ends with a
    // newline is taken, so "10" of a "100" still being written is not read as an event.
    static bool ParseEvent(const std::string& content, bool complete, int* event);
};

}  // namespace brelta::host

#endif
