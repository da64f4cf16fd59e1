#include "runtime/declaration_messages.h"

#include <span>

namespace zor {

namespace {

constexpr const char* kUnknownError = "Unknown Error";
constexpr const char* kComponentMismatch = "Component does not match physical file structure";
constexpr const char* kNotValidLabel = "Not a Valid Zorvane Label";
constexpr const char* kDuplicateLabel = "Duplicate Label";
constexpr const char* kNoNameOrLabel = "No Name or Label Specified";

constexpr const char* kSystemMessages[] = {"Internal Error:  Property cannot be set",
                                           "Dynamic File Support Not Found"};

constexpr const char* kFileDeclarationMessages[] = {
    "No File Driver Specified", "File Driver could not be loaded",
    "The DLL is not a valid file driver", "File Driver not defined",
    "The record structure is greater than 4,194,304 bytes in size"};
constexpr const char* kFileDriverMessages[] = {kComponentMismatch};

constexpr const char* kFieldDeclarationMessages[] = {
    kNotValidLabel,
    kDuplicateLabel,
    "No Type Specified",
    "Type requires a size and no size specified",
    "The Group has more fields than has been defined",
    "More Decimal Places than specified size",
    "Size is too big",
    "Field Count not specified for a GROUP field",
    "Field must be over a field defined before the field",
    "The Group is greater than 4,194,304 bytes in size",
    "The Field is greater than 4,190,208 bytes in size",
    "Field is larger than the field that it is over",
    "Invalid Picture",
    "Field cannot be over a field inside another GROUP"};
constexpr const char* kFieldDriverMessages[] = {
    kComponentMismatch, kNoNameOrLabel, "Data type not supported",
    "Number of dimensions is greater than that supported by the file driver",
    "Field is larger than the maximum supported by the file driver"};

constexpr const char* kMemoDeclarationMessages[] = {kNotValidLabel, kDuplicateLabel,
                                                    "No Size Specified for a MEMO"};
constexpr const char* kMemoDriverMessages[] = {
    kComponentMismatch,
    kNoNameOrLabel,
    "Too Many Memos defined",
    "Memo is larger than the maximum size supported by the file driver",
    "Driver does not support BLOBs",
    "Driver does not support MEMOs",
    "Driver does not support BINARY memos or blobs"};

constexpr const char* kKeyDeclarationMessages[] = {
    kNotValidLabel, kDuplicateLabel,
    "Type set to \xE2\x80\x98KEY\xE2\x80\x99, but no fields specified",
    "Key is defined as PRIMARY and DUP"};
constexpr const char* kKeyDriverMessages[] = {kComponentMismatch, kNoNameOrLabel,
                                              "Too Many Keys defined"};

constexpr const char* kComponentDeclarationMessages[] = {
    "Component number is greater than the number of fields in the file structure",
    "Component is a dimmensioned field"};
constexpr const char* kComponentDriverMessages[] = {
    kComponentMismatch, "Driver does not support Descending Key Components",
    "Driver does not support mixed Ascending and Descending Key Components"};

std::span<const char* const> messageList(int category, DeclarationFaultKind kind) {
  const bool declaration = kind == DeclarationFaultKind::Declaration;
  switch (static_cast<DeclarationCategory>(category)) {
    case DeclarationCategory::System:
      return kSystemMessages;
    case DeclarationCategory::File:
      return declaration ? std::span<const char* const>(kFileDeclarationMessages)
                         : kFileDriverMessages;
    case DeclarationCategory::Field:
      return declaration ? std::span<const char* const>(kFieldDeclarationMessages)
                         : kFieldDriverMessages;
    case DeclarationCategory::MemoBlob:
      return declaration ? std::span<const char* const>(kMemoDeclarationMessages)
                         : kMemoDriverMessages;
    case DeclarationCategory::Key:
      return declaration ? std::span<const char* const>(kKeyDeclarationMessages)
                         : kKeyDriverMessages;
    case DeclarationCategory::Component:
      return declaration ? std::span<const char* const>(kComponentDeclarationMessages)
                         : kComponentDriverMessages;
  }
  return {};
}

}  // namespace

const char* builtInDeclarationMessage(int category, DeclarationFaultKind kind, int index) {
  if (category < 0 || category > static_cast<int>(DeclarationCategory::Component))
    return kUnknownError;
  const auto list = messageList(category, kind);
  if (index < 1 || static_cast<size_t>(index) > list.size()) return kUnknownError;
  return list[static_cast<size_t>(index - 1)];
}

}  // namespace zor
