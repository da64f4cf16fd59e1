// Failures of the operating system reach ERRORCODE(), ERROR(), FILEERRORCODE()
// and FILEERROR() with their own number and text, through the real driver
// and real files: a disk that fills up under an ADD (a file-size limit makes
// the system refuse the write exactly as a full disk does) and a file whose
// reads fail with an I/O error.

#include <signal.h>
#include <sys/resource.h>

#include <cerrno>
#include <filesystem>

#include "data/file_errors.h"
#include "data/file_statements.h"
#include "data/system_error.h"
#include "data/tarnwick/table_verify.h"
#include "platform/file.h"
#include "runtime/error_state.h"
#include "tests/data/tables_test_support.h"

namespace zor::tarnwick::testing {
namespace {

namespace st = data::statement;

TEST(SystemErrors, EveryErrnoReachesTheDriverAsANumberWithItsText) {
  for (int error = 1; error < 134; ++error) {
    for (int ioFault : {platform::kReadFault, platform::kWriteFault}) {
      const int answer = data::driverErrorOf(platform::fileErrorFromErrno(error, ioFault));
      EXPECT_FALSE(errorTextOf(answer).empty()) << "errno " << error << " answers " << answer;
    }
  }
  // The four the two tables share keep their number; the rest are 300 + n.
  EXPECT_EQ(data::driverErrorOf(platform::kFileNotFound), data::kErrFileNotFound);
  EXPECT_EQ(data::driverErrorOf(platform::kAccessDenied), data::kErrAccessDenied);
  EXPECT_EQ(data::driverErrorOf(platform::kDiskFull), 339);
  EXPECT_EQ(data::driverErrorOf(platform::kReadFault), 330);      // not 30 "Entry Not Found"
  EXPECT_EQ(data::driverErrorOf(platform::kLockViolation), 333);  // not 33 "Record Not Available"
  EXPECT_EQ(data::driverErrorOf(platform::kInjectedFault), 329);
  EXPECT_EQ(errorValueOf(339).fileCode, "39");
  EXPECT_EQ(errorValueOf(35).fileCode, "");
}

// Limits the size of every file this process writes while it lives; the
// system then refuses a write past it with EFBIG, which reads as a full disk.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previous_ = signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved_;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, previous_);
  }

 private:
  rlimit saved_{};
  sighandler_t previous_ = SIG_DFL;
};

class SystemErrorsThroughTheDriver : public TarnwickDriverTest {
 protected:
  void declare(data::FileControlBlock& fcb, const std::string& name) {
    ASSERT_EQ(data::declareFile(fcb, testDeclaration(name, {{"T:KL", {"T:L"}, 0, ""}})), 0);
  }
};

TEST_F(SystemErrorsThroughTheDriver, AFullDiskAnswersItsNumberAndTextAndLosesNothing) {
  const std::string path = scratchPath("full_disk.twk");
  std::filesystem::remove(path);
  data::FileControlBlock fcb;
  declare(fcb, path);
  ASSERT_EQ(st::create(fcb), 0);
  ASSERT_EQ(st::open(fcb, st::kReadWriteDenyNone), 0);
  int32_t added = 0;
  int answer = 0;
  {
    FileSizeLimit limit(std::filesystem::file_size(path) + 16 * 1024);
    for (int32_t value = 1; value <= 5000 && answer == 0; ++value) {
      std::fill(fcb.record.begin(), fcb.record.end(), 0);
      putNumber(fcb.record, fcb.fields[kFLong - 1].offset, value);
      answer = st::add(fcb);
      if (answer == 0) added = value;
    }
    EXPECT_EQ(answer, 339);
    EXPECT_EQ(errorCode(), 339);
    EXPECT_EQ(errorText(), "Handle Disk Full");
    EXPECT_EQ(fileErrorCode(), "39");
    EXPECT_EQ(fileErrorText(), "Handle Disk Full");
    ASSERT_GT(added, 0);
    st::close(fcb);
  }
  // With room again, every record that was answered 0 is there.
  ASSERT_EQ(st::open(fcb, st::kReadWriteDenyNone), 0);
  int64_t count = 0;
  ASSERT_EQ(st::records(fcb, count), 0);
  EXPECT_EQ(count, added);
  st::close(fcb);
  const TableCheck check = checkTables(path);
  EXPECT_TRUE(check.ok()) << (check.ok() ? "" : check.problems.front());
}

TEST_F(SystemErrorsThroughTheDriver, AReadFaultIsNoMissingEntry) {
  // Reading the process's own memory at offset 0 fails with EIO, as a
  // damaged disk does.
  const std::string path = scratchPath("read_fault.twk");
  std::filesystem::remove(path);
  std::filesystem::create_symlink("/proc/self/mem", path);
  data::FileControlBlock fcb;
  declare(fcb, path);
  EXPECT_EQ(st::open(fcb, st::kReadOnlyDenyNone), 330);
  EXPECT_EQ(errorCode(), 330);
  EXPECT_EQ(errorText(), "Read Fault");
  EXPECT_EQ(fileErrorCode(), "30");
  EXPECT_EQ(fileErrorText(), "Read Fault");
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace zor::tarnwick::testing
