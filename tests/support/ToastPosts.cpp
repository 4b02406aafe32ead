#include "ToastPosts.h"

#include <ostream>
#include <tuple>

namespace brelta::test {

bool ToastPost::operator==(const ToastPost& other) const {
    return std::tie(id, title, content, buttons, defaultButton, hideTimeout) ==
           std::tie(other.id, other.title, other.content, other.buttons, other.defaultButton,
                    other.hideTimeout);
}

std::vector<ToastPost> ToastPosts(const NotificationJournal& journal) {
    std::vector<ToastPost> posts;
    for (const JournalEntry& entry : journal.Ops("post")) {
        ToastPost post;
        post.id = entry.Int("id").value_or(0);
        post.pid = entry.Int("pid").value_or(0);
        post.title = entry.Str("title").value_or("<null>");
        post.content = entry.Str("content").value_or("<null>");
        post.defaultButton = entry.Int("default_button").value_or(0);
        post.hideTimeout = entry.Int("hide_timeout").value_or(0);
        for (const JournalEntry& button : entry.Objects("buttons"))
            post.buttons.push_back(button.Str("text").value_or("<null>"));
        posts.push_back(post);
    }
    return posts;
}

ToastPost Toast(long id, const std::string& title, const std::string& content,
                const std::string& button) {
    return ToastPost{id, 0, title, content, {button}, 1, 60};
}

void PrintTo(const ToastPost& post, std::ostream* out) {
    *out << "{id " << post.id << ", \"" << post.title << "\", \"" << post.content << "\", [";
    for (const std::string& button : post.buttons) *out << "\"" << button << "\" ";
    *out << "], default " << post.defaultButton << ", " << post.hideTimeout << " s}";
}

}  // namespace brelta::test
