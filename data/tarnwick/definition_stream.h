#pragma once
// A table's definition as the file stores it: one byte stream (small
// numbers 2 bytes low byte first, texts ending in a zero byte) cut into
// 512-byte chunks. The same walk over its values runs in three modes:
// write (CREATE), compare (OPEN against the program's declaration: the
// first difference becomes an error-47 report) and read (the declaration is
// taken from the file, as twk does).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/declaration_error.h"
#include "data/file_control_block.h"

namespace zor::tarnwick {

inline constexpr uint16_t kDefinitionVersion = 1;
inline constexpr uint16_t kDefinitionVersionWithBlobs = 2;
inline constexpr int kNewerVersionIndex = 102;
inline constexpr const char* kNewerVersionMessage =
    "You are attempting to open a newer Tarnwick file format than the driver supports";

struct FieldDefinition {
  uint8_t type = 0;
  uint16_t offset = 0;
  std::string name;
  uint16_t elements = 0;  // element count of a dimensioned field, 0 otherwise
  uint16_t size = 0;
  uint16_t over = 0;        // the 1-based number of the field this one is OVER, 0 none
  uint16_t dimensions = 0;  // how many dimensions
  uint8_t digits = 0;       // DECIMAL only
  uint8_t places = 0;       // DECIMAL only
  std::string picture;
};

struct MemoDefinition {
  std::string externalName;
  std::string label;
  uint16_t size = 0;
  uint16_t attributes = 0;
};

struct ComponentDefinition {
  uint16_t field = 0;
  uint16_t order = 0;  // data::ComponentOrder
};

struct KeyDefinition {
  std::string externalName;
  std::string label;
  uint8_t attributes = 0;
  std::vector<ComponentDefinition> components;
};

struct TableDefinition {
  uint16_t version = kDefinitionVersion;
  uint16_t recordLength = 0;
  std::vector<FieldDefinition> fields;
  std::vector<MemoDefinition> memos;
  std::vector<KeyDefinition> keys;

  // The definition of a declaration; sizes beyond 2 bytes must have been
  // refused before (see definitionLimitFault).
  static TableDefinition of(const data::FileControlBlock& fcb);
  // Fills a control block's layout, memos, keys and record buffer from the
  // definition (the fields' names and pictures are kept by the block).
  void declareInto(data::FileControlBlock& fcb) const;
};

std::vector<uint8_t> writeDefinition(const TableDefinition& definition);
// Read mode; false when the stream is truncated or malformed, its version
// is newer than this driver knows, or what it describes is damaged (then
// `fault` says which, see definitionDamage).
bool readDefinition(const std::vector<uint8_t>& stream, TableDefinition& definition,
                    std::optional<data::DeclarationFault>* fault = nullptr);
// Compare mode: the first difference between the stored stream and the
// declared definition, in the order of the stream. Without
// `checkDecimalPlaces` the places of DECIMAL fields are not compared.
std::optional<data::DeclarationFault> compareDefinition(const std::vector<uint8_t>& stream,
                                                        const TableDefinition& declared,
                                                        bool checkDecimalPlaces = true);

// Damage in a definition read from a file, which must never be trusted: a
// field that does not lie inside the record or has another size than its
// type takes, an OVER or a key component naming no field, a record, key or
// memo beyond the stored form's limits. The fault names the item, its
// message what is wrong; nullopt when the definition is sound.
std::optional<data::DeclarationFault> definitionDamage(const TableDefinition& definition);

// What the declaration asks beyond the stored form or the driver's limits
// (a record or a key too long, a memo too large), as an error-47 fault.
std::optional<data::DeclarationFault> definitionLimitFault(const data::FileControlBlock& fcb);

}  // namespace zor::tarnwick
