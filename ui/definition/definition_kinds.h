#pragma once
// The control kinds a window definition can hold: code, keyword, window
// class, which children a kind takes, and the layout of its kind-specific
// record part. The codes are those of ui/base/control_kinds.h.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ui/base/control_kinds.h"

namespace zor::ui {

// One u32 field of a kind-specific record part. Positions are i32 dialog
// units; text slots are string offsets; Data is the offset of a data record
// (picture and variable); Font of a font record; Children of the first
// child record; Unused is stored as 0 and ignored.
enum class Slot : uint8_t {
  X,
  Y,
  Width,
  Height,
  Text,
  Tip,
  Data,
  Format,
  Cursor,
  Icon,
  Value,
  Font,
  Children,
  Unused
};

enum class ChildRule : uint8_t {
  None,      // takes no children
  Tabs,      // SHEET: only TAB records
  Controls,  // TAB, OPTION, GROUP: any control but a TAB
};

struct ControlKindInfo {
  uint8_t code;
  std::string_view keyword;      // upper case, as in traces and error texts
  std::string_view windowClass;  // registered class of the control's window
  ChildRule children;
  std::vector<Slot> layout;  // the kind-specific part, in record order
};

// Every kind, in code order.
const std::vector<ControlKindInfo>& controlKinds();
const ControlKindInfo* kindByCode(uint8_t code);
// Keyword without regard to case: "button", "DropList".
const ControlKindInfo* kindByKeyword(std::string_view keyword);
// "BUTTON", or "kind 0x2A" for an unknown code.
std::string kindName(uint8_t code);

// Null when `child` may stand directly under `parent` (0 = the window
// itself); otherwise the reason it may not.
const char* nestingProblem(uint8_t parent, uint8_t child);

}  // namespace zor::ui
