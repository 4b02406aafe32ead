#include "ScreenServer.h"

#include <sys/random.h>

#include <algorithm>
#include <cstring>

#include "DeviceRoot.h"
#include "FileUtil.h"
#include "ScreenActions.h"

extern "C" GResource* brelta_screen_get_resource(void);

namespace brelta::screen {

using json = nlohmann::ordered_json;

namespace {
constexpr const char* kResourcePrefix = "/brelta/screen";

struct PageFile {
    const char* path;
    const char* resource;
    const char* type;
};
constexpr PageFile kPageFiles[] = {
    {"/", "/index.html", "text/html; charset=utf-8"},
    {"/screen.css", "/screen.css", "text/css; charset=utf-8"},
    {"/screen.js", "/screen.js", "text/javascript; charset=utf-8"},
};

std::string NewToken() {
    unsigned char bytes[16];
    size_t got = 0;
    while (got < sizeof bytes) {
        ssize_t n = getrandom(bytes + got, sizeof bytes - got, 0);
        if (n > 0) got += static_cast<size_t>(n);
    }
    static const char hex[] = "0123456789abcdef";
    std::string token;
    for (unsigned char byte : bytes) {
        token += hex[byte >> 4];
        token += hex[byte & 15];
    }
    return token;
}

// Compares in a time that does not tell how much of a guess was right.
bool SameSecret(const std::string& a, const char* b) {
    if (b == nullptr || std::strlen(b) != a.size()) return false;
    unsigned char diff = 0;
    for (size_t i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

void Respond(SoupServerMessage* msg, unsigned status, const std::string& type,
             const std::string& body) {
    soup_server_message_set_status(msg, status, nullptr);
    soup_server_message_set_response(msg, type.c_str(), SOUP_MEMORY_COPY, body.data(), body.size());
}

void RespondJson(SoupServerMessage* msg, unsigned status, const json& body) {
    Respond(msg, status, "application/json", ScreenState::Text(body));
}
}  // namespace

ScreenServer::ScreenServer(Options options) : m_Options(std::move(options)), m_Token(NewToken()) {}

ScreenServer::~ScreenServer() {
    m_Watch.reset();
    if (m_Server != nullptr) {
        soup_server_disconnect(m_Server);
        g_object_unref(m_Server);
    }
}

std::string ScreenServer::CookieName() const {
    // Cookies are kept per host, not per port: two screens of two roots must not mix theirs.
    return "brelta_screen_" + std::to_string(m_Port);
}

bool ScreenServer::Start(std::string* error) {
    GInetAddress* address = g_inet_address_new_from_string(m_Options.listen.c_str());
    if (address == nullptr) {
        *error = "'" + m_Options.listen + "' is not an IP address";
        return false;
    }
    if (g_inet_address_get_is_any(address)) {
        // Every interface has names of its own, which the Host check could not tell from a
        // foreign page's.
        g_object_unref(address);
        *error = "listen on the address of one interface, not on all of them";
        return false;
    }
    GSocketAddress* socket = g_inet_socket_address_new(address, m_Options.port);
    g_object_unref(address);
    m_Server = soup_server_new("server-header", "brelta-device-screen", nullptr);
    GError* failure = nullptr;
    bool listening =
        soup_server_listen(m_Server, socket, static_cast<SoupServerListenOptions>(0), &failure);
    g_object_unref(socket);
    if (!listening) {
        *error = failure->message;
        g_error_free(failure);
        return false;
    }
    GSList* uris = soup_server_get_uris(m_Server);
    m_Port = uris != nullptr ? static_cast<unsigned>(g_uri_get_port(static_cast<GUri*>(uris->data)))
                             : m_Options.port;
    g_slist_free_full(uris, reinterpret_cast<GDestroyNotify>(g_uri_unref));

    std::string host = m_Options.listen.find(':') != std::string::npos
                           ? "[" + m_Options.listen + "]"
                           : m_Options.listen;
    m_Hosts = {host + ":" + std::to_string(m_Port)};
    if (m_Options.listen == "127.0.0.1") m_Hosts.push_back("localhost:" + std::to_string(m_Port));

    host::FileUtil::MakeDirs(host::DeviceRoot::Path());
    m_State = std::make_unique<ScreenState>([this](const ScreenState::Event& e) { Broadcast(e); });
    m_Runs = std::make_unique<RemoteRuns>(m_Options.tool, [this] {
        Broadcast({"runs", ScreenState::Text(m_Runs->ToJson())});
    });
    m_Watch = std::make_unique<RootWatch>(
        host::DeviceRoot::Path(), [this](unsigned areas, const auto&) { m_State->Refresh(areas); });
    if (!m_Watch->Start()) {
        *error = "cannot watch " + host::DeviceRoot::Path() + ": " + std::strerror(errno);
        return false;
    }
    soup_server_add_early_handler(m_Server, nullptr, OnEarly, this, nullptr);
    soup_server_add_handler(m_Server, nullptr, OnRequest, this, nullptr);
    return true;
}

std::string ScreenServer::Url() const {
    return "http://" + m_Hosts.front() + "/?token=" + m_Token;
}

bool ScreenServer::HasToken(SoupServerMessage* msg, GHashTable* query) const {
    if (query != nullptr &&
        SameSecret(m_Token, static_cast<const char*>(g_hash_table_lookup(query, "token"))))
        return true;
    const char* header =
        soup_message_headers_get_one(soup_server_message_get_request_headers(msg), "Cookie");
    if (header == nullptr) return false;
    GHashTable* cookies = soup_header_parse_semi_param_list(header);
    bool found = SameSecret(
        m_Token, static_cast<const char*>(g_hash_table_lookup(cookies, CookieName().c_str())));
    soup_header_free_param_list(cookies);
    return found;
}

std::string ScreenServer::Refusal(SoupServerMessage* msg, GHashTable* query,
                                  unsigned* status) const {
    SoupMessageHeaders* headers = soup_server_message_get_request_headers(msg);
    const char* host = soup_message_headers_get_one(headers, "Host");
    const char* origin = soup_message_headers_get_one(headers, "Origin");
    bool our_host = false, our_origin = origin == nullptr;
    for (const std::string& name : m_Hosts) {
        our_host = our_host || (host != nullptr && name == host);
        our_origin = our_origin || "http://" + name == origin;
    }
    *status = SOUP_STATUS_FORBIDDEN;
    // A foreign Host is a page that reached us through a name of its own (DNS rebinding).
    if (!our_host) return "this server answers to " + m_Hosts.front() + " only";
    if (!our_origin) return "requests from other pages are refused";
    if (!HasToken(msg, query))
        return "open the address that brelta-device screen printed, with its token";
    std::string method = soup_server_message_get_method(msg);
    if (method == "GET") return "";
    *status = SOUP_STATUS_METHOD_NOT_ALLOWED;
    if (method != "POST") return "GET or POST only";
    *status = SOUP_STATUS_LENGTH_REQUIRED;
    if (soup_message_headers_get_encoding(headers) != SOUP_ENCODING_CONTENT_LENGTH)
        return "a request body needs its length";
    *status = SOUP_STATUS_REQUEST_ENTITY_TOO_LARGE;
    if (soup_message_headers_get_content_length(headers) > static_cast<goffset>(kMaxBody))
        return "body too large";
    // A cross-site form can send text/plain without asking first; JSON it cannot.
    *status = SOUP_STATUS_UNSUPPORTED_MEDIA_TYPE;
    const char* type = soup_message_headers_get_content_type(headers, nullptr);
    if (type == nullptr || std::strcmp(type, "application/json") != 0) return "JSON only";
    return "";
}

void ScreenServer::OnEarly(SoupServer*, SoupServerMessage* msg, const char*, GHashTable* query,
                           gpointer self) {
    // Decided on the headers alone, before any body is read.
    unsigned status = 0;
    std::string refusal = static_cast<ScreenServer*>(self)->Refusal(msg, query, &status);
    if (!refusal.empty()) Respond(msg, status, "text/plain; charset=utf-8", refusal + "\n");
}

void ScreenServer::OnRequest(SoupServer*, SoupServerMessage* msg, const char* path,
                             GHashTable* query, gpointer self) {
    auto* server = static_cast<ScreenServer*>(self);
    std::string method = soup_server_message_get_method(msg);
    SoupMessageHeaders* headers = soup_server_message_get_response_headers(msg);
    soup_message_headers_replace(headers, "Cache-Control", "no-store");
    soup_message_headers_replace(headers, "Referrer-Policy", "no-referrer");
    soup_message_headers_replace(headers, "X-Content-Type-Options", "nosniff");
    if (method == "POST") return server->Act(msg, path);
    if (std::strcmp(path, "/events") == 0) return server->OpenEvents(msg);
    server->ServeFile(msg, path, query);
}

void ScreenServer::ServeFile(SoupServerMessage* msg, const std::string& path, GHashTable* query) {
    for (const PageFile& file : kPageFiles) {
        if (path != file.path) continue;
        std::string resource = std::string(kResourcePrefix) + file.resource;
        GBytes* bytes = g_resource_lookup_data(brelta_screen_get_resource(), resource.c_str(),
                                               G_RESOURCE_LOOKUP_FLAGS_NONE, nullptr);
        gsize size = 0;
        const char* data = static_cast<const char*>(g_bytes_get_data(bytes, &size));
        Respond(msg, SOUP_STATUS_OK, file.type, std::string(data, size));
        g_bytes_unref(bytes);
        SoupMessageHeaders* headers = soup_server_message_get_response_headers(msg);
        // The page loads nothing from elsewhere and may not be framed by another page.
        soup_message_headers_replace(headers, "Content-Security-Policy",
                                     "default-src 'self'; frame-ancestors 'none'");
        if (query != nullptr && g_hash_table_contains(query, "token")) {
            std::string cookie =
                CookieName() + "=" + m_Token + "; Path=/; HttpOnly; SameSite=Strict";
            soup_message_headers_append(headers, "Set-Cookie", cookie.c_str());
        }
        return;
    }
    Respond(msg, SOUP_STATUS_NOT_FOUND, "text/plain; charset=utf-8", "no such page\n");
}

void ScreenServer::OpenEvents(SoupServerMessage* msg) {
    if (m_Clients.size() >= kMaxClients) {
        SoupServerMessage* oldest = m_Clients.front();
        soup_message_body_complete(soup_server_message_get_response_body(oldest));
        soup_server_message_unpause(oldest);
        m_Clients.erase(m_Clients.begin());
    }
    soup_server_message_set_status(msg, SOUP_STATUS_OK, nullptr);
    SoupMessageHeaders* headers = soup_server_message_get_response_headers(msg);
    soup_message_headers_set_encoding(headers, SOUP_ENCODING_CHUNKED);
    soup_message_headers_set_content_type(headers, "text/event-stream", nullptr);
    // Each event is written once and dropped: the stream lives as long as the page.
    soup_message_body_set_accumulate(soup_server_message_get_response_body(msg), FALSE);
    g_signal_connect(msg, "finished", G_CALLBACK(OnClientFinished), this);
    m_Clients.push_back(msg);
    json hello = {{"root", host::DeviceRoot::Path()}, {"ids", RemoteRuns::Ids()}};
    Send(msg, {"hello", ScreenState::Text(hello)});
    Send(msg, {"runs", ScreenState::Text(m_Runs->ToJson())});
    for (const ScreenState::Event& event : m_State->Snapshot()) Send(msg, event);
}

void ScreenServer::OnClientFinished(SoupServerMessage* msg, gpointer self) {
    auto& clients = static_cast<ScreenServer*>(self)->m_Clients;
    for (auto it = clients.begin(); it != clients.end(); ++it)
        if (*it == msg) {
            clients.erase(it);
            break;
        }
}

void ScreenServer::Send(SoupServerMessage* client, const ScreenState::Event& event) {
    std::string text = "event: " + event.first + "\ndata: " + event.second + "\n\n";
    soup_message_body_append(soup_server_message_get_response_body(client), SOUP_MEMORY_COPY,
                             text.data(), text.size());
    soup_server_message_unpause(client);
}

void ScreenServer::Broadcast(const ScreenState::Event& event) {
    // A copy: a client whose connection turns out closed leaves the list while it is sent to.
    std::vector<SoupServerMessage*> clients = m_Clients;
    for (SoupServerMessage* client : clients)
        if (std::find(m_Clients.begin(), m_Clients.end(), client) != m_Clients.end())
            Send(client, event);
}

void ScreenServer::Act(SoupServerMessage* msg, const std::string& path) {
    SoupMessageBody* body = soup_server_message_get_request_body(msg);
    json request = ScreenState::ParseLine(std::string(body->data, body->length));
    if (request.is_null())
        return RespondJson(msg, SOUP_STATUS_BAD_REQUEST, {{"error", "not a JSON object"}});
    ScreenActions::Result result{SOUP_STATUS_NOT_FOUND, "no such action"};
    if (path == "/api/press") {
        std::string id =
            request.value("id", json()).is_string() ? request["id"].get<std::string>() : "";
        long pid = 0;
        std::string error;
        if (!RemoteRuns::Known(id))
            result = {SOUP_STATUS_BAD_REQUEST, "not one of the nine key combinations"};
        else if (!m_Runs->Start(id, &pid, &error))
            result = {SOUP_STATUS_SERVICE_UNAVAILABLE, error};
        else
            result = {SOUP_STATUS_OK, "started pid " + std::to_string(pid)};
    } else if (path == "/api/toast") {
        result = ScreenActions::Toast(request);
    } else if (path == "/api/setting") {
        result = ScreenActions::Setting(request);
    } else if (path == "/api/usb") {
        result = ScreenActions::Usb(request);
    } else if (path == "/api/fault") {
        result = ScreenActions::Fault(request);
    }
    RespondJson(msg, result.status,
                {{result.status == SOUP_STATUS_OK ? "message" : "error", result.message}});
}

}  // namespace brelta::screen
