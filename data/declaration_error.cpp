#include "data/declaration_error.h"

#include <array>
#include <cstdio>
#include <vector>

#include "data/file_errors.h"
#include "data/message_resource.h"
#include "runtime/error_state.h"

namespace zor::data {

namespace {

constexpr std::array<const char*, 6> kCategoryNames = {"SYSTEM",    "FILE", "FIELD",
                                                       "MEMO/BLOB", "KEY",  "COMPONENT"};

bool isKnownCategory(int category) {
  return category >= 0 && category < static_cast<int>(kCategoryNames.size());
}

}  // namespace

const char* categoryName(int category) {
  return isKnownCategory(category) ? kCategoryNames[static_cast<size_t>(category)]
                                   : kCategoryNames[0];
}

int declarationMessageNumber(int category, FaultKind kind, int index) {
  return (kind == FaultKind::Declaration ? 100000 : 200000) + 10000 * category + index;
}

std::string declarationMessage(const DeclarationFault& fault) {
  if (!fault.message.empty()) return fault.message;
  const int number = declarationMessageNumber(fault.category, fault.kind, fault.index);
  if (std::string text = messageResourceText(number); !text.empty()) return text;
  return builtInDeclarationMessage(fault.category, fault.kind, fault.index);
}

std::string identifyingText(const DeclarationFault& fault) {
  const int length =
      std::snprintf(nullptr, 0, "%s : %d : %s : %c%05d", categoryName(fault.category), fault.item,
                    fault.name.c_str(), static_cast<char>(fault.kind), fault.index);
  std::vector<char> text(static_cast<size_t>(length) + 1);
  std::snprintf(text.data(), text.size(), "%s : %d : %s : %c%05d", categoryName(fault.category),
                fault.item, fault.name.c_str(), static_cast<char>(fault.kind), fault.index);
  return {text.data(), static_cast<size_t>(length)};
}

const char* keyItemName(KeyAttributeAtFault attribute) {
  return attribute == KeyAttributeAtFault::Label ? "LABEL" : "KEY";
}

const char* memoItemName(MemoAttributeAtFault attribute) {
  switch (attribute) {
    case MemoAttributeAtFault::Label:
      return "LABEL";
    case MemoAttributeAtFault::MemoBlob:
      return "MEMO/BLOB";
    case MemoAttributeAtFault::Size:
      return "SIZE";
    case MemoAttributeAtFault::Type:
    case MemoAttributeAtFault::BlobType:
      return "TYPE";
    case MemoAttributeAtFault::Binary:
      return "BINARY";
  }
  return "UNKNOWN";
}

const char* fieldItemName(FieldAttributeAtFault attribute) {
  switch (attribute) {
    case FieldAttributeAtFault::Label:
      return "LABEL";
    case FieldAttributeAtFault::Type:
      return "TYPE";
    case FieldAttributeAtFault::Dim:
      return "DIM";
    case FieldAttributeAtFault::Size:
    case FieldAttributeAtFault::Places:
      return "SIZE";
  }
  return "UNKNOWN";
}

const char* componentItemName(bool orderKnown) {
  return orderKnown ? "ASCENDING" : "UNKNOWN";
}

int reportDeclarationFault(const DeclarationFault& fault) {
  setErrorCode(kErrInvalidRecordDeclaration);
  setFileError(identifyingText(fault), declarationMessage(fault));
  return kErrInvalidRecordDeclaration;
}

}  // namespace zor::data
