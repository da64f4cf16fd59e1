#pragma once
// The compiled form of an expression: a tree of nodes in one array, children
// before their parents, each node with its own result buffer so that
// evaluating the tree again reuses the memory of the last evaluation.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "runtime/expr_value.h"
#include "runtime/string_functions.h"
#include "runtime/ufo.h"

namespace zor {

enum class NodeKind : uint8_t {
  kConstant,  // number in `constant`, text in `text`
  kVariable,  // bound field
  kUnary,     // op: kSubtract (negate), kAdd (to number), kNot
  kBinary,    // op: arithmetic, relational, XOR
  kCompare,   // op: relational; the one child against the constant in the node
  kAnd,       // any number of operands, evaluated until one is false
  kOr,        // any number of operands, evaluated until one is true
  kConcat,    // any number of operands joined as text
  kCall,      // op: index in the function table
  kSlice,     // text[index] or text[first : last]
  kOmitted,   // an argument left out of a call
};

struct ExprNode {
  NodeKind kind = NodeKind::kConstant;
  uint8_t op = 0;
  bool condition = false;  // yields a truth value (relational and logical nodes)
  uint32_t depth = 1;      // height of the subtree
  uint32_t first = 0;      // children: ExprTree::children[first .. first + count)
  uint32_t count = 0;
  size_t pos = 0;  // character offset of the node's token

  Value constant;  // a text constant's view points at `text` once compiled
  std::string text;
  bool noCase = false;  // kCompare: the child is UPPER's argument, compared without case
  // kCompare: how the child is read. A bound text field against a text, or
  // an integer field against an integer, is compared where it lies.
  enum class CompareForm : uint8_t { kValue, kTextField, kIntegerField } form = CompareForm::kValue;
  std::shared_ptr<Ufo> field;
  uint8_t fieldType = 0;
  const char* fieldBytes = nullptr;  // the field's address and size, read without the object
  size_t fieldSize = 0;

  // Working memory, reused from one evaluation to the next.
  std::string buffer;
  std::vector<Value> args;
  std::unique_ptr<TextPattern> pattern;
};

struct ExprTree {
  std::vector<ExprNode> nodes;
  std::vector<uint32_t> children;
  uint32_t root = 0;
  // Liveness tokens of the binding scopes whose fields the tree reads.
  std::vector<std::weak_ptr<const void>> scopes;
};

}  // namespace zor
