#ifndef BRELTA_TESTS_TOASTPOSTS_H
#define BRELTA_TESTS_TOASTPOSTS_H

#include <string>
#include <vector>

#include "NotificationJournal.h"

namespace brelta::test {

// One post of the notification journal, reduced to what a toast shows.
struct ToastPost {
    long id = 0;
    long pid = 0;
    std::string title;
    std::string content;
    std::vector<std::string> buttons;  // labels, in the order of the platform's indexes
    long defaultButton = 0;            // 0 when none was set
    long hideTimeout = 0;

    bool operator==(const ToastPost& other) const;
};

std::vector<ToastPost> ToastPosts(const NotificationJournal& journal);
// A post as the capture's toasts make it: no icon, one default button, 60 s.
ToastPost Toast(long id, const std::string& title, const std::string& content,
                const std::string& button);
void PrintTo(const ToastPost& post, std::ostream* out);

}  // namespace brelta::test

#endif
