#include "ui/definition/definition_block.h"

#include <cstdio>
#include <cstring>
#include <set>

#include "platform/ascii_case.h"
#include "ui/definition/definition_kinds.h"

namespace zor::ui {
namespace {

namespace L = DefinitionLayout;

struct BlockError {
  std::string message;
};

std::string hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

// Bounds-checked access to a block through its offsets.
class BlockReader {
 public:
  explicit BlockReader(std::span<const uint8_t> block) : block_(block) {}

  [[noreturn]] void fail(const std::string& message) const {
    throw BlockError{"window definition block (" + std::to_string(block_.size()) +
                     " bytes): " + message};
  }

  // Checks that `size` bytes at `offset` lie inside the block; returns
  // the index of the first one.
  size_t require(uint32_t offset, size_t size, const char* what) const {
    if (offset < L::OffsetBias)
      fail(std::string(what) + " at offset " + hex(offset) + " lies before the block");
    size_t index = offset - L::OffsetBias;
    if (index > block_.size() || block_.size() - index < size) {
      fail(std::string(what) + " at offset " + hex(offset) + " (" + std::to_string(size) +
           " bytes) runs past the end of the block");
    }
    return index;
  }

  uint32_t u32At(size_t index) const {
    return uint32_t(block_[index]) | uint32_t(block_[index + 1]) << 8 |
           uint32_t(block_[index + 2]) << 16 | uint32_t(block_[index + 3]) << 24;
  }
  uint8_t u8At(size_t index) const { return block_[index]; }

  // The NUL-terminated text at `offset`; empty for offset 0.
  std::string text(uint32_t offset, const char* what) const {
    if (offset == 0) return {};
    size_t index = require(offset, 1, what);
    const void* end = std::memchr(block_.data() + index, 0, block_.size() - index);
    if (end == nullptr)
      fail(std::string(what) + " at offset " + hex(offset) + " has no terminating NUL");
    return std::string(reinterpret_cast<const char*>(block_.data() + index),
                       static_cast<const uint8_t*>(end) - (block_.data() + index));
  }

  std::optional<FontDefinition> font(uint32_t offset) {
    if (offset == 0) return std::nullopt;
    size_t at = require(offset, L::FontRecordSize, "font record");
    FontDefinition font;
    font.typeface = text(u32At(at), "typeface name");
    font.pointSize = u32At(at + 4);
    font.colour = u32At(at + 8);
    font.weight = u32At(at + 12);
    return font;
  }

  // Marks a record as read; a second visit means the offsets loop.
  void visit(uint32_t offset, const char* what) {
    if (!visited_.insert(offset).second) {
      fail(std::string(what) + " at offset " + hex(offset) +
           " is reached twice (the offsets form a cycle)");
    }
  }

  uint32_t firstWindow() const { return u32At(require(L::OffsetBias, 4, "first-window offset")); }

  // Checks the window record at `offset` and returns its index.
  size_t windowRecord(uint32_t offset) {
    visit(offset, "window record");
    size_t at = require(offset, L::WindowRecordSize, "window record");
    if (u8At(at) != ControlKind::Window) {
      fail("window record at offset " + hex(offset) + " has kind " + hex(u8At(at)) +
           " instead of 0x19");
    }
    return at;
  }

  WindowDefinition window(size_t at) {
    WindowDefinition window;
    window.attributes = u32At(at + L::WindowAttributes);
    window.rect = {int32_t(u32At(at + L::WindowX)), int32_t(u32At(at + L::WindowY)),
                   int32_t(u32At(at + L::WindowWidth)), int32_t(u32At(at + L::WindowHeight))};
    window.label = text(u32At(at + L::WindowLabel), "window label");
    checkRect(window.rect, "window " + window.label);
    window.font = font(u32At(at + L::WindowFont));
    window.title = text(u32At(at + L::WindowTitle), "window title");
    window.icon = text(u32At(at + L::WindowIcon), "window icon");
    window.controls = controls(u32At(at + L::WindowFirstControl), 0, 0);
    return window;
  }

 private:
  // Positions and sizes beyond what a declaration may give are refused
  // here as well: a block is read from outside and never trusted.
  void checkRect(const DefinitionRect& rect, const std::string& what) const {
    if (const char* which = rectOutOfRange(rect)) {
      fail(what + ": " + which + " lies outside the dialog units a window may use (" +
           std::to_string(kLeastPosition) + " to " + std::to_string(kMostPosition) +
           ", sizes 0 to " + std::to_string(kMostSize) + ")");
    }
  }

  std::vector<ControlDefinition> controls(uint32_t offset, uint8_t parent, int depth) {
    std::vector<ControlDefinition> list;
    if (offset != 0 && depth >= L::MaxNesting) {
      fail("controls at offset " + hex(offset) + " are nested more than " +
           std::to_string(L::MaxNesting) + " deep");
    }
    while (offset != 0) {
      visit(offset, "control record");
      size_t at = require(offset, L::ControlCommonSize, "control record");
      uint32_t next = u32At(at + L::ControlNext);
      list.push_back(control(offset, at, parent, depth));
      offset = next;
    }
    return list;
  }

  ControlDefinition control(uint32_t offset, size_t at, uint8_t parent, int depth) {
    ControlDefinition control;
    control.kind = u8At(at);
    const ControlKindInfo* kind = kindByCode(control.kind);
    if (kind == nullptr) {
      fail("control record at offset " + hex(offset) + " has the unknown " +
           kindName(control.kind));
    }
    if (const char* problem = nestingProblem(parent, control.kind)) {
      fail(kindName(control.kind) + " record at offset " + hex(offset) + " inside " +
           (parent == 0 ? std::string("the window") : kindName(parent)) + ": " + problem);
    }
    require(offset, L::ControlCommonSize + 4 * kind->layout.size(), "control record");
    control.attributes = u32At(at + L::ControlAttributes);
    control.equate = u32At(at + L::ControlEquate);
    control.use = text(u32At(at + L::ControlUse), "use label");
    uint32_t children = 0;
    size_t field = at + L::ControlCommonSize;
    for (Slot slot : kind->layout) {
      uint32_t value = u32At(field);
      field += 4;
      switch (slot) {
        case Slot::X:
          control.rect.x = int32_t(value);
          break;
        case Slot::Y:
          control.rect.y = int32_t(value);
          break;
        case Slot::Width:
          control.rect.width = int32_t(value);
          break;
        case Slot::Height:
          control.rect.height = int32_t(value);
          break;
        case Slot::Text:
          control.text = text(value, "control text");
          break;
        case Slot::Tip:
          control.tip = text(value, "tip text");
          break;
        case Slot::Format:
          control.format = text(value, "list format");
          break;
        case Slot::Cursor:
          control.cursor = text(value, "cursor name");
          break;
        case Slot::Icon:
          control.icon = text(value, "icon name");
          break;
        case Slot::Value:
          control.value = text(value, "control value");
          break;
        case Slot::Font:
          control.font = font(value);
          break;
        case Slot::Children:
          children = value;
          break;
        case Slot::Unused:
          break;
        case Slot::Data:
          if (value != 0) {
            size_t data = require(value, L::DataRecordSize, "data record");
            control.picture = text(u32At(data), "picture");
            control.variable = text(u32At(data + 4), "variable name");
          }
          break;
      }
    }
    checkRect(control.rect, "control " + control.use + " at offset " + hex(offset));
    control.children = controls(children, control.kind, depth + 1);
    return control;
  }

  std::span<const uint8_t> block_;
  std::set<uint32_t> visited_;
};

template <class T, class Read>
DefinitionResult<T> guarded(Read read) {
  try {
    return read();
  } catch (const BlockError& error) {
    return DefinitionResult<T>::failure(error.message);
  }
}

}  // namespace

DefinitionResult<DefinitionResourceParts> splitDefinitionResource(std::span<const uint8_t> bytes) {
  const void* nul = std::memchr(bytes.data(), 0, bytes.size());
  if (bytes.empty() || nul == nullptr) {
    return DefinitionResult<DefinitionResourceParts>::failure(
        "window definition resource: the owning name has no terminating NUL");
  }
  size_t length = static_cast<const uint8_t*>(nul) - bytes.data();
  DefinitionResourceParts parts;
  parts.owningName.assign(reinterpret_cast<const char*>(bytes.data()), length);
  parts.block = bytes.subspan(length + 1);
  return {parts, {}};
}

DefinitionResult<std::vector<WindowDefinition>> readDefinitionBlock(
    std::span<const uint8_t> block) {
  return guarded<std::vector<WindowDefinition>>([&] {
    BlockReader reader(block);
    std::vector<WindowDefinition> windows;
    for (uint32_t offset = reader.firstWindow(); offset != 0;) {
      size_t at = reader.windowRecord(offset);
      windows.push_back(reader.window(at));
      offset = reader.u32At(at + L::WindowNext);
    }
    return DefinitionResult<std::vector<WindowDefinition>>{std::move(windows), {}};
  });
}

DefinitionResult<WindowDefinition> readWindowDefinition(std::span<const uint8_t> block,
                                                        const std::string& label) {
  return guarded<WindowDefinition>([&] {
    BlockReader reader(block);
    for (uint32_t offset = reader.firstWindow(); offset != 0;) {
      size_t at = reader.windowRecord(offset);
      std::string found = reader.text(reader.u32At(at + L::WindowLabel), "window label");
      if (platform::equalsIgnoringCase(found, label)) {
        return DefinitionResult<WindowDefinition>{reader.window(at), {}};
      }
      offset = reader.u32At(at + L::WindowNext);
    }
    return DefinitionResult<WindowDefinition>{};
  });
}

DefinitionResult<DefinitionModule> readDefinitionResource(std::span<const uint8_t> bytes) {
  DefinitionResult<DefinitionResourceParts> parts = splitDefinitionResource(bytes);
  if (!parts.ok()) return DefinitionResult<DefinitionModule>::failure(parts.error);
  DefinitionResult<std::vector<WindowDefinition>> windows = readDefinitionBlock(parts.value->block);
  if (!windows.ok()) return DefinitionResult<DefinitionModule>::failure(windows.error);
  return {DefinitionModule{parts.value->owningName, std::move(*windows.value)}, {}};
}

}  // namespace zor::ui
