#include "NotificationDisplay.h"

#include "DesktopToasts.h"
#include "LiveServices.h"
#include "NotificationView.h"

namespace brelta::host {

namespace {
// The emulated TV's screen is the terminal, when standard error is one.
class TerminalDisplay : public NotificationDisplay {
public:
    bool Show(int, const NotificationRecord& record) override {
        NotificationView::ShowPost(record);
        return true;
    }
    void Close(int) override {}
    void Delivered(int id, int event) override { NotificationView::ShowEvent(id, event); }
    bool TimesOut() const override { return false; }
};
}  // namespace

NotificationDisplay& NotificationDisplay::Current() {
    // Never freed: the toast's exit-time destructor still deletes through the display.
    static NotificationDisplay* terminal = new TerminalDisplay();
    if (LiveServices::IsLive(LiveServices::Service::Toast)) return DesktopToasts::Instance();
    return *terminal;
}

}  // namespace brelta::host
