#include "framework/field_ref.h"

#include "platform/ascii_case.h"

namespace zor::fw {

std::unique_ptr<Ufo> FieldRef::object() const {
  const FieldDescriptor& field = descriptor();
  return makeUfo(field.type, address(), field.size, field.places);
}

std::string FieldRef::text() const {
  return valid() ? object()->text() : "";
}

void FieldRef::assign(const std::string& value) const {
  if (valid()) object()->assignText(value);
}

void FieldRef::clear() const {
  if (valid()) object()->clear();
}

FieldRef fieldByLabel(data::FileControlBlock& table, const std::string& label) {
  for (size_t i = 0; i < table.fields.size(); ++i) {
    if (platform::equalsIgnoringCase(table.fields[i].name, label)) {
      return FieldRef{&table, static_cast<uint16_t>(i + 1)};
    }
  }
  return FieldRef{};
}

}  // namespace zor::fw
