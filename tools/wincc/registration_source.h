#pragma once
// The C++ source that wincc generates for the build: each compiled
// definition as a byte array, registered as an embedded resource of type
// "DABDUMP" when the program starts (and by an explicit function, for
// programs that link the source from a static library).

#include <string>
#include <vector>

#include "ui/definition/definition_model.h"

namespace zor::tool {

struct RegistrationOptions {
  std::string inputName;     // shown in the header comment
  std::string functionName;  // the explicit registration function
  std::string module;        // empty: each definition's program module
};

std::string registrationSource(const std::vector<ui::DefinitionModule>& modules,
                               const RegistrationOptions& options);

// A C++ identifier made from `text` (other characters become '_').
std::string identifierFrom(const std::string& text);

}  // namespace zor::tool
