// The view engine over real native tables: orders served by keys (forward
// and backward) or sorted in memory, filters and the ranges they bound,
// reading in both directions from the ends, from buffer values and from
// positions, joins, the error numbers, and the number of records read.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "data/driver_operation.h"
#include "data/file_declaration.h"
#include "data/file_errors.h"
#include "data/file_statements.h"
#include "data/view_engine.h"
#include "runtime/error_state.h"
#include "runtime/string_functions.h"
#include "tests/data/tables_test_support.h"

namespace zor::tarnwick::testing {
namespace {

namespace st = data::statement;
using data::View;

// Records a view reads from the driver, per thread.
thread_local int tReads = 0;

int countingEntry(int op, data::FileControlBlock* fcb, void* args) {
  switch (static_cast<data::Op>(op)) {
    case data::Op::NEXT:
    case data::Op::PREVIOUS:
    case data::Op::GETfilekey:
    case data::Op::GETfileptr:
    case data::Op::GETkeyptr:
    case data::Op::REGETfile:
    case data::Op::REGETkey:
      ++tReads;
      break;
    default:
      break;
  }
  return tarnwickDriverEntry(op, fcb, args);
}

struct Setting {
  int32_t id;
  std::string section, name;
  uint8_t status;
  double value;
};

constexpr uint32_t kSettingSize = 35;
constexpr uint32_t kSectionSize = 12;

// Settings: a unique key on the id, a NOCASE key with duplicates on the
// section and name that leaves out settings with neither.
void declareSettings(data::FileControlBlock& fcb, const std::string& path) {
  data::FileDeclaration d;
  d.label = "Settings";
  d.prefix = "S";
  d.driver = "TARNWICK";
  d.name = path;
  d.recordSize = kSettingSize;
  d.fields = {makeField("S:ID", kLong, 0, 4), makeField("S:SECTION", kCString, 4, kSectionSize),
              makeField("S:NAME", kString, 16, 10), makeField("S:STATUS", kByte, 26, 1),
              makeField("S:VALUE", kReal, 27, 8)};
  d.keys = {{"S:p_ID", {"S:ID"}, data::kKeyPrimary, ""},
            {"S:P_Section",
             {"S:SECTION", "S:NAME"},
             data::kKeyDup | data::kKeyNoCase | data::kKeyOpt,
             ""}};
  ASSERT_EQ(data::declareFile(fcb, d), 0);
}

class ViewEngineTest : public TarnwickDriverTest {
 protected:
  void TearDown() override {
    st::close(settings_);
    st::close(sections_);
  }

  void makeSettings(const std::string& name, const std::vector<Setting>& rows) {
    const std::string path = scratchPath(name);
    std::filesystem::remove(path);
    declareSettings(settings_, path);
    settings_.driver = countingEntry;
    ASSERT_EQ(st::create(settings_), 0);
    ASSERT_EQ(st::open(settings_, st::kReadWriteDenyNone), 0);
    data::FileControlBlock* files[] = {&settings_};
    ASSERT_EQ(st::logout(0, files), 0);  // one change for all the records
    for (const Setting& s : rows) {
      put(s);
      ASSERT_EQ(st::add(settings_), 0);
    }
    ASSERT_EQ(st::commit(settings_), 0);
    rows_ = rows;
  }

  void makeSections(const std::vector<std::string>& names) {
    data::FileDeclaration d;
    d.label = "Sections";
    d.prefix = "C";
    d.driver = "TARNWICK";
    d.name = scratchPath("view_sections.twk");
    std::filesystem::remove(d.name);
    d.recordSize = 20;
    d.fields = {makeField("C:DESCRIPTION", kCString, 0, kSectionSize),
                makeField("C:NOTE", kString, 12, 8)};
    d.keys = {{"C:P_Description", {"C:DESCRIPTION"}, data::kKeyNoCase, ""}};
    ASSERT_EQ(data::declareFile(sections_, d), 0);
    ASSERT_EQ(st::create(sections_), 0);
    ASSERT_EQ(st::open(sections_, st::kReadWriteDenyNone), 0);
    for (const std::string& name : names) {
      std::fill(sections_.record.begin(), sections_.record.end(), ' ');
      putText(sections_.record, sections_.fields[0], name);
      std::memcpy(sections_.record.data() + 12, "note    ", 8);
      ASSERT_EQ(st::add(sections_), 0);
    }
  }

  void put(const Setting& s) {
    std::fill(settings_.record.begin(), settings_.record.end(), 0);
    putNumber(settings_.record, 0, s.id);
    putText(settings_.record, settings_.fields[1], s.section);
    putText(settings_.record, settings_.fields[2], s.name);
    settings_.record[26] = s.status;
    putNumber(settings_.record, 27, s.value);
  }

  int32_t id() const {
    int32_t value = 0;
    std::memcpy(&value, settings_.record.data(), 4);
    return value;
  }

  // Every id the view reads from one end to the other.
  std::vector<int32_t> readAll(View& view, bool backward = false) {
    EXPECT_EQ(backward ? view.setEnd() : view.set(), 0);
    std::vector<int32_t> ids;
    while ((backward ? view.previous() : view.next()) == 0) ids.push_back(id());
    EXPECT_EQ(errorCode(), data::kErrRecordNotAvailable);
    return ids;
  }

  // Reads with the driver's reads counted.
  int readsOf(const std::function<void()>& work) {
    tReads = 0;
    work();
    return tReads;
  }

  data::FileControlBlock settings_;
  data::FileControlBlock sections_;
  std::vector<Setting> rows_;
};

std::string upperClipped(const std::string& text) {
  std::string upper;
  upperText(clipText(text), upper);
  return upper;
}

std::string upperRaw(const std::string& text) {
  std::string upper;
  upperText(text, upper);
  return upper;
}

// Whether the section and name key has an entry for a setting (OPT).
bool inSectionKey(const Setting& s) {
  return !(s.section.empty() && s.name.empty());
}

std::vector<Setting> variedSettings() {
  const char* sections[] = {"alpha", "Beta", "beta ", "BETA", "gamma", "", "delta", "b"};
  const char* names[] = {"one", "Two", "three", "four", ""};
  std::vector<Setting> rows;
  for (int32_t i = 1; i <= 240; ++i) {
    rows.push_back({i, sections[(i * 7) % 8], names[(i * 3) % 5], static_cast<uint8_t>(i % 3),
                    static_cast<double>((i * 37) % 11) - 5.5});
  }
  return rows;
}

// Each order and filter against the same records selected and sorted here,
// read from either end.
TEST_F(ViewEngineTest, OrdersAndFiltersReadWhatTheyDescribe) {
  makeSettings("view_orders.twk", variedSettings());
  using Pred = std::function<bool(const Setting&)>;
  using Less = std::function<bool(const Setting&, const Setting&)>;
  // The section and name key: texts upper-cased, trailing blanks of the
  // CSTRING section counting, ties in record order.
  const Less byKey = [](const Setting& a, const Setting& b) {
    return std::make_pair(upperRaw(a.section), upperClipped(a.name)) <
           std::make_pair(upperRaw(b.section), upperClipped(b.name));
  };
  const Less byId = [](const Setting& a, const Setting& b) { return a.id < b.id; };
  struct Case {
    std::string order, filter;
    Pred matches;
    Less less;      // ties in record order
    bool reversed;  // then read backward (ties too)
    bool sorted;    // no key serves the order
  };
  const Case cases[] = {
      {"", "", [](const Setting&) { return true; }, nullptr, false, false},
      {"+UPPER(S:SECTION)", "UPPER(S:SECTION) = UPPER('beta')",
       [](const Setting& s) { return upperClipped(s.section) == "BETA"; }, byKey, false, false},
      {"-S:ID", "S:ID >= 10 AND (S:ID <= (20))",
       [](const Setting& s) { return s.id >= 10 && s.id <= 20; }, byId, true, false},
      {"-UPPER(S:SECTION),-UPPER(S:NAME)",
       "UPPER(S:SECTION) >= UPPER('b') AND (UPPER(S:SECTION) <= (UPPER('b\xFE')))",
       [](const Setting& s) { return upperClipped(s.section)[0] == 'B'; }, byKey, true, false},
      {"+UPPER(S:SECTION)", "S:STATUS = 1",
       [](const Setting& s) { return s.status == 1 && inSectionKey(s); }, byKey, false, false},
      {"+S:NAME", "UPPER(S:SECTION) = 'BETA'",
       [](const Setting& s) { return upperClipped(s.section) == "BETA"; },
       [](const Setting& a, const Setting& b) { return clipText(a.name) < clipText(b.name); },
       false, true},
      {"-S:VALUE,+S:ID", "", [](const Setting&) { return true; },
       [](const Setting& a, const Setting& b) {
         return a.value != b.value ? a.value > b.value : a.id < b.id;
       },
       false, true},
      {"", "S:ID >= 100 AND S:ID < 110", [](const Setting& s) { return s.id >= 100 && s.id < 110; },
       nullptr, false, true},
      {"", "S:ID >= 50 AND S:ID <= 40", [](const Setting&) { return false; }, nullptr, false, true},
      // Settings without a section: the whole table has them all, the OPT
      // key that orders by section only those with a name.
      {"", "S:SECTION = ''", [](const Setting& s) { return s.section.empty(); }, nullptr, false,
       false},
      {"+UPPER(S:SECTION)", "S:SECTION = ''",
       [](const Setting& s) { return s.section.empty() && inSectionKey(s); }, byKey, false, false},
  };
  View view(settings_);
  ASSERT_EQ(view.open(), 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.order + " / " + c.filter);
    ASSERT_EQ(view.setOrder(c.order), 0);
    ASSERT_EQ(view.setFilter(c.filter), 0);
    EXPECT_EQ(view.sortsInMemory(), c.sorted);
    std::vector<Setting> expected;
    std::copy_if(rows_.begin(), rows_.end(), std::back_inserter(expected), c.matches);
    if (c.less) std::stable_sort(expected.begin(), expected.end(), c.less);
    if (c.reversed) std::reverse(expected.begin(), expected.end());
    std::vector<int32_t> ids;
    for (const Setting& s : expected) ids.push_back(s.id);
    EXPECT_EQ(readAll(view), ids);
    std::reverse(ids.begin(), ids.end());
    EXPECT_EQ(readAll(view, true), ids);
  }
}

// Reading turns round where it stands; at the ends it stands outside.
TEST_F(ViewEngineTest, ReadingTurnsRoundAndStopsAtTheEnds) {
  makeSettings("view_turns.twk", variedSettings());
  View view(settings_);
  ASSERT_EQ(view.open(), 0);
  for (const char* order : {"+S:ID", "-S:VALUE,+S:ID", ""}) {
    SCOPED_TRACE(order);
    ASSERT_EQ(view.setOrder(order), 0);
    ASSERT_EQ(view.setFilter("S:ID <= 5"), 0);
    const std::vector<int32_t> all = readAll(view);
    ASSERT_EQ(all.size(), 5u);
    ASSERT_EQ(view.set(), 0);
    EXPECT_EQ(view.previous(), data::kErrRecordNotAvailable);
    ASSERT_EQ(view.next(), 0);
    ASSERT_EQ(view.next(), 0);
    ASSERT_EQ(view.next(), 0);
    ASSERT_EQ(view.previous(), 0);
    EXPECT_EQ(id(), all[1]);
    // Past the end the view stands after the last row, however often asked.
    ASSERT_EQ(view.setEnd(), 0);
    EXPECT_EQ(readsOf([&] { EXPECT_EQ(view.next(), data::kErrRecordNotAvailable); }), 0);
    while (view.next() == 0) {
    }
    ASSERT_EQ(view.previous(), 0);
    EXPECT_EQ(id(), all.back());
    while (view.previous() == 0) {
    }
    ASSERT_EQ(view.next(), 0);
    EXPECT_EQ(id(), all.front());
  }
}

TEST_F(ViewEngineTest, PositionsResetAndRegetInEveryOrder) {
  makeSettings("view_positions.twk", variedSettings());
  View view(settings_);
  ASSERT_EQ(view.open(), 0);
  std::string foreign;                         // taken in another order
  putNumber<int32_t>(settings_.record, 0, 2);  // id 2 has status 2
  ASSERT_EQ(st::get(settings_, settings_.keys[0]), 0);
  uint32_t pointerOf2 = 0;
  ASSERT_EQ(st::pointer(settings_, pointerOf2), 0);
  for (const char* order : {"+UPPER(S:SECTION),+UPPER(S:NAME)", "+S:ID", "-S:NAME,+S:ID", ""}) {
    SCOPED_TRACE(order);
    ASSERT_EQ(view.setOrder(order), 0);
    ASSERT_EQ(view.setFilter("S:STATUS = 2"), 0);
    std::vector<int32_t> ids;
    std::vector<std::string> positions;
    ASSERT_EQ(view.set(), 0);
    std::string position;
    EXPECT_EQ(view.position(position), data::kErrRecordNotAvailable);
    while (view.next() == 0) {
      ids.push_back(id());
      ASSERT_EQ(view.position(position), 0);
      EXPECT_LE(position.size(), 10u + kSectionSize + 10u);
      positions.push_back(position);
    }
    ASSERT_GT(ids.size(), 10u);
    // RESET: both directions read that row first.
    for (size_t k : {size_t{0}, size_t{7}, ids.size() - 1}) {
      ASSERT_EQ(view.reset(positions[k]), 0);
      ASSERT_EQ(view.next(), 0);
      EXPECT_EQ(id(), ids[k]);
      ASSERT_EQ(view.reset(positions[k]), 0);
      ASSERT_EQ(view.previous(), 0);
      EXPECT_EQ(id(), ids[k]);
    }
    // REGET reads the row without moving the view.
    ASSERT_EQ(view.reset(positions[3]), 0);
    ASSERT_EQ(view.next(), 0);
    ASSERT_EQ(view.reget(positions[9]), 0);
    EXPECT_EQ(id(), ids[9]);
    ASSERT_EQ(view.next(), 0);
    EXPECT_EQ(id(), ids[4]);
    // A position from another order, or of a record by its pointer, still
    // names the record.
    if (!foreign.empty()) {
      ASSERT_EQ(view.reget(foreign), 0);
      const int32_t named = id();
      ASSERT_EQ(view.reset(foreign), 0);
      ASSERT_EQ(view.next(), 0);
      EXPECT_EQ(id(), named);
    }
    foreign = positions[5];
    ASSERT_EQ(view.reset(View::positionOfRecord(pointerOf2)), 0);
    ASSERT_EQ(view.next(), 0);
    EXPECT_EQ(id(), 2);
  }
  // A deleted row: RESET stands at its neighbours, REGET answers 35.
  ASSERT_EQ(view.setOrder("+S:ID"), 0);
  ASSERT_EQ(view.setFilter(""), 0);
  ASSERT_EQ(view.set(), 0);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(view.next(), 0);
  std::string third;
  ASSERT_EQ(view.position(third), 0);
  ASSERT_EQ(st::erase(settings_), 0);
  ASSERT_EQ(view.reset(third), 0);
  ASSERT_EQ(view.next(), 0);
  EXPECT_EQ(id(), 4);
  ASSERT_EQ(view.reset(third), 0);
  ASSERT_EQ(view.previous(), 0);
  EXPECT_EQ(id(), 2);
  EXPECT_EQ(view.reget(third), data::kErrRecordNotFound);
  EXPECT_EQ(view.reset("junk"), data::kErrRecordNotFound);
}

TEST_F(ViewEngineTest, SetFromBufferStandsAtTheValues) {
  makeSettings("view_buffer.twk", variedSettings());
  View view(settings_);
  ASSERT_EQ(view.open(), 0);
  for (const char* order : {"+UPPER(S:SECTION),+UPPER(S:NAME)", "-UPPER(S:SECTION),-UPPER(S:NAME)",
                            "+UPPER(S:SECTION),-S:ID"}) {
    SCOPED_TRACE(order);
    ASSERT_EQ(view.setOrder(order), 0);
    const std::vector<int32_t> all = readAll(view);
    std::vector<std::string> sections;
    for (int32_t i : all)
      sections.push_back(upperClipped(rows_[static_cast<size_t>(i - 1)].section));
    // The first and the last of the rows whose section is "gamma".
    const auto first = std::find(sections.begin(), sections.end(), "GAMMA");
    const auto last = std::find(sections.rbegin(), sections.rend(), "GAMMA");
    ASSERT_NE(first, sections.end());
    putText(settings_.record, settings_.fields[1], "Gamma");
    ASSERT_EQ(view.setFromBuffer(1), 0);
    ASSERT_EQ(view.next(), 0);
    EXPECT_EQ(id(), all[static_cast<size_t>(first - sections.begin())]);
    putText(settings_.record, settings_.fields[1], "Gamma");
    ASSERT_EQ(view.setFromBuffer(1), 0);
    ASSERT_EQ(view.previous(), 0);
    EXPECT_EQ(id(), all[all.size() - 1 - static_cast<size_t>(last - sections.rbegin())]);
  }
  // In record order: at the current record.
  ASSERT_EQ(view.setOrder(""), 0);
  putNumber<int32_t>(settings_.record, 0, 17);
  ASSERT_EQ(st::get(settings_, settings_.keys[0]), 0);
  ASSERT_EQ(view.setFromBuffer(), 0);
  ASSERT_EQ(view.next(), 0);
  EXPECT_EQ(id(), 17);
}

// A range of ten records, a locator page and a sorted range read about as
// many records as they show, however large the table.
TEST_F(ViewEngineTest, RangesReadOnlyTheirRecords) {
  std::vector<Setting> rows;
  for (int32_t i = 1; i <= 2000; ++i) {
    const bool inRange = i > 1000 && i <= 1010;
    rows.push_back({i, inRange ? "Range" : "S" + std::to_string(i % 40),
                    "n" + std::to_string(i % 97), static_cast<uint8_t>(i % 100 == 0), 0});
  }
  makeSettings("view_reads.twk", rows);
  View view(settings_);
  ASSERT_EQ(view.open(), 0);
  ASSERT_EQ(view.setOrder("+UPPER(S:SECTION)"), 0);
  ASSERT_EQ(view.setFilter("UPPER(S:SECTION) = UPPER('range') AND (S:ID > 0)"), 0);
  EXPECT_EQ(view.boundComponents(), 1u);
  EXPECT_LE(readsOf([&] { EXPECT_EQ(readAll(view).size(), 10u); }), 11);
  EXPECT_LE(readsOf([&] { EXPECT_EQ(readAll(view, true).size(), 10u); }), 11);

  // A locator jump and one page.
  ASSERT_EQ(view.setFilter("UPPER(S:SECTION) >= UPPER('s3') AND (UPPER(S:SECTION) <= "
                           "(UPPER('s3\xFE')))"),
            0);
  EXPECT_EQ(readsOf([&] {
              ASSERT_EQ(view.set(), 0);
              for (int i = 0; i < 20; ++i) ASSERT_EQ(view.next(), 0);
            }),
            20);

  // A type-3 range on the unique key, read backward; then the same range
  // sorted in memory by another column.
  ASSERT_EQ(view.setOrder("-S:ID"), 0);
  ASSERT_EQ(view.setFilter("S:ID >= 1500 AND (S:ID <= (1509))"), 0);
  EXPECT_LE(readsOf([&] { EXPECT_EQ(readAll(view).size(), 10u); }), 11);
  ASSERT_EQ(view.setOrder("+S:NAME"), 0);
  EXPECT_TRUE(view.sortsInMemory());
  EXPECT_LE(readsOf([&] { EXPECT_EQ(readAll(view).size(), 10u); }), 21);

  // An empty range reads nothing; a reset inside a range reads its row.
  ASSERT_EQ(view.setOrder("+S:ID"), 0);
  ASSERT_EQ(view.setFilter("S:ID >= 1509 AND S:ID <= 1500"), 0);
  EXPECT_EQ(readsOf([&] { EXPECT_TRUE(readAll(view).empty()); }), 0);
  ASSERT_EQ(view.setFilter("S:ID >= 500"), 0);
  ASSERT_EQ(view.set(), 0);
  ASSERT_EQ(view.next(), 0);
  std::string position;
  ASSERT_EQ(view.position(position), 0);
  ASSERT_EQ(view.setEnd(), 0);
  ASSERT_EQ(view.previous(), 0);
  EXPECT_EQ(readsOf([&] {
              ASSERT_EQ(view.reset(position), 0);
              ASSERT_EQ(view.next(), 0);
            }),
            1);
  EXPECT_EQ(id(), 500);
}

TEST_F(ViewEngineTest, JoinsFillOrSkipTheirTables) {
  makeSettings("view_joins.twk", variedSettings());
  makeSections({"ALPHA", "beta", "Gamma"});
  View outer(settings_);
  ASSERT_EQ(outer.join(sections_, sections_.keys[0], {"S:SECTION"}), 0);
  ASSERT_EQ(outer.open(), 0);
  ASSERT_EQ(outer.setOrder("+C:DESCRIPTION,+S:ID"), 0);  // a joined field: sorted
  ASSERT_EQ(outer.setFilter("S:ID <= 16"), 0);
  ASSERT_EQ(outer.set(), 0);
  int rows = 0;
  while (outer.next() == 0) {
    ++rows;
    const std::string section = upperRaw(rows_[static_cast<size_t>(id() - 1)].section);
    const std::string joined(reinterpret_cast<const char*>(sections_.record.data()));
    if (section == "ALPHA" || section == "BETA" || section == "GAMMA") {
      EXPECT_EQ(upperClipped(joined), section);
      EXPECT_EQ(std::string(reinterpret_cast<const char*>(sections_.record.data() + 12), 8),
                "note    ");
    } else {
      EXPECT_EQ(joined, "");  // cleared
      EXPECT_EQ(std::string(reinterpret_cast<const char*>(sections_.record.data() + 12), 8),
                std::string(8, ' '));
    }
  }
  EXPECT_EQ(rows, 16);

  View inner(settings_);
  ASSERT_EQ(inner.join(sections_, sections_.keys[0], {"S:SECTION"}, data::JoinKind::kInner), 0);
  ASSERT_EQ(inner.open(), 0);
  ASSERT_EQ(inner.setFilter("C:DESCRIPTION <> 'beta'"), 0);
  int expected = 0;
  for (const Setting& s : rows_)
    expected += upperRaw(s.section) == "ALPHA" || upperRaw(s.section) == "GAMMA";
  EXPECT_EQ(static_cast<int>(readAll(inner).size()), expected);
}

TEST_F(ViewEngineTest, MisuseAndRefusedFiltersAnswerTheirErrors) {
  makeSettings("view_errors.twk", variedSettings());
  makeSections({"x"});
  View view(settings_);
  EXPECT_EQ(view.next(), data::kErrFileNotOpen);
  EXPECT_EQ(errorCode(), data::kErrFileNotOpen);
  EXPECT_EQ(view.close(), data::kErrFileNotOpen);
  EXPECT_EQ(view.join(sections_, settings_.keys[0], {"S:SECTION"}),
            data::kErrInvalidRecordDeclaration);
  EXPECT_EQ(view.join(sections_, sections_.keys[0], {"S:NOTHING"}),
            data::kErrInvalidRecordDeclaration);
  ASSERT_EQ(st::close(sections_), 0);
  ASSERT_EQ(view.join(sections_, sections_.keys[0], {"S:SECTION"}), 0);
  EXPECT_EQ(view.open(), data::kErrFileNotOpen);  // the joined table is closed
  ASSERT_EQ(st::open(sections_, st::kReadWriteDenyNone), 0);
  ASSERT_EQ(view.open(), 0);
  EXPECT_EQ(view.open(), data::kErrFileAlreadyOpen);
  EXPECT_EQ(view.join(sections_, sections_.keys[0], {"S:SECTION"}), data::kErrFileAlreadyOpen);
  EXPECT_EQ(view.setOrder("+S:ID,-NOPE"), data::kErrInvalidIndexString);
  EXPECT_EQ(view.setOrder("+UPPER(S:ID"), data::kErrInvalidIndexString);

  // A filter that does not compile is refused with the evaluator's error;
  // the view goes on without it.
  ASSERT_EQ(view.setFilter("S:ID <= 3"), 0);
  EXPECT_EQ(view.setFilter("S:ID = = 2"), kErrorInvalidExpression);
  EXPECT_EQ(errorCode(), kErrorInvalidExpression);
  EXPECT_EQ(errorText(), "Invalid expression for EVALUATE");
  EXPECT_EQ(view.filterError().message(), "Invalid expression for EVALUATE at pos 7");
  EXPECT_EQ(view.setFilter("S:NOPE = 1"), kErrorNotBound);
  EXPECT_EQ(view.filter(), "");
  EXPECT_EQ(readAll(view).size(), rows_.size());
  int64_t count = 0;
  EXPECT_EQ(view.records(count), 0);
  EXPECT_EQ(count, static_cast<int64_t>(rows_.size()));
  ASSERT_EQ(view.setFilter("S:ID <= 3"), 0);
  EXPECT_EQ(view.records(count), data::kErrUnsupportedFunction);
  ASSERT_EQ(view.close(), 0);
  EXPECT_EQ(view.previous(), data::kErrFileNotOpen);
}

// The filter sees the thread's own bindings; views on two threads, each
// with its own control block, read side by side.
TEST_F(ViewEngineTest, ThreadBindingsShowThroughAndThreadsKeepTheirViews) {
  makeSettings("view_threads.twk", variedSettings());
  const std::string path = settings_.name;
  auto readOnThread = [&](int32_t limit, size_t& count) {
    data::FileControlBlock own;
    declareSettings(own, path);
    ASSERT_EQ(st::open(own, st::kReadOnlyDenyNone), 0);
    threadBindings().pushBind();
    threadBindings().bindText("LIMIT", std::to_string(limit));
    View view(own);
    ASSERT_EQ(view.open(), 0);
    ASSERT_EQ(view.setOrder("+S:ID"), 0);
    ASSERT_EQ(view.setFilter("S:ID <= LIMIT"), 0);
    ASSERT_EQ(view.set(), 0);
    while (view.next() == 0) ++count;
    // Once the name is unbound the filter cannot be evaluated.
    threadBindings().popBind();
    ASSERT_EQ(view.set(), 0);
    EXPECT_EQ(view.next(), kErrorUnknownContext);
    st::close(own);
  };
  size_t first = 0, second = 0;
  std::thread a([&] { readOnThread(30, first); });
  std::thread b([&] { readOnThread(120, second); });
  a.join();
  b.join();
  EXPECT_EQ(first, 30u);
  EXPECT_EQ(second, 120u);
}

}  // namespace
}  // namespace zor::tarnwick::testing
