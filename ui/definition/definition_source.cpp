#include "ui/definition/definition_source.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <set>

#include "platform/ascii_case.h"
#include "ui/definition/definition_attributes.h"
#include "ui/definition/definition_kinds.h"
#include "ui/definition/definition_tokens.h"

namespace zor::ui {
namespace {

using platform::equalsIgnoringCase;

bool is(const Token& token, std::string_view word) {
  return token.type == TokenType::Word && equalsIgnoringCase(token.value, word);
}

// What a window and a control entry share: position, size, font, icon.
struct EntryTarget {
  DefinitionRect* rect;
  std::optional<FontDefinition>* font;
  std::string* icon;
};

class Parser {
 public:
  explicit Parser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

  std::vector<DefinitionModule> run() {
    while (peek().type != TokenType::End) {
      if (is(peek(), "definition")) {
        definition();
      } else if (is(peek(), "window")) {
        window();
      } else {
        fail(peek(), "expected 'definition' or 'window', found " + describe(peek()));
      }
    }
    return std::move(modules_);
  }

 private:
  const Token& peek() const { return tokens_[at_]; }
  const Token& take() {
    const Token& token = tokens_[at_];
    if (token.type != TokenType::End) ++at_;
    return token;
  }

  [[noreturn]] static void fail(const Token& token, const std::string& message) {
    throw SourceError{token.line, token.column, message};
  }

  static std::string describe(const Token& token) {
    switch (token.type) {
      case TokenType::Word:
        return "'" + token.value + "'";
      case TokenType::Text:
        return "the text \"" + token.value + "\"";
      case TokenType::Open:
        return "'{'";
      case TokenType::Close:
        return "'}'";
      case TokenType::End:
        return "the end of the file";
    }
    return {};
  }

  // A word or a quoted text.
  const Token& takeValue(const std::string& what) {
    const Token& token = take();
    if (token.type != TokenType::Word && token.type != TokenType::Text) {
      fail(token, "expected " + what + ", found " + describe(token));
    }
    return token;
  }

  int64_t takeNumber(const std::string& what, int64_t min, int64_t max) {
    const Token& token = take();
    std::string_view text = token.type == TokenType::Word ? token.value : std::string_view{};
    int base = 10;
    bool negative = !text.empty() && text[0] == '-';
    if (negative) text.remove_prefix(1);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
      base = 16;
      text.remove_prefix(2);
    }
    uint64_t magnitude = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
      fail(token, "expected " + what + " (a whole number), found " + describe(token));
    }
    if (magnitude > uint64_t(INT64_MAX) ||
        (negative ? -int64_t(magnitude) < min : int64_t(magnitude) > max)) {
      fail(token, what + " " + token.value + " is out of range (" + std::to_string(min) + " to " +
                      std::to_string(max) + ")");
    }
    return negative ? -int64_t(magnitude) : int64_t(magnitude);
  }

  // A position or size in dialog units, or "default".
  int32_t takeUnits(const std::string& what, bool size) {
    if (is(peek(), "default")) {
      take();
      return DefaultPosition;
    }
    return int32_t(takeNumber(what, size ? 0 : kLeastPosition, size ? kMostSize : kMostPosition));
  }

  void definition() {
    take();
    const Token& name = takeValue("the owning name program$module");
    size_t dollar = name.value.find('$');
    if (dollar == 0 || dollar == std::string::npos || dollar + 1 == name.value.size() ||
        name.value.find_first_of(" \t\n") != std::string::npos) {
      fail(name, "the owning name must be program$module, e.g. QV_GUI_SetupiniAdmin$Module001");
    }
    for (DefinitionModule& module : modules_) {
      if (equalsIgnoringCase(module.owningName, name.value)) {
        current_ = &module - modules_.data();
        return;
      }
    }
    modules_.push_back({name.value, {}});
    current_ = modules_.size() - 1;
  }

  void window() {
    const Token& keyword = take();
    if (current_ == SIZE_MAX) {
      fail(keyword, "a window needs a 'definition' line naming its owner before it");
    }
    WindowDefinition window;
    const Token& label = take();
    if (label.type != TokenType::Word) fail(label, "expected the window's label, e.g. P1$WINDOW");
    window.label = label.value;
    for (const WindowDefinition& other : modules_[current_].windows) {
      if (equalsIgnoringCase(other.label, window.label)) {
        fail(label,
             "window " + window.label + " is declared twice for " + modules_[current_].owningName);
      }
    }
    if (peek().type == TokenType::Text) window.title = take().value;
    uses_.clear();

    std::set<std::string> seen;
    EntryTarget target{&window.rect, &window.font, &window.icon};
    while (peek().type == TokenType::Word) {
      const Token& word = take();
      if (!sharedProperty(word, target, seen)) {
        uint32_t bit = attributeBit(windowAttributeWords(), word.value);
        if (bit == 0) fail(word, "unknown window property " + describe(word));
        window.attributes |= bit;
      }
    }
    const Token& open = take();
    if (open.type != TokenType::Open) {
      fail(open, "expected '{' to open the controls of window " + window.label + ", found " +
                     describe(open));
    }
    window.controls = controls(open, 0, 0);
    numberControls(window);
    modules_[current_].windows.push_back(std::move(window));
  }

  // Controls up to the '}' that closes `open`.
  std::vector<ControlDefinition> controls(const Token& open, uint8_t parent, int depth) {
    std::vector<ControlDefinition> list;
    for (;;) {
      const Token& token = peek();
      if (token.type == TokenType::Close) {
        take();
        return list;
      }
      if (token.type == TokenType::End) {
        fail(open, "this '{' has no matching '}'");
      }
      list.push_back(control(parent, depth));
    }
  }

  ControlDefinition control(uint8_t parent, int depth) {
    const Token& keyword = take();
    if (is(keyword, "window") || is(keyword, "definition")) {
      fail(keyword, describe(keyword) + " inside a window: a '}' is missing before it");
    }
    const ControlKindInfo* kind =
        keyword.type == TokenType::Word ? kindByKeyword(keyword.value) : nullptr;
    if (kind == nullptr) fail(keyword, "expected a control kind, found " + describe(keyword));
    if (const char* problem = nestingProblem(parent, kind->code)) {
      fail(keyword, std::string(kind->keyword) + " cannot stand here: " + problem);
    }
    ControlDefinition control;
    control.kind = kind->code;
    if (peek().type == TokenType::Word && peek().value.starts_with('?')) {
      const Token& use = take();
      if (use.value.size() < 2) fail(use, "a use label is '?' followed by a label");
      // The program addresses controls by use label: one window uses each once.
      if (!uses_.insert(platform::asciiUpperCased(use.value)).second) {
        fail(use, use.value + " is already used in this window");
      }
      control.use = use.value;
    }
    if (peek().type == TokenType::Text) control.text = take().value;

    std::set<std::string> seen;
    EntryTarget target{&control.rect, &control.font, &control.icon};
    while (peek().type == TokenType::Word && kindByKeyword(peek().value) == nullptr &&
           !is(peek(), "window") && !is(peek(), "definition")) {
      const Token& word = take();
      if (sharedProperty(word, target, seen) || controlProperty(word, control, seen)) continue;
      uint32_t bit = attributeBit(controlAttributeWords(), word.value);
      if (bit == 0) fail(word, "unknown control property " + describe(word));
      control.attributes |= bit;
    }
    if (peek().type == TokenType::Open) {
      const Token& open = take();
      if (kind->children == ChildRule::None) {
        fail(open, std::string(kind->keyword) + " takes no controls inside it");
      }
      if (depth + 1 >= DefinitionLayout::MaxNesting) {
        fail(open, "controls are nested more than " + std::to_string(DefinitionLayout::MaxNesting) +
                       " deep");
      }
      control.children = controls(open, kind->code, depth + 1);
    }
    return control;
  }

  static void once(const Token& word, std::set<std::string>& seen) {
    if (!seen.insert(platform::asciiUpperCased(word.value)).second)
      fail(word, describe(word) + " is given twice");
  }

  // at, size, font (with bold, weight, colour) and icon.
  bool sharedProperty(const Token& word, EntryTarget target, std::set<std::string>& seen) {
    if (is(word, "at")) {
      once(word, seen);
      target.rect->x = takeUnits("x", false);
      target.rect->y = takeUnits("y", false);
    } else if (is(word, "size")) {
      once(word, seen);
      target.rect->width = takeUnits("width", true);
      target.rect->height = takeUnits("height", true);
    } else if (is(word, "font")) {
      once(word, seen);
      FontDefinition font;
      font.typeface = takeValue("the typeface name").value;
      font.pointSize = uint32_t(takeNumber("point size", 0, 999));
      *target.font = font;
    } else if (is(word, "bold") || is(word, "weight") || is(word, "colour") || is(word, "color")) {
      once(word, seen);
      if (!*target.font) fail(word, describe(word) + " needs a 'font' before it");
      if (is(word, "bold")) {
        (*target.font)->weight = FontDefinition::BoldWeight;
      } else if (is(word, "weight")) {
        (*target.font)->weight = uint32_t(takeNumber("weight", 1, 1000));
      } else {
        (*target.font)->colour = uint32_t(takeNumber("colour", 0, 0xFFFFFF));
      }
    } else if (is(word, "icon")) {
      once(word, seen);
      *target.icon = takeValue("the icon name").value;
    } else {
      return false;
    }
    return true;
  }

  bool controlProperty(const Token& word, ControlDefinition& control, std::set<std::string>& seen) {
    const struct {
      std::string_view word;
      std::string* field;
      const char* what;
    } texts[] = {
        {"tip", &control.tip, "the tip text"},
        {"cursor", &control.cursor, "the cursor name"},
        {"picture", &control.picture, "the picture"},
        {"bind", &control.variable, "the variable name"},
        {"format", &control.format, "the list format"},
        {"value", &control.value, "the value"},
    };
    const auto* entry = std::find_if(std::begin(texts), std::end(texts),
                                     [&](const auto& text) { return is(word, text.word); });
    if (entry == std::end(texts)) return false;
    std::string* field = entry->field;
    once(word, seen);
    const Token& value = takeValue(entry->what);
    if (field == &control.picture && !value.value.starts_with('@')) {
      fail(value, "a picture starts with '@', e.g. @s49");
    }
    *field = value.value;
    return true;
  }

  std::vector<Token> tokens_;
  size_t at_ = 0;
  std::vector<DefinitionModule> modules_;
  size_t current_ = SIZE_MAX;
  std::set<std::string> uses_;  // use labels of the window being read
};

}  // namespace

DefinitionResult<std::vector<DefinitionModule>> parseDeclarations(std::string_view source,
                                                                  const std::string& fileName) {
  try {
    return {Parser(tokenizeDeclarations(source)).run(), {}};
  } catch (const SourceError& error) {
    std::string where = fileName;
    if (error.line > 0) {
      where += ":" + std::to_string(error.line) + ":" + std::to_string(error.column);
    }
    return DefinitionResult<std::vector<DefinitionModule>>::failure(where + ": " + error.message);
  }
}

}  // namespace zor::ui
