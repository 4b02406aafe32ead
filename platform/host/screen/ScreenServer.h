#ifndef BRELTA_SCREEN_SCREENSERVER_H
#define BRELTA_SCREEN_SCREENSERVER_H

#include <libsoup/soup.h>

#include <memory>
#include <string>
#include <vector>

#include "RemoteRuns.h"
#include "RootWatch.h"
#include "ScreenState.h"

namespace brelta::screen {

// The HTTP server of the screen, in the GLib main loop: the page (compiled in), a stream of
// server-sent events that pushes every change of the device root to it, and the actions of
// its buttons and forms. Only the person who started it may use it: every request needs the
// token printed at start (or the cookie the page got with it), and a request whose Host or
// Origin is not this server's is refused, so that no other page in the browser can press
// its buttons, even through a name that resolves to 127.0.0.1.
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
    // The address to open, with the token.
    std::string Url() const;

    // Requests are small JSON objects; anything larger is refused before it is read.
    static constexpr size_t kMaxBody = 4096;
    // Pages connected at once; a further one closes the oldest (a tab long gone, most likely).
    static constexpr size_t kMaxClients = 16;

private:
    static void OnEarly(SoupServer* server, SoupServerMessage* msg, const char* path,
                        GHashTable* query, gpointer self);
    static void OnRequest(SoupServer* server, SoupServerMessage* msg, const char* path,
                          GHashTable* query, gpointer self);
    static void OnClientFinished(SoupServerMessage* msg, gpointer self);
    // Why a request is refused, or "" when it may go on; *status is the HTTP status.
    std::string Refusal(SoupServerMessage* msg, GHashTable* query, unsigned* status) const;
    bool HasToken(SoupServerMessage* msg, GHashTable* query) const;
    void ServeFile(SoupServerMessage* msg, const std::string& path, GHashTable* query);
    void OpenEvents(SoupServerMessage* msg);
    void Act(SoupServerMessage* msg, const std::string& path);
    void Send(SoupServerMessage* client, const ScreenState::Event& event);
    void Broadcast(const ScreenState::Event& event);
    std::string CookieName() const;

    Options m_Options;
    std::string m_Token;
    unsigned m_Port = 0;
    std::vector<std::string> m_Hosts;  // Host values that name this server
    SoupServer* m_Server = nullptr;
    std::unique_ptr<ScreenState> m_State;
    std::unique_ptr<RemoteRuns> m_Runs;
    std::unique_ptr<RootWatch> m_Watch;
    std::vector<SoupServerMessage*> m_Clients;
};

}  // namespace brelta::screen

#endif
