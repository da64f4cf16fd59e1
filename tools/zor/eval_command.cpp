// zor eval EXPRESSION [NAME=VALUE ...]: binds each NAME to a text variable
// holding VALUE, evaluates the expression and prints its value. An invalid
// expression prints its error number and message on stderr (exit 1).

#include <iostream>
#include <vector>

#include "runtime/expr_token.h"
#include "runtime/expression.h"
#include "tools/zor/command.h"

namespace zor::tool {

namespace {

constexpr int kExitInvalidExpression = 1;

bool isName(std::string_view text) {
  std::vector<Token> tokens;
  tokenize(text, tokens);
  return tokens.size() == 2 && tokens[0].kind == TokenKind::kName && tokens[0].text == text;
}

int runEval(const Arguments& arguments) {
  if (arguments.empty()) return usageError("eval", "expected an expression");
  Bindings bindings;
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::string& binding = arguments[i];
    size_t equals = binding.find('=');
    if (equals == std::string::npos || !isName(std::string_view(binding).substr(0, equals))) {
      return usageError("eval", "expected NAME=VALUE, not \"" + binding + "\"");
    }
    bindings.bindText(binding.substr(0, equals), std::string_view(binding).substr(equals + 1));
  }
  Expression expression;
  if (!expression.compile(arguments[0], bindings)) {
    const ExprError& error = expression.error();
    std::cerr << "zor: error " << error.code << ": " << error.message();
    // The error text is the runtime's own; what a person needs to mend the
    // expression follows it.
    if (!error.hint.empty()) {
      std::cerr << ": " << error.hint;
    } else if (error.code == kErrorInvalidExpression && error.pos == ExprError::kNoPosition) {
      std::cerr << ": it ends at character " << arguments[0].size() + 1
                << " before it is complete (an operand or a closing bracket is missing)";
    }
    std::cerr << '\n';
    return kExitInvalidExpression;
  }
  std::cout << expression.evaluateText() << '\n';
  return kExitOk;
}

CommandRegistrar evalCommand{
    "eval", "EXPRESSION [NAME=VALUE ...]", "the value of an expression", runEval,
    "Each NAME=VALUE binds NAME to a text variable holding VALUE. An invalid\n"
    "expression prints the runtime's error number and text, and what stopped\n"
    "it, on stderr (exit 1).\n"};

}  // namespace

}  // namespace zor::tool
