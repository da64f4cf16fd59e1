#include "ui/definition/definition_attributes.h"

#include <cstdio>

#include "platform/ascii_case.h"
#include "ui/definition/definition_model.h"

namespace zor::ui {
namespace {

constexpr AttributeWord ControlWords[] = {
    {"default", ControlAttr::Default},
    {"hidden", ControlAttr::Hidden},
    {"disabled", ControlAttr::Disabled},
    {"readonly", ControlAttr::ReadOnly},
    {"skip", ControlAttr::Skip},
    {"vscroll", ControlAttr::VScroll},
    {"hscroll", ControlAttr::HScroll},
    {"boxed", ControlAttr::Boxed},
    {"immediate", ControlAttr::Immediate},
    {"required", ControlAttr::Required},
    {"transparent", ControlAttr::Transparent},
    {"flat", ControlAttr::Flat},
};

constexpr AttributeWord WindowWords[] = {
    {"system", WindowAttr::System}, {"max", WindowAttr::Maximize},  {"min", WindowAttr::Minimize},
    {"resize", WindowAttr::Resize}, {"modal", WindowAttr::Modal},   {"center", WindowAttr::Center},
    {"gray", WindowAttr::Gray},     {"double", WindowAttr::Double},
};

}  // namespace

std::span<const AttributeWord> controlAttributeWords() {
  return ControlWords;
}
std::span<const AttributeWord> windowAttributeWords() {
  return WindowWords;
}

uint32_t attributeBit(std::span<const AttributeWord> words, std::string_view word) {
  for (const AttributeWord& entry : words) {
    if (platform::equalsIgnoringCase(entry.word, word)) return entry.bit;
  }
  return 0;
}

std::string attributeText(std::span<const AttributeWord> words, uint32_t bits) {
  std::string text;
  for (const AttributeWord& entry : words) {
    if ((bits & entry.bit) == 0) continue;
    if (!text.empty()) text += ' ';
    text += entry.word;
    bits &= ~entry.bit;
  }
  if (bits != 0) {
    char rest[16];
    std::snprintf(rest, sizeof rest, "0x%X", bits);
    if (!text.empty()) text += ' ';
    text += rest;
  }
  return text;
}

}  // namespace zor::ui
