#pragma once
// Compiles expression text into a tree by recursive descent. Loosest to
// tightest: OR XOR; AND; prefix NOT; relational operators; "&"; "+" "-";
// "*" "/" "%"; "^"; prefix "+" "-"; primaries (parenthesised expressions,
// numbers, texts, pictures, bound names, function calls, and text slices
// name[i] and name[first : last]). Every binary level is left-associative.
//
// Names are resolved while compiling: the tree keeps the bound fields, so
// evaluating it again does no look-ups. Nesting and tree height are limited
// so that neither compiling nor evaluating can exhaust the stack.

#include <string_view>

#include "runtime/expr_bindings.h"
#include "runtime/expr_errors.h"
#include "runtime/expr_node.h"

namespace zor {

inline constexpr int kMaxExpressionNesting = 100;      // brackets and calls inside each other
inline constexpr uint32_t kMaxExpressionHeight = 256;  // nodes on the longest path of the tree

// False with `error` filled when the text is not a valid expression.
bool compileExpression(std::string_view text, const Bindings& bindings, ExprTree& tree,
                       ExprError& error);

}  // namespace zor
