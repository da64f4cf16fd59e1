#include "ui/window_preview.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "runtime/type_codes.h"
#include "ui/row_control.h"
#include "ui/statements.h"
#include "ui/window.h"
#include "ui/window_builder.h"

namespace zor::ui {
namespace {

constexpr uint32_t kTextSize = 48;

enum class FieldUse { Text, Number };

// What each queue field of the format holds, from field 1.
std::vector<FieldUse> fieldUses(const ListFormat& format) {
  std::vector<FieldUse> uses;
  auto mark = [&](int field, int count, FieldUse use) {
    if (field <= 0) return;
    size_t last = static_cast<size_t>(field + count - 1);
    if (uses.size() < last) uses.resize(last, FieldUse::Text);
    for (int i = 0; i < count; ++i) uses[static_cast<size_t>(field - 1 + i)] = use;
  };
  for (const ListColumn& column : format.columns) {
    mark(column.field, 1, FieldUse::Text);
    mark(column.colourField, 4, FieldUse::Number);
    mark(column.iconField, 1, FieldUse::Number);
    mark(column.treeField, 1, FieldUse::Number);
    mark(column.styleField, 1, FieldUse::Number);
    mark(column.tipField, 1, FieldUse::Text);
  }
  return uses;
}

}  // namespace

PreviewRows::~PreviewRows() = default;

void PreviewRows::fill(Window& window, int rows) {
  for (const auto& control : window.controls()) {
    auto* list = dynamic_cast<ListControl*>(control.get());
    if (!list) continue;
    const ListFormat& format = list->view().format();
    std::vector<FieldUse> uses = fieldUses(format);
    if (uses.empty()) uses.push_back(FieldUse::Text);
    std::vector<FieldDeclaration> fields;
    for (size_t i = 0; i < uses.size(); ++i) {
      FieldDeclaration field;
      field.label = "F" + std::to_string(i + 1);
      if (uses[i] == FieldUse::Text) {
        field.type = kString;
        field.size = kTextSize;
        field.picture = "@s48";
      } else {
        field.type = kLong;
        field.size = 4;
      }
      fields.push_back(field);
    }
    auto made = std::make_unique<ListRows>();
    RecordBuildError error;
    if (!RecordBuilder::build(fields, made->record, error)) continue;
    const RecordLayout& layout = made->record.layout();
    made->queue = std::make_unique<Queue>(layout, made->record.size());
    std::vector<uint8_t> bytes(made->record.size());
    for (int row = 1; row <= rows; ++row) {
      std::fill(bytes.begin(), bytes.end(), static_cast<uint8_t>(0));
      for (size_t i = 0; i < layout.size(); ++i) {
        uint8_t* at = bytes.data() + layout[i].offset;
        if (uses[i] == FieldUse::Number) {
          int32_t value = 0;
          std::memcpy(at, &value, sizeof value);
          continue;
        }
        std::string text = i == 0 ? "Row " + std::to_string(row)
                                  : "Value " + std::to_string(row) + "." + std::to_string(i + 1);
        std::memset(at, ' ', layout[i].size);
        std::memcpy(at, text.data(), std::min<size_t>(text.size(), layout[i].size));
      }
      made->queue->add(bytes.data());
    }
    list->setQueue(made->queue.get());
    lists_.push_back(std::move(made));
  }
}

int previewWindow(const WindowDefinition& definition, int rows,
                  const std::function<void(Window&)>& onEvent) {
  std::unique_ptr<Window> window = buildWindow(definition);
  PreviewRows made;
  made.fill(*window, rows);
  window->open();
  while (accept()) {
    if (onEvent) onEvent(*window);
  }
  if (window->isOpen()) window->close();
  return 0;
}

}  // namespace zor::ui
