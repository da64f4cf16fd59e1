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
// the padding of a record, are measured 32 and then eight bytes at a time.
size_t runAt(const uint8_t* data, size_t i, size_t length) {
  const uint8_t byte = data[i];
  const uint64_t repeated = 0x0101010101010101ull * byte;
  size_t end = i + 1;
  while (end + 32 <= length) {  // the long runs of a record's unused bytes
    uint64_t words[4];
    std::memcpy(words, data + end, 32);
    if (((words[0] ^ repeated) | (words[1] ^ repeated) | (words[2] ^ repeated) |
         (words[3] ^ repeated)) != 0) {
      break;
    }
    end += 32;
  }
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
  RunPacker packer(out);
  packer.add(data, length);
  packer.finish();
}

RunPacker::RunPacker(std::vector<uint8_t>& out) : out_(out), literalAt_(out.size()) {
  out_.push_back(0);  // the literal's count: one byte until it is known to need more
}

void RunPacker::copyLiteral(const uint8_t* data, size_t length) {
  out_.insert(out_.end(), data, data + length);
}

void RunPacker::closeLiteral(size_t repeat) {
  const size_t literal = out_.size() - literalAt_ - 1;
  if (literal < 128) {
    out_[literalAt_] = static_cast<uint8_t>(literal);
  } else {
    uint8_t count[5];
    size_t used = 0;
    size_t value = literal;
    for (; value >= 128; value >>= 7) count[used++] = static_cast<uint8_t>(128 + (value & 0x7f));
    count[used++] = static_cast<uint8_t>(value);
    out_[literalAt_] = count[0];
    out_.insert(out_.begin() + static_cast<ptrdiff_t>(literalAt_ + 1), count + 1, count + used);
  }
  if (repeat == SIZE_MAX) return;  // the last literal
  appendVarint(out_, static_cast<uint32_t>(repeat));
  literalAt_ = out_.size();
  out_.push_back(0);
}

void RunPacker::endRun() {
  if (run_ >= 4) closeLiteral(run_ - 1);
  run_ = 0;
}

void RunPacker::add(const uint8_t* data, size_t length) {
  if (length == 0) return;
  length_ += length;
  size_t i = 0;
  if (run_ > 0 && data[0] == runByte_) {  // the run that ended the last piece goes on
    const size_t more = runAt(data, 0, length);
    if (run_ < 4 && run_ + more < 4) {
      copyLiteral(data, more);
    } else if (run_ < 4) {
      // A repeat now: the literal keeps only the run's first byte.
      out_.erase(out_.end() - static_cast<ptrdiff_t>(run_ - 1), out_.end());
    }
    run_ += more;
    i = more;
    if (i == length) return;
  }
  endRun();
  // From here on as packRuns goes, within the piece.
  while (true) {
    const size_t found = nextRunOfFour(data, i, length);
    if (found == length) {
      copyLiteral(data + i, length - i);
      // Fewer than four equal bytes end the piece: the next may lengthen them.
      if (i < length) {
        runByte_ = data[length - 1];
        size_t first = length - 1;
        while (first > i && data[first - 1] == runByte_) --first;
        run_ = length - first;
      }
      return;
    }
    size_t start = found;
    while (start > i && data[start - 1] == data[found]) --start;
    const size_t run = runAt(data, start, length);
    copyLiteral(data + i, start + 1 - i);
    if (start + run == length) {  // the next piece may lengthen it
      runByte_ = data[start];
      run_ = run;
      return;
    }
    closeLiteral(run - 1);
    i = start + run;
  }
}

size_t RunPacker::finish() {
  endRun();
  // A body ending with a repeat ends there; an empty one still has its
  // (empty) literal.
  if (out_.size() - literalAt_ - 1 > 0 || length_ == 0) {
    closeLiteral(SIZE_MAX);
  } else {
    out_.pop_back();
  }
  return length_;
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
