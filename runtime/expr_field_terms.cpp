#include "runtime/expr_field_terms.h"

#include "runtime/expr_functions.h"
#include "runtime/expr_node.h"
#include "runtime/expr_token.h"
#include "runtime/expression.h"
#include "runtime/type_codes.h"

namespace zor {
namespace {

bool relationOf(uint8_t code, bool mirrored, TermRelation& relation) {
  switch (code) {
    case op::kEqual:
      relation = TermRelation::kEqual;
      return true;
    case op::kLess:
      relation = mirrored ? TermRelation::kGreater : TermRelation::kLess;
      return true;
    case op::kGreater:
      relation = mirrored ? TermRelation::kLess : TermRelation::kGreater;
      return true;
    case op::kLessEqual:
      relation = mirrored ? TermRelation::kGreaterEqual : TermRelation::kLessEqual;
      return true;
    case op::kGreaterEqual:
      relation = mirrored ? TermRelation::kLessEqual : TermRelation::kGreaterEqual;
      return true;
    default:
      return false;  // "<>" bounds nothing
  }
}

class TermCollector {
 public:
  TermCollector(const ExprTree& tree, std::vector<FieldTerm>& out)
      : tree_(tree), out_(out), upper_(findBuiltinFunction("UPPER")) {}

  void collect(uint32_t index) {
    const ExprNode& node = tree_.nodes[index];
    if (node.kind == NodeKind::kAnd) {
      for (uint32_t i = 0; i < node.count; ++i) collect(tree_.children[node.first + i]);
    } else if (node.kind == NodeKind::kCompare) {
      comparison(node);
    } else if (node.kind == NodeKind::kBinary && isRelational(node.op)) {
      binary(node);
    }
  }

 private:
  const ExprNode& child(const ExprNode& node, uint32_t i) const {
    return tree_.nodes[tree_.children[node.first + i]];
  }

  static bool isField(const ExprNode& node) {
    return node.kind == NodeKind::kVariable && node.fieldType != kAny;
  }
  bool isUpperCall(const ExprNode& node) const {
    return node.kind == NodeKind::kCall && static_cast<int>(node.op) == upper_ && node.count == 1;
  }

  // A bound field, read as it is or through UPPER().
  bool subject(const ExprNode& node, FieldTerm& term) const {
    const ExprNode* field = &node;
    term.upper = isUpperCall(node);
    if (term.upper) field = &child(node, 0);
    if (!isField(*field)) return false;
    term.field = field->field.get();
    return true;
  }

  // A constant, as it is or through UPPER().
  bool constant(const ExprNode& node, FieldTerm& term) const {
    if (isUpperCall(node)) {
      const ExprNode& argument = child(node, 0);
      if (argument.kind != NodeKind::kConstant || argument.constant.kind != ValueKind::kString)
        return false;
      term.kind = ValueKind::kString;
      upperText(argument.text, term.text);
      return true;
    }
    if (node.kind != NodeKind::kConstant) return false;
    setConstant(node, term);
    return true;
  }

  static void setConstant(const ExprNode& node, FieldTerm& term) {
    term.kind = node.constant.kind;
    term.integer = node.constant.integer;
    term.real = node.constant.real;
    if (term.kind == ValueKind::kString) term.text = node.text;
  }

  // The parser's own form of "x relation constant"; with noCase set the
  // child is the argument of UPPER and the constant has no lower-case letter.
  void comparison(const ExprNode& node) {
    FieldTerm term;
    if (!relationOf(node.op, false, term.relation)) return;
    const ExprNode& operand = child(node, 0);
    if (node.noCase) {
      if (!isField(operand)) return;
      term.field = operand.field.get();
      term.upper = true;
    } else if (!subject(operand, term)) {
      return;
    }
    setConstant(node, term);
    out_.push_back(std::move(term));
  }

  // Both sides built by calls, as in "UPPER(F) = UPPER('x')".
  void binary(const ExprNode& node) {
    FieldTerm term;
    const ExprNode& left = child(node, 0);
    const ExprNode& right = child(node, 1);
    bool mirrored = false;
    if (!(subject(left, term) && constant(right, term))) {
      term = FieldTerm{};
      if (!(subject(right, term) && constant(left, term))) return;
      mirrored = true;
    }
    if (!relationOf(node.op, mirrored, term.relation)) return;
    out_.push_back(std::move(term));
  }

  const ExprTree& tree_;
  std::vector<FieldTerm>& out_;
  int upper_;
};

}  // namespace

std::vector<FieldTerm> Expression::fieldTerms() const {
  std::vector<FieldTerm> terms;
  if (tree_) TermCollector(*tree_, terms).collect(tree_->root);
  return terms;
}

}  // namespace zor
