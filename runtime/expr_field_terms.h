#pragma once
// The terms of a compiled condition that a reader can serve from a key: the
// top-level AND terms that compare a bound field with a constant, such as
// "SIN:INISECTION = 'Graphics'", "UPPER(SEC:DESCRIPTION) >= UPPER('ab')" or
// "5 < T:L" (read as "T:L > 5"). A view turns those on the leading
// components of its key into the bounds of the key range it reads; it still
// evaluates the whole condition on every record, so a term missed here
// costs reads, never results.

#include <cstdint>
#include <string>

#include "runtime/expr_value.h"

namespace zor {

class Ufo;

enum class TermRelation : uint8_t { kEqual, kLess, kLessEqual, kGreater, kGreaterEqual };

// "field relation constant", compared as the evaluator compares: a text
// with a text as if the shorter were padded with blanks, anything else by
// numeric value (reals equal within one part in 10^13).
struct FieldTerm {
  const Ufo* field = nullptr;
  TermRelation relation = TermRelation::kEqual;
  // The field is compared with its ASCII letters upper-cased, as UPPER(field)
  // is; the constant is given as it is compared (UPPER('ab') as "AB").
  bool upper = false;
  ValueKind kind = ValueKind::kNone;  // kInt, kReal or kString
  int64_t integer = 0;
  double real = 0;
  std::string text;
};

}  // namespace zor
