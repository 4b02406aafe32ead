#ifndef BRELTA_TESTS_TMUXPANE_H
#define BRELTA_TESTS_TMUXPANE_H

#include <string>
#include <vector>

namespace brelta::test {

// A command in a pane of a tmux server of its own (a private socket), so that its standard
// error is a real terminal; the screen is read back with capture-pane. The server ends with
// the object.
class TmuxPane {
public:
    static constexpr const char* kEnded = "__command_ended__";

    // Runs argv in a pane of the size, then prints kEnded; the pane stays after that.
    TmuxPane(const std::vector<std::string>& argv, int width, int height);
    ~TmuxPane();
    TmuxPane(const TmuxPane&) = delete;
    TmuxPane& operator=(const TmuxPane&) = delete;

    static bool Available();
    // The whole pane history, wrapped lines joined, once it holds `text` or `seconds` have
    // passed; with `attributes`, colours and other attributes as escape sequences.
    std::string WaitFor(const std::string& text, double seconds, bool attributes = false) const;

private:
    std::string Tmux(const std::string& arguments) const;

    std::string m_Socket;
};

}  // namespace brelta::test

#endif
