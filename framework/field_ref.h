#pragma once
// A field of a table's record buffer, named by the table and the field's
// number: what key component lists, linking fields and history fields hold.
// The field object is made when it is used, so the reference stays valid
// for as long as the table's declaration does.

#include <cstdint>
#include <memory>
#include <string>

#include "data/file_control_block.h"
#include "runtime/ufo.h"

namespace zor::fw {

struct FieldRef {
  data::FileControlBlock* table = nullptr;
  uint16_t number = 0;  // 1-based, as key components count fields

  bool valid() const { return table != nullptr && number >= 1 && number <= table->fields.size(); }
  const FieldDescriptor& descriptor() const { return table->fields[number - 1]; }
  std::string label() const { return valid() ? descriptor().name : ""; }
  uint8_t* address() const { return table->record.data() + descriptor().offset; }
  std::unique_ptr<Ufo> object() const;
  std::string text() const;
  void assign(const std::string& value) const;
  void clear() const;
};

// The field of a table with that label (case ignored), or an invalid one.
FieldRef fieldByLabel(data::FileControlBlock& table, const std::string& label);

}  // namespace zor::fw
