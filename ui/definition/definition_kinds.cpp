#include "ui/definition/definition_kinds.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/ascii_case.h"

namespace zor::ui {
namespace {

using enum Slot;

// Every kind carries every slot: first its fixed part, then the slots that
// part leaves out, in this order. So a record keeps all of a control's
// declaration whatever its kind.
constexpr Slot StandardOrder[] = {X,      Y,      Width, Height, Text, Tip,     Data,
                                  Format, Cursor, Icon,  Value,  Font, Children};

std::vector<Slot> layoutFrom(std::vector<Slot> fixed) {
  std::vector<Slot> layout = fixed;
  for (Slot slot : StandardOrder) {
    if (std::find(fixed.begin(), fixed.end(), slot) == fixed.end()) layout.push_back(slot);
  }
  return layout;
}

std::vector<ControlKindInfo> makeKinds() {
  namespace K = ControlKind;
  const std::vector<Slot> placed = {X, Y, Width, Height};
  const std::vector<Slot> data = {Data, X, Y, Width, Height};
  std::vector<ControlKindInfo> kinds = {
      {K::Entry, "ENTRY", "ZorEdit", ChildRule::None, layoutFrom(data)},
      {K::Button, "BUTTON", "ZorButton", ChildRule::None,
       layoutFrom({X, Y, Width, Height, Tip, Text})},
      {K::Prompt, "PROMPT", "ZorPrompt", ChildRule::None,
       layoutFrom({X, Y, Width, Height, Unused, Text})},
      {K::Option, "OPTION", "ZorOption", ChildRule::Controls, layoutFrom(data)},
      {K::Check, "CHECK", "ZorCheck", ChildRule::None, layoutFrom(placed)},
      {K::List, "LIST", "ZorList", ChildRule::None,
       layoutFrom({Unused, Text, X, Y, Width, Height, Format})},
      {K::Group, "GROUP", "ZorGroup", ChildRule::Controls, layoutFrom(placed)},
      {K::String, "STRING", "ZorString", ChildRule::None, layoutFrom(placed)},
      {K::Text, "TEXT", "ZorText", ChildRule::None, layoutFrom(data)},
      {K::Combo, "COMBO", "ZorDrop", ChildRule::None, layoutFrom(data)},
      {K::DropList, "DROPLIST", "ZorDrop", ChildRule::None, layoutFrom(data)},
      {K::Spin, "SPIN", "ZorSpin", ChildRule::None, layoutFrom(data)},
      {K::Radio, "RADIO", "ZorRadio", ChildRule::None, layoutFrom(placed)},
      {K::Region, "REGION", "ZorRegion", ChildRule::None, layoutFrom(placed)},
      {K::Image, "IMAGE", "ZorGraphic", ChildRule::None, layoutFrom(placed)},
      {K::Box, "BOX", "ZorGraphic", ChildRule::None, layoutFrom(placed)},
      {K::Line, "LINE", "ZorGraphic", ChildRule::None, layoutFrom(placed)},
      {K::Panel, "PANEL", "ZorGraphic", ChildRule::None, layoutFrom(placed)},
      {K::Ellipse, "ELLIPSE", "ZorGraphic", ChildRule::None, layoutFrom(placed)},
      {K::Sheet, "SHEET", "ZorSheet", ChildRule::Tabs, layoutFrom({Unused, X, Y, Width, Height})},
      {K::Tab, "TAB", "ZorTab", ChildRule::Controls, layoutFrom({Text})},
  };
  std::sort(kinds.begin(), kinds.end(),
            [](const ControlKindInfo& a, const ControlKindInfo& b) { return a.code < b.code; });
  return kinds;
}

}  // namespace

const std::vector<ControlKindInfo>& controlKinds() {
  static const std::vector<ControlKindInfo> kinds = makeKinds();
  return kinds;
}

const ControlKindInfo* kindByCode(uint8_t code) {
  for (const ControlKindInfo& kind : controlKinds()) {
    if (kind.code == code) return &kind;
  }
  return nullptr;
}

const ControlKindInfo* kindByKeyword(std::string_view keyword) {
  for (const ControlKindInfo& kind : controlKinds()) {
    if (platform::equalsIgnoringCase(kind.keyword, keyword)) return &kind;
  }
  return nullptr;
}

std::string kindName(uint8_t code) {
  if (const ControlKindInfo* kind = kindByCode(code)) return std::string(kind->keyword);
  char text[16];
  std::snprintf(text, sizeof text, "kind 0x%02X", code);
  return text;
}

const char* nestingProblem(uint8_t parent, uint8_t child) {
  ChildRule rule = ChildRule::Controls;  // the window takes any control but a TAB
  if (parent != 0) {
    const ControlKindInfo* kind = kindByCode(parent);
    rule = kind ? kind->children : ChildRule::None;
  }
  switch (rule) {
    case ChildRule::None:
      return "this kind of control takes no controls inside it";
    case ChildRule::Tabs:
      return child == ControlKind::Tab ? nullptr : "a SHEET holds only TAB controls";
    case ChildRule::Controls:
      return child == ControlKind::Tab ? "a TAB belongs directly inside a SHEET" : nullptr;
  }
  return nullptr;
}

}  // namespace zor::ui
