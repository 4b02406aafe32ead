#include "Commands.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "CliError.h"
#include "FileUtil.h"
#include "LiveNeeds.h"
#include "LiveServices.h"
#include "Output.h"

namespace brelta::cli::live {

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

int List(const Arguments& args) {
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

namespace {
// Turns the named services live (`on`) or emulated.
int Switch(const Arguments& args, bool on) {
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

}  // namespace

int On(const Arguments& args) {
    return Switch(args, true);
}

int Off(const Arguments& args) {
    return Switch(args, false);
}

}  // namespace brelta::cli::live
