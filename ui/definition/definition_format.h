#pragma once
// Writes window definitions back as declarations (ui/definition/definition_source.h),
// one entry a line, each control followed by its field equate as a comment.
// What it writes reads back into the same definitions, except attribute
// bits that have no name (written as a hex number, which the reader
// refuses).

#include <string>
#include <vector>

#include "ui/definition/definition_model.h"

namespace zor::ui {

std::string formatDeclarations(const std::vector<DefinitionModule>& modules);

}  // namespace zor::ui
