#include "Commands.h"

#include <memory>

#include "CliError.h"
#include "Follow.h"
#include "base/JsonJournal.h"
#include "JsonJournalReader.h"
#include "Output.h"

namespace brelta::cli {

using host::JsonJournalReader;
using Json = JsonJournalReader::Json;

namespace {
// A member as text: strings escaped, null or missing as "-", other values as JSON.
std::string Text(const Json& value) {
    if (value.is_string()) return Output::Escape(value.get<std::string>());
    if (value.is_null()) return "-";
    return Output::Escape(value.dump(-1, ' ', false, Json::error_handler_t::replace));
}

std::string Member(const Json& launch, const char* name) {
    auto it = launch.find(name);
    return it == launch.end() ? "-" : Text(*it);
}

void Show(size_t number, const Json& launch, bool json) {
    if (json) {
        // The journal's own members, in the order the platform writes them.
        Output::Object object;
        for (const char* name : {"pid", "app_id", "operation", "extra", "result"}) {
            auto it = launch.find(name);
            object[name] = it == launch.end() ? Json() : *it;
        }
        Output::PrintJson(object);
        return;
    }
    std::string line = "#" + std::to_string(number) + " pid " + Member(launch, "pid") + " app " +
                       Member(launch, "app_id") + " operation " + Member(launch, "operation") +
                       " result " + Member(launch, "result");
    auto extra = launch.find("extra");
    if (extra != launch.end() && extra->is_array()) {
        for (const Json& pair : *extra) {
            if (!pair.is_array() || pair.size() != 2) continue;
            line += " " + Text(pair[0]) + "=" + Text(pair[1]);
        }
    }
    Output::Print(line + "\n");
}
}  // namespace

int Launches(const Arguments& args) {
    bool json = args.Has("json"), follow = args.Has("follow");
    JsonJournalReader reader(host::JsonJournal::kLaunches, follow);
    size_t number = 0;
    auto drain = [&]() {
        Json launch;
        host::LineStream::Result result;
        while ((result = reader.Next(&launch)) == host::LineStream::Result::Line)
            Show(++number, launch, json);
        if (result == host::LineStream::Result::Error)
            throw CliError::Failure("cannot read " + reader.ErrorText());
    };
    // Watched before the first read, so that nothing written in between is left unshown.
    std::unique_ptr<Follow> follower;
    if (follow)
        follower = std::make_unique<Follow>([&](unsigned areas, const auto&) {
            if (!(areas & host::RootWatch::kLaunches)) return;
            drain();
            Output::Flush();
        });
    drain();
    Output::WarnSkipped(host::JsonJournal::kLaunches, reader.Passed());
    if (!follow) return 0;
    Output::Flush();
    follower->Run();
    return 0;
}

}  // namespace brelta::cli
