#pragma once
// The checks a FILE declaration built at run time passes before a driver
// sees it: first of the declaration itself ("S" faults), then against the
// abilities of the driver it names ("D" faults). The first fault found is
// reported as error 47.

#include <cstdint>
#include <optional>
#include <vector>

#include "data/declaration_error.h"
#include "runtime/record_builder.h"

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

// The first fault the run-time declaration builder found, as a declaration
// fault: its message selects the category and the message index, the
// declaration at fault gives the item number and name.
DeclarationFault declarationFaultOf(const RecordBuildError& error,
                                    const std::vector<FieldDeclaration>& fields);

inline constexpr uint32_t kMaxRecordSize = 4194304;
inline constexpr uint32_t kMaxGroupSize = 4194304;
inline constexpr uint32_t kMaxFieldSize = 4190208;

}  // namespace zor::data
