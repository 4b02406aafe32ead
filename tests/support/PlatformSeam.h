#ifndef BRELTA_TESTS_PLATFORMSEAM_H
#define BRELTA_TESTS_PLATFORMSEAM_H

#include <set>
#include <string>
#include <vector>

namespace brelta::test {

// Where the tool meets the platform. The device build links the TV's own libraries instead
// of the stand-ins, so the tool may include platform headers only by their platform names and
// call only the functions those headers declare. This reads the tool's sources (and its
// object files) and reports every place that would build here but not on the device.
class PlatformSeam {
public:
    struct Violation {
        std::string file;  // base name
        int line = 0;      // 0 for a symbol of an object file
        std::string what;
    };

    // includeDir: the platform headers (platform/host/include); standInDir: the stand-ins'
    // own sources (platform/host/src).
    PlatformSeam(std::string includeDir, std::string standInDir);

    // Functions declared by the platform headers, except the host-only brelta_host.h.
    const std::set<std::string>& PlatformFunctions() const { return m_Platform; }
    // Functions of brelta_host.h: only DevicePath.h may reach them, in its host branch.
    const std::set<std::string>& HostOnlyFunctions() const { return m_HostOnly; }

    // Every .c, .cpp and .h file of the directory.
    std::vector<Violation> ScanSources(const std::string& toolDir) const;
    // One file's text. name is its base name and own the names of the tool's files: together
    // they decide what it may include.
    std::vector<Violation> ScanFile(const std::string& name, const std::string& text,
                                    const std::set<std::string>& own) const;
    // Symbols that the objects (.o or .a) take from the stand-in library but that no
    // platform header declares; read with nm. `used` receives the platform functions that
    // they do take from it.
    std::vector<Violation> ScanObjects(const std::vector<std::string>& objects,
                                       const std::string& standInLibrary,
                                       std::set<std::string>* used) const;

    // The text with comments, string and character literals blanked out (newlines kept, so
    // line numbers still hold).
    static std::string StripCommentsAndLiterals(const std::string& text);
    // Names of the functions a header declares (a name followed by "(" at the start of a
    // declaration; typedefs and macros are not functions).
    static std::set<std::string> DeclaredFunctions(const std::string& header);

private:
    std::set<std::string> m_Platform;
    std::set<std::string> m_HostOnly;
    std::set<std::string> m_PlatformHeaders;
    std::set<std::string> m_StandInHeaders;
};

}  // namespace brelta::test

#endif
