#pragma once
// Reading the queue fields a list column names straight from a row's bytes:
// the value through the column's compiled picture, and the numbers and texts
// of the colour, icon, tree-level, style and tip fields. Field n is the n-th
// descriptor of the queue's layout; a field number outside the layout, or a
// field that does not fit in the record, reads as empty or 0.

#include <cstddef>
#include <cstdint>
#include <string>

#include "runtime/field_descriptor.h"
#include "runtime/picture.h"

namespace zor::ui {

struct ListRow {
  const RecordLayout* layout = nullptr;
  const uint8_t* bytes = nullptr;
  size_t length = 0;

  const FieldDescriptor* field(int number) const;
};

// Formats field `number` through `picture` into `out` (kMaxPictureWidth
// characters) and returns the length written.
size_t formatListField(const ListRow& row, int number, const CompiledPicture& picture, char* out);

// The field as a whole number (texts: their numeric value); 0 when absent.
int64_t listFieldNumber(const ListRow& row, int number);

// The field as text, trailing blanks dropped; empty when absent.
std::string listFieldText(const ListRow& row, int number);

}  // namespace zor::ui
