#include "ConnectionGuard.h"

#include <sys/resource.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>

namespace brelta::screen {

namespace {
std::string ClientOf(GSocketAddress* remote) {
    if (!G_IS_INET_SOCKET_ADDRESS(remote)) return "";
    gchar* text =
        g_inet_address_to_string(g_inet_socket_address_get_address(G_INET_SOCKET_ADDRESS(remote)));
    std::string client = text;
    g_free(text);
    return client;
}
}  // namespace

ConnectionGuard::~ConnectionGuard() {
    if (m_Retry != 0) g_source_remove(m_Retry);
    if (m_Source != nullptr) {
        g_source_destroy(m_Source);
        g_source_unref(m_Source);
    }
    for (Connection& connection : m_Connections) {
        if (connection.deadline != 0) g_source_remove(connection.deadline);
        g_object_weak_unref(G_OBJECT(connection.stream), OnGone, &connection);
        g_object_unref(connection.remote);
    }
    if (m_Listener != nullptr) {
        g_socket_close(m_Listener, nullptr);
        g_object_unref(m_Listener);
    }
}

bool ConnectionGuard::Listen(GInetAddress* address, unsigned port, std::string* error) {
    struct rlimit files = {};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur != RLIM_INFINITY) {
        long room = static_cast<long>(files.rlim_cur) - kReservedFds;
        m_Limit = static_cast<size_t>(std::clamp(room, 4L, static_cast<long>(kMaxConnections)));
    }
    GError* failure = nullptr;
    m_Listener = g_socket_new(g_inet_address_get_family(address), G_SOCKET_TYPE_STREAM,
                              G_SOCKET_PROTOCOL_TCP, &failure);
    GSocketAddress* where = g_inet_socket_address_new(address, static_cast<guint16>(port));
    if (m_Listener != nullptr) g_socket_set_listen_backlog(m_Listener, kBacklog);
    bool listening = m_Listener != nullptr && g_socket_bind(m_Listener, where, TRUE, &failure) &&
                     g_socket_listen(m_Listener, &failure);
    g_object_unref(where);
    if (!listening) {
        *error = failure->message;
        g_error_free(failure);
        return false;
    }
    g_socket_set_blocking(m_Listener, FALSE);
    GSocketAddress* local = g_socket_get_local_address(m_Listener, nullptr);
    m_Port = g_inet_socket_address_get_port(G_INET_SOCKET_ADDRESS(local));
    g_object_unref(local);
    WatchListener();
    return true;
}

void ConnectionGuard::WatchListener() {
    m_Source = g_socket_create_source(m_Listener, G_IO_IN, nullptr);
    g_source_set_callback(m_Source, G_SOURCE_FUNC(OnIncoming), this, nullptr);
    g_source_attach(m_Source, nullptr);
}

gboolean ConnectionGuard::OnIncoming(GSocket*, GIOCondition, gpointer self) {
    // All that wait, up to a bound: a client that connects faster than one a turn of the loop
    // must not fill the kernel's queue, whose overflow costs the next client a second.
    auto* guard = static_cast<ConnectionGuard*>(self);
    for (int i = 0; i < kBacklog && guard->m_Source != nullptr && guard->Accept(); ++i) {
    }
    return guard->m_Source != nullptr ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
}

gboolean ConnectionGuard::OnRetry(gpointer self) {
    auto* guard = static_cast<ConnectionGuard*>(self);
    guard->m_Retry = 0;
    guard->WatchListener();
    return G_SOURCE_REMOVE;
}

bool ConnectionGuard::Accept() {
    GError* failure = nullptr;
    GSocket* socket = g_socket_accept(m_Listener, nullptr, &failure);
    if (socket == nullptr) {
        bool no_descriptor = g_error_matches(failure, G_IO_ERROR, G_IO_ERROR_TOO_MANY_OPEN_FILES);
        g_error_free(failure);
        // None waiting, or a client that gave up before it was accepted.
        if (!no_descriptor) return false;
        // Descriptors run out before the cap (the process had fewer than it seemed): free the
        // oldest connection that may go and rest, rather than spin on a listener that stays
        // readable.
        ShutOldest();
        g_source_destroy(m_Source);
        g_source_unref(m_Source);
        m_Source = nullptr;
        m_Retry = g_timeout_add(kRetryMs, OnRetry, this);
        return false;
    }
    GSocketAddress* remote = g_socket_get_remote_address(socket, nullptr);
    GSocketAddress* local = g_socket_get_local_address(socket, nullptr);
    std::string client = remote != nullptr ? ClientOf(remote) : "";
    if (remote == nullptr || local == nullptr || !MakeRoom(client)) {
        if (remote != nullptr) g_object_unref(remote);
        if (local != nullptr) g_object_unref(local);
        g_socket_close(socket, nullptr);
        g_object_unref(socket);
        return true;
    }
    GSocketConnection* stream = g_socket_connection_factory_create_connection(socket);
    g_object_unref(socket);
    m_Connections.push_back({this, stream, remote, client});
    Connection* connection = &m_Connections.back();
    g_object_weak_ref(G_OBJECT(stream), OnGone, connection);
    connection->deadline = g_timeout_add(kRequestMs, OnDeadline, connection);
    if (!soup_server_accept_iostream(m_Server, G_IO_STREAM(stream), local, remote, nullptr))
        Shut(connection);
    g_object_unref(local);
    // libsoup holds the stream from here; OnGone follows it.
    g_object_unref(stream);
    return true;
}

bool ConnectionGuard::MakeRoom(const std::string& client) {
    size_t mine = 0;
    Connection* oldest_mine = nullptr;
    for (Connection& connection : m_Connections) {
        if (connection.client != client) continue;
        ++mine;
        if (!connection.kept && oldest_mine == nullptr) oldest_mine = &connection;
    }
    if (mine >= kMaxPerClient) {
        if (oldest_mine == nullptr) return false;
        Shut(oldest_mine);
        return true;
    }
    return m_Connections.size() < m_Limit || ShutOldest();
}

bool ConnectionGuard::ShutOldest() {
    for (Connection& connection : m_Connections)
        if (!connection.kept) {
            Shut(&connection);
            return true;
        }
    return false;
}

void ConnectionGuard::Shut(Connection* connection) {
    // Shut down rather than closed: libsoup's own reads and writes on it fail at once, and
    // it lets go of the connection without a descriptor reused under it.
    g_socket_shutdown(g_socket_connection_get_socket(connection->stream), TRUE, TRUE, nullptr);
    Forget(connection);
}

void ConnectionGuard::Forget(Connection* connection) {
    if (connection->deadline != 0) g_source_remove(connection->deadline);
    if (connection->stream != nullptr)
        g_object_weak_unref(G_OBJECT(connection->stream), OnGone, connection);
    g_object_unref(connection->remote);
    m_Connections.remove_if([connection](const Connection& c) { return &c == connection; });
}

gboolean ConnectionGuard::OnDeadline(gpointer data) {
    auto* connection = static_cast<Connection*>(data);
    connection->deadline = 0;
    if (!connection->kept) connection->guard->Shut(connection);
    return G_SOURCE_REMOVE;
}

void ConnectionGuard::OnGone(gpointer data, GObject*) {
    auto* connection = static_cast<Connection*>(data);
    connection->stream = nullptr;  // being finalized
    connection->guard->Forget(connection);
}

ConnectionGuard::Connection* ConnectionGuard::Find(SoupServerMessage* msg) {
    GSocketAddress* remote = soup_server_message_get_remote_address(msg);
    for (Connection& connection : m_Connections)
        if (connection.remote == remote) return &connection;
    return nullptr;
}

void ConnectionGuard::KeepOpen(SoupServerMessage* msg) {
    Connection* connection = Find(msg);
    if (connection == nullptr) return;
    connection->kept = true;
    if (connection->deadline != 0) g_source_remove(connection->deadline);
    connection->deadline = 0;
}

void ConnectionGuard::Close(SoupServerMessage* msg) {
    Connection* connection = Find(msg);
    if (connection != nullptr) Shut(connection);
}

}  // namespace brelta::screen
