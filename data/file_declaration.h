#pragma once
// Declaring a FILE from C++: its label and prefix, driver, name text and
// attributes, its record layout (field descriptors), memos and keys whose
// components are named by field label ("+" or no sign ascending, "-"
// descending). The declaration fills a control block; a key naming a field
// the record does not have is a declaration fault (47).

#include <cstdint>
#include <string>
#include <vector>

#include "data/file_control_block.h"
#include "runtime/field_descriptor.h"

namespace zor::data {

struct KeyDeclaration {
  std::string label;                    // "SIN:p_ID"
  std::vector<std::string> components;  // field labels, "-SIN:ID" for descending
  uint16_t attributes = 0;              // KeyAttribute bits
  std::string externalName;
};

struct FileDeclaration {
  std::string label;   // "SetupINI"
  std::string prefix;  // "SIN"
  std::string driver;  // "TARNWICK"
  std::string name;    // the name text, "Setup.edt"
  uint32_t attributes = 0;
  uint32_t recordSize = 0;
  RecordLayout fields;  // offsets within the record
  std::vector<MemoBlock> memos;
  std::vector<KeyDeclaration> keys;
};

// Fills `fcb` (which must be fresh) from the declaration; answers 0 or 47.
int declareFile(FileControlBlock& fcb, const FileDeclaration& declaration);

}  // namespace zor::data
