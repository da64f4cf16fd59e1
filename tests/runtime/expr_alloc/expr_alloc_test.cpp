// Proves that evaluating a compiled expression allocates nothing once its
// buffers have grown: every global operator new of this program is counted.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

#include "runtime/date_time.h"
#include "runtime/expression.h"
#include "runtime/type_codes.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}

namespace zor {
namespace {

struct Record {
  char a[10];
  int32_t b;
  char c[10];
  char name[40];  // CSTRING
  uint8_t date[4];
  double amount;
};

class ExprAllocTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bindings.bind("A", kString, record.a, sizeof record.a);
    bindings.bind("B", kLong, &record.b, sizeof record.b);
    bindings.bind("C", kString, record.c, sizeof record.c);
    bindings.bind("NAME", kCString, record.name, sizeof record.name);
    bindings.bind("D", kDate, record.date, sizeof record.date);
    bindings.bind("AMOUNT", kReal, &record.amount, sizeof record.amount);
  }
  void fill(int i) {
    std::memset(&record, ' ', sizeof record);
    record.a[0] = i % 3 ? 'x' : 'y';
    record.b = i % 21;
    record.c[0] = "yYn"[i % 3];
    std::snprintf(record.name, sizeof record.name, "Customer number %d of the list", i);
    writePackedDate(record.date, PackedDate{static_cast<uint8_t>(1 + i % 28), 3, 2026});
    record.amount = i * 1.25;
  }
  // Allocations made by `rounds` evaluations over varying records, after a
  // warm-up over the same records that lets the buffers grow to their sizes.
  long allocationsOf(const char* text, int rounds = 200) {
    Expression expression;
    EXPECT_TRUE(expression.compile(text, bindings)) << expression.error().message();
    for (int i = 0; i < rounds; ++i) {
      fill(i);
      expression.evaluate();
    }
    long before = allocations.load();
    for (int i = 0; i < rounds; ++i) {
      fill(i);
      expression.evaluate();
    }
    return allocations.load() - before;
  }
  Record record{};
  Bindings bindings;
};

TEST_F(ExprAllocTest, TheCountingOperatorNewSeesAllocations) {
  long before = allocations.load();
  std::string* text = new std::string(100, 'x');
  delete text;
  EXPECT_GE(allocations.load() - before, 2);
}

TEST_F(ExprAllocTest, AFilterAllocatesNothingPerEvaluation) {
  EXPECT_EQ(allocationsOf("A = 'x' AND B > 10 AND UPPER(C) = 'Y'"), 0);
}

TEST_F(ExprAllocTest, TextFunctionsAndOperatorsAllocateNothing) {
  EXPECT_EQ(allocationsOf("INSTRING('NUMBER', UPPER(NAME), 1, 1) <> 0 AND "
                          "SUB(NAME, 1, 8) & '/' & CLIP(LEFT(A, 20)) <> ''"),
            0);
  EXPECT_EQ(allocationsOf("INLIST(CLIP(A), 'x', 'z') OR CHOOSE(B > 5, NAME, C) = 'q'"), 0);
  EXPECT_EQ(allocationsOf("NAME[1:8] = 'Customer' AND ALL('-', 30) & RIGHT(NAME, 50) <> ''"), 0);
  EXPECT_EQ(allocationsOf("STRPOS(NAME, 'number [0-9]+') + MATCH(NAME, 'Cust*', 16) > 1"), 0);
}

TEST_F(ExprAllocTest, NumbersDatesAndPicturesAllocateNothing) {
  EXPECT_EQ(allocationsOf("ROUND(AMOUNT * 1.2 / (B + 1), .01) + B % 4 ^ 2 > 3"), 0);
  EXPECT_EQ(allocationsOf("FORMAT(D, @D6) = ' 4/03/2026' OR DAY(D) + MONTH(D) > 10"), 0);
  EXPECT_EQ(allocationsOf("FORMAT(AMOUNT, @N12.2) & DEFORMAT('1,234.50', @N9.2) <> ''"), 0);
  EXPECT_EQ(allocationsOf("AGE(D, DATE(1, 1, 2030)) = '3 YRS'"), 0);
}

}  // namespace
}  // namespace zor
