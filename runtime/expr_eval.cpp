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

Value integerPower(int64_t base, int64_t exponent) {
  int64_t result = 1;
  int64_t factor = base;
  for (int64_t rest = exponent; rest > 0; rest >>= 1) {
    if ((rest & 1) && __builtin_mul_overflow(result, factor, &result)) {
      return Value::ofReal(std::pow(static_cast<double>(base), static_cast<double>(exponent)));
    }
    if (rest > 1 && __builtin_mul_overflow(factor, factor, &factor)) {
      return Value::ofReal(std::pow(static_cast<double>(base), static_cast<double>(exponent)));
    }
  }
  return Value::ofInt(result);
}

Value integerArithmetic(uint8_t code, int64_t x, int64_t y) {
  int64_t result = 0;
  switch (code) {
    case op::kAdd:
      if (!__builtin_add_overflow(x, y, &result)) return Value::ofInt(result);
      return Value::ofReal(static_cast<double>(x) + static_cast<double>(y));
    case op::kSubtract:
      if (!__builtin_sub_overflow(x, y, &result)) return Value::ofInt(result);
      return Value::ofReal(static_cast<double>(x) - static_cast<double>(y));
    case op::kMultiply:
      if (!__builtin_mul_overflow(x, y, &result)) return Value::ofInt(result);
      return Value::ofReal(static_cast<double>(x) * static_cast<double>(y));
    case op::kDivide:
      if (y == 0) return Value::ofInt(0);
      if (!(x == kInt64Min && y == -1) && x % y == 0) return Value::ofInt(x / y);
      return Value::ofReal(static_cast<double>(x) / static_cast<double>(y));
    case op::kRemainder:
      if (y == 0 || y == -1) return Value::ofInt(0);
      return Value::ofInt(x % y);
    case op::kPower:
      if (y >= 0) return integerPower(x, y);
      return Value::ofReal(std::pow(static_cast<double>(x), static_cast<double>(y)));
  }
  return Value::ofInt(0);
}

Value realArithmetic(uint8_t code, double x, double y) {
  switch (code) {
    case op::kAdd:
      return Value::ofReal(x + y);
    case op::kSubtract:
      return Value::ofReal(x - y);
    case op::kMultiply:
      return Value::ofReal(x * y);
    case op::kDivide:
      return Value::ofReal(y == 0 ? 0 : x / y);
    case op::kRemainder:
      return Value::ofReal(y == 0 ? 0 : std::fmod(x, y));
    case op::kPower:
      return Value::ofReal(std::pow(x, y));
  }
  return Value::ofInt(0);
}

Value binary(uint8_t code, const Value& a, const Value& b) {
  if (isRelational(code)) {
    int order = compareValues(a, b);
    bool result = false;
    switch (code) {
      case op::kEqual:
        result = order == 0;
        break;
      case op::kNotEqual:
        result = order != 0;
        break;
      case op::kLess:
        result = order < 0;
        break;
      case op::kGreater:
        result = order > 0;
        break;
      case op::kLessEqual:
        result = order <= 0;
        break;
      case op::kGreaterEqual:
        result = order >= 0;
        break;
    }
    return Value::ofInt(result ? 1 : 0);
  }
  if (code == op::kXor) return Value::ofInt(isTrue(a) != isTrue(b) ? 1 : 0);
  Value x = toNumber(a), y = toNumber(b);
  if (x.kind == ValueKind::kInt && y.kind == ValueKind::kInt) {
    return integerArithmetic(code, x.integer, y.integer);
  }
  return realArithmetic(code, toReal(x), toReal(y));
}

std::string_view fieldText(const ExprNode& node) {
  const auto* bytes = reinterpret_cast<const char*>(node.field->address());
  size_t size = node.field->size();
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

  void eval(uint32_t index, Value& out) {
    ExprNode& node = tree_.nodes[index];
    const uint32_t* kids = tree_.children.data() + node.first;
    switch (node.kind) {
      case NodeKind::kConstant:
        out = node.constant;
        if (out.kind == ValueKind::kString) out.text = node.text;
        return;
      case NodeKind::kVariable:
        readField(node, out);
        return;
      case NodeKind::kOmitted:
        out = Value{};
        return;
      case NodeKind::kUnary:
        eval(kids[0], out);
        unary(node.op, out);
        return;
      case NodeKind::kBinary: {
        Value left, right;
        eval(kids[0], left);
        eval(kids[1], right);
        out = binary(node.op, left, right);
        return;
      }
      case NodeKind::kAnd:
      case NodeKind::kOr: {
        // AND stops at the first false operand, OR at the first true one.
        const bool stopAt = node.kind == NodeKind::kOr;
        bool result = !stopAt;
        for (uint32_t i = 0; i < node.count; ++i) {
          eval(kids[i], out);
          if (isTrue(out) == stopAt) {
            result = stopAt;
            break;
          }
        }
        out = Value::ofInt(result ? 1 : 0);
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
    if (code == op::kNot) {
      value = Value::ofInt(isTrue(value) ? 0 : 1);
      return;
    }
    value = toNumber(value);
    if (code != op::kSubtract) return;
    if (value.kind == ValueKind::kReal) {
      value.real = -value.real;
    } else if (value.integer == kInt64Min) {
      value = Value::ofReal(-static_cast<double>(value.integer));
    } else {
      value.integer = -value.integer;
    }
  }

  static void readField(ExprNode& node, Value& out) {
    switch (node.constant.kind) {
      case ValueKind::kInt:
        out = Value::ofInt(node.field->toInt());
        return;
      case ValueKind::kReal:
        out = Value::ofReal(node.field->toReal());
        return;
      default:
        break;
    }
    if (isStringType(node.fieldType)) {
      out = Value::ofText(fieldText(node));
    } else {  // ANY and other kinds: through the field object's text
      node.buffer = node.field->text();
      out = node.field->isNumeric() ? numberFromText(node.buffer) : Value::ofText(node.buffer);
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
    out = Value::ofText(node.buffer);
  }

  void call(ExprNode& node, const uint32_t* kids, Value& out) {
    for (uint32_t i = 0; i < node.count; ++i) eval(kids[i], node.args[i]);
    FunctionCall call{node.args.data(), node.count,
                      node.count > 0 && tree_.nodes[kids[0]].condition, node.buffer, node.pattern};
    out = builtinFunctions()[node.op].body(call);
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
    out = Value::ofText(subText(text, from, length));
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
  for (const auto& scope : tree_->scopes) {
    if (scope.expired()) {
      raise(error_, kErrorUnknownContext);
      result_ = Value{};
      return result_;
    }
  }
  Evaluator(*tree_).eval(tree_->root, result_);
  return result_;
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
