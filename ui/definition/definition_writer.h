#pragma once
// Writes window definitions as the binary block of ui/definition/definition_block.h:
// the first-window offset, then each window record with its font record and
// its controls (each control followed by its data and font records, then
// its children), then every text once.

#include <cstdint>
#include <vector>

#include "ui/definition/definition_model.h"

namespace zor::ui {

// The block alone. The field equates are written as the model holds them
// (numberControls gives them their usual values).
std::vector<uint8_t> writeDefinitionBlock(const std::vector<WindowDefinition>& windows);

// The whole resource: the NUL-terminated owning name, then the block.
std::vector<uint8_t> writeDefinitionResource(const DefinitionModule& module);

}  // namespace zor::ui
