#pragma once

#include <cstdint>

namespace brelta::capture {

// A live capture file never grows past what the tool's export copies, so that every capture
// can be exported; the helper stops at it and the platform reads no further.
constexpr uint64_t kMaxBytes = 1048576;
// The snap length of every capture file the platform writes, live or emulated.
constexpr uint32_t kSnapLength = 262144;
// How long a live capture runs when the device root does not say (network/capture_seconds),
// and the longest it may be told to run: a year.
constexpr long kDefaultSeconds = 600;
constexpr long kMaxSeconds = 365L * 24 * 3600;

}  // namespace brelta::capture
