#include "PlatformSeam.h"

#include <dirent.h>

#include <cctype>
#include <fstream>
#include <regex>
#include <sstream>

#include "Shell.h"

namespace brelta::test {

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> FilesOf(const std::string& dir, const std::vector<std::string>& endings) {
    std::vector<std::string> names;
    DIR* d = opendir(dir.c_str());
    if (d == nullptr) return names;
    while (struct dirent* entry = readdir(d)) {
        std::string name = entry->d_name;
        for (const std::string& ending : endings)
            if (name.size() > ending.size() &&
                name.compare(name.size() - ending.size(), ending.size(), ending) == 0)
                names.push_back(name);
    }
    closedir(d);
    return names;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

std::string Trim(const std::string& text) {
    std::string::size_type begin = text.find_first_not_of(" \t\r");
    if (begin == std::string::npos) return "";
    return text.substr(begin, text.find_last_not_of(" \t\r") - begin + 1);
}

// The function families of the TV platform: a call of such a name that no platform header
// declares is a function the device would not have.
bool HasPlatformPrefix(const std::string& name) {
    static const char* const kPrefixes[] = {"vconf_",        "dlog_",        "__dlog_",
                                            "notification_", "app_control_", "connection_",
                                            "wifi_",         "usb_",         "brelta_host_"};
    for (const char* prefix : kPrefixes)
        if (name.rfind(prefix, 0) == 0) return true;
    return false;
}

bool IsKeyword(const std::string& word) {
    static const std::set<std::string> kKeywords = {
        "if",      "while",    "for",           "switch",   "return",  "sizeof",       "catch",
        "else",    "do",       "case",          "throw",    "new",     "delete",       "typeid",
        "alignof", "decltype", "static_assert", "noexcept", "defined", "__has_include"};
    return kKeywords.count(word) > 0;
}

// #if nesting: whether the current line sits in a branch taken only in the host build.
class HostBranches {
public:
    void Directive(const std::string& line) {
        static const std::regex kIf(R"(^#\s*(if|ifdef|ifndef|elif|else|endif)\b(.*)$)");
        std::smatch m;
        if (!std::regex_match(line, m, kIf)) return;
        std::string kind = m[1];
        bool names = m[2].str().find("BRELTA_HOST_PLATFORM") != std::string::npos;
        bool negated = kind == "ifndef" || m[2].str().find('!') != std::string::npos;
        if (kind == "ifdef" || kind == "ifndef" || kind == "if") {
            m_Frames.push_back({names && !negated, names});
        } else if (kind == "else" && !m_Frames.empty()) {
            if (m_Frames.back().flips) m_Frames.back().host = !m_Frames.back().host;
        } else if (kind == "elif" && !m_Frames.empty()) {
            m_Frames.back() = {names && !negated, names};
        } else if (kind == "endif" && !m_Frames.empty()) {
            m_Frames.pop_back();
        }
    }
    bool InHost() const {
        for (const Frame& f : m_Frames)
            if (f.host) return true;
        return false;
    }

private:
    struct Frame {
        bool host;
        bool flips;
    };
    std::vector<Frame> m_Frames;
};

}  // namespace

std::string PlatformSeam::StripCommentsAndLiterals(const std::string& text) {
    std::string out = text;
    enum { Code, Line, Block, String, Char } state = Code;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        char next = i + 1 < text.size() ? text[i + 1] : '\0';
        auto blank = [&](size_t at) {
            if (text[at] != '\n') out[at] = ' ';
        };
        switch (state) {
            case Code:
                if (c == '/' && next == '/') {
                    state = Line;
                    blank(i);
                } else if (c == '/' && next == '*') {
                    state = Block;
                    blank(i);
                    blank(++i);
                } else if (c == '"') {
                    state = String;
                } else if (c == '\'' && !(i > 0 && std::isxdigit(static_cast<unsigned char>(
                                                       text[i - 1])))) {  // not 1'000
                    state = Char;
                }
                break;
            case Line:
                if (c == '\n')
                    state = Code;
                else
                    blank(i);
                break;
            case Block:
                if (c == '*' && next == '/') {
                    blank(i);
                    blank(++i);
                    state = Code;
                } else {
                    blank(i);
                }
                break;
            case String:
            case Char:
                if (c == '\\') {
                    blank(i);
                    if (i + 1 < text.size()) blank(++i);
                } else if ((state == String && c == '"') || (state == Char && c == '\'')) {
                    state = Code;
                } else {
                    blank(i);
                }
                break;
        }
    }
    return out;
}

std::set<std::string> PlatformSeam::DeclaredFunctions(const std::string& header) {
    std::string code;
    bool continued = false;
    for (const std::string& line : Lines(StripCommentsAndLiterals(header))) {
        bool directive = continued || Trim(line).rfind('#', 0) == 0;
        continued = directive && !line.empty() && line.back() == '\\';
        if (!directive) code += line + "\n";
    }
    static const std::regex kDeclaration(R"(^[\w\s\*]*?\b([A-Za-z_]\w*)\s*\()");
    std::set<std::string> functions;
    std::string statement;
    for (char c : code + ";") {
        if (c != ';' && c != '{' && c != '}') {
            statement += c;
            continue;
        }
        std::string trimmed = Trim(statement);
        statement.clear();
        std::smatch m;
        if (trimmed.rfind("typedef", 0) == 0) continue;
        if (std::regex_search(trimmed, m, kDeclaration)) functions.insert(m[1]);
    }
    return functions;
}

PlatformSeam::PlatformSeam(std::string includeDir, std::string standInDir) {
    for (const std::string& name : FilesOf(includeDir, {".h"})) {
        m_PlatformHeaders.insert(name);
        std::set<std::string> declared = DeclaredFunctions(ReadFile(includeDir + "/" + name));
        (name == "brelta_host.h" ? m_HostOnly : m_Platform)
            .insert(declared.begin(), declared.end());
    }
    for (const std::string& name : FilesOf(standInDir, {".h"})) m_StandInHeaders.insert(name);
}

std::vector<PlatformSeam::Violation> PlatformSeam::ScanSources(const std::string& toolDir) const {
    std::vector<Violation> violations;
    std::vector<std::string> names = FilesOf(toolDir, {".c", ".cpp", ".h"});
    std::set<std::string> own(names.begin(), names.end());
    for (const std::string& name : names) {
        std::vector<Violation> found = ScanFile(name, ReadFile(toolDir + "/" + name), own);
        violations.insert(violations.end(), found.begin(), found.end());
    }
    return violations;
}

std::vector<PlatformSeam::Violation> PlatformSeam::ScanFile(
    const std::string& name, const std::string& text, const std::set<std::string>& own) const {
    std::vector<Violation> violations;
    auto report = [&](int line, const std::string& what) {
        violations.push_back({name, line, what});
    };
    static const std::regex kInclude(R"(^\s*#\s*include\s*([<"])([^>"]*)[>"])");
    static const std::regex kStandInNamespace(R"(\bbrelta\s*::\s*host\b)");
    static const std::regex kCall(R"(([A-Za-z_]\w*)\s*\()");
    std::vector<std::string> raw = Lines(text);
    std::vector<std::string> code = Lines(StripCommentsAndLiterals(text));

    // Names that the tool itself declares or defines ("<type> name(") are its own functions.
    std::set<std::string> declared;
    static const std::regex kOwnDeclaration(
        R"(\b(?!return\b|else\b|case\b)[A-Za-z_]\w*[\s\*&]+([A-Za-z_]\w*)\s*\()");
    for (const std::string& line : code)
        for (std::sregex_iterator it(line.begin(), line.end(), kOwnDeclaration), end; it != end;
             ++it)
            declared.insert((*it)[1]);

    HostBranches branches;
    for (size_t i = 0; i < code.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        const std::string& line = code[i];
        if (Trim(line).rfind('#', 0) == 0) branches.Directive(Trim(line));
        std::smatch m;
        // The directive is checked on the stripped line (so that one in a comment does not
        // count) and its target read from the original, where the quotes still hold it.
        if (std::regex_search(line, m, std::regex(R"(^\s*#\s*include\b)")) &&
            std::regex_search(raw[i], m, kInclude)) {
            std::string target = m[2];
            std::string base = target.substr(target.find_last_of('/') + 1);
            bool quoted = m[1] == "\"";
            if (target.empty()) continue;
            // The tool's files sit in one directory, so a quoted path leads elsewhere; among
            // system headers (<gio/gio.h>) only one that climbs or points into the platform
            // tree is the stand-ins'.
            bool ownPath = quoted ? target.find('/') != std::string::npos
                                  : target.find("..") != std::string::npos || target[0] == '/' ||
                                        target.find("platform/") != std::string::npos ||
                                        target.find("host/") != std::string::npos;
            if (ownPath)
                report(number, "includes " + target + " by a path of its own");
            else if (target == "brelta_host.h" && !(name == "DevicePath.h" && branches.InHost()))
                report(number, "includes the host-only brelta_host.h");
            else if (m_StandInHeaders.count(base) > 0 && !(quoted && own.count(base) > 0))
                report(number, "includes the stand-ins' own header " + base);
        }
        if (std::regex_search(line, m, kStandInNamespace))
            report(number, "uses the stand-ins' namespace brelta::host");
        for (std::sregex_iterator it(line.begin(), line.end(), kCall), end; it != end; ++it) {
            std::string function = (*it)[1];
            if (IsKeyword(function)) continue;
            size_t at = static_cast<size_t>(it->position(1));
            std::string before = Trim(line.substr(0, at));
            // Member calls (x.f(), p->f()) are the tool's own objects.
            if (!before.empty() && before.back() == '.') continue;
            if (before.size() >= 2 && before.compare(before.size() - 2, 2, "->") == 0) continue;
            if (m_HostOnly.count(function) > 0) {
                if (!(name == "DevicePath.h" && branches.InHost()))
                    report(number, "calls the host-only " + function);
            } else if (HasPlatformPrefix(function) && m_Platform.count(function) == 0 &&
                       declared.count(function) == 0) {
                report(number, "calls " + function + ", which no platform header declares");
            }
        }
    }
    return violations;
}

std::vector<PlatformSeam::Violation> PlatformSeam::ScanObjects(
    const std::vector<std::string>& objects, const std::string& standInLibrary,
    std::set<std::string>* used) const {
    auto run = Shell::Output;
    auto quote = Shell::Quote;

    // Strong definitions only: template code instantiated in both is weak and not the
    // stand-ins' own.
    std::set<std::string> provided;
    for (const std::string& line :
         Lines(run("nm -C -g --defined-only " + quote(standInLibrary) + " 2>/dev/null"))) {
        std::istringstream in(line);
        std::string address, type;
        if (!(in >> address >> type) || type.size() != 1 ||
            std::string("TDBR").find(type) == std::string::npos)
            continue;
        std::string symbol;
        std::getline(in >> std::ws, symbol);
        provided.insert(symbol);
    }

    std::vector<Violation> violations;
    std::set<std::string> seen;
    for (const std::string& object : objects) {
        std::string base = object.substr(object.find_last_of('/') + 1);
        for (const std::string& line : Lines(run("nm -C -u " + quote(object) + " 2>/dev/null"))) {
            std::string::size_type u = line.find(" U ");
            if (u == std::string::npos) continue;
            std::string symbol = line.substr(u + 3);
            if (provided.count(symbol) == 0) continue;
            if (m_Platform.count(symbol) > 0) {
                used->insert(symbol);
                continue;
            }
            // DevicePath.h's host branch maps device paths; the source scan checks the where.
            if (symbol == "brelta_host_device_path") continue;
            if (seen.insert(symbol).second)
                violations.push_back({base, 0, "takes " + symbol + " from the stand-ins"});
        }
    }
    return violations;
}

}  // namespace brelta::test
