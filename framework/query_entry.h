#pragma once
// What the user types into a query entry: a value, optionally preceded by
// an operator. The operators are "=", "<", ">", "<>", "<=", ">=" (also
// written "=<" and "=>"), "NOT =" (read as "<>"), and the words "Contains"
// and "Begins"; one or more "~" in front make the comparison ignore case.
// Without an operator the value is compared with "=", except that "*word*"
// reads as Contains and "word*" as Begins. Blanks around the value are
// dropped. Everything after the operator is the value, taken literally:
// "= <none>" looks for the text "<none>", "= Contains" for "Contains".
//
//   readQueryEntry("~Contains shadow")  ->  {Contains, no case, "shadow"}
//   readQueryEntry("NOT = 5")           ->  {"<>", "5"}

#include <string>
#include <string_view>

namespace zor::fw {

namespace QueryOperator {
inline constexpr const char* Contains = "Contains";
inline constexpr const char* Begins = "Begins";
}  // namespace QueryOperator

struct QueryCondition {
  std::string Operator = "=";  // "=", "<", ">", "<>", "<=", ">=", Contains or Begins
  bool NoCase = false;
  bool Typed = false;  // the entry says how to compare (else "=" is taken)
  std::string Value;
};

// An empty (or blank) entry gives nothing to compare: check Empty() first.
QueryCondition readQueryEntry(std::string_view text);
// Whether an entry holds anything at all.
bool queryEntryEmpty(std::string_view text);

}  // namespace zor::fw
