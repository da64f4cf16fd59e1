#include "data/tarnwick/run_length.h"

#include <cstring>

namespace zor::tarnwick {

namespace {

// A run shorter than this costs more as a pair than as literal bytes.
constexpr size_t kMinRun = 4;

bool readVarint(const uint8_t*& in, const uint8_t* end, size_t& value) {
  if (in == end) return false;
  uint8_t byte = *in++;
  if (byte < 128) {
    value = byte;
    return true;
  }
  value = byte - 128u;
  for (int shift = 7;; shift += 7) {
    if (in == end || shift > 28) return false;
    byte = *in++;
    value |= static_cast<size_t>(byte & 0x7f) << shift;
    if (byte < 128) return true;
  }
}

}  // namespace

void appendVarint(std::vector<uint8_t>& out, uint32_t value) {
  if (value < 128) {
    out.push_back(static_cast<uint8_t>(value));
    return;
  }
  out.push_back(static_cast<uint8_t>(128 + (value & 0x7f)));
  value >>= 7;
  while (value >= 128) {
    out.push_back(static_cast<uint8_t>(128 + (value & 0x7f)));
    value >>= 7;
  }
  out.push_back(static_cast<uint8_t>(value));
}

void packRuns(const uint8_t* data, size_t length, std::vector<uint8_t>& out) {
  size_t literalStart = 0;
  size_t i = 0;
  while (i < length) {
    size_t run = 1;
    while (i + run < length && data[i + run] == data[i]) ++run;
    if (run < kMinRun) {
      i += run;
      continue;
    }
    // The literal ends with the run's first byte; the repeat adds the rest.
    const size_t literal = i + 1 - literalStart;
    appendVarint(out, static_cast<uint32_t>(literal));
    out.insert(out.end(), data + literalStart, data + i + 1);
    appendVarint(out, static_cast<uint32_t>(run - 1));
    i += run;
    literalStart = i;
  }
  if (literalStart < length || length == 0) {
    appendVarint(out, static_cast<uint32_t>(length - literalStart));
    out.insert(out.end(), data + literalStart, data + length);
  }
}

bool unpackRuns(const uint8_t* in, size_t inLength, uint8_t* out, size_t length) {
  const uint8_t* end = in + inLength;
  size_t done = 0;
  if (length == 0) return true;
  while (true) {
    size_t count = 0;
    if (!readVarint(in, end, count)) return false;
    if (count > length - done || count > static_cast<size_t>(end - in)) return false;
    std::memcpy(out + done, in, count);
    in += count;
    done += count;
    if (done == length) return true;
    if (!readVarint(in, end, count)) return false;
    if (count > length - done || (count > 0 && done == 0)) return false;
    if (count > 0) std::memset(out + done, out[done - 1], count);
    done += count;
    if (done == length) return true;
  }
}

}  // namespace zor::tarnwick
