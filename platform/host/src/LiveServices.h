#ifndef BRELTA_HOST_LIVESERVICES_H
#define BRELTA_HOST_LIVESERVICES_H

#include <string>
#include <vector>

namespace brelta::host {

// Which of the platform's services this process runs against the Linux machine's own
// ("live") instead of the emulated stand-ins under the device root. Chosen at run time, per
// service: $BRELTA_LIVE when it is set (a list of service names separated by commas or
// blanks, or "all"; set and empty means none), else the file $ROOT/live (the same words, one
// or more a line), else none. Words that name no service are ignored here; the workbench
// refuses them when it writes the file. Read once per process, at the first question.
class LiveServices {
public:
    enum class Service { Log, Toast, Launch, Capture, Gateway, Usb };

    static bool IsLive(Service service);
    // The implementation of a service's interface that this process uses: Live when the
    // service is live, else Emulated. Each is made at its first use and kept for the process
    // (never freed: exit-time code may still call the platform). The choice is asked at every
    // call, so that Reset switches it; the api files call this and nothing else decides.
    template <class Interface, class Emulated, class Live>
    static Interface& Pick(Service service) {
        if (IsLive(service)) {
            static Interface* live = new Live();
            return *live;
        }
        static Interface* emulated = new Emulated();
        return *emulated;
    }
    // Forgets the choice (tests switch device roots and environments within one process).
    static void Reset();

    // The name of a service as the environment and the file spell it: "log", "toast", ...
    static const char* Name(Service service);
    // The service of a name; false for a word that names none.
    static bool FromName(const std::string& name, Service* service);
    static const std::vector<Service>& All();
    // The services that a text of names chooses ("all" chooses every one).
    static std::vector<Service> Parse(const std::string& text);
    // $ROOT/live.
    static std::string Path();
};

}  // namespace brelta::host

#endif
