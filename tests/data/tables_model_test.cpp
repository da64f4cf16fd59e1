// Long random sequences of table statements against an in-memory model:
// every answer, every record read and every order must agree, for random
// keys over every key type, ascending and descending, with and without
// NOCASE, duplicates and OPT. ZOR_LONG_TESTS=1 runs longer sequences.

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>
#include <random>

#include "data/file_errors.h"
#include "data/file_statements.h"
#include "data/tarnwick/table_verify.h"
#include "runtime/field_compare.h"
#include "tests/data/tables_test_support.h"

namespace zor::tarnwick::testing {
namespace {

namespace st = data::statement;
using Image = std::vector<uint8_t>;

bool longTests() {
  const char* value = std::getenv("ZOR_LONG_TESTS");
  return value != nullptr && std::string(value) == "1";
}

// The model: records by number, keys as comparison rules over them.
class Model {
 public:
  explicit Model(const data::FileControlBlock& fcb) : fcb_(fcb) {
    blank_.assign(kTestRecordSize, 0);
    putText(blank_, fcb.fields[kFString - 1], "");
  }

  std::map<uint32_t, Image> records;

  bool inKey(const data::KeyBlock& key, const Image& image) const {
    if ((key.attributes & data::kKeyOpt) == 0) return true;
    for (const data::KeyComponent& c : key.components) {
      if (compareFields(fcb_.fields[c.field - 1u], image.data(), blank_.data()) != 0) return true;
    }
    return false;
  }

  // Key order of two values; record numbers part it only with duplicates.
  int compareValues(const data::KeyBlock& key, const Image& a, const Image& b) const {
    for (const data::KeyComponent& c : key.components) {
      const FieldDescriptor& field = fcb_.fields[c.field - 1u];
      int order = key.ignoresCase() && isStringType(field.type)
                      ? compareFields(field, upper(a).data(), upper(b).data())
                      : compareFields(field, a.data(), b.data());
      if (c.order == data::ComponentOrder::Descending) order = -order;
      if (order != 0) return order;
    }
    return 0;
  }

  int compare(const data::KeyBlock* key, const Image& a, uint32_t ra, const Image& b,
              uint32_t rb) const {
    if (key != nullptr) {
      const int order = compareValues(*key, a, b);
      if (order != 0 || !key->allowsDuplicates()) return order;
    }
    return ra < rb ? -1 : (ra > rb ? 1 : 0);
  }

  bool repeats(const Image& image, const uint32_t* except) const {
    for (const data::KeyBlock& key : fcb_.keys) {
      if (key.allowsDuplicates() || !inKey(key, image)) continue;
      for (const auto& [number, other] : records) {
        if (except != nullptr && number == *except) continue;
        if (inKey(key, other) && compareValues(key, image, other) == 0) return true;
      }
    }
    return false;
  }

 private:
  Image upper(const Image& image) const {
    Image copy = image;
    for (uint8_t& c : copy) c = static_cast<uint8_t>(std::toupper(c));
    return copy;
  }

  const data::FileControlBlock& fcb_;
  Image blank_;
};

// A sequential position of the model: bounds by value, or the ends.
struct Bound {
  enum Kind { Start, End, At } kind = Start;
  Image image;
  uint32_t record = 0;
  bool inclusive = true;
};

class ModelRun {
 public:
  ModelRun(uint32_t seed, int operations) : random_(seed), operations_(operations) {}

  void run() {
    const std::string path = scratchPath("model_" + std::to_string(random_()) + ".twk");
    ASSERT_EQ(data::declareFile(fcb_, testDeclaration(path, randomKeys())), 0);
    ASSERT_EQ(st::create(fcb_), 0);
    ASSERT_EQ(st::open(fcb_, st::kReadWriteDenyNone), 0);
    model_.emplace(fcb_);
    std::string keys;
    for (const data::KeyBlock& key : fcb_.keys) {
      keys += key.label + "(" + std::to_string(key.attributes) + ")";
      for (const data::KeyComponent& c : key.components)
        keys += " " + std::to_string(c.field) +
                (c.order == data::ComponentOrder::Descending ? "-" : "+");
      keys += "; ";
    }
    SCOPED_TRACE(keys);
    for (int step = 0; step < operations_ && !::testing::Test::HasFailure(); ++step) {
      operation(step);
    }
    checkAllOrders();
    ASSERT_EQ(st::close(fcb_), 0);
    const TableCheck check = checkTables(path);
    EXPECT_TRUE(check.ok()) << (check.problems.empty() ? "" : check.problems.front());
  }

 private:
  std::vector<data::KeyDeclaration> randomKeys() {
    std::vector<data::KeyDeclaration> keys;
    const int count = 1 + static_cast<int>(random_() % 3);
    for (int k = 0; k < count; ++k) {
      data::KeyDeclaration key;
      key.label = "T:K" + std::to_string(k + 1);
      const int components = 1 + static_cast<int>(random_() % 2);
      for (int c = 0; c < components; ++c) {
        const uint16_t field = static_cast<uint16_t>(1 + random_() % kFieldCount);
        const std::string label = testLayout()[field - 1u].name;
        key.components.push_back((random_() % 2 ? "-" : "") + label);
      }
      if (random_() % 2) key.attributes |= data::kKeyDup;
      if (random_() % 2) key.attributes |= data::kKeyNoCase;
      if (random_() % 3 == 0) key.attributes |= data::kKeyOpt;
      keys.push_back(key);
    }
    return keys;
  }

  template <class T>
  T pick(std::initializer_list<T> values) {
    return *(values.begin() + random_() % values.size());
  }

  void randomValue(Image& record, uint16_t field) {
    const FieldDescriptor& f = fcb_.fields[field - 1u];
    switch (field) {
      case kFByte:
        putNumber<uint8_t>(record, f.offset, pick<uint8_t>({0, 1, 2, 200}));
        break;
      case kFShort:
        putNumber<int16_t>(record, f.offset, pick<int16_t>({-300, -1, 0, 1, 2}));
        break;
      case kFUShort:
        putNumber<uint16_t>(record, f.offset, pick<uint16_t>({0, 1, 2, 65535}));
        break;
      case kFLong:
        putNumber<int32_t>(record, f.offset, pick<int32_t>({-70000, -1, 0, 1, 9}));
        break;
      case kFULong:
        putNumber<uint32_t>(record, f.offset, pick<uint32_t>({0, 1, 256, 4000000000u}));
        break;
      case kFSReal:
        putNumber<float>(record, f.offset, pick<float>({-2.5f, -1, 0, 0.5f, 3}));
        break;
      case kFReal:
        putNumber<double>(record, f.offset, pick<double>({-2.5, -1, 0, 3, 1e10}));
        break;
      case kFDecimal:
        putDecimal(record, f.offset, pick<int64_t>({-12345, -1, 0, 5, 250, 99999}));
        break;
      case kFDate:
        putNumber<uint32_t>(record, f.offset, pick<uint32_t>({0, 1, 0x07E80101u, 0x07E80C1Fu}));
        break;
      case kFTime:
        putNumber<uint32_t>(record, f.offset, pick<uint32_t>({0, 1, 0x0C000000u, 0x17000001u}));
        break;
      default:
        putText(record, f, pick<const char*>({"", "a", "ab", "B", "abc", "xyz", "XYZ", "Ab"}));
    }
  }

  Image randomRecord() {
    Image record(kTestRecordSize, 0);
    for (uint16_t field = 1; field <= kFieldCount; ++field) randomValue(record, field);
    return record;
  }

  const data::KeyBlock* randomOrder() {
    const size_t choice = random_() % (fcb_.keys.size() + 1);
    return choice == fcb_.keys.size() ? nullptr : &fcb_.keys[choice];
  }

  // The records of an order, sorted.
  std::vector<uint32_t> ordered(const data::KeyBlock* key) const {
    std::vector<uint32_t> numbers;
    for (const auto& [number, image] : model_->records) {
      if (key == nullptr || model_->inKey(*key, image)) numbers.push_back(number);
    }
    std::sort(numbers.begin(), numbers.end(), [&](uint32_t a, uint32_t b) {
      return model_->compare(key, model_->records.at(a), a, model_->records.at(b), b) < 0;
    });
    return numbers;
  }

  // Where record `number` stands against a bound: <0 before, 0 at, >0 after.
  int against(uint32_t number, const Bound& bound) const {
    if (bound.kind == Bound::Start) return 1;
    if (bound.kind == Bound::End) return -1;
    return model_->compare(order_, model_->records.at(number), number, bound.image, bound.record);
  }

  std::optional<uint32_t> modelStep(bool forward) const {
    const std::vector<uint32_t> numbers = ordered(order_);
    if (forward) {
      for (uint32_t n : numbers) {
        const int side = against(n, forward_);
        if (side > 0 || (side == 0 && forward_.inclusive)) return n;
      }
    } else {
      for (auto it = numbers.rbegin(); it != numbers.rend(); ++it) {
        const int side = against(*it, backward_);
        if (side < 0 || (side == 0 && backward_.inclusive)) return *it;
      }
    }
    return std::nullopt;
  }

  void expectCurrent(uint32_t number) {
    uint32_t pointer = 0;
    ASSERT_EQ(st::pointer(fcb_, pointer), 0);
    ASSERT_EQ(pointer, number);
    ASSERT_EQ(fcb_.record, model_->records.at(number));
  }

  void moveTo(uint32_t number) {
    Bound at{Bound::At, model_->records.at(number), number, false};
    forward_ = at;
    backward_ = at;
  }

  void operation(int step) {
    SCOPED_TRACE("step " + std::to_string(step));
    const uint32_t kind = static_cast<uint32_t>(random_() % 100);
    SCOPED_TRACE("operation " + std::to_string(kind));
    if (kind < 25) return add();
    if (kind < 35) return put();
    if (kind < 42) return erase();
    if (kind < 52) return get();
    if (kind < 60) return set();
    if (kind < 88) return next(random_() % 3 != 0);
    return positionAndReset();
  }

  void add() {
    Image record = randomRecord();
    fcb_.record = record;
    const bool repeats = model_->repeats(record, nullptr);
    const int result = st::add(fcb_);
    ASSERT_EQ(result, repeats ? data::kErrDuplicateKey : 0);
    if (result != 0) return;
    uint32_t number = 0;
    ASSERT_EQ(st::pointer(fcb_, number), 0);
    ASSERT_TRUE(model_->records.empty() || number > model_->records.rbegin()->first);
    model_->records[number] = record;
    current_ = number;
  }

  void put() {
    Image record =
        current_ ? model_->records.count(*current_) ? model_->records.at(*current_) : randomRecord()
                 : randomRecord();
    for (int changes = 1 + static_cast<int>(random_() % 2); changes > 0; --changes)
      randomValue(record, static_cast<uint16_t>(1 + random_() % kFieldCount));
    fcb_.record = record;
    int expected = 0;
    if (!current_) {
      expected = data::kErrRecordNotAvailable;
    } else if (!model_->records.count(*current_)) {
      expected = data::kErrRecordNotAvailable;
    } else if (model_->repeats(record, &*current_)) {
      expected = data::kErrDuplicateKey;
    }
    ASSERT_EQ(st::put(fcb_), expected);
    if (expected == 0) model_->records[*current_] = record;
  }

  void erase() {
    const int expected = current_ ? 0 : data::kErrRecordNotAvailable;
    ASSERT_EQ(st::erase(fcb_), expected);
    if (expected == 0) {
      model_->records.erase(*current_);
      current_.reset();
    }
  }

  void get() {
    data::KeyBlock& key = fcb_.keys[random_() % fcb_.keys.size()];
    Image probe = randomRecord();
    if (!model_->records.empty() && random_() % 2) {
      auto it = model_->records.begin();
      std::advance(it, static_cast<long>(random_() % model_->records.size()));
      probe = it->second;
    }
    fcb_.record = probe;
    std::optional<uint32_t> expected;
    if (model_->inKey(key, probe)) {
      for (uint32_t n : ordered(&key)) {
        if (model_->compareValues(key, model_->records.at(n), probe) == 0) {
          expected = n;
          break;
        }
      }
    }
    const int result = st::get(fcb_, key);
    ASSERT_EQ(result, expected ? 0 : data::kErrRecordNotFound);
    if (expected) {
      expectCurrent(*expected);
      current_ = expected;
    } else {
      fcb_.record = probe;
    }
  }

  void set() {
    order_ = randomOrder();
    positioned_ = true;
    const uint32_t form = static_cast<uint32_t>(random_() % 3);
    if (order_ == nullptr) {
      ASSERT_EQ(st::set(fcb_), 0);
      forward_ = {Bound::Start};
      backward_ = {Bound::End};
    } else if (form == 0) {
      ASSERT_EQ(st::set(fcb_, *const_cast<data::KeyBlock*>(order_)), 0);
      forward_ = {Bound::Start};
      backward_ = {Bound::End};
    } else {
      Image probe = randomRecord();
      fcb_.record = probe;
      ASSERT_EQ(st::setToKeyValue(fcb_, *const_cast<data::KeyBlock*>(order_)), 0);
      forward_ = {Bound::At, probe, 0, true};
      backward_ = {Bound::At, probe, 0xFFFFFFFFu, true};
    }
  }

  void next(bool forward) {
    SCOPED_TRACE(std::string(forward ? "NEXT" : "PREVIOUS") + " in order " +
                 (order_ == nullptr ? "record" : order_->label));
    const int result = forward ? st::next(fcb_) : st::previous(fcb_);
    if (!positioned_) {
      ASSERT_EQ(result, data::kErrRecordNotAvailable);
      return;
    }
    const std::optional<uint32_t> expected = modelStep(forward);
    ASSERT_EQ(result, expected ? 0 : data::kErrRecordNotAvailable);
    if (!expected) return;
    expectCurrent(*expected);
    current_ = expected;
    moveTo(*expected);
  }

  void positionAndReset() {
    if (!current_ || !model_->records.count(*current_)) return;
    const data::KeyBlock* key = randomOrder();
    std::string position;
    const int result = key == nullptr
                           ? st::position(fcb_, position)
                           : st::position(fcb_, *const_cast<data::KeyBlock*>(key), position);
    ASSERT_EQ(result, 0);
    if (key != nullptr && !model_->inKey(*key, model_->records.at(*current_))) return;
    // Read a little elsewhere, then come back.
    st::set(fcb_);
    st::next(fcb_);
    ASSERT_EQ(key == nullptr ? st::reset(fcb_, position)
                             : st::reset(fcb_, *const_cast<data::KeyBlock*>(key), position),
              0);
    order_ = key;
    positioned_ = true;
    Bound at{Bound::At, model_->records.at(*current_), *current_, true};
    forward_ = at;
    backward_ = at;
    ASSERT_EQ(random_() % 2 ? st::next(fcb_) : st::previous(fcb_), 0);
    expectCurrent(*current_);
    moveTo(*current_);
    std::string again;
    ASSERT_EQ(st::reget(fcb_, position), 0);
    expectCurrent(*current_);
  }

  void checkAllOrders() {
    for (size_t k = 0; k <= fcb_.keys.size(); ++k) {
      data::KeyBlock* key = k < fcb_.keys.size() ? &fcb_.keys[k] : nullptr;
      key == nullptr ? st::set(fcb_) : st::set(fcb_, *key);
      std::vector<uint32_t> seen;
      while (st::next(fcb_) == 0) {
        uint32_t pointer = 0;
        st::pointer(fcb_, pointer);
        seen.push_back(pointer);
      }
      EXPECT_EQ(seen, ordered(key)) << "order " << k;
      int64_t count = 0;
      if (key != nullptr) {
        ASSERT_EQ(st::records(fcb_, *key, count), 0);
      } else {
        ASSERT_EQ(st::records(fcb_, count), 0);
      }
      EXPECT_EQ(count, static_cast<int64_t>(seen.size()));
    }
  }

  std::mt19937 random_;
  int operations_;
  data::FileControlBlock fcb_;
  std::optional<Model> model_;
  std::optional<uint32_t> current_;
  const data::KeyBlock* order_ = nullptr;
  bool positioned_ = false;
  Bound forward_;
  Bound backward_;
};

class TablesModelTest : public TarnwickDriverTest {};

TEST_F(TablesModelTest, RandomSequencesAgreeWithTheModel) {
  const int runs = longTests() ? 200 : 24;
  const int operations = longTests() ? 3000 : 300;
  for (int run = 0; run < runs && !HasFailure(); ++run) {
    SCOPED_TRACE("seed " + std::to_string(run));
    ModelRun(static_cast<uint32_t>(run) * 7919u + 1u, operations).run();
  }
}

}  // namespace
}  // namespace zor::tarnwick::testing
