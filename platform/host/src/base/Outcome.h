#ifndef BRELTA_HOST_OUTCOME_H
#define BRELTA_HOST_OUTCOME_H

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

namespace brelta::host {

// What a change that a person asks of the device root (through the workbench or the screen)
// came to: done, or why not, in words for that person. The two front ends map it alike: the
// CLI exits 2 for kInvalid and 1 for the others; the screen answers 400 for kInvalid and
// kRefused, 500 for kFailed.
struct Outcome {
    enum Status {
        kDone,
        kInvalid,  // the request can never be done: a key that no file can have, a bad value
        kRefused,  // the root's state says no: already attached, not on screen
        kFailed,   // the file system failed the write
    };
    Status status = kDone;
    std::string message;

    bool Done() const { return status == kDone; }
    static Outcome Invalid(std::string why) { return {kInvalid, std::move(why)}; }
    static Outcome Refused(std::string why) { return {kRefused, std::move(why)}; }
    // "<what>: <the system's reason for error>"; EIO when the call left no reason.
    static Outcome Failed(const std::string& what, int error) {
        return {kFailed, what + ": " + std::strerror(error != 0 ? error : EIO)};
    }
};

}  // namespace brelta::host

#endif
