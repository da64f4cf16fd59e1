#pragma once
// A table's definition as text, one line per item, as `twk schema` prints
// it and `twk load` reads it back:
//
//   record 6255
//   field 1 SIN:ID LONG offset=0 size=4 places=0 dim=0
//   memo 1 T:NOTES size=500 attributes=BINARY
//   blob 2 T:IMAGE size=0 attributes=none
//   key 2 SIN:P_Section attributes=DUP,NOCASE,OPT components=+SIN:INISECTION
//
// Blank lines and lines starting with "#" are ignored when reading.

#include <string>

#include "data/tarnwick/definition_stream.h"

namespace zor::tarnwick {

std::string definitionText(const TableDefinition& definition);

// False with "line N: reason" when the text is no definition.
bool parseDefinitionText(const std::string& text, TableDefinition& definition, std::string& error);

}  // namespace zor::tarnwick
