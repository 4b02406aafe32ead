#include "Commands.h"

#include <glib-unix.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <iterator>

#if defined(__SANITIZE_ADDRESS__)
#define BRELTA_LEAK_CHECK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BRELTA_LEAK_CHECK 1
#endif
#endif
#ifdef BRELTA_LEAK_CHECK
#include <sanitizer/lsan_interface.h>
#endif

#include "CliError.h"
#include "base/DeviceRoot.h"
#include "base/FileUtil.h"
#include "ScreenServer.h"
#include "settings/SettingsStore.h"

namespace brelta::cli {

namespace {
// The signals that end the screen, each of which ends its runs too. (Any other death
// reaches the runs from the kernel, as SIGTERM: RemoteRuns.)
struct EndSignal {
    int number;
    const char* name;
};
constexpr EndSignal kEndSignals[] = {{SIGINT, "SIGINT"}, {SIGTERM, "SIGTERM"}, {SIGHUP, "SIGHUP"}};

struct Ending {
    GMainLoop* loop;
    const EndSignal* by;
    const EndSignal** received;
};

gboolean Quit(gpointer data) {
    auto* ending = static_cast<Ending*>(data);
    *ending->received = ending->by;
    g_main_loop_quit(ending->loop);
    return G_SOURCE_CONTINUE;
}

// The tool that the remote runs: the one built beside this program.
}  // namespace

int Screen(const Arguments& args) {
    screen::ScreenServer::Options options;
    options.tool = host::FileUtil::ProgramDir() + "/brelta_test_tool";
    if (args.Has("port")) {
        int port = 0;
        if (!host::SettingsStore::ParseInt(args.Value("port"), &port) || port < 0 || port > 65535)
            throw CliError::Usage("'" + args.Value("port") + "' is not a port number");
        options.port = static_cast<unsigned>(port);
    }
    options.listen = args.Value("listen", options.listen);
    if (access(options.tool.c_str(), X_OK) != 0)
        std::fprintf(stderr, "brelta-device: note: %s is missing: the remote will not work\n",
                     options.tool.c_str());

    // A page that went away mid-write must not end the server.
    signal(SIGPIPE, SIG_IGN);
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    std::string error;
    {
        screen::ScreenServer server(options);
        if (!server.Start(&error)) {
            g_main_loop_unref(loop);
            throw CliError::Failure("screen: " + error);
        }
        if (!server.Local())
            std::fprintf(stderr,
                         "brelta-device: note: listening on %s: whoever reaches it with the "
                         "token runs the tool on this root\n",
                         options.listen.c_str());
        std::printf(
            "Serving the emulated TV of %s\n"
            "Open this address in a browser (its token is good until the server ends):\n"
            "    %s\n",
            host::DeviceRoot::Path().c_str(), server.Url().c_str());
        // Whoever started it may be reading the address from a pipe.
        std::fflush(stdout);
        const EndSignal* received = nullptr;
        Ending endings[std::size(kEndSignals)];
        std::vector<guint> sources;
        for (size_t i = 0; i < std::size(kEndSignals); ++i) {
            endings[i] = {loop, &kEndSignals[i], &received};
            sources.push_back(g_unix_signal_add(kEndSignals[i].number, Quit, &endings[i]));
        }
        g_main_loop_run(loop);
        for (guint source : sources) g_source_remove(source);
        // The runs would go on writing the root of a screen that is gone.
        std::vector<long> ended = server.Runs().EndAll();
        std::string pids;
        for (long pid : ended) pids += " " + std::to_string(pid);
        std::fprintf(stderr, "brelta-device: screen: %s: ended%s\n",
                     received != nullptr ? received->name : "quit",
                     ended.empty() ? ", no run of the remote was going"
                                   : (", and with it the runs of the remote:" + pids).c_str());
    }
    g_main_loop_unref(loop);
#ifdef BRELTA_LEAK_CHECK
    // A sanitized workbench checks for leaks only where it is asked (its short commands end
    // too soon for one to matter): the screen runs for hours.
    __lsan_do_leak_check();
#endif
    return 0;
}

}  // namespace brelta::cli
