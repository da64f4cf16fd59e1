#pragma once
// The framework's error table in its stored layout, little-endian: a u16
// count, then per entry a u16 id, a u8 level, the title and the message,
// each a length byte followed by the text. The built-in table holds 52
// entries (ids 1 to 53 without 32) in 4,343 bytes.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "framework/error_reporter.h"

namespace zor::fw {

inline constexpr size_t kBuiltInErrorCount = 52;
inline constexpr size_t kBuiltInErrorTableBytes = 4343;

std::span<const uint8_t> builtInErrorTable();

// The entries of a stored table (category left empty); nullopt when the
// bytes do not read exactly to their end.
std::optional<std::vector<ErrorEntry>> readErrorTable(std::span<const uint8_t> table);

}  // namespace zor::fw
