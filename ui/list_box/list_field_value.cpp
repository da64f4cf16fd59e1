#include "ui/list_box/list_field_value.h"

#include <cstring>
#include <memory>

#include "runtime/decimal.h"
#include "runtime/field_compare.h"
#include "runtime/type_codes.h"
#include "runtime/ufo.h"

namespace zor::ui {
namespace {

bool isPlainInteger(uint8_t type) {
  return type == kByte || type == kShort || type == kUShort || type == kLong || type == kULong;
}

int64_t loadInteger(uint8_t type, const uint8_t* p) {
  switch (type) {
    case kByte:
      return p[0];
    case kShort:
      return static_cast<int16_t>(loadU16(p));
    case kUShort:
      return loadU16(p);
    case kLong:
      return static_cast<int32_t>(loadU32(p));
    default:
      return loadU32(p);
  }
}

// Field objects write through a non-const address; the list only reads.
std::unique_ptr<Ufo> readerFor(const FieldDescriptor& d, const uint8_t* at) {
  if (!isNumericType(d.type) && !isStringType(d.type)) return nullptr;
  return makeUfo(d.type, const_cast<uint8_t*>(at), d.size, d.places);
}

TextSpan textOf(const FieldDescriptor& d, const uint8_t* at) {
  return fieldText(FieldShape{d.type, d.size, d.places}, at);
}

}  // namespace

const FieldDescriptor* ListRow::field(int number) const {
  if (layout == nullptr || bytes == nullptr || number < 1) return nullptr;
  if (static_cast<size_t>(number) > layout->size()) return nullptr;
  const FieldDescriptor& d = (*layout)[static_cast<size_t>(number) - 1];
  if (!d.dimensions.empty() || d.offset > length || d.size > length - d.offset) return nullptr;
  return &d;
}

size_t formatListField(const ListRow& row, int number, const CompiledPicture& picture, char* out) {
  const FieldDescriptor* d = row.field(number);
  if (d == nullptr) return 0;
  const uint8_t* at = row.bytes + d->offset;
  if (isStringType(d->type)) {
    TextSpan text = textOf(*d, at);
    std::string_view view(reinterpret_cast<const char*>(text.data), text.length);
    return formatPicture(picture, PictureValue::ofText(view), out);
  }
  int64_t integer = 0;
  if (isPlainInteger(d->type)) {
    integer = loadInteger(d->type, at);
  } else {
    std::unique_ptr<Ufo> ufo = readerFor(*d, at);
    if (ufo == nullptr) return 0;
    if (d->type == kDecimal || d->type == kPDecimal) {
      DecimalAccumulator decimal;
      ufo->toDecimal(decimal);
      return formatPicture(picture, PictureValue::ofDecimal(decimal), out);
    }
    if (ufo->isFloating()) return formatPicture(picture, PictureValue::ofReal(ufo->toReal()), out);
    integer = ufo->toInt();  // DATE and TIME read as their standard numbers
  }
  switch (picture.pictureClass) {
    case PictureClass::Date:
      return formatPicture(picture, PictureValue::ofDate(static_cast<int32_t>(integer)), out);
    case PictureClass::Time:
      return formatPicture(picture, PictureValue::ofTime(static_cast<int32_t>(integer)), out);
    default:
      return formatPicture(picture, PictureValue::ofInteger(integer), out);
  }
}

int64_t listFieldNumber(const ListRow& row, int number) {
  const FieldDescriptor* d = row.field(number);
  if (d == nullptr) return 0;
  const uint8_t* at = row.bytes + d->offset;
  if (isPlainInteger(d->type)) return loadInteger(d->type, at);
  std::unique_ptr<Ufo> ufo = readerFor(*d, at);
  return ufo == nullptr ? 0 : ufo->toInt();
}

std::string listFieldText(const ListRow& row, int number) {
  const FieldDescriptor* d = row.field(number);
  if (d == nullptr) return {};
  const uint8_t* at = row.bytes + d->offset;
  std::string text;
  if (isStringType(d->type)) {
    TextSpan span = textOf(*d, at);
    text.assign(reinterpret_cast<const char*>(span.data), span.length);
  } else if (std::unique_ptr<Ufo> ufo = readerFor(*d, at)) {
    text = ufo->text();
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

}  // namespace zor::ui
