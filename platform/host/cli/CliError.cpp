#include "CliError.h"

#include <cstring>

namespace brelta::cli {

CliError CliError::SystemFailure(const std::string& what, int error) {
    return CliError(kFailure, what + ": " + std::strerror(error));
}

}  // namespace brelta::cli
