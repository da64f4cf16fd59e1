#pragma once
// ANY: a slot that takes any value and remembers whether it was given a
// number or a text. The value lives in the field object itself; the 4-byte
// slot in the record is left untouched (it cannot hold a reference here).

#include "runtime/type_codes.h"
#include "runtime/ufo.h"

namespace zor {

class UfoAny final : public Ufo {
 public:
  UfoAny(uint8_t* address, size_t size) : Ufo(address, size) {}
  uint8_t type() const override { return kAny; }
  bool isNumeric() const override { return holdsNumber_; }

  std::string text() const override;
  int64_t toInt() const override;
  double toReal() const override;
  void toDecimal(DecimalAccumulator& acc) const override;

  void assignText(const std::string& value) override;
  void assignInt(int64_t value) override;
  void assignReal(double value) override;
  void assignDecimal(const DecimalAccumulator& acc) override;
  void clear() override;

 private:
  bool holdsNumber_ = false;
  std::string text_;
  DecimalAccumulator number_;
};

}  // namespace zor
