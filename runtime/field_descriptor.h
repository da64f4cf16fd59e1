#pragma once
// The description of one field of a FILE record, QUEUE or GROUP, and the
// compact compiled type descriptor of a whole record.

#include <cstdint>
#include <string>
#include <vector>

namespace zor {

struct FieldDescriptor {
  uint32_t offset = 0;       // byte offset in the record buffer
  uint32_t size = 0;         // storage size in bytes (DECIMAL: the byte size n)
  uint32_t places = 0;       // decimal places (DECIMAL/PDECIMAL)
  const char* name = "";     // the label as written, with its prefix ("SEC:ID")
  const char* picture = "";  // declared picture of a string field, "" when none
  uint32_t groupCount = 0;   // GROUP: how many following descriptors belong to it
  std::vector<uint32_t> dimensions;  // extents, declaration order (empty: plain field)
  uint8_t type = 0;          // type code
};

using RecordLayout = std::vector<FieldDescriptor>;

// The declaration text of one field as the driver trace prints it, e.g.
// "SEC:DESCRIPTION CSTRING(50)" or "X DECIMAL(5,2), DIM(3)".
std::string describeField(const RecordLayout& layout, size_t index, const char* externalName = "");

// The compiled type descriptor bytes of a record: type 22, flags 0, size,
// field count, length, then one entry per field.
std::vector<uint8_t> compileTypeDescriptor(const RecordLayout& layout, uint32_t recordSize);

}  // namespace zor
