#ifndef BRELTA_TESTS_TMUXPANE_H
#define BRELTA_TESTS_TMUXPANE_H

#include <string>

namespace brelta::test {

// A command running in a tmux pane of a tmux server of its own (a private socket), so that
// its standard error is a real terminal; the screen is read back with capture-pane. The
// server ends with the object.
class TmuxPane {
public:
    TmuxPane(int width, int height);
    ~TmuxPane();
    TmuxPane(const TmuxPane&) = delete;
    TmuxPane& operator=(const TmuxPane&) = delete;

    static bool Available();
    // Runs a shell command line in the pane; the pane stays after the command ends.
    bool Start(const std::string& command);
    // The whole pane history, wrapped lines joined, trailing blanks cut; with `attributes`,
    // colours and other attributes as escape sequences.
    std::string Capture(bool attributes = false) const;
    // Captures until the screen holds `text`, or `seconds` have passed; the last capture.
    std::string WaitFor(const std::string& text, double seconds) const;

private:
    std::string Tmux(const std::string& arguments) const;

    std::string m_Socket;
    int m_Width;
    int m_Height;
};

}  // namespace brelta::test

#endif
