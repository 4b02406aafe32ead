#include "Commands.h"

#include <cstdlib>

#include "CliError.h"
#include "Output.h"
#include "Services.h"

namespace brelta::cli::live {

using host::Service;
using host::Services;

int List(const Arguments& args) {
    for (Service service : Services::All()) {
        bool live = Services::IsLive(service);
        host::LiveNeed need = Services::Need(service);
        if (args.Has("json"))
            Output::PrintJson({{"service", Services::Name(service)},
                               {"live", live},
                               {"ready", need.met},
                               {"detail", need.detail}});
        else
            Output::Print(std::string(Services::Name(service)) + "\t" +
                          (live ? "live" : "emulated") + "\t" + (need.met ? "ready" : "missing") +
                          "\t" + Output::Escape(need.detail) + "\n");
    }
    return 0;
}

namespace {
// Turns the named services live (`on`) or emulated in the device root's file.
int Switch(const Arguments& args, bool on) {
    CliError::Require(Services::SaveChoice(args.Operands(), on));
    if (std::getenv("BRELTA_LIVE") != nullptr)
        Output::Warn("BRELTA_LIVE is set here: it, not " + Services::Path() +
                     ", chooses for the programs started with it");
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
