#pragma once
// The built-in functions of the expression language: one alphabetically
// sorted table with each function's argument range, result kind, behaviour
// and a one-line description (see expr_functions.cpp).

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "runtime/expr_value.h"
#include "runtime/string_functions.h"

namespace zor {

// One call: the evaluated arguments (kNone for an argument left out), where
// the result goes, and the node's reusable memory for a text result.
struct FunctionCall {
  Value& out;
  const Value* args = nullptr;
  uint32_t count = 0;
  bool firstIsCondition = false;  // the first argument is a comparison or logical term
  std::string& buffer;
  std::unique_ptr<TextPattern>& pattern;

  bool has(uint32_t i) const { return i < count && args[i].kind != ValueKind::kNone; }
  int64_t intArg(uint32_t i, int64_t fallback = 0) const;
  double realArg(uint32_t i) const;
  std::string_view textArg(uint32_t i, NumberText& scratch) const;
};

using FunctionBody = void (*)(FunctionCall& call);  // sets call.out

struct BuiltinFunction {
  const char* name;
  uint8_t minArgs;
  uint8_t maxArgs;
  ValueKind result;  // kNone: the function has no value (SQL)
  FunctionBody body;
  const char* description;
};

std::span<const BuiltinFunction> builtinFunctions();
// Case-insensitive look-up; -1 when there is no such function.
int findBuiltinFunction(std::string_view name);

}  // namespace zor
