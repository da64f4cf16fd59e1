#include "runtime/field_descriptor.h"

#include <cstdio>

#include "runtime/type_codes.h"

namespace zor {

namespace {

bool isPacked(uint8_t type) {
  return type == kDecimal || type == kPDecimal;
}

bool isText(uint8_t type) {
  return type == kString || type == kCString || type == kPString;
}

// MEMO and BLOB are kept beside the record and take no bytes in it.
bool hasStorage(uint8_t type) {
  return type != kMemo && type != kBlob;
}

void appendU32(std::vector<uint8_t>& bytes, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(value >> shift));
}

void writeU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

void appendSize(std::vector<uint8_t>& bytes, uint32_t size) {
  if (size < 0x2000) {
    bytes.push_back(static_cast<uint8_t>(0x20 | (size >> 8)));
    bytes.push_back(static_cast<uint8_t>(size & 0xFF));
  } else {
    bytes.push_back(0x40);
    appendU32(bytes, size);
  }
}

}  // namespace

size_t enclosingGroup(const RecordLayout& layout, size_t index) {
  // The innermost group whose span reaches the field.
  for (size_t j = index; j-- > 0;) {
    if (layout[j].type == kGroup && j + layout[j].groupCount >= index) return j;
  }
  return layout.size();
}

size_t overTarget(const RecordLayout& layout, size_t index) {
  const FieldDescriptor& field = layout[index];
  if (!hasStorage(field.type)) return layout.size();
  size_t parent = enclosingGroup(layout, index);
  for (size_t j = 0; j < index; ++j) {
    if (layout[j].offset == field.offset && hasStorage(layout[j].type) &&
        enclosingGroup(layout, j) == parent) {
      return j;
    }
  }
  return layout.size();
}

std::string describeField(const RecordLayout& layout, size_t index, const char* externalName) {
  const FieldDescriptor& field = layout[index];
  std::string text = std::string(field.name) + ' ' + typeName(field.type);
  char number[48];
  if (isPacked(field.type)) {
    std::snprintf(number, sizeof number, "(%u,%u)", 2 * field.size - 1, field.places);
    text += number;
  } else if (isText(field.type)) {
    if (field.picture[0] != '\0') {
      text += '(';
      if (field.picture[0] != '@') text += '@';
      text += field.picture;
      text += ')';
    } else {
      std::snprintf(number, sizeof number, "(%u)", field.size);
      text += number;
    }
  }
  if (!field.dimensions.empty()) {
    text += ", DIM(";
    for (size_t i = 0; i < field.dimensions.size(); ++i) {
      if (i > 0) text += ',';
      text += std::to_string(field.dimensions[i]);
    }
    text += ')';
  }
  size_t over = overTarget(layout, index);
  if (over != layout.size()) text += std::string(", OVER(") + layout[over].name + ')';
  if (externalName != nullptr && externalName[0] != '\0') {
    text += std::string(", NAME('") + externalName + "')";
  }
  return text;
}

std::vector<uint8_t> compileTypeDescriptor(const RecordLayout& layout, uint32_t recordSize) {
  std::vector<uint8_t> bytes;
  bytes.push_back(kGroup);
  bytes.push_back(0);
  appendU32(bytes, recordSize);
  appendU32(bytes, static_cast<uint32_t>(layout.size()));
  size_t lengthAt = bytes.size();
  appendU32(bytes, 0);
  for (const FieldDescriptor& field : layout) {
    bytes.push_back(field.type);
    bytes.push_back(field.dimensions.empty() ? kEntryNamed : (kEntryNamed | kEntryDimensioned));
    if (isText(field.type) || field.type == kGroup) appendSize(bytes, field.size);
    if (field.type == kGroup) appendU32(bytes, field.groupCount);
    if (isPacked(field.type)) {
      bytes.push_back(static_cast<uint8_t>(field.size));
      bytes.push_back(static_cast<uint8_t>(field.places));
    }
    if (!field.dimensions.empty()) {
      bytes.push_back(static_cast<uint8_t>(field.dimensions.size()));
      for (uint32_t extent : field.dimensions) appendU32(bytes, extent);
    }
    for (const char* c = field.name; *c != '\0'; ++c) bytes.push_back(static_cast<uint8_t>(*c));
    bytes.push_back(0);
  }
  writeU32(bytes, lengthAt, static_cast<uint32_t>(bytes.size()));
  return bytes;
}

}  // namespace zor
