#include "LiveCommand.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "CliError.h"
#include "FileUtil.h"
#include "LiveNeeds.h"
#include "LiveServices.h"
#include "Output.h"

namespace brelta::cli {

using host::FileUtil;
using host::LiveServices;
using Service = LiveServices::Service;

namespace {
// The file's choice (the environment's does not count here: the file is what is edited).
std::vector<Service> Chosen() {
    std::string text;
    if (!FileUtil::Read(LiveServices::Path(), &text, 4096) &&
        FileUtil::Exists(LiveServices::Path()))
        throw CliError::Failure("cannot read " + LiveServices::Path() +
                                " (not a regular file of at most 4 KiB)");
    return LiveServices::Parse(text);
}

// One name a line in the table's order, or "all", so that services added later are live too.
void Save(const std::vector<Service>& live) {
    std::string text;
    if (live.size() == LiveServices::All().size()) {
        text = "all\n";
    } else {
        for (Service service : LiveServices::All())
            if (std::find(live.begin(), live.end(), service) != live.end())
                text += std::string(LiveServices::Name(service)) + "\n";
    }
    errno = 0;
    if (!FileUtil::WriteAtomically(LiveServices::Path(), text))
        throw CliError::SystemFailure("cannot write " + LiveServices::Path(),
                                      errno != 0 ? errno : EIO);
}

std::string Names() {
    std::string names;
    for (Service service : LiveServices::All())
        names += std::string(names.empty() ? "" : ", ") + LiveServices::Name(service);
    return names;
}

void WarnEnvironment() {
    if (std::getenv("BRELTA_LIVE") != nullptr)
        Output::Warn("BRELTA_LIVE is set here: it, not " + LiveServices::Path() +
                     ", chooses for the programs started with it");
}
}  // namespace

const char* LiveCommand::Usage() const {
    return "  live list [--json]            each service: live or emulated, and whether this\n"
           "                                machine has what it needs live\n"
           "  live on SERVICE...            run these services live (all: every one)\n"
           "  live off SERVICE...           emulate them again\n";
}

const char* LiveCommand::Details() const {
    return "SERVICE: log, toast, launch, capture, gateway, usb, or all. The choice is the file\n"
           "$ROOT/live, read by each program at its start; BRELTA_LIVE in a program's\n"
           "environment (the same names, separated by commas or blanks) overrides it. list\n"
           "says what a program started here would use.\n"
           "\n"
           "Text output: SERVICE<TAB>live|emulated<TAB>ready|missing<TAB>what it uses or lacks.\n"
           "--json: {\"service\":SERVICE,\"live\":BOOL,\"ready\":BOOL,\"detail\":TEXT}.\n";
}

int LiveCommand::Run(const std::vector<std::string>& words) {
    std::string command = Subcommand(words);
    if (command == "list") return List(words);
    if (command == "on") return Switch(words, true);
    if (command == "off") return Switch(words, false);
    UnknownSubcommand(command);
}

int LiveCommand::List(const std::vector<std::string>& words) {
    bool helped = false;
    Arguments args = Parse(words, {{"json", 0, false}}, "live list [--json]", &helped);
    if (helped) return 0;
    args.RequireOperands(0, 0);
    for (Service service : LiveServices::All()) {
        bool live = LiveServices::IsLive(service);
        host::LiveNeed need = host::LiveNeeds::Check(service);
        if (args.Has("json"))
            Output::PrintJson({{"service", LiveServices::Name(service)},
                               {"live", live},
                               {"ready", need.met},
                               {"detail", need.detail}});
        else
            Output::Print(std::string(LiveServices::Name(service)) + "\t" +
                          (live ? "live" : "emulated") + "\t" + (need.met ? "ready" : "missing") +
                          "\t" + Output::Escape(need.detail) + "\n");
    }
    return 0;
}

int LiveCommand::Switch(const std::vector<std::string>& words, bool on) {
    bool helped = false;
    Arguments args = Parse(words, {}, on ? "live on SERVICE..." : "live off SERVICE...", &helped);
    if (helped) return 0;
    if (args.Operands().empty()) throw CliError::Usage("name a service (" + Names() + ", all)");
    std::vector<Service> named;
    for (const std::string& name : args.Operands()) {
        Service service;
        if (name != "all" && !LiveServices::FromName(name, &service))
            throw CliError::Usage("unknown service '" + Output::Escape(name) + "' (" + Names() +
                                  ", all)");
        for (Service one : LiveServices::Parse(name)) named.push_back(one);
    }
    std::vector<Service> live = Chosen();
    for (Service service : named) {
        auto at = std::find(live.begin(), live.end(), service);
        if (on && at == live.end()) live.push_back(service);
        if (!on && at != live.end()) live.erase(at);
    }
    Save(live);
    WarnEnvironment();
    return 0;
}

}  // namespace brelta::cli
