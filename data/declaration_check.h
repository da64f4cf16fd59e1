#pragma once
// The checks a FILE declaration built at run time passes before a driver
// sees it: first of the declaration itself ("S" faults), then against the
// abilities of the driver it names ("D" faults). The first fault found is
// reported as error 47.

#include <cstdint>
#include <optional>
#include <string_view>

#include "data/declaration_error.h"

namespace zor::data {

struct DriverDescriptor;
struct FileControlBlock;

// The first fault of the declaration, or nothing. Without a driver record,
// only the declaration itself is checked.
std::optional<DeclarationFault> findDeclarationFault(const FileControlBlock& fcb,
                                                     const DriverDescriptor* driver);

// Checks the declaration against the driver it names (looked up in the
// registry); reports the first fault (error 47) or returns 0.
int checkDeclaration(const FileControlBlock& fcb);

// A label as the language writes it: a letter or "_" first, then letters,
// digits, "_" and ":" (the prefix separator).
bool isValidLabel(std::string_view label);

inline constexpr uint32_t kMaxRecordSize = 4194304;
inline constexpr uint32_t kMaxGroupSize = 4194304;
inline constexpr uint32_t kMaxFieldSize = 4190208;

}  // namespace zor::data
