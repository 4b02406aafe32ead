#ifndef BRELTA_HOST_TERMINALVIEW_H
#define BRELTA_HOST_TERMINALVIEW_H

#include <string>

namespace brelta::host {

// What a person at a terminal sees of the emulated TV: when standard error is a terminal,
// log records, toasts and launch requests are drawn there as they happen.
class TerminalView {
public:
    static bool Enabled();
    // Whether what is drawn may be coloured: on a terminal, unless NO_COLOR is set (to
    // anything but nothing) or TERM is dumb.
    static bool MayColour();
    static void ShowRecord(const std::string& record);
    // Writes text to standard error as it is (one write), when enabled.
    static void Show(const std::string& text);
};

}  // namespace brelta::host

#endif
