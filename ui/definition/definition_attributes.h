#pragma once
// The words that name attribute bits in window declarations and dumps:
// "default", "hidden", "readonly" ... for controls, "system", "max" ... for
// windows.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zor::ui {

struct AttributeWord {
  std::string_view word;
  uint32_t bit;
};

std::span<const AttributeWord> controlAttributeWords();
std::span<const AttributeWord> windowAttributeWords();

// The bit a word names in `words`, or 0.
uint32_t attributeBit(std::span<const AttributeWord> words, std::string_view word);
// The named bits of `bits`, space-separated; unnamed bits as one hex number.
std::string attributeText(std::span<const AttributeWord> words, uint32_t bits);

}  // namespace zor::ui
