#include "Completion.h"

#include <dirent.h>
#include <dlog.h>
#include <sys/stat.h>

#include <cstring>
#include <exception>
#include <set>

#include "Commands.h"
#include "DeviceCli.h"
#include "base/Faults.h"
#include "Services.h"
#include "log/LogWriter.h"
#include "Output.h"
#include "base/ScriptableFunctions.h"
#include "settings/SettingsStore.h"
#include "usb/UsbDevices.h"

namespace brelta::cli {

namespace {
// Settings keys a level at a time: below `prefix`, each key of that level and each folder
// (with its slash) that holds more; `folders`: the folders alone.
std::vector<std::string> KeyLevel(const std::string& prefix, bool keys, bool folders) {
    std::set<std::string> level;
    for (const std::string& key : host::SettingsStore::Keys(prefix)) {
        std::string::size_type slash = key.find('/', prefix.size());
        if (slash != std::string::npos && folders)
            level.insert(key.substr(0, slash + 1));
        else if (slash == std::string::npos && keys)
            level.insert(key);
    }
    return {level.begin(), level.end()};
}

// The directories of the file system that a path beginning with `prefix` may name, each with
// its slash.
std::vector<std::string> Directories(const std::string& prefix) {
    std::string::size_type slash = prefix.rfind('/');
    std::string head = slash == std::string::npos ? "" : prefix.substr(0, slash + 1);
    std::string start = prefix.substr(head.size());
    std::vector<std::string> found;
    DIR* dir = opendir(head.empty() ? "." : head.c_str());
    if (dir == nullptr) return found;
    while (struct dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == ".." || name.compare(0, start.size(), start) != 0) continue;
        // A hidden directory only when its dot is typed.
        if (name[0] == '.' && start.empty()) continue;
        struct stat st;
        if (stat((head + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            found.push_back(head + name + "/");
    }
    closedir(dir);
    return found;
}

bool IsOption(const std::string& word) {
    return word.size() > 1 && word[0] == '-' && !(word[1] >= '0' && word[1] <= '9');
}
}  // namespace

Completion::Unquoted Completion::Unquote(const std::string& word) {
    Unquoted result;
    std::string& text = result.text;
    char& quote = result.openQuote;
    for (size_t i = 0; i < word.size(); ++i) {
        char c = word[i];
        if (quote == '\'') {
            if (c == '\'')
                quote = 0;
            else
                text += c;
        } else if (quote == '"') {
            if (c == '"')
                quote = 0;
            else if (c == '\\' && i + 1 < word.size() && std::strchr("\\\"$`", word[i + 1]))
                text += word[++i];
            else
                text += c;
        } else if (c == '\'' || c == '"') {
            quote = c;
            result.quoted = text.size();
        } else if (c == '\\') {
            if (i + 1 < word.size()) text += word[++i];
        } else {
            text += c;
        }
    }
    return result;
}

std::string Completion::Quote(const std::string& text, char openQuote) {
    static const char kHex[] = "0123456789abcdef";
    std::string word;
    for (unsigned char c : text) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                     c >= 0x80 || std::strchr("/._-+,%@^", c) != nullptr;
        if (c < 0x20 || c == 0x7f) {
            // $'\xNN' outside any quote: a control character typed as text, never as itself.
            std::string code = std::string("$'\\x") + kHex[c >> 4] + kHex[c & 15] + "'";
            word += openQuote != 0 ? openQuote + code + openQuote : code;
        } else if (openQuote == '\'') {
            word += c == '\'' ? std::string("'\\''") : std::string(1, static_cast<char>(c));
        } else if (openQuote == '"') {
            if (std::strchr("\\\"$`", c) != nullptr) word += '\\';
            word += static_cast<char>(c);
        } else {
            // Every other character stands for itself behind a backslash: blanks, quotes, $,
            // `, globs, and the characters at which bash splits a word to complete it.
            if (!plain) word += '\\';
            word += static_cast<char>(c);
        }
    }
    return word;
}

std::vector<std::string> Completion::OfKind(Kind kind, const std::string& prefix,
                                            const std::vector<std::string>& before) {
    switch (kind) {
        case Kind::Key:
        case Kind::KeyPrefix:
            return KeyLevel(prefix, true, true);
        case Kind::KeyFolder:
            return KeyLevel(prefix, false, true);
        case Kind::SettingType:
            return {"int", "bool", "double", "string"};
        case Kind::SettingValue:
            if (!before.empty() && before.back() == "bool") return {"true", "false"};
            return {};
        case Kind::MountPath:
        case Kind::Directory:
            return Directories(prefix);
        case Kind::AttachedMount: {
            std::vector<host::UsbDevices::Line> lines;
            host::UsbDevices::Read(&lines);
            std::vector<std::string> paths;
            for (const host::UsbDevices::Line& line : lines) paths.push_back(line.mountpath);
            return paths;
        }
        case Kind::ToastId:
            return toast::IdsOnScreen();
        case Kind::Button:
            return {"1", "2"};
        case Kind::FaultFunction:
            return {std::begin(host::kScriptableFunctions), std::end(host::kScriptableFunctions)};
        case Kind::ScriptedFunction:
            return host::Faults::Scripted();
        case Kind::Service: {
            std::vector<std::string> names;
            for (host::Service service : host::Services::All())
                names.push_back(host::Services::Name(service));
            names.push_back("all");
            return names;
        }
        case Kind::Buffer:
            return {host::LogWriter::BufferName(LOG_ID_MAIN),
                    host::LogWriter::BufferName(LOG_ID_RADIO),
                    host::LogWriter::BufferName(LOG_ID_SYSTEM),
                    host::LogWriter::BufferName(LOG_ID_APPS)};
        case Kind::Priority:
            return {"verbose", "debug", "info", "warning", "error", "fatal"};
        case Kind::None:
        case Kind::Text:
            break;
    }
    return {};
}

std::vector<std::string> Completion::Candidates(const std::vector<std::string>& words,
                                                size_t current) const {
    // Where the words before the current one leave the command line: the group and command
    // named, the option whose value comes next (its name and its value's kind), the operands
    // so far.
    const Group* group = nullptr;
    const Verb* verb = nullptr;
    std::string pending;
    Kind pendingKind = Kind::None;
    bool optionsEnded = false;
    std::vector<std::string> operands;
    // The options taken where the line stands: a command's own and the program's from the
    // command's name on, the program's alone before it.
    auto options = [this, &verb]() {
        std::vector<Option> all = verb != nullptr ? verb->options : m_Table.program.topOptions;
        all.insert(all.end(), m_Table.program.options.begin(), m_Table.program.options.end());
        return all;
    };
    auto value = [](const std::string& option, const std::string& text) {
        if (option == "root") DeviceCli::UseRoot(text);
    };
    std::string word = current < words.size() ? words[current] : "";
    for (size_t i = 1; i < current && i < words.size(); ++i) {
        std::string plain = Unquote(words[i]).text;
        std::vector<Option> taken = options();
        if (!pending.empty()) {
            // bash splits --root=DIR into three words.
            if (words[i] == "=") continue;
            value(pending, plain);
            pending.clear();
        } else if (!optionsEnded && plain == "--" && verb != nullptr) {
            optionsEnded = true;
        } else if (!optionsEnded && IsOption(plain)) {
            std::string::size_type equals = plain.find('=');
            const Option* option = FindOption(taken, plain.substr(0, equals));
            if (option == nullptr || option->value == Kind::None) continue;
            if (equals == std::string::npos) {
                pending = option->name;
                pendingKind = option->value;
            } else {
                value(option->name, plain.substr(equals + 1));
            }
        } else if (verb != nullptr) {
            operands.push_back(plain);
        } else if (group != nullptr) {
            if ((verb = m_Table.FindVerb(group->name, plain)) == nullptr) return {};
        } else if ((group = m_Table.FindGroup(plain)) == nullptr &&
                   (verb = m_Table.FindVerb("", plain)) == nullptr) {
            return {};
        }
    }
    if (word == "=" && !pending.empty()) word.clear();
    Unquoted typed = Unquote(word);
    const std::string& prefix = typed.text;

    std::vector<std::string> candidates;
    if (!pending.empty()) {
        candidates = OfKind(pendingKind, prefix, operands);
    } else if (!optionsEnded && !prefix.empty() && prefix[0] == '-') {
        for (const Option& option : options())
            candidates.push_back(std::string("--") + option.name);
    } else if (verb != nullptr) {
        const Operand* operand = verb->OperandAt(operands.size());
        if (operand != nullptr) candidates = OfKind(operand->kind, prefix, operands);
    } else {
        // The commands of the group, or the first words of all, in the table's order.
        for (const Verb& each : m_Table.verbs) {
            std::string name = group != nullptr ? each.name : *each.group ? each.group : each.name;
            if (each.hidden || (group != nullptr && group->name != std::string(each.group)) ||
                (!candidates.empty() && candidates.back() == name))
                continue;
            candidates.push_back(name);
        }
    }
    // Inside a quote left open, bash replaces only what follows the quote, and closes it.
    std::vector<std::string> quoted;
    for (const std::string& candidate : candidates)
        if (candidate.compare(0, prefix.size(), prefix) == 0)
            quoted.push_back(typed.openQuote != 0
                                 ? Quote(candidate.substr(typed.quoted), typed.openQuote)
                                 : Quote(candidate));
    return quoted;
}

int Complete(const Arguments& args) {
    int current = 0;
    std::vector<std::string> words(args.Operands().begin() + 1, args.Operands().end());
    // A completion prints nothing rather than an error: the shell shows what it gets.
    if (!host::SettingsStore::ParseInt(args.Operand(0), &current) || current < 1) return 0;
    try {
        for (const std::string& candidate :
             Completion(DeviceTable()).Candidates(words, static_cast<size_t>(current)))
            Output::Print(candidate + "\n");
    } catch (const std::exception&) {
    }
    return 0;
}

}  // namespace brelta::cli
