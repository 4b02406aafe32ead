#include "Commands.h"

#include <dirent.h>

#include <cerrno>
#include <cstdio>

#include "CliError.h"
#include "base/DeviceRoot.h"
#include "base/FileUtil.h"

namespace brelta::cli {

using host::DeviceRoot;

namespace {
bool Confirmed(const std::string& root) {
    std::fprintf(stderr, "Empty the device root %s? [y/N] ", root.c_str());
    std::fflush(stderr);
    char answer[64] = "";
    if (std::fgets(answer, sizeof answer, stdin) == nullptr) {
        std::fputs("\n", stderr);
        return false;
    }
    std::string word(answer);
    while (!word.empty() && (word.back() == '\n' || word.back() == '\r')) word.pop_back();
    return word == "y" || word == "Y" || word == "yes" || word == "YES" || word == "Yes";
}

}  // namespace

// A root set by mistake to a directory of one's own must not be emptied: a directory holding
// anything the emulated TV did not make is refused.
int Reset(const Arguments& args) {
    bool yes = args.Has("yes");
    const std::string& root = DeviceRoot::Path();
    DIR* dir = opendir(root.c_str());
    if (dir == nullptr) {
        if (errno == ENOENT) return 0;  // no TV yet: nothing to empty
        throw CliError::SystemFailure("cannot read " + root, errno);
    }
    std::vector<std::string> entries, foreign;
    while (struct dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        entries.push_back(name);
        if (!DeviceRoot::IsOwnEntry(name)) foreign.push_back(name);
    }
    closedir(dir);
    if (!foreign.empty()) {
        std::string names;
        for (const std::string& name : foreign) names += " " + name;
        throw CliError::Failure(root + " does not look like a device root (it holds" + names +
                                "); not emptying it");
    }
    if (entries.empty()) return 0;
    if (!yes && !Confirmed(root)) throw CliError::Failure("not reset");
    for (const std::string& name : entries)
        if (!host::FileUtil::RemoveTree(root + "/" + name))
            throw CliError::Failure("cannot remove everything of " + root + "/" + name);
    return 0;
}

}  // namespace brelta::cli
