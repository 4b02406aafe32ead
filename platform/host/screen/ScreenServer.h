#ifndef BRELTA_SCREEN_SCREENSERVER_H
#define BRELTA_SCREEN_SCREENSERVER_H

#include <libsoup/soup.h>

#include <memory>
#include <string>
#include <vector>

#include "ConnectionGuard.h"
#include "RemoteRuns.h"
#include "RootWatch.h"
#include "ScreenState.h"

namespace brelta::screen {

// The HTTP server of the screen, in the GLib main loop: the page (compiled in), a stream of
// server-sent events that pushes every change of the device root to it, and the actions of
// its buttons and forms. Only the person who started it may use it: every request but the
// page's own files needs the token printed at start, in a header that the page sends and no
// page of another origin can (the token never goes into a cookie, which the browser would
// send to every port of the host), and a request whose Host or Origin is not this server's
// is refused, so that no other page can press its buttons, even through a name that
// resolves to this address.
class ScreenServer {
public:
    struct Options {
        std::string listen = "127.0.0.1";
        unsigned port = 0;  // 0: any free port
        std::string tool;   // the tool that the remote runs
    };
    explicit ScreenServer(Options options);
    ~ScreenServer();
    ScreenServer(const ScreenServer&) = delete;
    ScreenServer& operator=(const ScreenServer&) = delete;

    // Listens and starts following the device root; false with *error when it cannot.
    bool Start(std::string* error);
    // The address to open, with the token in its fragment, which the browser never sends.
    std::string Url() const;
    RemoteRuns& Runs() { return *m_Runs; }
    // Listening on a loopback address, which only this machine reaches.
    bool Local() const { return g_inet_address_get_is_loopback(m_Address); }

    static constexpr const char* kTokenHeader = "X-Brelta-Token";
    // Requests are small JSON objects; anything larger is refused before it is read.
    static constexpr size_t kMaxBody = 4096;
    // Event streams at once; a further one closes the oldest (a tab long gone, most likely).
    static constexpr size_t kMaxStreams = 8;
    // What one event stream may hold back, unsent, beyond the state it got on connecting: a
    // page that stops reading is dropped when it would fall further behind, and its next
    // connection starts from the state of then. A page that reads keeps nothing back.
    static constexpr size_t kMaxStreamBacklog = 2 * 1024 * 1024;

private:
    struct Stream {
        SoupServerMessage* msg;
        size_t queued;  // bytes appended and not yet written
    };

    static void OnEarly(SoupServer* server, SoupServerMessage* msg, const char* path,
                        GHashTable* query, gpointer self);
    static void OnRequest(SoupServer* server, SoupServerMessage* msg, const char* path,
                          GHashTable* query, gpointer self);
    static void OnStreamFinished(SoupServerMessage* msg, gpointer self);
    static void OnStreamWrote(SoupServerMessage* msg, guint size, gpointer self);
    // Why a request is refused, or "" when it may go on; *status is the HTTP status.
    std::string Refusal(SoupServerMessage* msg, const char* path, unsigned* status) const;
    // Whether a Host header's value (or an Origin's after "http://") names this server.
    bool NamesUs(const char* host) const;
    void ServeFile(SoupServerMessage* msg, const std::string& path);
    void OpenEvents(SoupServerMessage* msg);
    void Act(SoupServerMessage* msg, const std::string& path);
    std::string Hello() const;
    // Queues an event on a stream; a stream that would hold back more than its bound is
    // dropped instead, unless `whole` (the state a new stream starts from).
    void Send(Stream* stream, const ScreenState::Event& event, bool whole);
    void Broadcast(const ScreenState::Event& event);
    void Drop(SoupServerMessage* msg);
    Stream* FindStream(SoupServerMessage* msg);

    Options m_Options;
    std::string m_Token;
    GInetAddress* m_Address = nullptr;
    unsigned m_Port = 0;
    SoupServer* m_Server = nullptr;
    std::unique_ptr<ConnectionGuard> m_Guard;
    std::unique_ptr<ScreenState> m_State;
    std::unique_ptr<RemoteRuns> m_Runs;
    std::unique_ptr<RootWatch> m_Watch;
    std::vector<Stream> m_Streams;
};

}  // namespace brelta::screen

#endif
