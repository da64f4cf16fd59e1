#include "runtime/expr_parser.h"

#include <algorithm>
#include <charconv>
#include <span>
#include <string>

#include "platform/ascii_case.h"
#include "platform/hex_text.h"
#include "runtime/expr_functions.h"
#include "runtime/expr_token.h"
#include "runtime/type_codes.h"

namespace zor {
namespace {

// Thrown inside the parser only; compileExpression turns it into an error.
struct ParseFailure {
  int code;
  size_t pos;
  std::string detail;
  std::string hint;
};

// Why the tokenizer stopped at a character starting with `c`.
std::string unreadableTokenHint(char c) {
  if (c == '\'') return "the quoted text there is never closed";
  if (c == '@') return "the picture there is not valid";
  const auto byte = static_cast<unsigned char>(c);
  if (byte > 0x20 && byte < 0x7F)
    return std::string("nothing in an expression starts with '") + c + "'";
  std::string hint = "nothing in an expression starts with the byte 0x";
  platform::appendHex(hint, byte);
  return hint;
}

bool digitValue(char c, unsigned& value) {
  c = platform::asciiUpper(c);
  if (c >= '0' && c <= '9') {
    value = static_cast<unsigned>(c - '0');
  } else if (c >= 'A' && c <= 'F') {
    value = static_cast<unsigned>(c - 'A' + 10);
  } else {
    return false;
  }
  return true;
}

// Decimal numbers ("12", "1.5", ".5"), or whole numbers in another base
// marked by a last letter: "0FFh", "1010b", "17o".
bool parseNumber(std::string_view text, Value& value) {
  char last = platform::asciiUpper(text.back());
  unsigned base = last == 'H' ? 16 : last == 'B' ? 2 : last == 'O' ? 8 : 10;
  if (base != 10) {
    text.remove_suffix(1);
    if (text.empty()) return false;
    uint64_t number = 0;
    for (char c : text) {
      unsigned digit = 0;
      if (!digitValue(c, digit) || digit >= base) return false;
      if (number > (UINT64_MAX - digit) / base) return false;
      number = number * base + digit;
    }
    if (number > static_cast<uint64_t>(INT64_MAX)) return false;
    value = Value::ofInt(static_cast<int64_t>(number));
    return true;
  }
  size_t points = std::count(text.begin(), text.end(), '.');
  bool digitsOnly = std::all_of(text.begin(), text.end(),
                                [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
  if (!digitsOnly || points > 1 || text.size() == points) return false;
  const char* end = text.data() + text.size();
  if (points == 0) {
    int64_t number = 0;
    auto result = std::from_chars(text.data(), end, number);
    if (result.ec == std::errc() && result.ptr == end) {
      value = Value::ofInt(number);
      return true;
    }
  }
  double real = 0;
  auto result = std::from_chars(text.data(), end, real);
  if (result.ptr != end) return false;
  value = Value::ofReal(real);
  return true;
}

// Integers, dates and times read as integers; floating and packed decimal
// fields as reals; texts, and ANY (whose kind changes with what it holds),
// are read at evaluation time.
ValueKind kindOfField(const Ufo& field) {
  uint8_t type = field.type();
  if (type == kAny || !field.isNumeric()) return ValueKind::kString;
  bool real = field.isFloating() || type == kDecimal || type == kPDecimal;
  return real ? ValueKind::kReal : ValueKind::kInt;
}

class Parser {
 public:
  Parser(std::string_view text, const Bindings& bindings, ExprTree& tree)
      : text_(text), bindings_(bindings), tree_(tree) {}

  void run() {
    tokenize(text_, tokens_);
    if (tokens_.back().kind == TokenKind::kError) {
      const size_t pos = tokens_.back().pos;
      throw ParseFailure{kErrorInvalidExpression, pos, {}, unreadableTokenHint(text_[pos])};
    }
    tree_.root = parseOr();
    if (peek().kind != TokenKind::kEnd) fail(peek().pos);
  }

 private:
  // Keeps the recursion bounded: every bracket, argument and slice goes
  // through parseOr.
  class Nesting {
   public:
    Nesting(Parser& parser, size_t pos) : parser_(parser) {
      if (++parser_.nesting_ > kMaxExpressionNesting) {
        throw ParseFailure{kErrorInvalidExpression,
                           pos,
                           {},
                           "brackets and calls nested more than " +
                               std::to_string(kMaxExpressionNesting) + " deep"};
      }
    }
    ~Nesting() { --parser_.nesting_; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;

   private:
    Parser& parser_;
  };

  [[noreturn]] void fail(size_t pos, int code = kErrorInvalidExpression, std::string detail = {}) {
    throw ParseFailure{code, pos, std::move(detail)};
  }
  const Token& peek() const { return tokens_[at_]; }
  const Token& next() { return tokens_[at_ == tokens_.size() - 1 ? at_ : at_++]; }
  bool peekOperator(uint8_t code) const {
    return peek().kind == TokenKind::kOperator && peek().op == code;
  }
  void expect(TokenKind kind) {
    if (peek().kind != kind) fail(peek().pos);
    next();
  }

  uint32_t add(ExprNode node, std::span<const uint32_t> kids = {}) {
    node.first = static_cast<uint32_t>(tree_.children.size());
    node.count = static_cast<uint32_t>(kids.size());
    for (uint32_t kid : kids) {
      tree_.children.push_back(kid);
      node.depth = std::max(node.depth, tree_.nodes[kid].depth + 1);
    }
    if (node.depth > kMaxExpressionHeight) {
      throw ParseFailure{kErrorInvalidExpression,
                         node.pos,
                         {},
                         "more than " + std::to_string(kMaxExpressionHeight) +
                             " operations applied one after another"};
    }
    tree_.nodes.push_back(std::move(node));
    return static_cast<uint32_t>(tree_.nodes.size() - 1);
  }
  uint32_t operation(NodeKind kind, uint8_t code, size_t pos, std::span<const uint32_t> kids) {
    ExprNode node;
    node.kind = kind;
    node.op = code;
    node.pos = pos;
    node.condition = kind == NodeKind::kAnd || kind == NodeKind::kOr ||
                     (kind == NodeKind::kBinary && (isRelational(code) || code == op::kXor)) ||
                     (kind == NodeKind::kUnary && code == op::kNot);
    return add(std::move(node), kids);
  }
  uint32_t group(NodeKind kind, size_t pos, const std::vector<uint32_t>& operands) {
    return operands.size() == 1 ? operands[0] : operation(kind, 0, pos, operands);
  }

  uint32_t parseOr() {
    Nesting nesting(*this, peek().pos);
    size_t pos = peek().pos;
    std::vector<uint32_t> operands{parseAnd()};
    while (peekOperator(op::kOr) || peekOperator(op::kXor)) {
      const Token& token = next();
      uint32_t right = parseAnd();
      if (token.op == op::kOr) {
        operands.push_back(right);
      } else {
        uint32_t pair[] = {group(NodeKind::kOr, pos, operands), right};
        operands = {operation(NodeKind::kBinary, op::kXor, token.pos, pair)};
      }
    }
    return group(NodeKind::kOr, pos, operands);
  }

  uint32_t parseAnd() {
    size_t pos = peek().pos;
    std::vector<uint32_t> operands{parseNot()};
    while (peekOperator(op::kAnd)) {
      next();
      operands.push_back(parseNot());
    }
    return group(NodeKind::kAnd, pos, operands);
  }

  uint32_t parseNot() {
    size_t pos = peek().pos;
    bool negate = false;
    while (peekOperator(op::kNot)) {
      next();
      negate = !negate;
    }
    uint32_t operand = parseRelational();
    if (!negate) return operand;
    uint32_t kids[] = {operand};
    return operation(NodeKind::kUnary, op::kNot, pos, kids);
  }

  uint32_t parseRelational() {
    uint32_t left = parseConcat();
    while (peek().kind == TokenKind::kOperator && isRelational(peek().op)) {
      const Token& token = next();
      uint32_t kids[] = {left, parseConcat()};
      left = comparison(token.op, token.pos, kids[0], kids[1]);
    }
    return left;
  }

  // A comparison with a constant on one side keeps the constant in its node
  // (filters are mostly of this kind); UPPER(x) compared with a text that
  // has no lower-case letters compares x without case instead of building
  // its upper-case copy.
  uint32_t comparison(uint8_t code, size_t pos, uint32_t left, uint32_t right) {
    const bool leftConstant = tree_.nodes[left].kind == NodeKind::kConstant;
    const bool rightConstant = tree_.nodes[right].kind == NodeKind::kConstant;
    if (leftConstant == rightConstant) {
      uint32_t kids[] = {left, right};
      return operation(NodeKind::kBinary, code, pos, kids);
    }
    if (leftConstant) {
      std::swap(left, right);
      static constexpr uint8_t kMirror[] = {op::kEqual, op::kNotEqual,     op::kGreater,
                                            op::kLess,  op::kGreaterEqual, op::kLessEqual};
      code = kMirror[code - op::kEqual];
    }
    ExprNode node;
    node.kind = NodeKind::kCompare;
    node.op = code;
    node.pos = pos;
    node.condition = true;
    node.constant = tree_.nodes[right].constant;
    node.text = tree_.nodes[right].text;
    const ExprNode& subject = tree_.nodes[left];
    static const int kUpper = findBuiltinFunction("UPPER");
    if (subject.kind == NodeKind::kCall && subject.op == kUpper &&
        node.constant.kind == ValueKind::kString &&
        std::none_of(node.text.begin(), node.text.end(),
                     [](char c) { return c >= 'a' && c <= 'z'; })) {
      node.noCase = true;
      left = tree_.children[subject.first];
    }
    const ExprNode& read = tree_.nodes[left];
    if (read.kind == NodeKind::kVariable && read.fieldType != kAny) {
      if (read.constant.kind == ValueKind::kString && node.constant.kind == ValueKind::kString) {
        node.form = ExprNode::CompareForm::kTextField;
      } else if (read.constant.kind == ValueKind::kInt && node.constant.kind == ValueKind::kInt &&
                 !node.noCase) {
        node.form = ExprNode::CompareForm::kIntegerField;
      }
      if (node.form != ExprNode::CompareForm::kValue) {  // the node reads the field itself
        node.field = read.field;
        node.fieldType = read.fieldType;
        node.fieldBytes = read.fieldBytes;
        node.fieldSize = read.fieldSize;
      }
    }
    uint32_t kids[] = {left};
    return add(std::move(node), kids);
  }

  uint32_t parseConcat() {
    size_t pos = peek().pos;
    std::vector<uint32_t> operands{parseAdditive()};
    while (peekOperator(op::kConcat)) {
      next();
      operands.push_back(parseAdditive());
    }
    return group(NodeKind::kConcat, pos, operands);
  }

  uint32_t parseAdditive() {
    uint32_t left = parseMultiplicative();
    while (peekOperator(op::kAdd) || peekOperator(op::kSubtract)) {
      const Token& token = next();
      uint32_t kids[] = {left, parseMultiplicative()};
      left = operation(NodeKind::kBinary, token.op, token.pos, kids);
    }
    return left;
  }

  uint32_t parseMultiplicative() {
    uint32_t left = parsePower();
    for (;;) {
      uint8_t code = 0;
      if (peekOperator(op::kMultiply) || peekOperator(op::kDivide)) {
        code = peek().op;
      } else if (peek().kind == TokenKind::kPercent) {
        code = op::kRemainder;  // this evaluator's "%" hook: the remainder
      } else {
        return left;
      }
      size_t pos = next().pos;
      uint32_t kids[] = {left, parsePower()};
      left = operation(NodeKind::kBinary, code, pos, kids);
    }
  }

  uint32_t parsePower() {
    uint32_t left = parseUnary();
    while (peekOperator(op::kPower)) {
      size_t pos = next().pos;
      uint32_t kids[] = {left, parseUnary()};
      left = operation(NodeKind::kBinary, op::kPower, pos, kids);
    }
    return left;
  }

  uint32_t parseUnary() {
    size_t pos = peek().pos;
    bool sign = false, negate = false;
    while (peekOperator(op::kAdd) || peekOperator(op::kSubtract)) {
      sign = true;
      if (next().op == op::kSubtract) negate = !negate;
    }
    uint32_t operand = parsePrimary();
    if (!sign) return operand;
    uint32_t kids[] = {operand};
    return operation(NodeKind::kUnary, negate ? op::kSubtract : op::kAdd, pos, kids);
  }

  uint32_t parsePrimary() {
    const Token& token = next();
    uint32_t node = 0;
    switch (token.kind) {
      case TokenKind::kOpen: {
        node = parseOr();
        expect(TokenKind::kClose);
        break;
      }
      case TokenKind::kNumber: {
        ExprNode constant;
        constant.pos = token.pos;
        if (!parseNumber(token.text, constant.constant)) fail(token.pos);
        node = add(std::move(constant));
        break;
      }
      case TokenKind::kString:
        node = textConstant(token, unquote(token.text));
        break;
      case TokenKind::kPicture:
        node = textConstant(token, std::string(token.text));
        break;
      case TokenKind::kName:
        node = name(token);
        break;
      default:
        fail(token.pos);
    }
    while (peek().kind == TokenKind::kOpenBracket) node = slice(node);
    return node;
  }

  static std::string unquote(std::string_view quoted) {
    std::string text;
    for (size_t i = 1; i + 1 < quoted.size(); ++i) {
      text.push_back(quoted[i]);
      if (quoted[i] == '\'') ++i;  // '' stands for one quote
    }
    return text;
  }

  uint32_t textConstant(const Token& token, std::string text) {
    ExprNode constant;
    constant.pos = token.pos;
    constant.constant.kind = ValueKind::kString;
    constant.text = std::move(text);
    return add(std::move(constant));
  }

  uint32_t name(const Token& token) {
    int function = findBuiltinFunction(token.text);
    if (peek().kind == TokenKind::kOpen) {
      if (function < 0) {
        throw ParseFailure{kErrorInvalidExpression,
                           token.pos,
                           {},
                           "there is no function named " + std::string(token.text)};
      }
      return call(token, function);
    }
    if (const Bindings::Binding* binding = bindings_.find(token.text)) {
      return variable(token, *binding);
    }
    if (function >= 0 && builtinFunctions()[function].minArgs == 0) {
      return add(callNode(token, function, 0));  // TODAY, CLOCK, ... without brackets
    }
    fail(token.pos, kErrorNotBound, std::string(token.text));
  }

  uint32_t variable(const Token& token, const Bindings::Binding& binding) {
    ExprNode node;
    node.kind = NodeKind::kVariable;
    node.pos = token.pos;
    node.field = binding.field;
    node.fieldType = binding.field->type();
    node.fieldBytes = reinterpret_cast<const char*>(binding.field->address());
    node.fieldSize = binding.field->size();
    node.constant.kind = kindOfField(*binding.field);
    auto same = [&binding](const std::weak_ptr<const void>& scope) {
      return !scope.owner_before(binding.scope) && !binding.scope.owner_before(scope);
    };
    if (std::none_of(tree_.scopes.begin(), tree_.scopes.end(), same)) {
      tree_.scopes.push_back(binding.scope);
    }
    return add(std::move(node));
  }

  static ExprNode callNode(const Token& token, int function, uint32_t arguments) {
    ExprNode node;
    node.kind = NodeKind::kCall;
    node.op = static_cast<uint8_t>(function);
    node.pos = token.pos;
    node.constant.kind = builtinFunctions()[function].result;
    node.args.resize(arguments);
    return node;
  }

  uint32_t call(const Token& nameToken, int function) {
    const BuiltinFunction& builtin = builtinFunctions()[function];
    next();  // "("
    std::vector<uint32_t> arguments;
    if (peek().kind == TokenKind::kClose) {
      next();
    } else {
      for (;;) {
        if (peek().kind == TokenKind::kClose || peekSeparator(op::kComma)) {
          if (arguments.size() < builtin.minArgs) fail(peek().pos, kErrorOmittedParameter);
          ExprNode omitted;
          omitted.kind = NodeKind::kOmitted;
          omitted.pos = peek().pos;
          arguments.push_back(add(std::move(omitted)));
        } else {
          arguments.push_back(parseOr());
        }
        if (peekSeparator(op::kComma)) {
          next();
          continue;
        }
        if (peek().kind != TokenKind::kClose) fail(peek().pos);
        next();
        break;
      }
    }
    const Token& close = tokens_[at_ - 1];
    if (arguments.size() < builtin.minArgs || arguments.size() > builtin.maxArgs) fail(close.pos);
    return add(callNode(nameToken, function, static_cast<uint32_t>(arguments.size())), arguments);
  }

  bool peekSeparator(uint8_t code) const {
    return peek().kind == TokenKind::kSeparator && peek().op == code;
  }

  // text[index] or text[first : last]
  uint32_t slice(uint32_t base) {
    const Token& open = next();
    std::vector<uint32_t> kids{base, parseOr()};
    if (peekSeparator(op::kColon)) {
      next();
      kids.push_back(parseOr());
    }
    expect(TokenKind::kCloseBracket);
    ExprNode node;
    node.kind = NodeKind::kSlice;
    node.pos = open.pos;
    node.constant.kind = ValueKind::kString;
    return add(std::move(node), kids);
  }

  std::string_view text_;
  const Bindings& bindings_;
  ExprTree& tree_;
  std::vector<Token> tokens_;
  size_t at_ = 0;
  int nesting_ = 0;
};

}  // namespace

bool compileExpression(std::string_view text, const Bindings& bindings, ExprTree& tree,
                       ExprError& error) {
  tree = ExprTree{};
  error = ExprError{};
  try {
    Parser(text, bindings, tree).run();
    for (ExprNode& node : tree.nodes) {  // the nodes stay where they are from now on
      if (node.kind == NodeKind::kConstant || node.kind == NodeKind::kCompare) {
        if (node.constant.kind == ValueKind::kString) node.constant.text = node.text;
      }
    }
  } catch (const ParseFailure& failure) {
    tree = ExprTree{};
    error.code = failure.code;
    error.detail = failure.detail;
    error.hint = failure.hint;
    error.pos = failure.pos < text.size() ? failure.pos : ExprError::kNoPosition;
    return false;
  }
  return true;
}

}  // namespace zor
