#ifndef BRELTA_HOST_SERVICES_H
#define BRELTA_HOST_SERVICES_H

#include <string>
#include <vector>

#include "LiveNeed.h"
#include "base/Outcome.h"

namespace brelta::host {

// The platform's services that run either emulated (files under the device root) or live
// (this Linux machine's own). Each interface names its service as `kService`.
enum class Service { Log, Toast, Launch, Capture, Gateway, Usb };

// The one table of services: for each, its name, its emulated and its live implementation
// and the live one's check of what it needs (Services.cpp). Which of the two a process uses
// is chosen at run time, per service: $BRELTA_LIVE when it is set (service names separated
// by commas or blanks, or "all"; set and empty means none), else the file $ROOT/live (the
// same words, one or more a line), else none. Words that name no service are ignored here;
// SaveChoice refuses them. The choice is read once per process, at the first question.
class Services {
public:
    // The implementation of the interface's service that this process uses. Each is made at
    // its first use and kept for the process (never freed: exit-time code may still call the
    // platform). The choice is asked at every call, so that Reset switches it.
    template <class Interface>
    static Interface& Get() {
        return *static_cast<Interface*>(Made(Interface::kService, IsLive(Interface::kService)));
    }
    // The live implementation of the interface's service, whatever this process chose: for
    // what only the live one can have left behind (a capture helper that runs).
    template <class Interface>
    static Interface& Live() {
        return *static_cast<Interface*>(Made(Interface::kService, true));
    }

    static bool IsLive(Service service);
    // What the live implementation of a service needs, and whether this machine has it.
    static LiveNeed Need(Service service);
    // Forgets the choice (tests switch device roots and environments within one process).
    static void Reset();

    // The name of a service as the environment and the file spell it: "log", "toast", ...
    static const char* Name(Service service);
    // The service of a name; false for a word that names none.
    static bool FromName(const std::string& name, Service* service);
    static const std::vector<Service>& All();
    // The services that a text of names chooses ("all" chooses every one).
    static std::vector<Service> Parse(const std::string& text);

    // $ROOT/live, the choice that a person edits (the environment's does not count here).
    static std::string Path();
    // The services that the file chooses; fails when it is there but cannot be read.
    static Outcome ReadChoice(std::vector<Service>* chosen);
    // Turns the named services live (`on`) or emulated in the file, written atomically:
    // one name a line in the table's order, or "all" when every one is live, so that
    // services added later are live too. Fails for a word that names no service.
    static Outcome SaveChoice(const std::vector<std::string>& names, bool on);

    // A row of the table: Interface's service, its name, and its two implementations.
    struct Row {
        Service service;
        const char* name;
        LiveNeed (*need)();
        void* (*emulated)();
        void* (*live)();

        template <class Interface, class Emulated, class LiveImplementation>
        static constexpr Row Of(const char* name) {
            return {Interface::kService, name, &LiveImplementation::Need,
                    &Make<Interface, Emulated>, &Make<Interface, LiveImplementation>};
        }
        // Made as the interface, so that Get's cast from void* gives it back.
        template <class Interface, class Implementation>
        static void* Make() {
            Interface* made = new Implementation();
            return made;
        }
    };

private:
    static void* Made(Service service, bool live);
};

}  // namespace brelta::host

#endif
