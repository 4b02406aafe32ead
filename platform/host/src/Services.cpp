#include "Services.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <mutex>

#include "base/DeviceRoot.h"
#include "base/FileUtil.h"
#include "base/VisibleText.h"
#include "capture/CaptureService.h"
#include "capture/LiveCapture.h"
#include "launch/AppLauncher.h"
#include "launch/DesktopLaunch.h"
#include "log/JournalLog.h"
#include "log/LogSink.h"
#include "network/DefaultRoute.h"
#include "network/KernelRoutes.h"
#include "notification/DesktopToasts.h"
#include "notification/NotificationDisplay.h"
#include "usb/UdevStorage.h"
#include "usb/UsbStorage.h"

namespace brelta::host {

namespace {
using Row = Services::Row;

// One row per service, in the order of the enum: interface, emulated, live, name.
constexpr Row kServices[] = {
    Row::Of<LogSink, EmulatedLogSink, JournalLog>("log"),
    Row::Of<NotificationDisplay, EmulatedNotificationDisplay, DesktopToasts>("toast"),
    Row::Of<AppLauncher, EmulatedAppLauncher, DesktopLaunch>("launch"),
    Row::Of<CaptureService, EmulatedCaptureService, LiveCapture>("capture"),
    Row::Of<DefaultRoute, EmulatedDefaultRoute, KernelRoutes>("gateway"),
    Row::Of<UsbStorage, EmulatedUsbStorage, UdevStorage>("usb"),
};
constexpr size_t kCount = sizeof kServices / sizeof kServices[0];

constexpr bool InEnumOrder() {
    for (size_t i = 0; i < kCount; ++i)
        if (static_cast<size_t>(kServices[i].service) != i) return false;
    return true;
}
static_assert(InEnumOrder(), "a row of the table of services stands out of the enum's order");

const Row& RowOf(Service service) {
    return kServices[static_cast<size_t>(service)];
}

// The choice is a few words; anything longer is not a file a person wrote.
constexpr size_t kMaxFileBytes = 4096;

std::mutex g_servicesMutex;
bool g_chosen = false;
// Never freed: every log record asks, exit-time destructors' records too.
std::vector<Service>& g_live = *new std::vector<Service>();
// The implementations made so far, emulated and live, by service.
void* g_made[kCount][2] = {};

std::vector<Service> Choose() {
    if (const char* env = std::getenv("BRELTA_LIVE")) return Services::Parse(env);
    std::vector<Service> chosen;
    Services::ReadChoice(&chosen);
    return chosen;
}
}  // namespace

bool Services::IsLive(Service service) {
    std::lock_guard<std::mutex> lock(g_servicesMutex);
    if (!g_chosen) {
        g_live = Choose();
        g_chosen = true;
    }
    return std::find(g_live.begin(), g_live.end(), service) != g_live.end();
}

void* Services::Made(Service service, bool live) {
    std::lock_guard<std::mutex> lock(g_servicesMutex);
    void*& made = g_made[static_cast<size_t>(service)][live ? 1 : 0];
    if (made == nullptr) made = live ? RowOf(service).live() : RowOf(service).emulated();
    return made;
}

LiveNeed Services::Need(Service service) {
    return RowOf(service).need();
}

void Services::Reset() {
    std::lock_guard<std::mutex> lock(g_servicesMutex);
    g_chosen = false;
    g_live.clear();
}

const char* Services::Name(Service service) {
    return RowOf(service).name;
}

bool Services::FromName(const std::string& name, Service* service) {
    for (const Row& row : kServices)
        if (name == row.name) {
            *service = row.service;
            return true;
        }
    return false;
}

const std::vector<Service>& Services::All() {
    static const std::vector<Service> all = [] {
        std::vector<Service> services;
        for (const Row& row : kServices) services.push_back(row.service);
        return services;
    }();
    return all;
}

std::vector<Service> Services::Parse(const std::string& text) {
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

std::string Services::Path() {
    return DeviceRoot::Path() + "/live";
}

Outcome Services::ReadChoice(std::vector<Service>* chosen) {
    std::string text;
    chosen->clear();
    if (!FileUtil::Read(Path(), &text, kMaxFileBytes)) {
        if (!FileUtil::Exists(Path())) return {};
        return Outcome::Refused("cannot read " + Path() + " (not a regular file of at most " +
                                std::to_string(kMaxFileBytes / 1024) + " KiB)");
    }
    *chosen = Parse(text);
    return {};
}

Outcome Services::SaveChoice(const std::vector<std::string>& names, bool on) {
    std::vector<Service> named;
    for (const std::string& name : names) {
        Service service;
        if (name != "all" && !FromName(name, &service)) {
            std::string known;
            for (const Row& row : kServices) known += std::string(row.name) + ", ";
            return Outcome::Invalid("unknown service '" + VisibleText::EscapeReversibly(name) +
                                    "' (" + known + "all)");
        }
        for (Service one : Parse(name)) named.push_back(one);
    }
    std::vector<Service> live;
    Outcome read = ReadChoice(&live);
    if (!read.Done()) return read;
    for (Service service : named) {
        auto at = std::find(live.begin(), live.end(), service);
        if (on && at == live.end()) live.push_back(service);
        if (!on && at != live.end()) live.erase(at);
    }
    std::string text;
    if (live.size() == kCount) {
        text = "all\n";
    } else {
        for (const Row& row : kServices)
            if (std::find(live.begin(), live.end(), row.service) != live.end())
                text += std::string(row.name) + "\n";
    }
    errno = 0;
    if (!FileUtil::WriteAtomically(Path(), text))
        return Outcome::Failed("cannot write " + Path(), errno);
    return {};
}

}  // namespace brelta::host
