#include "data/declaration_check.h"

#include <string>
#include <utility>
#include <vector>

#include "data/driver_descriptor.h"
#include "data/driver_registry.h"
#include "data/file_control_block.h"
#include "platform/ascii_case.h"
#include "runtime/type_codes.h"

namespace zor::data {

namespace {

using Fault = std::optional<DeclarationFault>;

constexpr int kFile = static_cast<int>(DeclarationCategory::File);
constexpr int kField = static_cast<int>(DeclarationCategory::Field);
constexpr int kMemo = static_cast<int>(DeclarationCategory::MemoBlob);
constexpr int kKey = static_cast<int>(DeclarationCategory::Key);
constexpr int kComponent = static_cast<int>(DeclarationCategory::Component);

DeclarationFault fault(int category, int item, std::string name, FaultKind kind, int index) {
  return DeclarationFault{category, item, std::move(name), kind, index, {}};
}

bool needsDeclaredSize(uint8_t type) {
  return type == kString || type == kCString || type == kPString || type == kDecimal ||
         type == kPDecimal;
}

// Labels of fields, memos and keys share one name space per file.
class LabelSet {
 public:
  bool addIsNew(const std::string& label) {
    for (const std::string& known : labels_) {
      if (platform::equalsIgnoringCase(known, label)) return false;
    }
    labels_.push_back(label);
    return true;
  }

 private:
  std::vector<std::string> labels_;
};

// Label faults common to every category: missing (D2), malformed (S1),
// repeated (S2).
Fault checkLabel(int category, int item, const std::string& label, const char* missingName,
                 LabelSet& labels) {
  if (label.empty()) return fault(category, item, missingName, FaultKind::Driver, 2);
  if (!zor::isValidLabel(label)) return fault(category, item, label, FaultKind::Declaration, 1);
  if (!labels.addIsNew(label)) return fault(category, item, label, FaultKind::Declaration, 2);
  return std::nullopt;
}

Fault checkFile(const FileControlBlock& fcb) {
  if (fcb.driverName.empty()) return fault(kFile, 0, "DRIVER", FaultKind::Declaration, 1);
  if (fcb.record.size() > kMaxRecordSize) return fault(kFile, 0, "SIZE", FaultKind::Declaration, 5);
  for (const FieldDescriptor& field : fcb.fields) {
    if (uint64_t{field.offset} + field.size > kMaxRecordSize)
      return fault(kFile, 0, "SIZE", FaultKind::Declaration, 5);
  }
  return std::nullopt;
}

Fault checkField(const FileControlBlock& fcb, size_t index, LabelSet& labels) {
  const FieldDescriptor& field = fcb.fields[index];
  const int item = static_cast<int>(index) + 1;
  const std::string label = field.name == nullptr ? "" : field.name;
  if (Fault bad =
          checkLabel(kField, item, label, fieldItemName(FieldAttributeAtFault::Label), labels))
    return bad;
  if (field.type == kEnd) return fault(kField, item, label, FaultKind::Declaration, 3);
  if (needsDeclaredSize(field.type) && field.size == 0)
    return fault(kField, item, label, FaultKind::Declaration, 4);
  if ((field.type == kDecimal || field.type == kPDecimal) && field.places > 2 * field.size - 1) {
    return fault(kField, item, label, FaultKind::Declaration, 6);
  }
  if (field.type == kGroup) {
    if (field.groupCount == 0) return fault(kField, item, label, FaultKind::Declaration, 8);
    if (index + field.groupCount >= fcb.fields.size())
      return fault(kField, item, label, FaultKind::Declaration, 5);
    if (field.size > kMaxGroupSize) return fault(kField, item, label, FaultKind::Declaration, 10);
  } else if (field.size > kMaxFieldSize) {
    return fault(kField, item, label, FaultKind::Declaration, 11);
  }
  if (field.picture != nullptr && field.picture[0] != '\0' &&
      (field.picture[0] != '@' || field.picture[1] == '\0')) {
    return fault(kField, item, label, FaultKind::Declaration, 13);
  }
  if (uint64_t{field.offset} + field.size > fcb.record.size()) {
    return fault(kField, item, label, FaultKind::Declaration, 7);
  }
  return std::nullopt;
}

Fault checkFieldAgainstDriver(const FieldDescriptor& field, int item,
                              const DriverDescriptor& driver) {
  const std::string label = field.name;
  if (!driver.supportsType(field.type)) return fault(kField, item, label, FaultKind::Driver, 3);
  if (!field.dimensions.empty() &&
      (field.dimensions.size() > driver.limits.maxDimensions || !driver.supportsType(kArray))) {
    return fault(kField, item, label, FaultKind::Driver, 4);
  }
  if (field.size > driver.limits.maxFieldSize)
    return fault(kField, item, label, FaultKind::Driver, 5);
  return std::nullopt;
}

Fault checkMemo(const MemoBlock& memo, int item, LabelSet& labels) {
  if (Fault bad =
          checkLabel(kMemo, item, memo.label, memoItemName(MemoAttributeAtFault::Label), labels))
    return bad;
  if (!memo.isBlob() && memo.size == 0)
    return fault(kMemo, item, memo.label, FaultKind::Declaration, 3);
  return std::nullopt;
}

Fault checkMemoAgainstDriver(const MemoBlock& memo, int item, const DriverDescriptor& driver) {
  if (item > driver.limits.maxMemos && (driver.can(kCanMemo) || driver.can(kCanBlob))) {
    return fault(kMemo, item, memo.label, FaultKind::Driver, 3);
  }
  if (memo.isBlob() && !driver.can(kCanBlob))
    return fault(kMemo, item, memo.label, FaultKind::Driver, 5);
  if (!memo.isBlob() && !driver.can(kCanMemo))
    return fault(kMemo, item, memo.label, FaultKind::Driver, 6);
  if (!memo.isBlob() && memo.size > driver.limits.maxMemoSize) {
    return fault(kMemo, item, memo.label, FaultKind::Driver, 4);
  }
  if ((memo.attributes & kMemoBinary) != 0 && !driver.can(kCanBinaryMemo)) {
    return fault(kMemo, item, memo.label, FaultKind::Driver, 7);
  }
  return std::nullopt;
}

Fault checkKey(const FileControlBlock& fcb, const KeyBlock& key, int item, LabelSet& labels) {
  if (Fault bad =
          checkLabel(kKey, item, key.label, keyItemName(KeyAttributeAtFault::Label), labels))
    return bad;
  if (key.components.empty()) return fault(kKey, item, key.label, FaultKind::Declaration, 3);
  if ((key.attributes & kKeyPrimary) != 0 && key.allowsDuplicates()) {
    return fault(kKey, item, key.label, FaultKind::Declaration, 4);
  }
  int componentNumber = 0;
  for (const KeyComponent& component : key.components) {
    ++componentNumber;
    if (component.field == 0 || component.field > fcb.fields.size()) {
      const bool orderKnown = component.order != ComponentOrder::Unknown;
      return fault(kComponent, componentNumber, componentItemName(orderKnown),
                   FaultKind::Declaration, 1);
    }
    const FieldDescriptor& field = fcb.fields[component.field - 1u];
    if (!field.dimensions.empty())
      return fault(kComponent, componentNumber, field.name, FaultKind::Declaration, 2);
  }
  return std::nullopt;
}

Fault checkKeyAgainstDriver(const FileControlBlock& fcb, const KeyBlock& key, int item,
                            const DriverDescriptor& driver) {
  if (item > driver.limits.maxKeys) return fault(kKey, item, key.label, FaultKind::Driver, 3);
  bool anyAscending = false;
  bool anyDescending = false;
  int componentNumber = 0;
  for (const KeyComponent& component : key.components) {
    ++componentNumber;
    const bool descending = component.order == ComponentOrder::Descending;
    (descending ? anyDescending : anyAscending) = true;
    const char* name = fcb.fields[component.field - 1u].name;
    if (descending && !driver.can(kCanDescendingKeys)) {
      return fault(kComponent, componentNumber, name, FaultKind::Driver, 2);
    }
    if (anyAscending && anyDescending && !driver.can(kCanMixedKeyOrder)) {
      return fault(kComponent, componentNumber, name, FaultKind::Driver, 3);
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<DeclarationFault> findDeclarationFault(const FileControlBlock& fcb,
                                                     const DriverDescriptor* driver) {
  if (Fault bad = checkFile(fcb)) return bad;
  LabelSet labels;
  for (size_t i = 0; i < fcb.fields.size(); ++i) {
    if (Fault bad = checkField(fcb, i, labels)) return bad;
    if (driver != nullptr) {
      if (Fault bad = checkFieldAgainstDriver(fcb.fields[i], static_cast<int>(i) + 1, *driver))
        return bad;
    }
  }
  for (size_t i = 0; i < fcb.memos.size(); ++i) {
    const int item = static_cast<int>(i) + 1;
    if (Fault bad = checkMemo(fcb.memos[i], item, labels)) return bad;
    if (driver != nullptr) {
      if (Fault bad = checkMemoAgainstDriver(fcb.memos[i], item, *driver)) return bad;
    }
  }
  for (size_t i = 0; i < fcb.keys.size(); ++i) {
    const int item = static_cast<int>(i) + 1;
    if (Fault bad = checkKey(fcb, fcb.keys[i], item, labels)) return bad;
    if (driver != nullptr) {
      if (Fault bad = checkKeyAgainstDriver(fcb, fcb.keys[i], item, *driver)) return bad;
    }
  }
  return std::nullopt;
}

DeclarationFault declarationFaultOf(const RecordBuildError& error,
                                    const std::vector<FieldDeclaration>& fields) {
  const int item = static_cast<int>(error.field) + 1;
  std::string name = error.field < fields.size() ? fields[error.field].label : std::string();
  if (name.empty()) name = fieldItemName(FieldAttributeAtFault::Label);
  if (error.index == 0) {
    // A fault outside the message lists keeps its own text.
    DeclarationFault unlisted = fault(kField, item, name, FaultKind::Declaration, 0);
    unlisted.message = error.text;
    return unlisted;
  }
  if (error.category == kFile) return fault(kFile, 0, "SIZE", FaultKind::Declaration, error.index);
  return fault(error.category, item, name, FaultKind::Declaration, error.index);
}

int checkDeclaration(const FileControlBlock& fcb) {
  const DriverDescriptor* driver = fcb.driverName.empty() ? nullptr : findDriver(fcb.driverName);
  std::optional<DeclarationFault> found = findDeclarationFault(fcb, driver);
  if (!found && driver == nullptr)
    found = fault(kFile, 0, fcb.driverName, FaultKind::Declaration, 4);
  return found ? reportDeclarationFault(*found) : 0;
}

}  // namespace zor::data
