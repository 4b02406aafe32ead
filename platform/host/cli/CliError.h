#ifndef BRELTA_CLI_CLIERROR_H
#define BRELTA_CLI_CLIERROR_H

#include <stdexcept>
#include <string>

#include "base/Outcome.h"

namespace brelta::cli {

// What ends a command early. A usage error (exit status 2) is the person's: a wrong word on
// the command line; a failure (exit status 1) is the device root's: a missing key, a file
// that cannot be written. The dispatcher prints the message on standard error.
class CliError : public std::runtime_error {
public:
    static constexpr int kFailure = 1;
    static constexpr int kUsage = 2;

    static CliError Usage(const std::string& message) { return CliError(kUsage, message); }
    // A command line that does not fit its command: what was wrong, then the command's
    // synopsis ("settings get [--json] KEY").
    static CliError Usage(const std::string& what, const std::string& synopsis) {
        return CliError(kUsage, what + "\nusage: brelta-device " + synopsis);
    }
    static CliError Failure(const std::string& message) { return CliError(kFailure, message); }
    // A failure that quotes the system's reason (errno) for `what`.
    static CliError SystemFailure(const std::string& what, int error);
    // Throws for a change of the device root that was not done: a usage error for a request
    // that can never be done, a failure otherwise.
    static void Require(const host::Outcome& outcome);

    int Status() const { return m_Status; }

private:
    CliError(int status, const std::string& message)
        : std::runtime_error(message), m_Status(status) {}
    int m_Status;
};

}  // namespace brelta::cli

#endif
