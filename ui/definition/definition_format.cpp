#include "ui/definition/definition_format.h"

#include <cstdio>

#include "platform/ascii_case.h"
#include "ui/definition/definition_attributes.h"
#include "ui/definition/definition_kinds.h"

namespace zor::ui {
namespace {

std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        out += c;
    }
  }
  return out + "\"";
}

// A word as it stands when the reader takes it back as one word.
std::string word(const std::string& text) {
  bool plain = !text.empty() && text.find_first_of(" \t\n\r{}\"#") == std::string::npos;
  return plain ? text : quoted(text);
}

std::string units(int32_t value) {
  return value == DefaultPosition ? "default" : std::to_string(value);
}

class Formatter {
 public:
  std::string run(const std::vector<DefinitionModule>& modules) {
    for (const DefinitionModule& module : modules) {
      out_ += "definition " + word(module.owningName) + "  # resource " +
              definitionResourceName(module.owningName) + "\n";
      for (const WindowDefinition& window : module.windows) writeWindow(window);
    }
    return std::move(out_);
  }

 private:
  void placement(const DefinitionRect& rect, const std::optional<FontDefinition>& font,
                 const std::string& icon) {
    if (rect.x != DefaultPosition || rect.y != DefaultPosition) {
      out_ += " at " + units(rect.x) + " " + units(rect.y);
    }
    if (rect.width != DefaultPosition || rect.height != DefaultPosition) {
      out_ += " size " + units(rect.width) + " " + units(rect.height);
    }
    if (font) {
      out_ += " font " + quoted(font->typeface) + " " + std::to_string(font->pointSize);
      if (font->weight != FontDefinition::NormalWeight) {
        out_ += " weight " + std::to_string(font->weight);
      }
      if (font->colour != FontDefinition::DefaultColour) {
        char colour[32];
        std::snprintf(colour, sizeof colour, " colour 0x%06X", font->colour);
        out_ += colour;
      }
    }
    if (!icon.empty()) out_ += " icon " + quoted(icon);
  }

  void attributes(std::span<const AttributeWord> words, uint32_t bits) {
    if (bits != 0) out_ += " " + attributeText(words, bits);
  }

  void writeWindow(const WindowDefinition& window) {
    out_ += "window " + window.label;
    if (!window.title.empty()) out_ += " " + quoted(window.title);
    placement(window.rect, window.font, window.icon);
    attributes(windowAttributeWords(), window.attributes);
    out_ += " {\n";
    for (const ControlDefinition& control : window.controls) writeControl(control, 1);
    out_ += "}\n";
  }

  void text(const char* property, const std::string& value) {
    if (!value.empty()) out_ += std::string(" ") + property + " " + quoted(value);
  }

  void writeControl(const ControlDefinition& control, int depth) {
    std::string indent(2 * depth, ' ');
    out_ += indent + platform::asciiLowerCased(std::string(kindName(control.kind)));
    if (!control.use.empty()) out_ += " " + control.use;
    if (!control.text.empty()) out_ += " " + quoted(control.text);
    placement(control.rect, control.font, control.icon);
    text("picture", control.picture);
    if (!control.variable.empty()) out_ += " bind " + word(control.variable);
    text("format", control.format);
    text("tip", control.tip);
    text("cursor", control.cursor);
    text("value", control.value);
    attributes(controlAttributeWords(), control.attributes);
    std::string equate = "  # " + std::to_string(control.equate) + "\n";
    if (control.children.empty()) {
      out_ += equate;
      return;
    }
    out_ += " {" + equate;
    for (const ControlDefinition& child : control.children) writeControl(child, depth + 1);
    out_ += indent + "}\n";
  }

  std::string out_;
};

}  // namespace

std::string formatDeclarations(const std::vector<DefinitionModule>& modules) {
  return Formatter().run(modules);
}

}  // namespace zor::ui
