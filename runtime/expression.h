#pragma once
// Expressions given as text at run time: EVALUATE, and the filters and range
// limits that views and query-by-example build. An expression is compiled
// once into a tree, against the names bound at that moment, and can then be
// evaluated any number of times: each evaluation reads the current contents
// of the bound fields. Once its buffers have grown to the sizes the values
// need, evaluating allocates nothing (functions that reach outside the
// program, such as GETINI and PATH, excepted).
//
// Division or remainder by zero gives 0, and so does any real result that
// is not a finite number (SQRT(-1), LOG10(0)). Texts that the evaluator
// builds are cut at kMaxBuiltText characters.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/expr_bindings.h"
#include "runtime/expr_errors.h"
#include "runtime/expr_field_terms.h"
#include "runtime/expr_value.h"

namespace zor {

struct ExprTree;

class Expression {
 public:
  Expression();
  ~Expression();
  Expression(Expression&&) noexcept;
  Expression& operator=(Expression&&) noexcept;

  // Compiles against `bindings` (the thread's by default). On failure the
  // error number is also set as the current error code.
  bool compile(std::string_view text, const Bindings& bindings = threadBindings());
  bool valid() const { return tree_ != nullptr; }
  const ExprError& error() const { return error_; }

  // The value for the bound fields' current contents. Its text stays valid
  // until the next evaluation. Without a compiled tree (error 1013), or when
  // a binding scope that the tree reads has been popped (error 1014), the
  // result has no value and the error is set.
  const Value& evaluate();
  // The value as a condition: a filter's "does this record pass". Faster
  // than evaluate(), as no value is built for comparisons and AND/OR/NOT.
  bool test();
  std::string evaluateText();

  // The top-level AND terms that compare a bound field with a constant
  // (expr_field_terms.h); empty without a compiled tree.
  std::vector<FieldTerm> fieldTerms() const;

 private:
  bool scopesAlive() const;

  std::unique_ptr<ExprTree> tree_;
  Value result_;
  ExprError error_;
};

// EVALUATE(text): compiles and evaluates once against the thread's
// bindings. An invalid text gives "" and sets the error code (and `error`).
std::string evaluateExpression(std::string_view text, ExprError* error = nullptr);

}  // namespace zor
