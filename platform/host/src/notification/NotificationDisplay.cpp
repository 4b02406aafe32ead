#include "notification/NotificationDisplay.h"

#include "notification/NotificationView.h"

namespace brelta::host {

bool EmulatedNotificationDisplay::Show(int, const NotificationRecord& record) {
    NotificationView::ShowPost(record);
    return true;
}

void EmulatedNotificationDisplay::Delivered(int id, int event) {
    NotificationView::ShowEvent(id, event);
}

}  // namespace brelta::host
