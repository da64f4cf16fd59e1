#pragma once
// Field values as text, by the field's type: strings without their padding,
// numbers as numbers, dates through the picture @D10- and times through
// @T4 (an empty text for no date or time), other bytes in hexadecimal. The
// reverse reads such a text into a record image.

#include <cstdint>
#include <string>

#include "runtime/field_descriptor.h"

namespace zor::tarnwick {

std::string fieldText(const FieldDescriptor& field, const uint8_t* record);

// Stores `text` in the field; false (with a reason) when it is no value of
// the field's type or does not fit.
bool storeFieldText(const FieldDescriptor& field, const std::string& text, uint8_t* record,
                    std::string& reason);

}  // namespace zor::tarnwick
