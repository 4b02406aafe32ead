#include "PlatformSeam.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace brelta::test {

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> FilesOf(const std::string& dir, const std::set<std::string>& extensions) {
    std::vector<std::string> names;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir, error))
        if (extensions.count(entry.path().extension().string()) > 0)
            names.push_back(entry.path().filename().string());
    return names;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string Trim(const std::string& text) {
    std::string::size_type begin = text.find_first_not_of(" \t\r");
    if (begin == std::string::npos) return "";
    return text.substr(begin, text.find_last_not_of(" \t\r") - begin + 1);
}

// Comments and string and character literals blanked out; newlines stay for line numbers.
std::string StripCommentsAndLiterals(const std::string& text) {
    std::string out = text;
    char state = 0;  // '/' line comment, '*' block comment, '"' or '\'' literal
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i], next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (state == 0) {
            bool separator = i > 0 && std::isxdigit(static_cast<unsigned char>(text[i - 1]));
            if (c == '/' && (next == '/' || next == '*')) {
                state = next;
                out[i] = ' ';
                out[++i] = ' ';
            } else if (c == '"' || (c == '\'' && !separator)) {  // not 1'000
                state = c;
            }
        } else if (state == '/' ? c == '\n' : state == '*' ? c == '*' && next == '/' : c == state) {
            if (state == '*') out[i] = out[i + 1] = ' ', ++i;
            state = 0;
        } else if (c != '\n') {
            out[i] = ' ';
            if (c == '\\' && (state == '"' || state == '\'') && next != '\n' && next != '\0')
                out[++i] = ' ';
        }
    }
    return out;
}

// "<type> name(" at the start of a line of a header, outside directives and typedefs.
std::set<std::string> DeclaredFunctions(const std::string& header) {
    static const std::regex kDeclaration(R"(^[\w\s\*]*?\b([A-Za-z_]\w*)\s*\()");
    std::set<std::string> functions;
    for (const std::string& line : Lines(StripCommentsAndLiterals(header))) {
        std::string code = Trim(line);
        std::smatch m;
        if (code.rfind('#', 0) != 0 && code.rfind("typedef", 0) != 0 &&
            std::regex_search(code, m, kDeclaration))
            functions.insert(m[1]);
    }
    return functions;
}

}  // namespace

PlatformSeam::PlatformSeam(const std::string& includeDir, const std::string& standInDir) {
    for (const std::string& name : FilesOf(includeDir, {".h"})) {
        std::set<std::string> declared = DeclaredFunctions(ReadFile(includeDir + "/" + name));
        (name == "brelta_host.h" ? m_HostOnly : m_Platform)
            .insert(declared.begin(), declared.end());
    }
    for (const std::string& name : FilesOf(standInDir, {".h"})) m_StandInHeaders.insert(name);
}

std::vector<PlatformSeam::Violation> PlatformSeam::ScanSources(const std::string& toolDir) const {
    std::vector<std::string> names = FilesOf(toolDir, {".c", ".cpp", ".h"});
    if (names.empty()) return {{toolDir, 0, "holds no sources to scan"}};
    std::set<std::string> own(names.begin(), names.end());
    std::vector<Violation> violations;
    for (const std::string& name : names) {
        std::vector<Violation> found = ScanFile(name, ReadFile(toolDir + "/" + name), own);
        violations.insert(violations.end(), found.begin(), found.end());
    }
    return violations;
}

std::vector<PlatformSeam::Violation> PlatformSeam::ScanFile(
    const std::string& name, const std::string& text, const std::set<std::string>& own) const {
    static const std::regex kDirective(R"(^\s*#\s*(\w+)(.*)$)");
    static const std::regex kInclude(R"(^\s*#\s*include\s*([<"])([^>"]*)[>"])");
    // Among system headers (<gio/gio.h>) only one that climbs or points into the tree.
    static const std::regex kOwnPath(R"(^/|\.\.|\bplatform/|\bhost/)");
    static const std::regex kStandInNamespace(R"(\bbrelta\s*::\s*host\b)");
    static const std::regex kCall(R"(((?:\.|->)\s*)?\b([A-Za-z_]\w*)\s*\()");
    static const std::regex kPlatformPrefix(
        R"(^(vconf|dlog|__dlog|notification|app_control|connection|wifi|usb|brelta_host)_)");
    // "<type> name(": the tool's own functions, which may share a platform prefix.
    static const std::regex kOwnDeclaration(
        R"(\b(?!return\b|else\b|case\b)[A-Za-z_]\w*[\s\*&]+([A-Za-z_]\w*)\s*\()");
    std::vector<Violation> violations;
    auto report = [&](size_t i, const std::string& what) {
        violations.push_back({name, static_cast<int>(i) + 1, what});
    };
    std::vector<std::string> raw = Lines(text), code = Lines(StripCommentsAndLiterals(text));
    std::set<std::string> declared;
    for (const std::string& line : code)
        for (std::sregex_iterator it(line.begin(), line.end(), kOwnDeclaration), end; it != end;
             ++it)
            declared.insert((*it)[1]);

    std::vector<std::pair<bool, bool>> frames;  // #if nesting: {host branch, names the host}
    for (size_t i = 0; i < code.size(); ++i) {
        const std::string& line = code[i];
        std::smatch m;
        std::string kind = std::regex_match(line, m, kDirective) ? m[1].str() : "";
        bool names = m[2].str().find("BRELTA_HOST_PLATFORM") != std::string::npos;
        bool host = names && kind != "ifndef" && m[2].str().find('!') == std::string::npos;
        if (kind == "if" || kind == "ifdef" || kind == "ifndef")
            frames.push_back({host, names});
        else if (kind == "elif" && !frames.empty())
            frames.back() = {host, names};
        else if (kind == "else" && !frames.empty() && frames.back().second)
            frames.back().first = !frames.back().first;
        else if (kind == "endif" && !frames.empty())
            frames.pop_back();
        bool hostBranch = name == "DevicePath.h" && std::any_of(frames.begin(), frames.end(),
                                                                [](auto& f) { return f.first; });

        // The target is read from the original line, where the quotes still hold it.
        if (kind == "include" && std::regex_search(raw[i], m, kInclude) && m[2].length() > 0) {
            std::string target = m[2], base = target.substr(target.find_last_of('/') + 1);
            bool quoted = m[1] == "\"";
            // The tool's files share one directory, so a quoted path leads elsewhere.
            if (quoted ? target.find('/') != std::string::npos
                       : std::regex_search(target, kOwnPath))
                report(i, "includes " + target + " by a path of its own");
            else if (target == "brelta_host.h" && !hostBranch)
                report(i, "includes the host-only brelta_host.h");
            else if (m_StandInHeaders.count(base) > 0 && !(quoted && own.count(base) > 0))
                report(i, "includes the stand-ins' own header " + base);
        }
        if (std::regex_search(line, kStandInNamespace))
            report(i, "uses the stand-ins' namespace brelta::host");
        for (std::sregex_iterator it(line.begin(), line.end(), kCall), end; it != end; ++it) {
            std::string function = (*it)[2];
            if ((*it)[1].matched) continue;  // a member of the tool's own objects
            if (m_HostOnly.count(function) > 0) {
                if (!hostBranch) report(i, "calls the host-only " + function);
            } else if (std::regex_search(function, kPlatformPrefix) &&
                       m_Platform.count(function) == 0 && declared.count(function) == 0) {
                report(i, "calls " + function + ", which no platform header declares");
            }
        }
    }
    return violations;
}

}  // namespace brelta::test
