#include "Arguments.h"

#include <getopt.h>

#include "CliError.h"

namespace brelta::cli {

namespace {
bool IsNegativeNumber(const char* word) {
    return word[0] == '-' && word[1] >= '0' && word[1] <= '9';
}
}  // namespace

Arguments::Arguments(const std::vector<std::string>& words, const std::vector<OptionDecl>& declared,
                     const std::string& synopsis, bool stopAtOperand)
    : m_Synopsis(synopsis) {
    std::vector<OptionDecl> all = declared;
    all.push_back({"help", 'h', false});
    // "+": stop at the first operand, which the loop below takes before going on, so that
    // operands keep their order and negative numbers can be told from options. ":": report a
    // missing value as ':' rather than printing getopt's own message.
    std::string letters = "+:";
    std::vector<option> longOptions;
    for (const OptionDecl& option : all) {
        if (option.letter != 0)
            letters += std::string(1, option.letter) + (option.takesValue ? ":" : "");
        longOptions.push_back({option.name, option.takesValue ? required_argument : no_argument,
                               nullptr, option.letter != 0 ? option.letter : 0});
    }
    longOptions.push_back({nullptr, 0, nullptr, 0});

    std::vector<std::string> copies = {"brelta-device"};
    copies.insert(copies.end(), words.begin(), words.end());
    std::vector<char*> argv;
    for (std::string& word : copies) argv.push_back(&word[0]);
    argv.push_back(nullptr);
    int argc = static_cast<int>(copies.size());

    auto usage = [&](const std::string& what) {
        return CliError::Usage(what + "\nusage: brelta-device " + m_Synopsis);
    };
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
            throw usage("unknown option '" +
                        (optopt != 0 ? std::string("-") + char(optopt) : copies[optind - 1]) + "'");
        if (code == ':') throw usage("option '" + copies[optind - 1] + "' needs a value");
        const OptionDecl* option = nullptr;
        if (index >= 0) {
            option = &all[static_cast<size_t>(index)];
        } else {
            for (const OptionDecl& candidate : all)
                if (candidate.letter == code) option = &candidate;
        }
        m_Options[option->name].push_back(option->takesValue && optarg != nullptr ? optarg : "");
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

void Arguments::RequireOperands(size_t min, size_t max) const {
    if (m_Operands.size() < min || m_Operands.size() > max)
        throw CliError::Usage("usage: brelta-device " + m_Synopsis);
}

}  // namespace brelta::cli
