#include "notification/NotificationService.h"

#include <glib.h>
#include <unistd.h>

#include <map>
#include <mutex>
#include <vector>

#include "base/DeviceRoot.h"
#include "base/FileUtil.h"
#include "base/JsonJournal.h"
#include "notification/NotificationDisplay.h"
#include "notification/NotificationIds.h"
#include "notification/NotificationInput.h"
#include "notification/NotificationRecord.h"

namespace brelta::host {

namespace {
const char* const kJournal = JsonJournal::kNotifications;
const char* const kInputDir = NotificationInput::kRelativeDir;
// Not events: ask to look at the input file of a newly posted id. At once, a file is taken
// only when it ends with a newline: its writer may still be at work, and the watch will see
// it finish. A file without one that was complete before the watch began gives no further
// file event, so it is taken a while later as it stands.
constexpr int kLookAtInput = -1;
constexpr int kLookAtInputLater = -2;
constexpr guint kLookAgainMs = 1000;

// One notification that this process posted, as its latest post left it.
struct Posted {
    notification_h handle = nullptr;  // null once the handle was freed
    event_handler_cb callback = nullptr;
    void* userdata = nullptr;
    GMainContext* context = nullptr;  // referenced
    GSource* hideTimer = nullptr;     // referenced; null when no time-out is pending
    // Where it was shown: its closing and its events go there, whatever the process would
    // choose by now.
    NotificationDisplay* display = nullptr;
    int type = 0;
    bool shown = false;
};

struct State {
    std::string root;
    // Changes with the root, so that sources made for an old root find nothing to do.
    unsigned serial = 0;
    std::map<int, Posted> posted;
    unsigned watch = 0;  // of the input directory
};

struct Pending {
    unsigned serial;
    int id;
    int event;
};

std::mutex g_notificationServiceMutex;
// Never freed: the toast's exit-time destructor still deletes through the service.
State* g_state = nullptr;

void CancelTimer(Posted& posted) {
    if (posted.hideTimer == nullptr) return;
    g_source_destroy(posted.hideTimer);
    g_source_unref(posted.hideTimer);
    posted.hideTimer = nullptr;
}

void Hide(Posted& posted) {
    posted.shown = false;
    CancelTimer(posted);
}

State& CurrentLocked() {
    if (g_state == nullptr) g_state = new State();
    const std::string& root = DeviceRoot::Path();
    if (g_state->serial == 0 || g_state->root != root) {
        for (auto& entry : g_state->posted) {
            CancelTimer(entry.second);
            if (entry.second.context != nullptr) g_main_context_unref(entry.second.context);
        }
        g_state->posted.clear();
        NotificationInput::Stop(g_state->watch);
        g_state->watch = 0;
        g_state->root = root;
        ++g_state->serial;
    }
    return *g_state;
}

bool JournalEvent(int id, int event) {
    JsonLine line;
    line.BeginObject().Member("op").String("event");
    line.Member("id").Int(id).Member("pid").Int(getpid()).Member("event").Int(event);
    return JsonJournal::Append(kJournal, line.EndObject());
}

bool JournalPost(const NotificationRecord& record) {
    JsonLine line;
    line.BeginObject().Member("op").String("post");
    line.Member("id").Int(record.Id()).Member("pid").Int(getpid());
    record.AddPostMembers(line);
    return JsonJournal::Append(kJournal, line.EndObject());
}

bool JournalDeleteAll(int type, const std::vector<int>& ids) {
    JsonLine line;
    line.BeginObject().Member("op").String("delete_all");
    line.Member("pid").Int(getpid()).Member("type").Int(type);
    line.Member("ids").BeginArray();
    for (int id : ids) line.Int(id);
    line.EndArray();
    return JsonJournal::Append(kJournal, line.EndObject());
}

// Calls the callback of the latest post of `id`, unless the state has moved on.
void Deliver(const Pending& pending) {
    event_handler_cb callback = nullptr;
    void* userdata = nullptr;
    notification_h handle = nullptr;
    NotificationDisplay* display = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_notificationServiceMutex);
        State& state = CurrentLocked();
        if (state.serial != pending.serial) return;
        auto it = state.posted.find(pending.id);
        if (it == state.posted.end()) return;
        callback = it->second.callback;
        userdata = it->second.userdata;
        handle = it->second.handle;
        display = it->second.display;
    }
    JournalEvent(pending.id, pending.event);
    display->Delivered(pending.id, pending.event);
    // Without the lock: the callback may post, delete or free again.
    callback(handle, pending.event, userdata);
}

gboolean DeliverFromIdle(gpointer data) {
    const Pending& pending = *static_cast<Pending*>(data);
    if (pending.event == kLookAtInput || pending.event == kLookAtInputLater)
        NotificationService::TakeInput(std::to_string(pending.id),
                                       pending.event == kLookAtInputLater, pending.serial);
    else
        Deliver(pending);
    return G_SOURCE_REMOVE;
}

void DeletePending(gpointer data) {
    delete static_cast<Pending*>(data);
}

// Events are never delivered from inside the caller's own call: always from its main loop.
void ScheduleLocked(const State& state, int id, int event, guint delayMs = 0) {
    auto it = state.posted.find(id);
    if (it == state.posted.end()) return;
    GSource* source = delayMs > 0 ? g_timeout_source_new(delayMs) : g_idle_source_new();
    g_source_set_priority(source, G_PRIORITY_DEFAULT);
    g_source_set_callback(source, DeliverFromIdle, new Pending{state.serial, id, event},
                          DeletePending);
    g_source_attach(source, it->second.context);
    g_source_unref(source);
}

gboolean HideTimeoutFired(gpointer data) {
    Pending pending = *static_cast<Pending*>(data);
    {
        std::lock_guard<std::mutex> lock(g_notificationServiceMutex);
        State& state = CurrentLocked();
        if (state.serial != pending.serial) return G_SOURCE_REMOVE;
        auto it = state.posted.find(pending.id);
        // A re-post or a deletion has replaced this timer: it is not the current one.
        if (it == state.posted.end() || it->second.hideTimer != g_main_current_source())
            return G_SOURCE_REMOVE;
        Hide(it->second);
    }
    Deliver(pending);
    return G_SOURCE_REMOVE;
}

void StartTimerLocked(const State& state, int id, Posted& posted, int seconds) {
    // Milliseconds where they fit: a timer of whole seconds may fire up to a second late.
    // Beyond that (about 50 days) nobody waits for the second.
    guint count = static_cast<guint>(seconds);
    GSource* timer = count <= G_MAXUINT / 1000u ? g_timeout_source_new(count * 1000u)
                                                : g_timeout_source_new_seconds(count);
    g_source_set_callback(timer, HideTimeoutFired,
                          new Pending{state.serial, id, NOTIFICATION_EVENT_TYPE_HIDDEN_BY_TIMEOUT},
                          DeletePending);
    g_source_attach(timer, posted.context);
    posted.hideTimer = timer;
}
}  // namespace

int NotificationService::Post(notification_h handle, event_handler_cb callback, void* userdata) {
    if (handle == nullptr || callback == nullptr) return NOTIFICATION_ERROR_INVALID_PARAMETER;
    {
        std::lock_guard<std::mutex> lock(g_notificationServiceMutex);
        State& state = CurrentLocked();
        if (handle->Id() == 0) {
            int id = NotificationIds::Next();
            if (id == 0) return NOTIFICATION_ERROR_IO_ERROR;
            handle->SetId(id);
        }
        int id = handle->Id();
        // Watching before the post is journalled: whoever reads the id from the journal
        // and presses at once is seen.
        if (state.watch == 0)
            state.watch = NotificationInput::Watch(DeviceRoot::MakeDir(kInputDir), state.serial);
        auto shown = state.posted.find(id);
        NotificationDisplay& display = shown != state.posted.end()
                                           ? *shown->second.display
                                           : Services::Get<NotificationDisplay>();
        if (!display.Show(id, *handle)) return NOTIFICATION_ERROR_IO_ERROR;
        if (!JournalPost(*handle)) {
            display.Close(id);
            return NOTIFICATION_ERROR_IO_ERROR;
        }
        bool first = state.posted.count(id) == 0;
        Posted& posted = state.posted[id];
        posted.handle = handle;
        posted.callback = callback;
        posted.userdata = userdata;
        posted.display = &display;
        GMainContext* context = g_main_context_ref_thread_default();
        if (posted.context != nullptr) g_main_context_unref(posted.context);
        posted.context = context;
        posted.type = handle->Type();
        posted.shown = true;
        CancelTimer(posted);
        if (!display.TimesOut() && handle->HideTimeout().value_or(0) > 0)
            StartTimerLocked(state, id, posted, *handle->HideTimeout());
        // The watch sees only what changes from now on; a file written for this id before
        // (by a test that knew the id in advance) is looked at here.
        if (first) {
            ScheduleLocked(state, id, kLookAtInput);
            ScheduleLocked(state, id, kLookAtInputLater, kLookAgainMs);
        }
    }
    return NOTIFICATION_ERROR_NONE;
}

int NotificationService::DeleteAll(int type) {
    std::lock_guard<std::mutex> lock(g_notificationServiceMutex);
    State& state = CurrentLocked();
    std::vector<int> ids;
    for (auto& entry : state.posted) {
        if (!entry.second.shown || entry.second.type != type) continue;
        Hide(entry.second);
        entry.second.display->Close(entry.first);
        ids.push_back(entry.first);
    }
    bool journalled = JournalDeleteAll(type, ids);
    for (int id : ids) ScheduleLocked(state, id, NOTIFICATION_EVENT_TYPE_DELETED);
    return journalled ? NOTIFICATION_ERROR_NONE : NOTIFICATION_ERROR_IO_ERROR;
}

void NotificationService::Forget(notification_h handle) {
    if (handle == nullptr || handle->Id() == 0) return;
    std::lock_guard<std::mutex> lock(g_notificationServiceMutex);
    State& state = CurrentLocked();
    auto it = state.posted.find(handle->Id());
    if (it != state.posted.end() && it->second.handle == handle) it->second.handle = nullptr;
}

void NotificationService::TakeInput(const std::string& name, bool complete, unsigned serial) {
    int id = 0;
    if (!NotificationInput::ParseId(name, &id)) return;
    std::lock_guard<std::mutex> lock(g_notificationServiceMutex);
    State& state = CurrentLocked();
    if (state.serial != serial) return;
    auto it = state.posted.find(id);
    // Another process's notification: that process takes the file.
    if (it == state.posted.end()) return;
    std::string path = state.root + "/" + kInputDir + "/" + name;
    std::string content;
    if (!FileUtil::Read(path, &content, 64)) return;
    int event = 0;
    // Unfinished or not an event: left in place for the writer to finish or correct.
    if (!NotificationInput::ParseEvent(content, complete, &event)) return;
    // Whoever removes the file delivers the event, so it is delivered once.
    if (unlink(path.c_str()) != 0) return;
    if (it->second.shown) it->second.display->Close(id);
    Hide(it->second);
    ScheduleLocked(state, id, event);
}

void NotificationService::Report(int id, int event, bool onlyIfShown) {
    std::lock_guard<std::mutex> lock(g_notificationServiceMutex);
    State& state = CurrentLocked();
    auto it = state.posted.find(id);
    if (it == state.posted.end() || (onlyIfShown && !it->second.shown)) return;
    Hide(it->second);
    ScheduleLocked(state, id, event);
}

const NotificationRecord* NotificationService::Find(int id) {
    std::lock_guard<std::mutex> lock(g_notificationServiceMutex);
    State& state = CurrentLocked();
    auto it = state.posted.find(id);
    return it != state.posted.end() ? it->second.handle : nullptr;
}

}  // namespace brelta::host
