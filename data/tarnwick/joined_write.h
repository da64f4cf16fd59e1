#pragma once
// Bytes bound for neighbouring places in a file, gathered so that they go
// out in one write instead of one a page. A piece is closed when the next
// bytes do not continue it or it has reached its cap; the caller writes it
// and decides what a failed write means.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zor::tarnwick {

class JoinedWrite {
 public:
  explicit JoinedWrite(size_t cap) : cap_(cap) {}

  // Whether bytes for `offset` may join the piece gathered so far.
  bool takes(uint64_t offset) const {
    return piece_.empty() || (at_ + piece_.size() == offset && piece_.size() < cap_);
  }
  void add(uint64_t offset, const uint8_t* bytes, size_t length) {
    if (piece_.empty()) at_ = offset;
    piece_.insert(piece_.end(), bytes, bytes + length);
  }
  bool empty() const { return piece_.empty(); }
  uint64_t at() const { return at_; }
  const uint8_t* data() const { return piece_.data(); }
  size_t size() const { return piece_.size(); }
  void clear() { piece_.clear(); }

 private:
  size_t cap_;
  uint64_t at_ = 0;
  std::vector<uint8_t> piece_;
};

}  // namespace zor::tarnwick
