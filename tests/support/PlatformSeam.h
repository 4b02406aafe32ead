#ifndef BRELTA_TESTS_PLATFORMSEAM_H
#define BRELTA_TESTS_PLATFORMSEAM_H

#include <set>
#include <string>
#include <vector>

namespace brelta::test {

// The device build links the TV's own libraries instead of the stand-ins, so the tool may
// include platform headers only by their platform names and call only the functions those
// headers declare. This reads the tool's sources and reports what would not build there.
class PlatformSeam {
public:
    struct Violation {
        std::string file;  // base name
        int line = 0;
        std::string what;
    };

    // includeDir: platform/host/include; standInDir: the stand-ins' sources, platform/host/src.
    PlatformSeam(const std::string& includeDir, const std::string& standInDir);

    // Every .c, .cpp and .h file of the directory.
    std::vector<Violation> ScanSources(const std::string& toolDir) const;
    // One file: `name` and `own` (the tool's file names) decide what it may include.
    std::vector<Violation> ScanFile(const std::string& name, const std::string& text,
                                    const std::set<std::string>& own) const;

private:
    std::set<std::string> m_Platform;  // functions of the platform headers
    std::set<std::string> m_HostOnly;  // of brelta_host.h: only DevicePath.h's host branch
    std::set<std::string> m_StandInHeaders;
};

}  // namespace brelta::test

#endif
