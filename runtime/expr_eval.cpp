// Evaluation of a compiled expression tree.

#include <cmath>
#include <cstring>
#include <limits>

#include "runtime/error_state.h"
#include "runtime/expr_functions.h"
#include "runtime/expr_node.h"
#include "runtime/expr_parser.h"
#include "runtime/expr_token.h"
#include "runtime/expression.h"
#include "runtime/type_codes.h"

namespace zor {
namespace {

constexpr int64_t kInt64Min = std::numeric_limits<int64_t>::min();

void integerPower(int64_t base, int64_t exponent, Value& out) {
  int64_t result = 1;
  int64_t factor = base;
  for (int64_t rest = exponent; rest > 0; rest >>= 1) {
    if (((rest & 1) && __builtin_mul_overflow(result, factor, &result)) ||
        (rest > 1 && __builtin_mul_overflow(factor, factor, &factor))) {
      return out.setReal(std::pow(static_cast<double>(base), static_cast<double>(exponent)));
    }
  }
  out.setInt(result);
}

void integerArithmetic(uint8_t code, int64_t x, int64_t y, Value& out) {
  int64_t result = 0;
  switch (code) {
    case op::kAdd:
      if (!__builtin_add_overflow(x, y, &result)) return out.setInt(result);
      return out.setReal(static_cast<double>(x) + static_cast<double>(y));
    case op::kSubtract:
      if (!__builtin_sub_overflow(x, y, &result)) return out.setInt(result);
      return out.setReal(static_cast<double>(x) - static_cast<double>(y));
    case op::kMultiply:
      if (!__builtin_mul_overflow(x, y, &result)) return out.setInt(result);
      return out.setReal(static_cast<double>(x) * static_cast<double>(y));
    case op::kDivide:
      if (y == 0) return out.setInt(0);
      if (!(x == kInt64Min && y == -1) && x % y == 0) return out.setInt(x / y);
      return out.setReal(static_cast<double>(x) / static_cast<double>(y));
    case op::kRemainder:
      if (y == 0 || y == -1) return out.setInt(0);
      return out.setInt(x % y);
    case op::kPower:
      if (y >= 0) return integerPower(x, y, out);
      return out.setReal(std::pow(static_cast<double>(x), static_cast<double>(y)));
  }
  return out.setInt(0);
}

void realArithmetic(uint8_t code, double x, double y, Value& out) {
  switch (code) {
    case op::kAdd:
      return out.setReal(x + y);
    case op::kSubtract:
      return out.setReal(x - y);
    case op::kMultiply:
      return out.setReal(x * y);
    case op::kDivide:
      return out.setReal(y == 0 ? 0 : x / y);
    case op::kRemainder:
      return out.setReal(y == 0 ? 0 : std::fmod(x, y));
    case op::kPower:
      return out.setReal(std::pow(x, y));
  }
  return out.setInt(0);
}

bool holds(uint8_t relation, int order) {
  switch (relation) {
    case op::kEqual:
      return order == 0;
    case op::kNotEqual:
      return order != 0;
    case op::kLess:
      return order < 0;
    case op::kGreater:
      return order > 0;
    case op::kLessEqual:
      return order <= 0;
    default:
      return order >= 0;
  }
}

void binary(uint8_t code, const Value& a, const Value& b, Value& out) {
  if (isRelational(code)) return out.setInt(holds(code, compareValues(a, b)) ? 1 : 0);
  if (code == op::kXor) return out.setInt(isTrue(a) != isTrue(b) ? 1 : 0);
  Value x = toNumber(a), y = toNumber(b);
  if (x.kind == ValueKind::kInt && y.kind == ValueKind::kInt) {
    return integerArithmetic(code, x.integer, y.integer, out);
  }
  realArithmetic(code, toReal(x), toReal(y), out);
}

inline std::string_view fieldText(const ExprNode& node) {
  const char* bytes = node.fieldBytes;
  size_t size = node.fieldSize;
  switch (node.fieldType) {
    case kCString: {
      const void* end = std::memchr(bytes, 0, size);
      return {bytes, end ? static_cast<size_t>(static_cast<const char*>(end) - bytes) : size};
    }
    case kPString:
      if (size == 0) return {};
      return {bytes + 1, std::min<size_t>(static_cast<unsigned char>(bytes[0]), size - 1)};
    default:
      return {bytes, size};
  }
}

class Evaluator {
 public:
  explicit Evaluator(ExprTree& tree) : tree_(tree) {}

  // Leaves are read here directly; only inner nodes go through eval's
  // dispatch.
  void operand(uint32_t index, Value& out) {
    ExprNode& node = tree_.nodes[index];
    if (node.kind == NodeKind::kVariable) return readField(node, out);
    if (node.kind == NodeKind::kConstant) {
      out = node.constant;
      return;
    }
    eval(index, out);
  }

  // A term of AND or OR; comparisons, the usual terms, without a dispatch.
  bool term(uint32_t index) {
    const ExprNode& node = tree_.nodes[index];
    if (node.kind != NodeKind::kCompare) return condition(index);
    return holds(node.op, compare(node));
  }

  // The truth of a node without building its value: filters ask only this.
  bool condition(uint32_t index) {
    ExprNode& node = tree_.nodes[index];
    const uint32_t* kids = tree_.children.data() + node.first;
    switch (node.kind) {
      case NodeKind::kCompare:
        return holds(node.op, compare(node));
      case NodeKind::kAnd:
        for (uint32_t i = 0; i < node.count; ++i) {
          if (!term(kids[i])) return false;
        }
        return true;
      case NodeKind::kOr:
        for (uint32_t i = 0; i < node.count; ++i) {
          if (term(kids[i])) return true;
        }
        return false;
      case NodeKind::kUnary:
        if (node.op == op::kNot) return !condition(kids[0]);
        break;
      default:
        break;
    }
    Value value;
    eval(index, value);
    return isTrue(value);
  }

  void eval(uint32_t index, Value& out) {
    ExprNode& node = tree_.nodes[index];
    const uint32_t* kids = tree_.children.data() + node.first;
    switch (node.kind) {
      case NodeKind::kConstant:
        out = node.constant;
        return;
      case NodeKind::kCompare:
      case NodeKind::kAnd:
      case NodeKind::kOr:
        out.setInt(condition(index) ? 1 : 0);
        return;
      case NodeKind::kVariable:
        readField(node, out);
        return;
      case NodeKind::kOmitted:
        out.setNone();
        return;
      case NodeKind::kUnary:
        eval(kids[0], out);
        unary(node.op, out);
        return;
      case NodeKind::kBinary: {
        Value left, right;
        operand(kids[0], left);
        operand(kids[1], right);
        binary(node.op, left, right, out);
        return;
      }
      case NodeKind::kConcat:
        concat(node, kids, out);
        return;
      case NodeKind::kCall:
        call(node, kids, out);
        return;
      case NodeKind::kSlice:
        slice(node, kids, out);
        return;
    }
  }

 private:
  static void unary(uint8_t code, Value& value) {
    if (code == op::kNot) return value.setInt(isTrue(value) ? 0 : 1);
    if (value.kind == ValueKind::kString || value.kind == ValueKind::kNone) {
      Value number = toNumber(value);
      if (number.kind == ValueKind::kInt) {
        value.setInt(number.integer);
      } else {
        value.setReal(number.real);
      }
    }
    if (code != op::kSubtract) return;
    if (value.kind == ValueKind::kReal) {
      value.real = -value.real;
    } else if (value.integer == kInt64Min) {
      value.setReal(-static_cast<double>(value.integer));
    } else {
      value.integer = -value.integer;
    }
  }

  // -1, 0 or 1: the child against the node's constant. A bound field is
  // read by the comparison node itself, without a value in between.
  int compare(const ExprNode& node) {
    switch (node.form) {
      case ExprNode::CompareForm::kTextField: {
        std::string_view text = fieldText(node);
        return node.noCase ? compareTextNoCase(text, node.text) : compareText(text, node.text);
      }
      case ExprNode::CompareForm::kIntegerField: {
        int64_t field = node.field->toInt(), constant = node.constant.integer;
        return field < constant ? -1 : field > constant ? 1 : 0;
      }
      case ExprNode::CompareForm::kValue:
        break;
    }
    Value value;
    operand(tree_.children[node.first], value);
    if (node.noCase) {  // UPPER(value): always a text, even of a number
      NumberText scratch;
      return compareTextNoCase(toText(value, scratch), node.text);
    }
    if (node.constant.kind == ValueKind::kString &&
        (value.kind == ValueKind::kString || value.kind == ValueKind::kNone)) {
      return compareText(value.text, node.text);
    }
    return compareValues(value, node.constant);
  }

  static void readField(ExprNode& node, Value& out) {
    switch (node.constant.kind) {
      case ValueKind::kInt:
        out.setInt(node.field->toInt());
        return;
      case ValueKind::kReal:
        out.setReal(node.field->toReal());
        return;
      default:
        break;
    }
    if (node.fieldType != kAny) {
      out.setText(fieldText(node));
    } else if (node.field->isNumeric()) {  // ANY: as what it holds now
      node.buffer = node.field->text();
      out = numberFromText(node.buffer);
    } else {
      node.buffer = node.field->text();
      out.setText(node.buffer);
    }
  }

  void concat(ExprNode& node, const uint32_t* kids, Value& out) {
    node.buffer.clear();
    for (uint32_t i = 0; i < node.count; ++i) {
      Value part;
      eval(kids[i], part);
      NumberText scratch;
      std::string_view text = toText(part, scratch);
      node.buffer.append(text.substr(0, kMaxBuiltText - node.buffer.size()));
    }
    out.setText(node.buffer);
  }

  void call(ExprNode& node, const uint32_t* kids, Value& out) {
    for (uint32_t i = 0; i < node.count; ++i) operand(kids[i], node.args[i]);
    FunctionCall call{out,         node.args.data(),
                      node.count,  node.count > 0 && tree_.nodes[kids[0]].condition,
                      node.buffer, node.pattern};
    builtinFunctions()[node.op].body(call);
  }

  void slice(ExprNode& node, const uint32_t* kids, Value& out) {
    Value base, first, last;
    eval(kids[0], base);
    eval(kids[1], first);
    if (node.count > 2) eval(kids[2], last);
    std::string_view text = base.text;
    if (base.kind != ValueKind::kString) {
      NumberText scratch;
      node.buffer.assign(toText(base, scratch));
      text = node.buffer;
    }
    int64_t from = toInt(first);
    int64_t to = node.count > 2 ? toInt(last) : from;
    if (from < 1) from = 1;
    int64_t length = to < from ? 0 : (to - from >= INT64_MAX - 1 ? INT64_MAX : to - from + 1);
    out.setText(subText(text, from, length));
  }

  ExprTree& tree_;
};

void raise(ExprError& error, int code) {
  error = ExprError{};
  error.code = code;
  setErrorCode(code);
}

}  // namespace

Expression::Expression() = default;
Expression::~Expression() = default;
Expression::Expression(Expression&&) noexcept = default;
Expression& Expression::operator=(Expression&&) noexcept = default;

bool Expression::compile(std::string_view text, const Bindings& bindings) {
  auto tree = std::make_unique<ExprTree>();
  result_ = Value{};
  if (!compileExpression(text, bindings, *tree, error_)) {
    tree_.reset();
    setErrorCode(error_.code);
    return false;
  }
  tree_ = std::move(tree);
  return true;
}

const Value& Expression::evaluate() {
  if (!tree_) {
    if (!error_.failed()) raise(error_, kErrorNoEvaluator);
    setErrorCode(error_.code);
    result_ = Value{};
    return result_;
  }
  if (!scopesAlive()) {
    raise(error_, kErrorUnknownContext);
    result_ = Value{};
    return result_;
  }
  Evaluator(*tree_).eval(tree_->root, result_);
  return result_;
}

bool Expression::test() {
  if (!tree_ || !scopesAlive()) return isTrue(evaluate());  // evaluate() reports the error
  return Evaluator(*tree_).condition(tree_->root);
}

bool Expression::scopesAlive() const {
  for (const auto& scope : tree_->scopes) {
    if (scope.expired()) return false;
  }
  return true;
}

std::string Expression::evaluateText() {
  NumberText scratch;
  return std::string(toText(evaluate(), scratch));
}

std::string evaluateExpression(std::string_view text, ExprError* error) {
  Expression expression;
  std::string result;
  if (expression.compile(text)) {
    result = expression.evaluateText();
    if (!expression.error().failed()) clearError();
  }
  if (error != nullptr) *error = expression.error();
  return result;
}

}  // namespace zor
