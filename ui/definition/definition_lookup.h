#pragma once
// Finding a window definition among the program's embedded resources.
//
// The resource is named after the text behind "$" in the owning name plus
// "_RSC", of type "DABDUMP". The search starts in the module where the
// previous definition was found (at first, the first registered module) and
// goes on through every other registered module. A resource counts only
// when its leading owning name equals the wanted one; its block is copied
// into the shared definition buffer under the definitions lock and its
// window records are walked until the wanted label.

#include <string>

#include "ui/definition/definition_block.h"
#include "ui/definition/definition_model.h"

namespace zor::ui {

struct FoundWindowDefinition {
  std::string module;  // the registered module that holds it
  WindowDefinition window;
};

// No value and no error when no module holds the window; an error when the
// matching resource is malformed.
DefinitionResult<FoundWindowDefinition> findWindowDefinition(const std::string& owningName,
                                                             const std::string& label);

// The module the next search starts in; empty before the first find.
std::string rememberedDefinitionModule();
// Starts the next search from the first registered module again.
void forgetDefinitionModule();

}  // namespace zor::ui
