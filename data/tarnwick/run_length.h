#pragma once
// Run-length packing of page bodies: pairs of a literal count with its bytes
// and a repeat count for the last byte written, both as 7-bit variable-length
// numbers, until the unpacked length is reached.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace zor::tarnwick {

// Appends the packed form of `data` to `out`: every run of four or more
// equal bytes, taken whole, ends a literal with its first byte and becomes
// a repeat of the rest (a shorter one costs more as a pair than as literal
// bytes).
void packRuns(const uint8_t* data, size_t length, std::vector<uint8_t>& out);
// Unpacks exactly `length` bytes into `out`. Answers false when the input
// ends early, a count would overflow `length`, or a repeat has no byte yet.
bool unpackRuns(const uint8_t* in, size_t inLength, uint8_t* out, size_t length);

void appendVarint(std::vector<uint8_t>& out, uint32_t value);

// Packs a body handed over piece by piece into the same bytes as when it is
// handed over whole, so that a page packs straight from its items without
// gathering them into one body first. Runs may span pieces.
class RunPacker {
 public:
  explicit RunPacker(std::vector<uint8_t>& out);
  void add(const uint8_t* data, size_t length);
  // Ends the packed form; answers the length of the body packed.
  size_t finish();

 private:
  void copyLiteral(const uint8_t* data, size_t length);
  // Ends the literal (with the first byte of the run that follows) and adds
  // a repeat of `repeat` more bytes.
  void closeLiteral(size_t repeat);
  void endRun();

  std::vector<uint8_t>& out_;
  size_t literalAt_;  // where the current literal's count goes in `out_`
  size_t length_ = 0;
  // The equal bytes that end what was added so far: all of them in the
  // literal while they are fewer than four, otherwise only the first.
  uint8_t runByte_ = 0;
  size_t run_ = 0;
};

// Hands out a body of `length` bytes piece by piece, as unpackRuns would
// have unpacked it whole, so that a page decodes straight into its own
// storage. An unpacked body (`packed` false) is handed out as it stands.
class RunReader {
 public:
  RunReader(const uint8_t* in, size_t inLength, size_t length, bool packed)
      : in_(in), end_(in + inLength), length_(length), literal_(packed ? 0 : length) {}

  // Bytes not handed out yet.
  size_t left() const { return length_ - done_; }
  // Copies the next `count` bytes to `out`; false when fewer are left or the
  // input cannot give them (the reader then stays failed).
  bool read(uint8_t* out, size_t count) {
    if (count <= literal_ && count != 0) {  // the frequent case: inside a literal
      std::memcpy(out, in_, count);
      in_ += count;
      literal_ -= count;
      done_ += count;
      return true;
    }
    return advance(out, count);
  }
  // Passes over the next `count` bytes as read() would.
  bool skip(size_t count) {
    if (count <= literal_ && count != 0) {
      in_ += count;
      literal_ -= count;
      done_ += count;
      return true;
    }
    return advance(nullptr, count);
  }
  // Whether the rest of the input gives exactly the bytes left.
  bool restIsSound() { return advance(nullptr, left()); }

 private:
  // read() in general; a null `out` skips the bytes.
  bool advance(uint8_t* out, size_t count);
  bool nextCount();

  const uint8_t* in_;
  const uint8_t* end_;
  size_t length_;
  size_t done_ = 0;
  size_t literal_;          // literal bytes left in the current pair
  size_t repeat_ = 0;       // repeats left in the current pair
  size_t pairLiteral_ = 0;  // the current pair's literal count
  uint8_t lastByte_ = 0;    // the byte a repeat writes
  bool repeatNext_ = false;
  bool failed_ = false;
};

}  // namespace zor::tarnwick
