#include "ScreenServer.h"

#include <sys/random.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "base/DeviceRoot.h"
#include "base/FileUtil.h"
#include "Services.h"
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

bool IsPageFile(const char* path) {
    return std::any_of(std::begin(kPageFiles), std::end(kPageFiles),
                       [path](const PageFile& file) { return std::strcmp(path, file.path) == 0; });
}

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

// Every answer but an event stream ends its connection: a client gets nothing kept for it
// after its request.
void Respond(SoupServerMessage* msg, unsigned status, const std::string& type,
             const std::string& body) {
    soup_server_message_set_status(msg, status, nullptr);
    soup_server_message_set_response(msg, type.c_str(), SOUP_MEMORY_COPY, body.data(), body.size());
    soup_message_headers_replace(soup_server_message_get_response_headers(msg), "Connection",
                                 "close");
}

void RespondJson(SoupServerMessage* msg, unsigned status, const json& body) {
    Respond(msg, status, "application/json", ScreenState::Text(body));
}

std::string HostName(GInetAddress* address) {
    gchar* text = g_inet_address_to_string(address);
    std::string name = g_inet_address_get_family(address) == G_SOCKET_FAMILY_IPV6
                           ? "[" + std::string(text) + "]"
                           : text;
    g_free(text);
    return name;
}
}  // namespace

ScreenServer::ScreenServer(Options options) : m_Options(std::move(options)), m_Token(NewToken()) {}

ScreenServer::~ScreenServer() {
    m_Watch.reset();
    for (const Stream& stream : m_Streams) g_signal_handlers_disconnect_by_data(stream.msg, this);
    m_Streams.clear();
    m_Guard.reset();
    if (m_Server != nullptr) {
        soup_server_disconnect(m_Server);
        g_object_unref(m_Server);
    }
    if (m_Address != nullptr) g_object_unref(m_Address);
}

bool ScreenServer::Start(std::string* error) {
    m_Address = g_inet_address_new_from_string(m_Options.listen.c_str());
    if (m_Address == nullptr) {
        *error = "'" + m_Options.listen + "' is not an IP address";
        return false;
    }
    if (g_inet_address_get_is_any(m_Address)) {
        // Every interface has names of its own, which the Host check could not tell from a
        // foreign page's.
        *error = "listen on the address of one interface, not on all of them";
        return false;
    }
    m_Server = soup_server_new("server-header", "brelta-device-screen", nullptr);
    m_Guard = std::make_unique<ConnectionGuard>(m_Server);
    if (!m_Guard->Listen(m_Address, m_Options.port, error)) return false;
    m_Port = m_Guard->Port();

    host::FileUtil::MakeDirs(host::DeviceRoot::Path());
    m_Runs = std::make_unique<RemoteRuns>(m_Options.tool, [this] {
        Broadcast({"runs", ScreenState::Text(m_Runs->ToJson())});
    });
    m_State = std::make_unique<ScreenState>(
        [this](const ScreenState::Event& e) { Broadcast(e); },
        [this](const host::LogRecord& record) { m_Runs->Observe(record); });
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
    return "http://" + HostName(m_Address) + ":" + std::to_string(m_Port) + "/#token=" + m_Token;
}

bool ScreenServer::NamesUs(const char* host) const {
    if (host == nullptr) return false;
    // Compared as an address and a port, not as text: a browser writes an address in its
    // short form ([::1]), whatever form --listen was given in.
    std::string text = host, name, port;
    size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon + 1 == text.size()) return false;
    name = text.substr(0, colon);
    port = text.substr(colon + 1);
    if (port.find_first_not_of("0123456789") != std::string::npos || port != std::to_string(m_Port))
        return false;
    if (name.size() > 2 && name.front() == '[' && name.back() == ']')
        name = name.substr(1, name.size() - 2);
    else if (name.find(':') != std::string::npos)
        return false;  // an IPv6 address is written in brackets
    if (name == "localhost") return g_inet_address_get_is_loopback(m_Address);
    GInetAddress* address = g_inet_address_new_from_string(name.c_str());
    bool same = address != nullptr && g_inet_address_equal(address, m_Address);
    if (address != nullptr) g_object_unref(address);
    return same;
}

std::string ScreenServer::Refusal(SoupServerMessage* msg, const char* path,
                                  unsigned* status) const {
    SoupMessageHeaders* headers = soup_server_message_get_request_headers(msg);
    const char* origin = soup_message_headers_get_one(headers, "Origin");
    *status = SOUP_STATUS_FORBIDDEN;
    // A foreign Host is a page that reached us through a name of its own (DNS rebinding).
    if (!NamesUs(soup_message_headers_get_one(headers, "Host")))
        return "this server answers to " + HostName(m_Address) + ":" + std::to_string(m_Port) +
               " only";
    if (origin != nullptr && (std::strncmp(origin, "http://", 7) != 0 || !NamesUs(origin + 7)))
        return "requests from other pages are refused";
    std::string method = soup_server_message_get_method(msg);
    // The page's own files are the same for everyone and hold no secret.
    if (method == "GET" && IsPageFile(path)) return "";
    if (!SameSecret(m_Token, soup_message_headers_get_one(headers, kTokenHeader)))
        return "open the address that brelta-device screen printed, with its token";
    if (method == "GET") return "";
    *status = SOUP_STATUS_METHOD_NOT_ALLOWED;
    if (method != "POST") return "GET or POST only";
    *status = SOUP_STATUS_LENGTH_REQUIRED;
    if (soup_message_headers_get_encoding(headers) != SOUP_ENCODING_CONTENT_LENGTH)
        return "a request body needs its length";
    *status = SOUP_STATUS_REQUEST_ENTITY_TOO_LARGE;
    if (soup_message_headers_get_content_length(headers) > static_cast<goffset>(kMaxBody))
        return "body too large";
    *status = SOUP_STATUS_UNSUPPORTED_MEDIA_TYPE;
    const char* type = soup_message_headers_get_content_type(headers, nullptr);
    if (type == nullptr || std::strcmp(type, "application/json") != 0) return "JSON only";
    return "";
}

void ScreenServer::OnEarly(SoupServer*, SoupServerMessage* msg, const char* path, GHashTable*,
                           gpointer self) {
    // Decided on the headers alone, before any body is read.
    unsigned status = 0;
    std::string refusal = static_cast<ScreenServer*>(self)->Refusal(msg, path, &status);
    if (!refusal.empty()) Respond(msg, status, "text/plain; charset=utf-8", refusal + "\n");
}

void ScreenServer::OnRequest(SoupServer*, SoupServerMessage* msg, const char* path, GHashTable*,
                             gpointer self) {
    auto* server = static_cast<ScreenServer*>(self);
    std::string method = soup_server_message_get_method(msg);
    SoupMessageHeaders* headers = soup_server_message_get_response_headers(msg);
    soup_message_headers_replace(headers, "Cache-Control", "no-store");
    soup_message_headers_replace(headers, "Referrer-Policy", "no-referrer");
    soup_message_headers_replace(headers, "X-Content-Type-Options", "nosniff");
    if (method == "POST") return server->Act(msg, path);
    if (std::strcmp(path, "/events") == 0) return server->OpenEvents(msg);
    server->ServeFile(msg, path);
}

void ScreenServer::ServeFile(SoupServerMessage* msg, const std::string& path) {
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
        // The page loads nothing from elsewhere, may not be framed by another page, and
        // shares no window with a page of another origin that opened it.
        soup_message_headers_replace(headers, "Content-Security-Policy",
                                     "default-src 'self'; frame-ancestors 'none'");
        soup_message_headers_replace(headers, "Cross-Origin-Opener-Policy", "same-origin");
        return;
    }
    Respond(msg, SOUP_STATUS_NOT_FOUND, "text/plain; charset=utf-8", "no such page\n");
}

std::string ScreenServer::Hello() const {
    json live = json::array();
    // Read afresh for each page: the root's live file may have changed since the last one.
    host::Services::Reset();
    for (host::Service service : host::Services::All())
        live.push_back({{"service", host::Services::Name(service)},
                        {"live", host::Services::IsLive(service)}});
    bool tool = access(m_Options.tool.c_str(), X_OK) == 0;
    return ScreenState::Text({{"root", host::DeviceRoot::Path()},
                              {"ids", RemoteRuns::Ids()},
                              {"tool_missing", tool ? json(nullptr) : json(m_Options.tool)},
                              {"live", live}});
}

void ScreenServer::OpenEvents(SoupServerMessage* msg) {
    if (m_Streams.size() >= kMaxStreams) Drop(m_Streams.front().msg);
    soup_server_message_set_status(msg, SOUP_STATUS_OK, nullptr);
    SoupMessageHeaders* headers = soup_server_message_get_response_headers(msg);
    soup_message_headers_set_encoding(headers, SOUP_ENCODING_CHUNKED);
    soup_message_headers_set_content_type(headers, "text/event-stream", nullptr);
    // Each event is written once and dropped: the stream lives as long as the page.
    soup_message_body_set_accumulate(soup_server_message_get_response_body(msg), FALSE);
    g_signal_connect(msg, "finished", G_CALLBACK(OnStreamFinished), this);
    g_signal_connect(msg, "wrote-body-data", G_CALLBACK(OnStreamWrote), this);
    m_Guard->KeepOpen(msg);
    m_Streams.push_back({msg, 0});
    Stream* stream = &m_Streams.back();
    Send(stream, {"hello", Hello()}, true);
    Send(stream, {"runs", ScreenState::Text(m_Runs->ToJson())}, true);
    for (const ScreenState::Event& event : m_State->Snapshot()) Send(stream, event, true);
}

ScreenServer::Stream* ScreenServer::FindStream(SoupServerMessage* msg) {
    for (Stream& stream : m_Streams)
        if (stream.msg == msg) return &stream;
    return nullptr;
}

void ScreenServer::OnStreamFinished(SoupServerMessage* msg, gpointer self) {
    auto* server = static_cast<ScreenServer*>(self);
    g_signal_handlers_disconnect_by_data(msg, self);
    auto& streams = server->m_Streams;
    streams.erase(std::remove_if(streams.begin(), streams.end(),
                                 [msg](const Stream& stream) { return stream.msg == msg; }),
                  streams.end());
}

void ScreenServer::OnStreamWrote(SoupServerMessage* msg, guint size, gpointer self) {
    Stream* stream = static_cast<ScreenServer*>(self)->FindStream(msg);
    if (stream != nullptr) stream->queued -= std::min<size_t>(stream->queued, size);
}

void ScreenServer::Drop(SoupServerMessage* msg) {
    g_signal_handlers_disconnect_by_data(msg, this);
    m_Streams.erase(std::remove_if(m_Streams.begin(), m_Streams.end(),
                                   [msg](const Stream& stream) { return stream.msg == msg; }),
                    m_Streams.end());
    // What it holds back goes with its connection; the page connects anew.
    m_Guard->Close(msg);
    soup_message_body_complete(soup_server_message_get_response_body(msg));
    soup_server_message_unpause(msg);
}

void ScreenServer::Send(Stream* stream, const ScreenState::Event& event, bool whole) {
    std::string text = "event: " + event.first + "\ndata: " + event.second + "\n\n";
    if (!whole && stream->queued + text.size() > kMaxStreamBacklog) return Drop(stream->msg);
    stream->queued += text.size();
    soup_message_body_append(soup_server_message_get_response_body(stream->msg), SOUP_MEMORY_COPY,
                             text.data(), text.size());
    soup_server_message_unpause(stream->msg);
}

void ScreenServer::Broadcast(const ScreenState::Event& event) {
    // By message: a stream dropped while it is sent to leaves the list.
    std::vector<SoupServerMessage*> msgs;
    for (const Stream& stream : m_Streams) msgs.push_back(stream.msg);
    for (SoupServerMessage* msg : msgs)
        if (Stream* stream = FindStream(msg)) Send(stream, event, false);
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
        RemoteRuns::Outcome outcome = m_Runs->Start(id, &pid, &error);
        result.message = error;
        if (outcome == RemoteRuns::Outcome::kStarted) {
            result = {SOUP_STATUS_OK, "started pid " + std::to_string(pid)};
        } else if (outcome == RemoteRuns::Outcome::kUnknownId) {
            result.status = SOUP_STATUS_BAD_REQUEST;
        } else if (outcome == RemoteRuns::Outcome::kBusy) {
            result.status = SOUP_STATUS_SERVICE_UNAVAILABLE;
        } else if (outcome == RemoteRuns::Outcome::kNoTool) {
            // Not a passing state as kBusy is: nothing will run until the tool is built.
            result.status = SOUP_STATUS_NOT_IMPLEMENTED;
        } else {
            result.status = SOUP_STATUS_INTERNAL_SERVER_ERROR;
        }
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
