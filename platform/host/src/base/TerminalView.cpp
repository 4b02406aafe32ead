#include "base/TerminalView.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace brelta::host {

bool TerminalView::Enabled() {
    static const bool enabled = isatty(STDERR_FILENO) == 1;
    return enabled;
}

bool TerminalView::MayColour() {
    static const bool colour = [] {
        const char* noColour = getenv("NO_COLOR");
        const char* term = getenv("TERM");
        return Enabled() && (noColour == nullptr || noColour[0] == '\0') &&
               !(term != nullptr && std::strcmp(term, "dumb") == 0);
    }();
    return colour;
}

void TerminalView::ShowRecord(const std::string& record) {
    Show(record + "\n");
}

void TerminalView::Show(const std::string& text) {
    if (!Enabled()) return;
    ssize_t ignored = write(STDERR_FILENO, text.data(), text.size());
    (void)ignored;
}

}  // namespace brelta::host
