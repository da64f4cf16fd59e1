#include "ui/definition/definition_writer.h"

#include <map>
#include <string>
#include <utility>

#include "ui/definition/definition_block.h"
#include "ui/definition/definition_kinds.h"

namespace zor::ui {
namespace {

namespace L = DefinitionLayout;

class BlockWriter {
 public:
  std::vector<uint8_t> finish(const std::vector<WindowDefinition>& windows) {
    size_t first = reserve();
    size_t previousNext = SIZE_MAX;
    for (const WindowDefinition& window : windows) {
      uint32_t at = here();
      patch(previousNext == SIZE_MAX ? first : previousNext, at);
      previousNext = writeWindow(window);
    }
    writeTexts();
    return std::move(out_);
  }

 private:
  uint32_t here() const { return uint32_t(out_.size() + L::OffsetBias); }

  void u8(uint8_t value) { out_.push_back(value); }
  void u32(uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out_.push_back(uint8_t(value >> shift));
  }
  // A u32 to be filled in later; returns its index.
  size_t reserve() {
    u32(0);
    return out_.size() - 4;
  }
  void patch(size_t index, uint32_t value) {
    for (int i = 0; i < 4; ++i) out_[index + i] = uint8_t(value >> (8 * i));
  }
  // A text offset, filled in when the texts are written; none when empty.
  void text(const std::string& value) {
    size_t index = reserve();
    if (!value.empty()) textUses_.emplace_back(index, value);
  }

  size_t writeWindow(const WindowDefinition& window) {
    u8(ControlKind::Window);
    size_t next = reserve();
    u32(window.attributes);
    u32(0);
    for (int32_t value : {window.rect.x, window.rect.y, window.rect.width, window.rect.height}) {
      u32(uint32_t(value));
    }
    size_t firstControl = reserve();
    text(window.label);
    size_t font = reserve();
    text(window.title);
    text(window.icon);
    writeFont(font, window.font);
    patch(firstControl, writeControls(window.controls));
    return next;
  }

  void writeFont(size_t reference, const std::optional<FontDefinition>& font) {
    if (!font) return;
    patch(reference, here());
    text(font->typeface);
    u32(font->pointSize);
    u32(font->colour);
    u32(font->weight);
  }

  // Writes a list of siblings; returns the offset of the first.
  uint32_t writeControls(const std::vector<ControlDefinition>& controls) {
    uint32_t first = 0;
    size_t previousNext = SIZE_MAX;
    for (const ControlDefinition& control : controls) {
      uint32_t at = here();
      if (previousNext == SIZE_MAX)
        first = at;
      else
        patch(previousNext, at);
      previousNext = writeControl(control);
    }
    return first;
  }

  // Returns the index of the record's next-offset.
  size_t writeControl(const ControlDefinition& control) {
    const ControlKindInfo* kind = kindByCode(control.kind);
    u8(control.kind);
    size_t next = reserve();
    u32(control.attributes);
    u32(0);
    u32(control.equate);
    text(control.use);
    size_t data = SIZE_MAX, font = SIZE_MAX, children = SIZE_MAX;
    for (Slot slot : kind ? kind->layout : std::vector<Slot>{}) {
      switch (slot) {
        case Slot::X:
          u32(uint32_t(control.rect.x));
          break;
        case Slot::Y:
          u32(uint32_t(control.rect.y));
          break;
        case Slot::Width:
          u32(uint32_t(control.rect.width));
          break;
        case Slot::Height:
          u32(uint32_t(control.rect.height));
          break;
        case Slot::Text:
          text(control.text);
          break;
        case Slot::Tip:
          text(control.tip);
          break;
        case Slot::Format:
          text(control.format);
          break;
        case Slot::Cursor:
          text(control.cursor);
          break;
        case Slot::Icon:
          text(control.icon);
          break;
        case Slot::Value:
          text(control.value);
          break;
        case Slot::Data:
          data = reserve();
          break;
        case Slot::Font:
          font = reserve();
          break;
        case Slot::Children:
          children = reserve();
          break;
        case Slot::Unused:
          u32(0);
          break;
      }
    }
    if (data != SIZE_MAX && (!control.picture.empty() || !control.variable.empty())) {
      patch(data, here());
      text(control.picture);
      text(control.variable);
    }
    if (font != SIZE_MAX) writeFont(font, control.font);
    if (children != SIZE_MAX) patch(children, writeControls(control.children));
    return next;
  }

  // Each distinct text once, after the records.
  void writeTexts() {
    std::map<std::string, uint32_t> written;
    for (const auto& [index, value] : textUses_) {
      auto [entry, added] = written.emplace(value, here());
      if (added) {
        out_.insert(out_.end(), value.begin(), value.end());
        out_.push_back(0);
      }
      patch(index, entry->second);
    }
  }

  std::vector<uint8_t> out_;
  std::vector<std::pair<size_t, std::string>> textUses_;
};

}  // namespace

std::vector<uint8_t> writeDefinitionBlock(const std::vector<WindowDefinition>& windows) {
  return BlockWriter().finish(windows);
}

std::vector<uint8_t> writeDefinitionResource(const DefinitionModule& module) {
  std::vector<uint8_t> bytes(module.owningName.begin(), module.owningName.end());
  bytes.push_back(0);
  std::vector<uint8_t> block = writeDefinitionBlock(module.windows);
  bytes.insert(bytes.end(), block.begin(), block.end());
  return bytes;
}

}  // namespace zor::ui
