#include "data/file_declaration.h"

#include "data/declaration_error.h"
#include "data/file_errors.h"
#include "platform/ascii_case.h"

namespace zor::data {

namespace {

// The 1-based number of the field with this label, 0 when there is none.
uint16_t fieldNumber(const FileControlBlock& fcb, const std::string& label) {
  for (size_t i = 0; i < fcb.fields.size(); ++i) {
    if (platform::equalsIgnoringCase(fcb.fields[i].name, label))
      return static_cast<uint16_t>(i + 1);
  }
  return 0;
}

}  // namespace

int declareFile(FileControlBlock& fcb, const FileDeclaration& declaration) {
  fcb.label = declaration.label;
  fcb.prefix = declaration.prefix;
  fcb.driverName = declaration.driver;
  fcb.name = declaration.name;
  fcb.attributes = declaration.attributes;
  fcb.record.assign(declaration.recordSize, 0);
  for (const FieldDescriptor& field : declaration.fields)
    fcb.addField(field, field.name != nullptr ? field.name : "",
                 field.picture != nullptr ? field.picture : "");
  fcb.memos = declaration.memos;
  for (const KeyDeclaration& declared : declaration.keys) {
    KeyBlock key;
    key.label = declared.label;
    key.externalName = declared.externalName;
    key.attributes = declared.attributes;
    for (const std::string& written : declared.components) {
      KeyComponent component;
      std::string label = written;
      if (!label.empty() && (label[0] == '-' || label[0] == '+')) {
        component.order = label[0] == '-' ? ComponentOrder::Descending : ComponentOrder::Ascending;
        label.erase(0, 1);
      }
      component.field = fieldNumber(fcb, label);
      if (component.field == 0) {
        return reportDeclarationFault({static_cast<int>(DeclarationCategory::Component),
                                       static_cast<int>(key.components.size()) + 1,
                                       label,
                                       FaultKind::Declaration,
                                       1,
                                       {}});
      }
      key.components.push_back(component);
    }
    fcb.addKey(std::move(key));
  }
  return kNoError;
}

}  // namespace zor::data
