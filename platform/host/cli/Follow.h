#ifndef BRELTA_CLI_FOLLOW_H
#define BRELTA_CLI_FOLLOW_H

#include <glib.h>

#include <functional>
#include <memory>
#include <vector>

#include "RootWatch.h"

namespace brelta::cli {

// What the followers of the CLI (settings watch, log -f, launches -f, toast watch, a press
// waiting for its taking) wait on: the changes of the device root (host::RootWatch), on the
// default GLib main loop. No follower polls, and none loses the root when it is removed and
// made again.
class Follow {
public:
    using Changed =
        std::function<void(unsigned areas, const std::vector<host::RootWatch::Event>& events)>;

    // Starts watching the root: changes from now on reach `changed` once the loop runs, so
    // that a follower that reads what is there after this misses nothing. A root that cannot
    // be watched is a failure. A failure inside `changed` (a file it can no longer read, a
    // closed standard output) ends the command as it would outside the loop.
    explicit Follow(Changed changed);
    ~Follow();
    Follow(const Follow&) = delete;
    Follow& operator=(const Follow&) = delete;

    // Runs the default main loop until Stop() (or until the process is ended: ^C).
    void Run();
    void Stop();

private:
    Changed m_Changed;
    std::unique_ptr<host::RootWatch> m_Watch;
    GMainLoop* m_Loop;
};

}  // namespace brelta::cli

#endif
