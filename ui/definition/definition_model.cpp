#include "ui/definition/definition_model.h"

namespace zor::ui {
namespace {

void visitAll(const std::vector<ControlDefinition>& controls, int depth,
              const std::function<void(const ControlDefinition&, int)>& visit) {
  for (const ControlDefinition& control : controls) {
    visit(control, depth);
    visitAll(control.children, depth + 1, visit);
  }
}

void numberAll(std::vector<ControlDefinition>& controls, uint32_t& next) {
  for (ControlDefinition& control : controls) {
    control.equate = next++;
    numberAll(control.children, next);
  }
}

}  // namespace

const char* rectOutOfRange(const DefinitionRect& rect) {
  auto outside = [](int32_t value, int32_t least, int32_t most) {
    return value != DefaultPosition && (value < least || value > most);
  };
  if (outside(rect.x, kLeastPosition, kMostPosition)) return "x";
  if (outside(rect.y, kLeastPosition, kMostPosition)) return "y";
  if (outside(rect.width, 0, kMostSize)) return "width";
  if (outside(rect.height, 0, kMostSize)) return "height";
  return nullptr;
}

uint32_t numberControls(WindowDefinition& window) {
  uint32_t next = 1;
  numberAll(window.controls, next);
  return next - 1;
}

void forEachControl(const WindowDefinition& window,
                    const std::function<void(const ControlDefinition&, int depth)>& visit) {
  visitAll(window.controls, 0, visit);
}

const ControlDefinition* findControl(const WindowDefinition& window, uint32_t equate) {
  const ControlDefinition* found = nullptr;
  forEachControl(window, [&](const ControlDefinition& control, int) {
    if (found == nullptr && control.equate == equate) found = &control;
  });
  return found;
}

std::string definitionResourceName(const std::string& owningName) {
  size_t dollar = owningName.find('$');
  std::string module = dollar == std::string::npos ? owningName : owningName.substr(dollar + 1);
  return module + "_RSC";
}

std::string definitionProgramModule(const std::string& owningName) {
  return owningName.substr(0, owningName.find('$'));
}

}  // namespace zor::ui
