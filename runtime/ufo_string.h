#pragma once
// The string branch of the field objects. UfoString serves STRING and GROUP
// (a GROUP reads as a STRING of its size); CSTRING and PSTRING keep their text
// differently and override only how its length is found and how it is stored.

#include "runtime/type_codes.h"
#include "runtime/ufo.h"

namespace zor {

class UfoString : public Ufo {
 public:
  UfoString(uint8_t code, uint8_t* address, size_t size) : Ufo(address, size), code_(code) {}
  uint8_t type() const override { return code_; }
  bool isNumeric() const override { return false; }

  std::string text() const override;
  int64_t toInt() const override;
  double toReal() const override;
  void toDecimal(DecimalAccumulator& acc) const override;

  void assignText(const std::string& value) override;
  void assignInt(int64_t value) override;
  void assignReal(double value) override;
  void assignDecimal(const DecimalAccumulator& acc) override;
  void clear() override;

  // The most characters the field can hold.
  virtual size_t capacity() const { return size_; }
  // The number of characters of the current text.
  virtual size_t length() const { return size_; }

 protected:
  // Where the text starts in the field.
  virtual size_t textOffset() const { return 0; }
  // Writes `count` characters (count <= capacity()) and whatever marks their end.
  virtual void store(const char* characters, size_t count);

 private:
  uint8_t code_;
};

class UfoCString final : public UfoString {
 public:
  UfoCString(uint8_t* address, size_t size) : UfoString(kCString, address, size) {}
  size_t capacity() const override { return size_ == 0 ? 0 : size_ - 1; }
  size_t length() const override;
  void clear() override;

 protected:
  void store(const char* characters, size_t count) override;
};

class UfoPString final : public UfoString {
 public:
  UfoPString(uint8_t* address, size_t size) : UfoString(kPString, address, size) {}
  size_t capacity() const override;
  size_t length() const override;
  void clear() override;

 protected:
  size_t textOffset() const override { return 1; }
  void store(const char* characters, size_t count) override;
};

}  // namespace zor
