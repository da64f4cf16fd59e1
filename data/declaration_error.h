#pragma once
// Faults found in a FILE declaration, reported as error 47 ("Invalid Record
// Declaration") with a message text and an identifying text
// "category : item : name : S|D index", e.g. "KEY : 1 : SEC:P_DESCRIPTION : S00004".
// "S" marks a fault of the declaration itself, "D" a fault against the
// driver's abilities.

#include <string>

#include "runtime/declaration_messages.h"

namespace zor::data {

using DeclarationCategory = zor::DeclarationCategory;
using FaultKind = zor::DeclarationFaultKind;

struct DeclarationFault {
  int category = 0;  // DeclarationCategory; other numbers show as SYSTEM
  int item = 0;      // field, memo, key or component number; 0 for the file
  std::string name;  // the item's label, or the attribute at fault
  FaultKind kind = FaultKind::Declaration;
  int index = 0;        // the message's index, counted from 1
  std::string message;  // a message of the reporter's own; empty: the built-in one
};

// "SYSTEM", "FILE", "FIELD", "MEMO/BLOB", "KEY", "COMPONENT"; "SYSTEM" for
// any other number.
const char* categoryName(int category);

using zor::builtInDeclarationMessage;

// The message resource number of a fault: 100000 (S) or 200000 (D)
// + 10000 x category + index.
int declarationMessageNumber(int category, FaultKind kind, int index);

// The message text: the fault's own message when it has one, else the
// program's message resource of that number, else the built-in text.
std::string declarationMessage(const DeclarationFault& fault);

// "%s : %d : %s : %s%05d" filled with category name, item, name, kind, index.
std::string identifyingText(const DeclarationFault& fault);

// Item names for an item without a label, chosen by the attribute at fault.
enum class KeyAttributeAtFault { Label = 1, Key = 2 };
enum class MemoAttributeAtFault {
  Label = 1,
  MemoBlob = 2,
  Size = 3,
  Type = 4,
  BlobType = 5,
  Binary = 6
};
enum class FieldAttributeAtFault { Label = 1, Type = 2, Dim = 3, Size = 4, Places = 5 };
const char* keyItemName(KeyAttributeAtFault attribute);
const char* memoItemName(MemoAttributeAtFault attribute);
const char* fieldItemName(FieldAttributeAtFault attribute);
// "ASCENDING" for a known component order, else "UNKNOWN".
const char* componentItemName(bool orderKnown);

// Sets the error state for the fault: ERRORCODE() 47, FILEERRORCODE() the
// identifying text, FILEERROR() the message. Returns 47.
int reportDeclarationFault(const DeclarationFault& fault);

}  // namespace zor::data
