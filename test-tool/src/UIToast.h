#ifndef BRELTA_UITOAST_H
#define BRELTA_UITOAST_H

#include <notification.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "NotiHandler.h"

// The one toast of the process: a notification with a title, a text, an optional icon and
// at most two buttons, each with a callback of its own. A toast is good for one showing:
// after any event from the platform, or after Destroy, it must be initialised again.
// Use from the main-loop thread only.
class UIToast {
public:
    UIToast();
    ~UIToast();
    UIToast(const UIToast&) = delete;
    UIToast& operator=(const UIToast&) = delete;

    // Discards any current toast and prepares a new one. `allow` is asked at every Show; an
    // empty one allows every Show.
    void Init(std::function<bool()> allow);
    // Adds the next button (two at most). An empty `image` sets no image; an empty
    // `callback` makes a press only end the toast.
    void AddButton(std::string text, std::string image, std::function<void()> callback,
                   bool isDefault);
    // True when the toast was handed to the platform. `timeout` is the hide time-out in
    // seconds, passed on as it is.
    bool Show(std::string title, std::string image, std::string content, int timeout);
    // Runs `callback` when the toast leaves the screen without a button press (hidden by
    // time-out, by the user, from outside, or deleted).
    void NotifyExit(std::function<void()> callback);
    // Removes the toast from the screen and forgets its handle, buttons and callbacks.
    void Destroy();

private:
    bool __AddButton(int button, bool isDefault);
    void __SetButtonTextAndImage(std::string text, std::string image);
    void __AddCallbacksOnButton(int button, std::function<void()> callback);
    void __InsertInMap(int event, std::function<void()> callback);
    static void __on_notification_callback(_notification* noti, int event, void* user_data);

    std::unique_ptr<NotiHandler> m_NotiHandler;
    int m_ButtonCount;
    std::function<bool()> m_AllowCallback;
    std::map<int, std::function<void()>> m_EventCallbacks;
};

// The toast of the process, constructed on the first call and destroyed at exit (which
// takes a toast still on screen away with the process). Never null.
UIToast* GetUIToastInstance();

#endif
