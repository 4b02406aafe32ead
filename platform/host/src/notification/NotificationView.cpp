#include "notification/NotificationView.h"

#include <glib.h>

#include <algorithm>
#include <vector>

#include "base/DeviceRoot.h"
#include "base/TerminalView.h"

namespace brelta::host {

namespace {
// Wide enough for a sentence, narrow enough for a terminal split in two.
constexpr size_t kInnerWidth = 44;

size_t Columns(const std::string& text) {
    return g_utf8_validate(text.c_str(), -1, nullptr) ? g_utf8_strlen(text.c_str(), -1)
                                                      : text.size();
}

// Splits a text into lines of at most kInnerWidth characters, at blanks where it can.
std::vector<std::string> Wrap(const std::string& text) {
    std::vector<std::string> lines;
    if (!g_utf8_validate(text.c_str(), -1, nullptr)) {
        lines.push_back(text.substr(0, kInnerWidth));
        return lines;
    }
    std::string current;
    std::string word;
    auto flushWord = [&]() {
        while (Columns(word) > kInnerWidth) {
            if (!current.empty()) {
                lines.push_back(current);
                current.clear();
            }
            const char* cut = g_utf8_offset_to_pointer(word.c_str(), kInnerWidth);
            lines.push_back(word.substr(0, cut - word.c_str()));
            word = word.substr(cut - word.c_str());
        }
        if (word.empty()) return;
        if (current.empty())
            current = word;
        else if (Columns(current) + 1 + Columns(word) <= kInnerWidth)
            current += " " + word;
        else {
            lines.push_back(current);
            current = word;
        }
        word.clear();
    };
    for (char c : text) {
        if (c == ' ' || c == '\n' || c == '\t')
            flushWord();
        else
            word += c;
    }
    flushWord();
    if (!current.empty()) lines.push_back(current);
    if (lines.empty()) lines.push_back("");
    return lines;
}

std::string Repeat(const char* piece, size_t count) {
    std::string out;
    for (size_t i = 0; i < count; ++i) out += piece;
    return out;
}

std::string Row(const std::string& text) {
    return "│ " + text + std::string(kInnerWidth - std::min(kInnerWidth, Columns(text)), ' ') +
           " │\n";
}
}  // namespace

const char* NotificationView::EventName(int event) {
    switch (event) {
        case 0:
            return "button 1 pressed";
        case 1:
            return "button 2 pressed";
        case 100:
            return "hidden by the user";
        case 101:
            return "hidden by time-out";
        case 102:
            return "hidden from outside";
        case 201:
            return "deleted";
    }
    return "unknown event";
}

std::string NotificationView::Box(const NotificationRecord& record, const std::string& root) {
    auto text = [&record](int type) {
        const NotificationRecord::Text* found = record.FindText(type);
        return found != nullptr ? found->text : std::string();
    };
    std::string head = "─ notification " + std::to_string(record.Id()) + " ";
    std::string box = "┌" + head + Repeat("─", kInnerWidth + 2 - Columns(head)) + "┐\n";
    for (const std::string& line : Wrap(text(0))) box += Row(line);
    box += Row("");
    for (const std::string& line : Wrap(text(1))) box += Row(line);
    if (!record.Buttons().empty()) {
        std::string buttons;
        for (int index : record.Buttons()) {
            bool isDefault = record.DefaultButton() == index;
            if (!buttons.empty()) buttons += "  ";
            // The default button is the one a remote's OK key would press.
            buttons += (isDefault ? "[>" : "[ ") + text(NotificationRecord::ButtonTextType(index)) +
                       (isDefault ? "<]" : " ]");
        }
        box += Row("");
        for (const std::string& line : Wrap(buttons)) box += Row(line);
    }
    box += "└" + Repeat("─", kInnerWidth + 2) + "┘\n";
    // How to press each button from another terminal, ready to paste: the root is quoted,
    // whatever it holds.
    gchar* quoted = g_shell_quote(root.c_str());
    for (int index : record.Buttons())
        box += std::string("  brelta-device --root ") + quoted + " toast press " +
               std::to_string(record.Id()) + " " + std::to_string(index) + "   presses \"" +
               text(NotificationRecord::ButtonTextType(index)) + "\"\n";
    g_free(quoted);
    return box;
}

void NotificationView::ShowPost(const NotificationRecord& record) {
    if (!TerminalView::Enabled()) return;
    TerminalView::Show(Box(record, DeviceRoot::Path()));
}

void NotificationView::ShowEvent(int id, int event) {
    if (!TerminalView::Enabled()) return;
    TerminalView::Show("  notification " + std::to_string(id) + ": " + EventName(event) + " (" +
                       std::to_string(event) + ")\n");
}

}  // namespace brelta::host
