#include "notification/DesktopNotifications.h"

#include <errno.h>
#include <gio/gio.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

#include "base/VisibleText.h"

namespace brelta::host {

namespace {
const char kName[] = "org.freedesktop.Notifications";
const char kPath[] = "/org/freedesktop/Notifications";
const char kBusName[] = "org.freedesktop.DBus";

// One attempt to connect to the session bus. The caller waits for it a bounded time; the
// thread that makes it may take longer (a bus that accepts and never answers), and then the
// next caller takes what it made instead of starting another.
struct Attempt {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    GDBusConnection* connection = nullptr;
    std::string error;
    pid_t pid = getpid();
};

std::mutex g_desktopNotificationsMutex;
GDBusConnection* g_connection = nullptr;  // referenced
pid_t g_connectionPid = 0;
std::shared_ptr<Attempt> g_attempt;
DesktopNotifications::Listener* g_listener = nullptr;

std::string Utf8(const std::string& text) {
    gchar* valid = g_utf8_make_valid(text.c_str(), static_cast<gssize>(text.size()));
    std::string result(valid);
    g_free(valid);
    return result;
}

std::string Message(GError* error) {
    g_dbus_error_strip_remote_error(error);
    std::string message = error->message;
    g_error_free(error);
    return message;
}

void MakeConnection(std::shared_ptr<Attempt> attempt) {
    GError* error = nullptr;
    gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    GDBusConnection* connection = nullptr;
    if (address != nullptr)
        connection = g_dbus_connection_new_for_address_sync(
            address,
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, &error);
    g_free(address);
    std::lock_guard<std::mutex> lock(attempt->mutex);
    attempt->connection = connection;
    if (connection == nullptr) attempt->error = Message(error);
    attempt->done = true;
    attempt->finished.notify_all();
}

void OnSignal(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* member,
              GVariant* parameters, gpointer) {
    if (g_listener == nullptr) return;
    guint32 id = 0;
    if (g_strcmp0(member, "ActionInvoked") == 0 &&
        g_variant_is_of_type(parameters, G_VARIANT_TYPE("(us)"))) {
        const gchar* key = nullptr;
        g_variant_get(parameters, "(u&s)", &id, &key);
        g_listener->ActionInvoked(id, key);
    } else if (g_strcmp0(member, "NotificationClosed") == 0 &&
               g_variant_is_of_type(parameters, G_VARIANT_TYPE("(uu)"))) {
        guint32 reason = 0;
        g_variant_get(parameters, "(uu)", &id, &reason);
        g_listener->Closed(id, reason);
    }
}

void OnOwnerChanged(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                    GVariant* parameters, gpointer) {
    if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(sss)"))) return;
    const gchar* owner = nullptr;
    g_variant_get(parameters, "(&s&s&s)", nullptr, nullptr, &owner);
    if (*owner == '\0' && g_listener != nullptr)
        g_listener->ServerGone("the notification server left the session bus");
}

void OnClosed(GDBusConnection* connection, gboolean, GError*, gpointer) {
    {
        std::lock_guard<std::mutex> lock(g_desktopNotificationsMutex);
        if (g_connection != connection) return;
        g_connection = nullptr;
    }
    g_object_unref(connection);
    if (g_listener != nullptr) g_listener->ServerGone("the session bus closed the connection");
}

// Signals reach the listener on the caller's main context: the caller is the one that
// posts, and it runs that context's loop.
void Subscribe(GDBusConnection* connection) {
    for (const char* member : {"ActionInvoked", "NotificationClosed"})
        g_dbus_connection_signal_subscribe(connection, kName, kName, member, kPath, nullptr,
                                           G_DBUS_SIGNAL_FLAGS_NONE, OnSignal, nullptr, nullptr);
    g_dbus_connection_signal_subscribe(connection, kBusName, kBusName, "NameOwnerChanged",
                                       "/org/freedesktop/DBus", kName, G_DBUS_SIGNAL_FLAGS_NONE,
                                       OnOwnerChanged, nullptr, nullptr);
    g_signal_connect(connection, "closed", G_CALLBACK(OnClosed), nullptr);
}

// The connection, referenced; null with the reason when there is none within the bound.
GDBusConnection* Connect(std::string* reason) {
    std::lock_guard<std::mutex> lock(g_desktopNotificationsMutex);
    pid_t pid = getpid();
    // A parent's connection is left alone, unreferenced: its worker thread is not in this
    // process, so even closing it would wait for nothing.
    if (g_connection != nullptr && g_connectionPid != pid) g_connection = nullptr;
    if (g_attempt != nullptr && g_attempt->pid != pid) g_attempt = nullptr;
    if (g_connection != nullptr) return G_DBUS_CONNECTION(g_object_ref(g_connection));
    if (g_attempt == nullptr) {
        g_attempt = std::make_shared<Attempt>();
        std::thread(MakeConnection, g_attempt).detach();
    }
    std::shared_ptr<Attempt> attempt = g_attempt;
    std::unique_lock<std::mutex> waiting(attempt->mutex);
    if (!attempt->finished.wait_for(waiting,
                                    std::chrono::milliseconds(DesktopNotifications::kTimeoutMs),
                                    [&] { return attempt->done; })) {
        *reason = "the session bus did not answer within " +
                  std::to_string(DesktopNotifications::kTimeoutMs) + " ms";
        return nullptr;
    }
    g_attempt = nullptr;
    if (attempt->connection == nullptr) {
        *reason = "no session bus: " + attempt->error;
        return nullptr;
    }
    g_connection = attempt->connection;
    g_connectionPid = pid;
    Subscribe(g_connection);
    return G_DBUS_CONNECTION(g_object_ref(g_connection));
}

// Calls a method of the server; the reply (or null, with the reason). Takes `parameters`.
GVariant* Call(const char* method, GVariant* parameters, const char* replyType,
               std::string* reason) {
    if (parameters != nullptr) g_variant_ref_sink(parameters);
    GDBusConnection* connection = Connect(reason);
    GVariant* reply = nullptr;
    if (connection != nullptr) {
        GError* error = nullptr;
        reply = g_dbus_connection_call_sync(connection, kName, kPath, kName, method, parameters,
                                            G_VARIANT_TYPE(replyType), G_DBUS_CALL_FLAGS_NONE,
                                            DesktopNotifications::kTimeoutMs, nullptr, &error);
        if (reply == nullptr)
            *reason = std::string("the notification server did not take ") + method + ": " +
                      Message(error);
        g_object_unref(connection);
    }
    if (parameters != nullptr) g_variant_unref(parameters);
    return reply;
}

bool Capabilities(std::vector<std::string>* capabilities, std::string* reason) {
    GVariant* reply = Call("GetCapabilities", nullptr, "(as)", reason);
    if (reply == nullptr) return false;
    GVariantIter* iter = nullptr;
    const gchar* capability = nullptr;
    g_variant_get(reply, "(as)", &iter);
    while (g_variant_iter_loop(iter, "&s", &capability)) capabilities->push_back(capability);
    g_variant_iter_free(iter);
    g_variant_unref(reply);
    return true;
}

bool Has(const std::vector<std::string>& capabilities, const char* capability) {
    return std::find(capabilities.begin(), capabilities.end(), capability) != capabilities.end();
}

bool ActionsMissing(const std::vector<std::string>& capabilities, std::string* reason) {
    if (Has(capabilities, "actions")) return false;
    *reason = "the notification server has no \"actions\" capability: no button could be pressed";
    return true;
}

// The icon as the server takes it: a file as a file URI, anything else as an icon name.
std::string Icon(const std::string& icon) {
    if (!g_path_is_absolute(icon.c_str())) return Utf8(icon);
    gchar* uri = g_filename_to_uri(icon.c_str(), nullptr, nullptr);
    std::string result = uri != nullptr ? uri : "";
    g_free(uri);
    return result;
}
}  // namespace

bool DesktopNotifications::Notify(const Notice& notice, guint32* id, std::string* reason) {
    std::vector<std::string> capabilities;
    if (!Capabilities(&capabilities, reason)) return false;
    if (!notice.actions.empty() && ActionsMissing(capabilities, reason)) return false;
    GVariantBuilder actions;
    g_variant_builder_init(&actions, G_VARIANT_TYPE("as"));
    for (const auto& action : notice.actions) {
        g_variant_builder_add(&actions, "s", Utf8(action.first).c_str());
        g_variant_builder_add(&actions, "s", Utf8(action.second).c_str());
    }
    GVariantBuilder hints;
    g_variant_builder_init(&hints, G_VARIANT_TYPE("a{sv}"));
    g_variant_builder_add(&hints, "{sv}", "urgency", g_variant_new_byte(notice.urgency));
    // A server that reads mark-up in the body would take a '<' of plain text for a tag.
    std::string body = Utf8(notice.body);
    if (Has(capabilities, "body-markup")) {
        gchar* escaped = g_markup_escape_text(body.c_str(), -1);
        body = escaped;
        g_free(escaped);
    }
    GVariant* parameters =
        g_variant_new("(susssasa{sv}i)", program_invocation_short_name, notice.replaces,
                      Icon(notice.icon).c_str(), Utf8(notice.summary).c_str(), body.c_str(),
                      &actions, &hints, notice.expireMs);
    GVariant* reply = Call("Notify", parameters, "(u)", reason);
    if (reply == nullptr) return false;
    g_variant_get(reply, "(u)", id);
    g_variant_unref(reply);
    return true;
}

bool DesktopNotifications::Close(guint32 id, std::string* reason) {
    GVariant* reply = Call("CloseNotification", g_variant_new("(u)", id), "()", reason);
    if (reply == nullptr) return false;
    g_variant_unref(reply);
    return true;
}

bool DesktopNotifications::Check(bool needActions, std::string* reason) {
    std::vector<std::string> capabilities;
    if (!Capabilities(&capabilities, reason)) return false;
    return !(needActions && ActionsMissing(capabilities, reason));
}

void DesktopNotifications::Listen(Listener* listener) {
    g_listener = listener;
}

void DesktopNotifications::Warn(const char* service, const std::string& reason) {
    std::string line =
        std::string("brelta: ") + service + ": " + VisibleText::Escape(reason) + "\n";
    std::fputs(line.c_str(), stderr);
}

}  // namespace brelta::host
