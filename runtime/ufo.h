#pragma once
// Field objects: generic code (expression evaluator, pictures, list boxes,
// file drivers, traces) reads and writes a field through a field object
// made from (type code, address, size, places), without knowing its type.
// Classes: Ufo <- UfoNumeric <- one class per numeric type;
//          Ufo <- UfoString (STRING, GROUP) <- UfoCString, UfoPString.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "runtime/decimal.h"

namespace zor {

class Ufo {
 public:
  Ufo(uint8_t* address, size_t size) : address_(address), size_(size) {}
  virtual ~Ufo() = default;
  Ufo(const Ufo&) = delete;
  Ufo& operator=(const Ufo&) = delete;

  virtual uint8_t type() const = 0;
  virtual bool isNumeric() const = 0;
  // SREAL, REAL, BFLOAT4, BFLOAT8: compared as binary floating values.
  virtual bool isFloating() const { return false; }

  // Reading.
  virtual std::string text() const = 0;  // numbers: shortest plain decimal text
  virtual int64_t toInt() const = 0;     // strings: their numeric value, 0 if none
  virtual double toReal() const = 0;
  virtual void toDecimal(DecimalAccumulator& acc) const = 0;

  // Writing (numbers round or truncate as their type requires; strings are
  // cut at the field's capacity).
  virtual void assignText(const std::string& value) = 0;
  virtual void assignInt(int64_t value) = 0;
  virtual void assignReal(double value) = 0;
  virtual void assignDecimal(const DecimalAccumulator& acc) = 0;
  virtual void clear() = 0;

  // -1, 0 or 1: numbers by value, strings as text (trailing blanks ignored).
  virtual int compare(const Ufo& other) const;

  uint8_t* address() const { return address_; }
  size_t size() const { return size_; }

 protected:
  uint8_t* address_;
  size_t size_;
};

// Makes the field object for a type code; codes without a class are fatal
// runtime error 501 ("Make UFO Error").
std::unique_ptr<Ufo> makeUfo(uint8_t type, void* address, size_t size, unsigned places = 0);

}  // namespace zor
