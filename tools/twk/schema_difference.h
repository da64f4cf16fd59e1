#pragma once
// Where a schema given to twk load differs from the table already stored,
// said in words: which field, memo, key or component, what the table has
// and what the schema says ("field 2 T:NAME: the table stores size 40, the
// schema says 30").

#include <string>

#include "data/tarnwick/definition_stream.h"

namespace zor::twk {

// The first difference, in the order the definition is stored; empty when
// the two agree.
std::string describeSchemaDifference(const tarnwick::TableDefinition& stored,
                                     const tarnwick::TableDefinition& schema);

}  // namespace zor::twk
