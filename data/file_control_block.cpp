#include "data/file_control_block.h"

#include <utility>

#include "platform/ascii_case.h"

namespace zor::data {

const char* FileControlBlock::keepText(std::string text) {
  texts_.push_back(std::move(text));
  return texts_.back().c_str();
}

uint16_t FileControlBlock::addField(FieldDescriptor field, const std::string& fieldLabel,
                                    const std::string& picture) {
  field.name = keepText(fieldLabel);
  field.picture = keepText(picture);
  fields.push_back(std::move(field));
  return static_cast<uint16_t>(fields.size());
}

void FileControlBlock::adoptLayout(const BuiltRecord& built) {
  fields.clear();
  for (const FieldDescriptor& field : built.layout()) addField(field, field.name, field.picture);
  record.assign(built.size(), 0);
}

KeyBlock& FileControlBlock::addKey(KeyBlock key) {
  key.number = static_cast<int>(keys.size()) + 1;
  keys.push_back(std::move(key));
  return keys.back();
}

KeyBlock* FileControlBlock::findKey(const std::string& keyLabel) {
  for (KeyBlock& key : keys) {
    if (platform::equalsIgnoringCase(key.label, keyLabel)) return &key;
  }
  return nullptr;
}

}  // namespace zor::data
