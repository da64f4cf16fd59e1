#pragma once
// The description of one field of a FILE record, QUEUE or GROUP, and the
// compact compiled type descriptor of a whole record.

#include <cstdint>
#include <string>
#include <vector>

namespace zor {

struct FieldDescriptor {
  uint32_t offset = 0;               // byte offset in the record buffer
  uint32_t size = 0;                 // storage size in bytes (DECIMAL: the byte size n)
  uint32_t places = 0;               // decimal places (DECIMAL/PDECIMAL)
  const char* name = "";             // the label as written, with its prefix ("SEC:ID")
  const char* picture = "";          // declared picture of a string field, "" when none
  uint32_t groupCount = 0;           // GROUP: how many following descriptors belong to it
  std::vector<uint32_t> dimensions;  // extents, declaration order (empty: plain field)
  uint8_t type = 0;                  // type code
};

using RecordLayout = std::vector<FieldDescriptor>;

// A plain field: what most hand-written layouts need.
inline FieldDescriptor makeField(const char* name, uint8_t type, uint32_t offset, uint32_t size,
                                 uint32_t places = 0) {
  FieldDescriptor field;
  field.offset = offset;
  field.size = size;
  field.places = places;
  field.name = name;
  field.type = type;
  return field;
}

// The declaration text of one field as the driver trace prints it, e.g.
// "SEC:DESCRIPTION CSTRING(50)" or "X DECIMAL(5,2), DIM(3)".
std::string describeField(const RecordLayout& layout, size_t index, const char* externalName = "");

// The index of the GROUP that directly holds field `index` (a GROUP's count
// covers every following descriptor inside it, nested ones included), or
// layout.size() for a field of the record itself.
size_t enclosingGroup(const RecordLayout& layout, size_t index);
// The earlier field of the same group that field `index` is declared OVER,
// or layout.size() when there is none.
size_t overTarget(const RecordLayout& layout, size_t index);

// The compiled type descriptor bytes of a record: type 22, flags 0, size,
// field count, total length of the descriptor in bytes (all little-endian
// u32), then one entry per field:
//   u8 type, u8 flags (kEntryNamed, plus kEntryDimensioned when it has DIM);
//   STRING, CSTRING, PSTRING, GROUP: the size as 0x20 + its high five bits and
//     its low eight bits; sizes of 8192 and more as 0x40 and a u32;
//   GROUP: then its field count as a u32;
//   DECIMAL, PDECIMAL: u8 byte size, u8 places;
//   dimensioned: u8 dimension count and a u32 per extent;
//   then the full label, NUL-terminated.
inline constexpr uint8_t kEntryDimensioned = 0x01;
inline constexpr uint8_t kEntryNamed = 0x02;
std::vector<uint8_t> compileTypeDescriptor(const RecordLayout& layout, uint32_t recordSize);

}  // namespace zor
