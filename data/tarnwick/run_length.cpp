#include "data/tarnwick/run_length.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace zor::tarnwick {

namespace {

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

namespace {

// How many bytes from `i` on repeat data[i] (at least 1). Long runs, such as
// the padding of a record, are measured eight bytes at a time.
size_t runAt(const uint8_t* data, size_t i, size_t length) {
  const uint8_t byte = data[i];
  const uint64_t repeated = 0x0101010101010101ull * byte;
  size_t end = i + 1;
  while (end + 8 <= length) {
    uint64_t word = 0;
    std::memcpy(&word, data + end, 8);
    if (word != repeated) break;
    end += 8;
  }
  while (end < length && data[end] == byte) ++end;
  return end - i;
}

// The first position from `i` at which four equal bytes begin (`length`
// when none does). Text is looked at eight bytes at a time: a byte of
// x ^ (x >> 8) is zero where two neighbours are equal, and three zero bytes
// in a row mark four equal ones.
size_t nextRunOfFour(const uint8_t* data, size_t i, size_t length) {
  if constexpr (std::endian::native == std::endian::little) {
    constexpr uint64_t kLow7 = 0x7f7f7f7f7f7f7f7full;
    constexpr uint64_t kHigh = 0x8080808080808080ull;
    constexpr uint64_t kFirstFive = 0x0000008080808080ull;  // byte 7 has no neighbour
    while (i + 8 <= length) {
      uint64_t x = 0;
      std::memcpy(&x, data + i, 8);
      const uint64_t y = x ^ (x >> 8);
      const uint64_t zero = ~(((y & kLow7) + kLow7) | y) & kHigh;
      const uint64_t four = zero & (zero >> 8) & (zero >> 16) & kFirstFive;
      if (four != 0) return i + static_cast<size_t>(std::countr_zero(four)) / 8;
      i += 5;
    }
  }
  for (; i + 3 < length; ++i) {
    if (data[i] == data[i + 1] && data[i] == data[i + 2] && data[i] == data[i + 3]) return i;
  }
  return length;
}

}  // namespace

void packRuns(const uint8_t* data, size_t length, std::vector<uint8_t>& out) {
  // Every run of four or more equal bytes, taken whole, becomes a repeat
  // (a shorter one costs more as a pair than as literal bytes); the bytes
  // between them are literals.
  size_t literalStart = 0;
  size_t i = 0;
  while (i < length) {
    const size_t found = nextRunOfFour(data, i, length);
    if (found == length) break;
    size_t start = found;  // the run began where its byte first appears
    while (start > i && data[start - 1] == data[found]) --start;
    const size_t run = runAt(data, start, length);
    // The literal ends with the run's first byte; the repeat adds the rest.
    appendVarint(out, static_cast<uint32_t>(start + 1 - literalStart));
    out.insert(out.end(), data + literalStart, data + start + 1);
    appendVarint(out, static_cast<uint32_t>(run - 1));
    i = start + run;
    literalStart = i;
  }
  if (literalStart < length || length == 0) {
    appendVarint(out, static_cast<uint32_t>(length - literalStart));
    out.insert(out.end(), data + literalStart, data + length);
  }
}

bool unpackRuns(const uint8_t* in, size_t inLength, uint8_t* out, size_t length) {
  RunReader reader(in, inLength, length, true);
  return reader.read(out, length);
}

bool RunReader::nextCount() {
  // The literal just handed out ends with the byte a repeat repeats; after
  // an empty literal it is still the one before.
  if (repeatNext_ && pairLiteral_ > 0) lastByte_ = in_[-1];
  size_t count = 0;
  if (!readVarint(in_, end_, count) || count > length_ - done_) return false;
  if (repeatNext_) {
    if (count > 0 && done_ == 0) return false;  // nothing written yet to repeat
    repeat_ = count;
  } else {
    if (count > static_cast<size_t>(end_ - in_)) return false;
    literal_ = pairLiteral_ = count;
  }
  repeatNext_ = !repeatNext_;
  return true;
}

bool RunReader::advance(uint8_t* out, size_t count) {
  if (failed_ || count > left()) return false;
  while (count > 0) {
    size_t step = 0;
    if (literal_ > 0) {
      step = std::min(literal_, count);
      if (out != nullptr) std::memcpy(out, in_, step);
      in_ += step;
      literal_ -= step;
    } else if (repeat_ > 0) {
      step = std::min(repeat_, count);
      if (out != nullptr) std::memset(out, lastByte_, step);
      repeat_ -= step;
    } else if (!nextCount()) {
      failed_ = true;
      return false;
    }
    done_ += step;
    count -= step;
    if (out != nullptr) out += step;
  }
  return true;
}

}  // namespace zor::tarnwick
