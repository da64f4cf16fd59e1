// Null flags saved and restored with the record buffer: the native driver's
// fields have no null state, so the driver leaves GETNULLS and SETNULLS to
// the statements, which answer "no field is null".

#include <filesystem>

#include "data/driver_arguments.h"
#include "data/driver_call.h"
#include "data/file_errors.h"
#include "data/file_statements.h"
#include "runtime/error_state.h"
#include "tests/data/tables_test_support.h"

namespace zor::tarnwick::testing {
namespace {

namespace st = data::statement;

class TablesNullsTest : public TarnwickDriverTest {};

TEST_F(TablesNullsTest, FieldsWithoutNullStateSaveAndRestoreAsNotNull) {
  const std::string path = scratchPath("nulls.twk");
  std::filesystem::remove(path);
  data::FileControlBlock fcb;
  ASSERT_EQ(data::declareFile(fcb, testDeclaration(path, {})), 0);
  ASSERT_EQ(st::create(fcb), 0);
  ASSERT_EQ(st::open(fcb, st::kReadWriteDenyNone), 0);

  // The driver itself still does not carry them out.
  std::string answer;
  data::TextArgs args{nullptr, &answer};
  EXPECT_EQ(data::callDriver(fcb, data::Op::GETNULLS, &args), data::kErrUnsupportedFunction);

  std::string state = "stale";
  EXPECT_EQ(st::getNulls(fcb, state), 0);
  EXPECT_EQ(errorCode(), 0);
  EXPECT_EQ(state, std::string(kFieldCount, '\0'));

  EXPECT_EQ(st::setNulls(fcb, state), 0);
  EXPECT_EQ(errorCode(), 0);
  EXPECT_EQ(st::setNulls(fcb, ""), 0);

  // A null flag cannot be taken by a field without null state.
  state[kFLong - 1] = 1;
  EXPECT_EQ(st::setNulls(fcb, state), data::kErrUnsupportedFunction);
  EXPECT_EQ(errorCode(), data::kErrUnsupportedFunction);

  st::close(fcb);
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace zor::tarnwick::testing
