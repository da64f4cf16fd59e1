#pragma once
// The numeric branch of the field objects: one class per numeric type.

#include <cstring>

#include "runtime/type_codes.h"
#include "runtime/ufo.h"

namespace zor {

class UfoNumeric : public Ufo {
 public:
  using Ufo::Ufo;
  bool isNumeric() const override { return true; }
  std::string text() const override;
  void assignText(const std::string& value) override;
  void clear() override { std::memset(address_, 0, size_); }
};

// BYTE, SHORT, USHORT, LONG, ULONG: little-endian two's complement integers.
// Writes keep the low bytes of the value (wrap round like the machine type);
// reals and decimals are truncated toward zero first.
template <typename Int, uint8_t Code>
class UfoInteger final : public UfoNumeric {
 public:
  explicit UfoInteger(uint8_t* address) : UfoNumeric(address, sizeof(Int)) {}
  uint8_t type() const override { return Code; }
  int64_t toInt() const override;
  double toReal() const override { return static_cast<double>(toInt()); }
  void toDecimal(DecimalAccumulator& acc) const override;
  void assignInt(int64_t value) override;
  void assignReal(double value) override;
  void assignDecimal(const DecimalAccumulator& acc) override;
};

using UfoByte = UfoInteger<uint8_t, kByte>;
using UfoShort = UfoInteger<int16_t, kShort>;
using UfoUShort = UfoInteger<uint16_t, kUShort>;
using UfoLong = UfoInteger<int32_t, kLong>;
using UfoULong = UfoInteger<uint32_t, kULong>;

// DATE and TIME are stored packed and read as their standard numbers.
class UfoDate final : public UfoNumeric {
 public:
  explicit UfoDate(uint8_t* address) : UfoNumeric(address, 4) {}
  uint8_t type() const override { return kDate; }
  int64_t toInt() const override;
  double toReal() const override { return static_cast<double>(toInt()); }
  void toDecimal(DecimalAccumulator& acc) const override;
  void assignInt(int64_t value) override;
  void assignReal(double value) override;
  void assignDecimal(const DecimalAccumulator& acc) override;
};

class UfoTime final : public UfoNumeric {
 public:
  explicit UfoTime(uint8_t* address) : UfoNumeric(address, 4) {}
  uint8_t type() const override { return kTime; }
  int64_t toInt() const override;
  double toReal() const override { return static_cast<double>(toInt()); }
  void toDecimal(DecimalAccumulator& acc) const override;
  void assignInt(int64_t value) override;
  void assignReal(double value) override;
  void assignDecimal(const DecimalAccumulator& acc) override;
};

// SREAL, REAL, BFLOAT4 and BFLOAT8 share everything but their storage form.
class UfoFloating : public UfoNumeric {
 public:
  using UfoNumeric::UfoNumeric;
  bool isFloating() const override { return true; }
  int64_t toInt() const override;
  void toDecimal(DecimalAccumulator& acc) const override;
  void assignText(const std::string& value) override;
  void assignInt(int64_t value) override { assignReal(static_cast<double>(value)); }
  void assignDecimal(const DecimalAccumulator& acc) override;

 protected:
  // Significant decimal digits the storage form holds.
  virtual int precision() const = 0;
};

class UfoSReal final : public UfoFloating {
 public:
  explicit UfoSReal(uint8_t* address) : UfoFloating(address, 4) {}
  uint8_t type() const override { return kSReal; }
  double toReal() const override;
  void assignReal(double value) override;

 protected:
  int precision() const override { return 7; }
};

class UfoReal final : public UfoFloating {
 public:
  explicit UfoReal(uint8_t* address) : UfoFloating(address, 8) {}
  uint8_t type() const override { return kReal; }
  double toReal() const override;
  void assignReal(double value) override;

 protected:
  int precision() const override { return 15; }
};

// BFLOAT4 / BFLOAT8: sign and magnitude with a biased exponent byte last.
// Bytes 0..n-2 hold the mantissa below its implied leading one, least
// significant first, with the sign in the top bit of byte n-2; byte n-1 is the
// exponent biased by 129 (0 = zero). 23 mantissa bits in 4 bytes, 55 in 8.
class UfoBFloat4 final : public UfoFloating {
 public:
  explicit UfoBFloat4(uint8_t* address) : UfoFloating(address, 4) {}
  uint8_t type() const override { return kBFloat4; }
  double toReal() const override;
  void assignReal(double value) override;

 protected:
  int precision() const override { return 7; }
};

class UfoBFloat8 final : public UfoFloating {
 public:
  explicit UfoBFloat8(uint8_t* address) : UfoFloating(address, 8) {}
  uint8_t type() const override { return kBFloat8; }
  double toReal() const override;
  void assignReal(double value) override;

 protected:
  int precision() const override { return 15; }
};

// DECIMAL and PDECIMAL: n packed bytes with `places` decimals; writes round
// half away from zero.
class UfoPacked : public UfoNumeric {
 public:
  UfoPacked(uint8_t* address, size_t size, unsigned places)
      : UfoNumeric(address, size), places_(places) {}
  unsigned places() const { return places_; }
  int64_t toInt() const override;
  double toReal() const override;
  void assignInt(int64_t value) override;
  void assignReal(double value) override;

 protected:
  unsigned places_;
};

class UfoDecimal final : public UfoPacked {
 public:
  using UfoPacked::UfoPacked;
  uint8_t type() const override { return kDecimal; }
  void toDecimal(DecimalAccumulator& acc) const override;
  void assignDecimal(const DecimalAccumulator& acc) override;
};

class UfoPDecimal final : public UfoPacked {
 public:
  using UfoPacked::UfoPacked;
  uint8_t type() const override { return kPDecimal; }
  void toDecimal(DecimalAccumulator& acc) const override;
  void assignDecimal(const DecimalAccumulator& acc) override;
};

// Binary floating forms of their own <-> double.
double bfloatToReal(const uint8_t* bytes, size_t size);
void realToBFloat(double value, uint8_t* bytes, size_t size);

}  // namespace zor
