#include "TmuxPane.h"

#include <unistd.h>

#include <cstdlib>

#include "Shell.h"
#include "ToolRun.h"

namespace brelta::test {

TmuxPane::TmuxPane(int width, int height) : m_Width(width), m_Height(height) {
    static int serial = 0;
    m_Socket = "brelta-test-" + std::to_string(getpid()) + "-" + std::to_string(++serial);
}

TmuxPane::~TmuxPane() {
    Tmux("kill-server");
}

bool TmuxPane::Available() {
    return std::system("tmux -V >/dev/null 2>&1") == 0;
}

std::string TmuxPane::Tmux(const std::string& arguments) const {
    // -f /dev/null: the person's own tmux configuration must not change what is drawn.
    return Shell::Output("tmux -L " + m_Socket + " -f /dev/null " + arguments + " 2>/dev/null");
}

bool TmuxPane::Start(const std::string& command) {
    Tmux("new-session -d -s pane -x " + std::to_string(m_Width) + " -y " +
         std::to_string(m_Height) + " " +
         Shell::Quote("sh -c " + Shell::Quote(command) + "; sleep 600"));
    return Tmux("has-session -t pane && echo up").find("up") != std::string::npos;
}

std::string TmuxPane::Capture(bool attributes) const {
    return Tmux(std::string("capture-pane -p -J ") + (attributes ? "-e " : "") + "-S - -t pane");
}

std::string TmuxPane::WaitFor(const std::string& text, double seconds) const {
    double deadline = MonotonicSeconds() + seconds;
    std::string screen;
    for (;;) {
        screen = Capture();
        if (screen.find(text) != std::string::npos || MonotonicSeconds() > deadline) return screen;
        usleep(100 * 1000);
    }
}

}  // namespace brelta::test
