#pragma once

#include <cstdint>

namespace brelta::capture {

// A live capture file never grows past what the tool's export copies, so that every capture
// can be exported; the helper stops at it and the platform reads no further.
constexpr uint64_t kMaxBytes = 1048576;
// The snap length of every capture file the platform writes, live or emulated.
constexpr uint32_t kSnapLength = 262144;

}  // namespace brelta::capture
