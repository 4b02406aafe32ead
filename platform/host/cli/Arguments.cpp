#include "Arguments.h"

#include <getopt.h>

#include "CliError.h"

namespace brelta::cli {

namespace {
bool IsNegativeNumber(const char* word) {
    return word[0] == '-' && word[1] >= '0' && word[1] <= '9';
}
}  // namespace

Arguments::Arguments(const std::vector<std::string>& words, const std::vector<Option>& all,
                     const std::string& synopsis, bool stopAtOperand) {
    // "+": stop at the first operand, which the loop below takes before going on, so that
    // operands keep their order and negative numbers can be told from options. ":": report a
    // missing value as ':' rather than printing getopt's own message.
    std::string letters = "+:";
    std::vector<option> longOptions;
    for (const Option& option : all) {
        bool takesValue = option.value != Kind::None;
        if (option.letter != 0) letters += std::string(1, option.letter) + (takesValue ? ":" : "");
        longOptions.push_back({option.name, takesValue ? required_argument : no_argument, nullptr,
                               option.letter != 0 ? option.letter : 0});
    }
    longOptions.push_back({nullptr, 0, nullptr, 0});

    std::vector<std::string> copies = {"brelta-device"};
    copies.insert(copies.end(), words.begin(), words.end());
    std::vector<char*> argv;
    for (std::string& word : copies) argv.push_back(&word[0]);
    argv.push_back(nullptr);
    int argc = static_cast<int>(copies.size());

    // glibc starts afresh when optind is 0 (this process parses more than one command line);
    // a first call over no words does that, so that every word below is looked at before
    // getopt sees it.
    optind = 0;
    opterr = 0;
    getopt_long(1, argv.data(), letters.c_str(), longOptions.data(), nullptr);
    bool optionsEnded = false;
    while (optind < argc) {
        if (optionsEnded || IsNegativeNumber(argv[optind])) {
            m_Operands.push_back(argv[optind++]);
            optionsEnded = optionsEnded || stopAtOperand;
            continue;
        }
        int before = optind;
        int index = -1;
        int code = getopt_long(argc, argv.data(), letters.c_str(), longOptions.data(), &index);
        if (code == -1) {
            if (optind >= argc) break;
            // getopt steps over "--" and stops after it; otherwise it stopped at an operand.
            if (optind == before + 1 && copies[before] == "--") {
                optionsEnded = true;
            } else {
                m_Operands.push_back(argv[optind++]);
                optionsEnded = stopAtOperand;
            }
            continue;
        }
        if (code == '?')
            throw CliError::Usage(
                "unknown option '" +
                    (optopt != 0 ? std::string("-") + char(optopt) : copies[optind - 1]) + "'",
                synopsis);
        if (code == ':')
            throw CliError::Usage("option '" + copies[optind - 1] + "' needs a value", synopsis);
        const Option* option = nullptr;
        if (index >= 0) {
            option = &all[static_cast<size_t>(index)];
        } else {
            for (const Option& candidate : all)
                if (candidate.letter == code) option = &candidate;
        }
        bool valued = option->value != Kind::None && optarg != nullptr;
        m_Options[option->name].push_back(valued ? optarg : "");
    }
}

std::string Arguments::Value(const std::string& name, const std::string& fallback) const {
    auto it = m_Options.find(name);
    return it == m_Options.end() ? fallback : it->second.back();
}

std::vector<std::string> Arguments::Values(const std::string& name) const {
    auto it = m_Options.find(name);
    return it == m_Options.end() ? std::vector<std::string>() : it->second;
}

long long Arguments::Count(const std::string& name, const std::string& noun,
                           long long fallback) const {
    if (!Has(name)) return fallback;
    std::string text = Value(name);
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != text.npos)
        throw CliError::Usage("'" + text + "' is not a number of " + noun);
    return std::stoll(text);
}

std::string Arguments::Operand(size_t index, const std::string& fallback) const {
    return index < m_Operands.size() ? m_Operands[index] : fallback;
}

}  // namespace brelta::cli
