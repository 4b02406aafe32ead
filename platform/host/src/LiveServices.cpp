#include "LiveServices.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "DeviceRoot.h"
#include "FileUtil.h"

namespace brelta::host {

namespace {
using Service = LiveServices::Service;

struct Entry {
    Service service;
    const char* name;
};
constexpr Entry kServices[] = {
    {Service::Log, "log"},         {Service::Toast, "toast"},     {Service::Launch, "launch"},
    {Service::Capture, "capture"}, {Service::Gateway, "gateway"}, {Service::Usb, "usb"},
};

// The choice is a few words; anything longer is not a file a person wrote.
constexpr size_t kMaxFileBytes = 4096;

std::mutex g_mutex;
bool g_chosen = false;
// Never freed: every log record asks, exit-time destructors' records too.
std::vector<Service>& g_live = *new std::vector<Service>();

std::vector<Service> Choose() {
    if (const char* env = std::getenv("BRELTA_LIVE")) return LiveServices::Parse(env);
    std::string text;
    if (!FileUtil::Read(LiveServices::Path(), &text, kMaxFileBytes)) return {};
    return LiveServices::Parse(text);
}
}  // namespace

bool LiveServices::IsLive(Service service) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_chosen) {
        g_live = Choose();
        g_chosen = true;
    }
    return std::find(g_live.begin(), g_live.end(), service) != g_live.end();
}

void LiveServices::Reset() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_chosen = false;
    g_live.clear();
}

const char* LiveServices::Name(Service service) {
    for (const Entry& entry : kServices)
        if (entry.service == service) return entry.name;
    return "";
}

bool LiveServices::FromName(const std::string& name, Service* service) {
    for (const Entry& entry : kServices)
        if (name == entry.name) {
            *service = entry.service;
            return true;
        }
    return false;
}

const std::vector<Service>& LiveServices::All() {
    static const std::vector<Service> all = [] {
        std::vector<Service> services;
        for (const Entry& entry : kServices) services.push_back(entry.service);
        return services;
    }();
    return all;
}

std::vector<Service> LiveServices::Parse(const std::string& text) {
    std::vector<Service> chosen;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t start = text.find_first_not_of(", \t\r\n", pos);
        if (start == std::string::npos) break;
        size_t end = text.find_first_of(", \t\r\n", start);
        if (end == std::string::npos) end = text.size();
        std::string word = text.substr(start, end - start);
        pos = end;
        if (word == "all") return All();
        Service service;
        if (FromName(word, &service) &&
            std::find(chosen.begin(), chosen.end(), service) == chosen.end())
            chosen.push_back(service);
    }
    return chosen;
}

std::string LiveServices::Path() {
    return DeviceRoot::Path() + "/live";
}

}  // namespace brelta::host
