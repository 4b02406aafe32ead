#include "TerminalView.h"

#include <unistd.h>

namespace brelta::host {

bool TerminalView::Enabled() {
    static const bool enabled = isatty(STDERR_FILENO) == 1;
    return enabled;
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
