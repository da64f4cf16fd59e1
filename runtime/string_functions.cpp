#include "runtime/string_functions.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace zor {
namespace {

using platform::asciiUpper;
unsigned char lowerOf(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? c + 32 : c;
}

std::string_view trimBlanks(std::string_view text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return clipText(text.substr(first));
}

}  // namespace

std::string_view clipText(std::string_view text) {
  size_t last = text.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
}

std::string_view subText(std::string_view text, int64_t start, int64_t length) {
  const auto size = static_cast<int64_t>(text.size());
  if (start < 0) start = size + start + 1;  // -1 is the last character
  if (start < 1 || start > size || length <= 0) return {};
  int64_t available = size - start + 1;
  return text.substr(static_cast<size_t>(start - 1),
                     static_cast<size_t>(std::min(length, available)));
}

void leftText(std::string_view text, size_t length, std::string& out) {
  length = std::min(length, kMaxBuiltText);
  std::string_view core = trimBlanks(text).substr(0, length);
  out.assign(core);
  out.append(length - core.size(), ' ');
}

void rightText(std::string_view text, size_t length, std::string& out) {
  length = std::min(length, kMaxBuiltText);
  std::string_view core = trimBlanks(text);
  if (core.size() > length) core = core.substr(core.size() - length);
  out.assign(length - core.size(), ' ');
  out.append(core);
}

void centerText(std::string_view text, size_t length, std::string& out) {
  length = std::min(length, kMaxBuiltText);
  std::string_view core = trimBlanks(text).substr(0, length);
  size_t before = (length - core.size()) / 2;
  out.assign(before, ' ');
  out.append(core);
  out.append(length - before - core.size(), ' ');
}

void repeatText(std::string_view text, size_t length, std::string& out) {
  out.clear();
  if (text.empty()) return;
  length = std::min(length, kMaxBuiltText);
  while (out.size() < length) out.append(text.substr(0, length - out.size()));
}

void upperText(std::string_view text, std::string& out) {
  out.resize(text.size());
  std::transform(text.begin(), text.end(), out.begin(), [](char c) {
    return static_cast<char>(asciiUpper(static_cast<unsigned char>(c)));
  });
}

void lowerText(std::string_view text, std::string& out) {
  out.resize(text.size());
  std::transform(text.begin(), text.end(), out.begin(),
                 [](char c) { return static_cast<char>(lowerOf(static_cast<unsigned char>(c))); });
}

int64_t inString(std::string_view sub, std::string_view text, int64_t step, int64_t start) {
  if (sub.empty() || step == 0 || sub.size() > text.size()) return 0;
  const auto lastStart = static_cast<int64_t>(text.size() - sub.size()) + 1;
  // A step longer than the text visits one place only; clamping keeps the
  // arithmetic below far from overflow without changing the answer.
  step = std::clamp(step, -(lastStart + 1), lastStart + 1);
  const int64_t stride = step < 0 ? -step : step;
  if (step > 0 && start < 1) start = 1;
  if (step < 0 && start > lastStart) start = lastStart;
  for (int64_t at = start; at >= 1 && at <= lastStart; at += step) {
    if (text.compare(static_cast<size_t>(at - 1), sub.size(), sub) == 0) {
      return (at - 1) / stride + 1;
    }
    if ((step > 0 && at > lastStart - step) || (step < 0 && at < 1 - step)) break;
  }
  return 0;
}

void quoteText(std::string_view text, bool enclose, std::string& out) {
  out.clear();
  if (enclose) out.push_back('\'');
  for (char c : text) {
    out.push_back(c);
    if (c == '\'') out.push_back('\'');
  }
  if (enclose) out.push_back('\'');
}

void unquoteText(std::string_view text, std::string& out) {
  if (text.size() >= 2 && text.front() == '\'' && text.back() == '\'') {
    text = text.substr(1, text.size() - 2);
  }
  out.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    out.push_back(text[i]);
    if (text[i] == '\'' && i + 1 < text.size() && text[i + 1] == '\'') ++i;
  }
}

bool isNumericText(std::string_view text) {
  text = trimBlanks(text);
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
  bool digit = false, point = false;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      digit = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digit;
}

bool matchWildcard(std::string_view text, std::string_view pattern, bool noCase) {
  // Greedy with one remembered star: linear back-off, no recursion.
  size_t t = 0, p = 0, starP = std::string_view::npos, starT = 0;
  auto same = [noCase](char a, char b) {
    return noCase ? asciiUpper(static_cast<unsigned char>(a)) ==
                        asciiUpper(static_cast<unsigned char>(b))
                  : a == b;
  };
  while (t < text.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || same(pattern[p], text[t]))) {
      ++t;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starT = t;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      t = ++starT;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::array<char, 5> soundexCode(std::string_view text) {
  //                          ABCDEFGHIJKLMNOPQRSTUVWXYZ
  static constexpr char kCode[] = "01230120022455012623010202";
  std::array<char, 5> code{};
  size_t length = 0;
  char previous = 0;
  for (char raw : text) {
    unsigned char c = asciiUpper(static_cast<unsigned char>(raw));
    if (c < 'A' || c > 'Z') continue;
    char digit = kCode[c - 'A'];
    if (length == 0) {
      code[length++] = static_cast<char>(c);
    } else if (digit != '0' && digit != previous) {
      code[length++] = digit;
      if (length == 4) break;
    }
    if (c != 'H' && c != 'W') previous = digit;  // H and W do not separate equal codes
  }
  if (length == 0) return code;
  while (length < 4) code[length++] = '0';
  return code;
}

// ---------------------------------------------------------------------------
// Text patterns: parsed into a small tree, emitted as a program for a
// breadth-first (Pike) machine.

namespace {

constexpr size_t kMaxPatternLength = 4096;
constexpr int kMaxPatternNesting = 64;

struct PatternNode {
  enum Kind : uint8_t { kAtom, kSeq, kAlt, kStar, kPlus, kOptional } kind;
  TextPattern::Op op = TextPattern::Op::kChar;  // atoms
  uint8_t ch = 0;
  uint32_t cls = 0;
  std::vector<uint32_t> children;
};

class PatternParser {
 public:
  PatternParser(std::string_view text, bool noCase, std::vector<std::array<uint64_t, 4>>& classes)
      : text_(text), noCase_(noCase), classes_(classes) {}

  bool parse(uint32_t& root) {
    if (!parseAlt(root, 0) || pos_ != text_.size()) return false;
    return true;
  }
  std::vector<PatternNode> nodes;

 private:
  uint32_t add(PatternNode node) {
    nodes.push_back(std::move(node));
    return static_cast<uint32_t>(nodes.size() - 1);
  }
  bool parseAlt(uint32_t& out, int depth) {
    if (depth > kMaxPatternNesting) return false;
    PatternNode alt{PatternNode::kAlt};
    for (;;) {
      uint32_t seq = 0;
      if (!parseSeq(seq, depth)) return false;
      alt.children.push_back(seq);
      if (pos_ < text_.size() && text_[pos_] == '|') {
        ++pos_;
        continue;
      }
      break;
    }
    out = alt.children.size() == 1 ? alt.children[0] : add(std::move(alt));
    return true;
  }
  bool parseSeq(uint32_t& out, int depth) {
    PatternNode seq{PatternNode::kSeq};
    while (pos_ < text_.size() && text_[pos_] != '|' && text_[pos_] != '}') {
      uint32_t atom = 0;
      if (!parseAtom(atom, depth)) return false;
      while (pos_ < text_.size() &&
             (text_[pos_] == '*' || text_[pos_] == '+' || text_[pos_] == '?')) {
        char q = text_[pos_++];
        PatternNode repeat{q == '*'   ? PatternNode::kStar
                           : q == '+' ? PatternNode::kPlus
                                      : PatternNode::kOptional};
        repeat.children.push_back(atom);
        atom = add(std::move(repeat));
      }
      seq.children.push_back(atom);
    }
    out = add(std::move(seq));
    return true;
  }
  uint32_t charAtom(unsigned char c) {
    PatternNode atom{PatternNode::kAtom};
    atom.ch = noCase_ ? asciiUpper(c) : c;
    return add(std::move(atom));
  }
  bool parseAtom(uint32_t& out, int depth) {
    unsigned char c = static_cast<unsigned char>(text_[pos_++]);
    PatternNode atom{PatternNode::kAtom};
    switch (c) {
      case '.':
        atom.op = TextPattern::Op::kAny;
        break;
      case '^':
        atom.op = TextPattern::Op::kStart;
        break;
      case '$':
        atom.op = TextPattern::Op::kEnd;
        break;
      case '{':
        if (!parseAlt(out, depth + 1) || pos_ >= text_.size() || text_[pos_] != '}') return false;
        ++pos_;
        return true;
      case '[':
        return parseClass(out);
      case '\\':
        if (pos_ >= text_.size()) return false;
        out = charAtom(static_cast<unsigned char>(text_[pos_++]));
        return true;
      default:  // a quantifier with nothing before it stands for itself
        out = charAtom(c);
        return true;
    }
    out = add(std::move(atom));
    return true;
  }
  bool parseClass(uint32_t& out) {
    std::array<uint64_t, 4> bits{};
    auto set = [&bits, this](unsigned char c) {
      bits[c >> 6] |= uint64_t{1} << (c & 63);
      if (noCase_) {
        unsigned char u = asciiUpper(c);
        bits[u >> 6] |= uint64_t{1} << (u & 63);
      }
    };
    bool negate = pos_ < text_.size() && text_[pos_] == '^';
    if (negate) ++pos_;
    bool first = true;
    for (;;) {
      if (pos_ >= text_.size()) return false;
      unsigned char c = static_cast<unsigned char>(text_[pos_++]);
      if (c == ']' && !first) break;
      first = false;
      if (c == '\\') {
        if (pos_ >= text_.size()) return false;
        c = static_cast<unsigned char>(text_[pos_++]);
      }
      if (pos_ + 1 < text_.size() && text_[pos_] == '-' && text_[pos_ + 1] != ']') {
        unsigned char last = static_cast<unsigned char>(text_[pos_ + 1]);
        pos_ += 2;
        for (unsigned v = c; v <= last; ++v) set(static_cast<unsigned char>(v));
      } else {
        set(c);
      }
    }
    if (negate) {
      for (auto& word : bits) word = ~word;
    }
    classes_.push_back(bits);
    PatternNode atom{PatternNode::kAtom};
    atom.op = TextPattern::Op::kClass;
    atom.cls = static_cast<uint32_t>(classes_.size() - 1);
    out = add(std::move(atom));
    return true;
  }

  std::string_view text_;
  bool noCase_;
  std::vector<std::array<uint64_t, 4>>& classes_;
  size_t pos_ = 0;
};

class PatternEmitter {
 public:
  PatternEmitter(const std::vector<PatternNode>& nodes,
                 std::vector<TextPattern::Instruction>& program)
      : nodes_(nodes), program_(program) {}

  void emit(uint32_t index) {  // depth bounded by the parser's nesting limit
    using Op = TextPattern::Op;
    const PatternNode& node = nodes_[index];
    switch (node.kind) {
      case PatternNode::kAtom:
        program_.push_back({node.op, node.ch, node.cls, 0});
        break;
      case PatternNode::kSeq:
        for (uint32_t child : node.children) emit(child);
        break;
      case PatternNode::kAlt: {
        std::vector<size_t> exits;
        for (size_t i = 0; i + 1 < node.children.size(); ++i) {
          size_t split = put(Op::kSplit);
          program_[split].x = here();
          emit(node.children[i]);
          exits.push_back(put(Op::kJump));
          program_[split].y = here();
        }
        emit(node.children.back());
        for (size_t exit : exits) program_[exit].x = here();
        break;
      }
      case PatternNode::kStar: {
        size_t split = put(Op::kSplit);
        program_[split].x = here();
        emit(node.children[0]);
        program_[put(Op::kJump)].x = static_cast<uint32_t>(split);
        program_[split].y = here();
        break;
      }
      case PatternNode::kPlus: {
        uint32_t body = here();
        emit(node.children[0]);
        size_t split = put(Op::kSplit);
        program_[split].x = body;
        program_[split].y = here();
        break;
      }
      case PatternNode::kOptional: {
        size_t split = put(Op::kSplit);
        program_[split].x = here();
        emit(node.children[0]);
        program_[split].y = here();
        break;
      }
    }
  }

 private:
  uint32_t here() const { return static_cast<uint32_t>(program_.size()); }
  size_t put(TextPattern::Op op) {
    program_.push_back({op, 0, 0, 0});
    return program_.size() - 1;
  }
  const std::vector<PatternNode>& nodes_;
  std::vector<TextPattern::Instruction>& program_;
};

}  // namespace

bool TextPattern::compile(std::string_view pattern, bool noCase) {
  source_.assign(pattern);
  noCase_ = noCase;
  program_.clear();
  classes_.clear();
  valid_ = false;
  if (pattern.size() > kMaxPatternLength) return false;
  PatternParser parser(pattern, noCase, classes_);
  uint32_t root = 0;
  if (!parser.parse(root)) return false;
  PatternEmitter(parser.nodes, program_).emit(root);
  program_.push_back({Op::kMatch, 0, 0, 0});
  seen_.assign(program_.size(), 0);
  generation_ = 0;
  valid_ = true;
  return true;
}

void TextPattern::addThread(std::vector<Thread>& list, uint32_t pc, size_t start, size_t pos,
                            size_t length, uint32_t generation) {
  stack_.clear();
  stack_.push_back(pc);
  while (!stack_.empty()) {
    uint32_t at = stack_.back();
    stack_.pop_back();
    if (seen_[at] == generation) continue;
    seen_[at] = generation;
    const Instruction& in = program_[at];
    switch (in.op) {
      case Op::kJump:
        stack_.push_back(in.x);
        break;
      case Op::kSplit:  // the first branch is explored first
        stack_.push_back(in.y);
        stack_.push_back(in.x);
        break;
      case Op::kStart:
        if (pos == 0) stack_.push_back(at + 1);
        break;
      case Op::kEnd:
        if (pos == length) stack_.push_back(at + 1);
        break;
      default:
        list.push_back({at, start});
    }
  }
}

int64_t TextPattern::run(std::string_view text, bool whole) {
  if (!valid_) return 0;
  const size_t length = text.size();
  auto nextGeneration = [this] {
    if (++generation_ == 0) {  // wrapped: forget all marks
      std::fill(seen_.begin(), seen_.end(), 0);
      generation_ = 1;
    }
    return generation_;
  };
  current_.clear();
  addThread(current_, 0, 0, 0, length, nextGeneration());
  bool found = false;
  size_t best = std::numeric_limits<size_t>::max();
  for (size_t pos = 0; pos <= length; ++pos) {
    uint32_t generation = nextGeneration();
    next_.clear();
    for (const Thread& thread : current_) {
      const Instruction& in = program_[thread.pc];
      if (in.op == Op::kMatch) {
        if (whole && pos != length) continue;
        found = true;
        best = std::min(best, thread.start);
        break;  // the threads after this one started later
      }
      if (pos == length) continue;
      unsigned char c = static_cast<unsigned char>(text[pos]);
      if (noCase_) c = asciiUpper(c);
      bool step = (in.op == Op::kChar && in.ch == c) || in.op == Op::kAny ||
                  (in.op == Op::kClass && ((classes_[in.x][c >> 6] >> (c & 63)) & 1));
      if (step) addThread(next_, thread.pc + 1, thread.start, pos + 1, length, generation);
    }
    if (!found && !whole && pos < length) addThread(next_, 0, pos + 1, pos + 1, length, generation);
    current_.swap(next_);
    if (current_.empty() && (found || whole)) break;
  }
  if (!found) return 0;
  return static_cast<int64_t>(best) + 1;
}

int64_t TextPattern::find(std::string_view text) {
  return run(text, false);
}

bool TextPattern::matchesWhole(std::string_view text) {
  return run(text, true) != 0;
}

int64_t strPos(std::string_view text, std::string_view pattern, bool noCase) {
  TextPattern compiled;
  if (!compiled.compile(pattern, noCase)) return 0;
  return compiled.find(text);
}

}  // namespace zor
