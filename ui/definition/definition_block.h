#pragma once
// The binary window definition block and its reader.
//
// A definition resource is a NUL-terminated owning name ("program$module")
// followed by the block. Every reference inside the block is a u32
// little-endian offset counted from two bytes before the block's first
// byte: offset 2 is the first byte, 0 means none. The block starts with the
// offset of the first window record; texts are NUL-terminated strings.
//
// Window record (49 bytes): u8 kind 0x19, u32 next window, u32 attributes
// (WindowAttr), u32 reserved 0, i32 x, y, width, height, u32 first control,
// u32 label, u32 font record, u32 title, u32 icon.
// Font record (16 bytes): u32 typeface, u32 point size, u32 colour
// (0xFFFFFFFF default), u32 weight.
// Data record (8 bytes), shared by ENTRY, TEXT, OPTION, COMBO, DROPLIST and
// SPIN: u32 picture text, u32 name of the variable shown.
// Control record: u8 kind, u32 next control at the same level, u32
// attributes (ControlAttr), u32 reserved 0, u32 field equate, u32 use label,
// then the kind-specific part, one u32 per slot in the order of the kind's
// layout (ui/definition/definition_kinds.h). Children (SHEET: its tabs; TAB, OPTION,
// GROUP: their controls) are a list of their own, reached through the
// Children slot.
//
// The reader checks every offset and length against the block: a malformed
// or truncated block gives an error naming what is wrong and where; it never
// reads past the end and refuses a record reached twice (a cycle of
// next-offsets) as well as nesting deeper than MaxNesting.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ui/definition/definition_model.h"

namespace zor::ui {

namespace DefinitionLayout {
inline constexpr uint32_t OffsetBias = 2;  // offset 2 is the block's first byte
inline constexpr size_t WindowRecordSize = 49;
inline constexpr size_t ControlCommonSize = 21;
inline constexpr size_t FontRecordSize = 16;
inline constexpr size_t DataRecordSize = 8;
inline constexpr int MaxNesting = 16;
// Window record fields.
inline constexpr size_t WindowNext = 1, WindowAttributes = 5, WindowX = 13, WindowY = 17,
                        WindowWidth = 21, WindowHeight = 25, WindowFirstControl = 29,
                        WindowLabel = 33, WindowFont = 37, WindowTitle = 41, WindowIcon = 45;
// Control record fields of the common part.
inline constexpr size_t ControlNext = 1, ControlAttributes = 5, ControlEquate = 13, ControlUse = 17;
}  // namespace DefinitionLayout

// A value or the reason there is none. A look-up that finds nothing has
// neither value nor error.
template <class T>
struct DefinitionResult {
  std::optional<T> value;
  std::string error;

  bool ok() const { return error.empty(); }
  static DefinitionResult failure(std::string message) {
    return {std::nullopt, std::move(message)};
  }
};

// Splits a resource into its owning name and its block.
struct DefinitionResourceParts {
  std::string owningName;
  std::span<const uint8_t> block;
};
DefinitionResult<DefinitionResourceParts> splitDefinitionResource(std::span<const uint8_t> bytes);

// Every window of a block, in the order of the next-offsets.
DefinitionResult<std::vector<WindowDefinition>> readDefinitionBlock(std::span<const uint8_t> block);

// The window whose label equals `label` (without regard to case): walks the
// window records and reads only the controls of the one it finds. No value
// and no error when the block has no such window.
DefinitionResult<WindowDefinition> readWindowDefinition(std::span<const uint8_t> block,
                                                        const std::string& label);

// A whole resource: owning name and every window.
DefinitionResult<DefinitionModule> readDefinitionResource(std::span<const uint8_t> bytes);

}  // namespace zor::ui
