#ifndef BRELTA_TESTS_SHELL_H
#define BRELTA_TESTS_SHELL_H

#include <string>

namespace brelta::test {

// Commands of the tests' own helpers (tmux, nm, the compiler) run through sh.
class Shell {
public:
    // Runs the command line and returns its standard output.
    static std::string Output(const std::string& command);
    // The text as one word for sh, in single quotes.
    static std::string Quote(const std::string& text);
};

}  // namespace brelta::test

#endif
