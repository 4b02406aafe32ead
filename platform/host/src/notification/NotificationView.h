#ifndef BRELTA_HOST_NOTIFICATIONVIEW_H
#define BRELTA_HOST_NOTIFICATIONVIEW_H

#include <string>

#include "notification/NotificationRecord.h"

namespace brelta::host {

// How a person at the terminal sees the notification service: each post as a small box
// with its title, content and buttons (the default one marked), each event as one line.
class NotificationView {
public:
    static void ShowPost(const NotificationRecord& record);
    static void ShowEvent(int id, int event);
    // The box of a post, as drawn (exposed so that its layout can be checked), with the
    // command that presses each button on the device root `root`.
    static std::string Box(const NotificationRecord& record, const std::string& root);
    static const char* EventName(int event);
};

}  // namespace brelta::host

#endif
