#include "HostFixture.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include <nlohmann/json.hpp>

#include "Services.h"
#include "base/DeviceRoot.h"
#include "base/Faults.h"

namespace brelta::test {

namespace {
// The toast's exit-time destructor logs into the root of the last test after the test has
// removed it. Made before any toast, this is destroyed after the toast and takes that away.
struct LastRoot {
    std::string path;
    ~LastRoot() {
        std::error_code error;
        if (std::getenv("BRELTA_KEEP_TEST_ROOTS") == nullptr)
            std::filesystem::remove_all(path, error);
    }
} g_lastRoot;
}  // namespace

HostFixture::HostFixture() {
    UseFreshRoot();
}

void HostFixture::SetUp() {
    UseFreshRoot();
    // Drain what an earlier test left on the default context.
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
}

void HostFixture::UseFreshRoot() {
    root = std::make_unique<TempDeviceRoot>();
    g_lastRoot.path = root->Path();
    setenv("BRELTA_DEVICE_ROOT", root->Path().c_str(), 1);
    // Every service emulated, whatever the environment of the test or a root's live file
    // says; the tool that a test starts inherits the choice. A live capture would go on
    // capturing this machine's interfaces long after the test.
    setenv("BRELTA_LIVE", "", 1);
    brelta::host::DeviceRoot::Reset();
    brelta::host::Services::Reset();
    brelta::host::Faults::Reset();
}

void HostFixture::TearDown() {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    brelta::host::Faults::Reset();
}

void HostFixture::ReloadFaults() {
    brelta::host::Faults::Reset();
}

std::vector<std::string> HostFixture::Records(const std::string& buffer) const {
    std::vector<std::string> lines;
    LogRecords log = LogRecords::Load(*root / ("log/" + buffer));
    for (const LogRecord& r : log.All())
        lines.push_back(r.file + ": " + r.function + " >" + (r.text.empty() ? "" : " ") + r.text);
    return lines;
}

std::vector<std::string> HostFixture::Journal() const {
    using nlohmann::json;
    auto text = [](const json& value) {
        return value.is_string() ? value.get<std::string>() : "null";
    };
    std::vector<std::string> lines;
    std::istringstream in(root->Read("notifications/journal"));
    for (std::string line; std::getline(in, line);) {
        json entry = json::parse(line, nullptr, false);
        if (!entry.is_object()) {
            lines.push_back("not an object: " + line);
            continue;
        }
        std::string op = text(entry["op"]), view = op + " ";
        if (op == "post") {
            view += entry["id"].dump() + " " + text(entry["title"]) + "|" + text(entry["content"]) +
                    " [";
            for (const json& button : entry["buttons"])
                view += (view.back() == '[' ? "" : ",") + text(button["text"]) +
                        (button["button"] == entry["default_button"] ? "*" : "");
            view += "] " + entry["hide_timeout"].dump();
        } else if (op == "event") {
            view += entry["id"].dump() + " " + entry["event"].dump();
        } else {
            view += entry["ids"].dump();
        }
        if (entry["pid"] != getpid()) view += " by " + entry["pid"].dump();
        lines.push_back(view);
    }
    return lines;
}

bool HostFixture::AwaitJournal(const std::string& line) {
    return RunLoopUntil(
        [&] {
            std::vector<std::string> journal = Journal();
            return std::find(journal.begin(), journal.end(), line) != journal.end();
        },
        30);
}

}  // namespace brelta::test
