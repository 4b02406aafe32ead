#include "TmuxPane.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "ToolRun.h"

namespace brelta::test {

namespace {

// The text as one word for sh.
std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

TmuxPane::TmuxPane(const std::vector<std::string>& argv, int width, int height) {
    static int serial = 0;
    m_Socket = "brelta-test-" + std::to_string(getpid()) + "-" + std::to_string(++serial);
    std::string command;
    for (const std::string& word : argv) command += Quote(word) + " ";
    Tmux("new-session -d -s pane -x " + std::to_string(width) + " -y " + std::to_string(height) +
         " " + Quote("sh -c " + Quote(command + "; echo " + kEnded) + "; sleep 600"));
}

TmuxPane::~TmuxPane() {
    Tmux("kill-server");
}

bool TmuxPane::Available() {
    return std::system("tmux -V >/dev/null 2>&1") == 0;
}

std::string TmuxPane::Tmux(const std::string& arguments) const {
    // -f /dev/null: the person's own tmux configuration must not change what is drawn.
    std::string command = "tmux -L " + m_Socket + " -f /dev/null " + arguments + " 2>/dev/null";
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return output;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    pclose(pipe);
    return output;
}

std::string TmuxPane::WaitFor(const std::string& text, double seconds, bool attributes) const {
    double deadline = MonotonicSeconds() + seconds;
    for (;;) {
        std::string screen =
            Tmux(std::string("capture-pane -p -J ") + (attributes ? "-e " : "") + "-S - -t pane");
        if (screen.find(text) != std::string::npos || MonotonicSeconds() > deadline) return screen;
        usleep(100 * 1000);
    }
}

}  // namespace brelta::test
