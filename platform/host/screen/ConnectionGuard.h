#ifndef BRELTA_SCREEN_CONNECTIONGUARD_H
#define BRELTA_SCREEN_CONNECTIONGUARD_H

#include <gio/gio.h>
#include <libsoup/soup.h>

#include <list>
#include <string>

namespace brelta::screen {

// Accepts the screen's connections and hands each to the SoupServer, so that no client can
// hold them: libsoup keeps a connection for as long as its client does (a request sent in
// part, a keep-alive never used again, an end the client closed and no one reads), and
// anyone on the machine can connect without the token. So every connection has a deadline,
// their number is capped in all and per client address, and when the cap is reached the
// oldest connection that is not a page's event stream gives way to the new one: on
// 127.0.0.1 every local user is the same client, and the owner's request must still get in.
class ConnectionGuard {
public:
    // Connections at once, in all. Lowered at start to the file descriptors the process may
    // open, less kReservedFds.
    static constexpr size_t kMaxConnections = 64;
    // Connections at once from one client address, so that one remote machine (with
    // --listen) cannot take the rest.
    static constexpr size_t kMaxPerClient = 32;
    // From accept to the answer written: a request and its answer are at most a few KiB
    // each way, which a client on this machine sends and reads in milliseconds. Only an event
    // stream outlives it, once its token was checked (ScreenServer bounds what it holds back).
    static constexpr guint kRequestMs = 5000;
    // Descriptors left to the rest of the server: the runs' pidfds and spawn pipes, the
    // toasts' pidfds, the inotify instance, the files it reads.
    static constexpr long kReservedFds = 32;
    // Connections the kernel may hold before they are accepted.
    static constexpr int kBacklog = 64;
    // After accept failed for want of descriptors, the listener rests this long.
    static constexpr guint kRetryMs = 100;

    explicit ConnectionGuard(SoupServer* server) : m_Server(server) {}
    ~ConnectionGuard();
    ConnectionGuard(const ConnectionGuard&) = delete;
    ConnectionGuard& operator=(const ConnectionGuard&) = delete;

    // Listens on address:port (0: a free port); false with *error when it cannot.
    bool Listen(GInetAddress* address, unsigned port, std::string* error);
    unsigned Port() const { return m_Port; }
    size_t Limit() const { return m_Limit; }

    // The connection of msg may stay open past its deadline and no new connection takes its
    // place: it is an event stream of a page that showed the token.
    void KeepOpen(SoupServerMessage* msg);
    // Ends the connection of msg now.
    void Close(SoupServerMessage* msg);

private:
    struct Connection {
        ConnectionGuard* guard;
        GSocketConnection* stream;  // not owned: libsoup drops it when it is done
        GSocketAddress* remote;     // owned: names the connection of a message
        std::string client;
        guint deadline = 0;
        bool kept = false;
    };
    using Entry = std::list<Connection>::iterator;

    static gboolean OnIncoming(GSocket* socket, GIOCondition condition, gpointer self);
    static gboolean OnRetry(gpointer self);
    static gboolean OnDeadline(gpointer connection);
    static void OnGone(gpointer connection, GObject* stream);
    // Accepts one connection; false when none was waiting (or none could be taken).
    bool Accept();
    void WatchListener();
    // Makes room for a connection of `client`; false when there is none to make.
    bool MakeRoom(const std::string& client);
    // Shuts the oldest connection that is not kept open; false when there is none.
    bool ShutOldest();
    void Shut(Connection* connection);
    void Forget(Connection* connection);
    Connection* Find(SoupServerMessage* msg);

    SoupServer* m_Server;
    GSocket* m_Listener = nullptr;
    GSource* m_Source = nullptr;
    guint m_Retry = 0;
    unsigned m_Port = 0;
    size_t m_Limit = kMaxConnections;
    // Oldest first.
    std::list<Connection> m_Connections;
};

}  // namespace brelta::screen

#endif
