#pragma once
// Run-length packing of page bodies: pairs of a literal count with its bytes
// and a repeat count for the last byte written, both as 7-bit variable-length
// numbers, until the unpacked length is reached.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zor::tarnwick {

// Appends the packed form of `data` to `out`.
void packRuns(const uint8_t* data, size_t length, std::vector<uint8_t>& out);
// Unpacks exactly `length` bytes into `out`. Answers false when the input
// ends early, a count would overflow `length`, or a repeat has no byte yet.
bool unpackRuns(const uint8_t* in, size_t inLength, uint8_t* out, size_t length);

void appendVarint(std::vector<uint8_t>& out, uint32_t value);

}  // namespace zor::tarnwick
