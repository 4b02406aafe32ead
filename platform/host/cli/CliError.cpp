#include "CliError.h"

#include <cstring>

namespace brelta::cli {

CliError CliError::SystemFailure(const std::string& what, int error) {
    return CliError(kFailure, what + ": " + std::strerror(error));
}

void CliError::Require(const host::Outcome& outcome) {
    if (outcome.Done()) return;
    throw outcome.status == host::Outcome::kInvalid ? Usage(outcome.message)
                                                    : Failure(outcome.message);
}

}  // namespace brelta::cli
