#include <gtest/gtest.h>

#include "data/file_errors.h"
#include "runtime/error_state.h"

namespace zor::data {
namespace {

TEST(DriverErrorTextsTest, DriverNumbers) {
  EXPECT_STREQ(fileErrorTextOf(kErrFileNotFound), "File Not Found");
  EXPECT_STREQ(fileErrorTextOf(kErrAccessDenied), "Access Denied");
  EXPECT_STREQ(fileErrorTextOf(15), "Bad drive");
  EXPECT_STREQ(fileErrorTextOf(kErrRecordNotAvailable), "Record Not Available");
  EXPECT_STREQ(fileErrorTextOf(kErrDuplicateKey), "Creates Duplicate Key");
  EXPECT_STREQ(fileErrorTextOf(kErrInvalidRecordDeclaration), "Invalid Record Declaration");
  EXPECT_STREQ(fileErrorTextOf(53), "Invalid Zorvane File");
  EXPECT_STREQ(fileErrorTextOf(65), "Unable To ROLLBACK Transaction");
  EXPECT_STREQ(fileErrorTextOf(kErrUnsupportedFunction), "Unsupported File Driver Function");
  EXPECT_STREQ(fileErrorTextOf(kErrRecordChanged), "Record Changed By Another Station");
  EXPECT_STREQ(fileErrorTextOf(kErrStreamError), "Stream Error");
}

TEST(DriverErrorTextsTest, NumbersWithoutText) {
  for (int code : {-1, 0, 1, 6, 31, 98, 299, 300, 335, 392, 1000}) {
    EXPECT_EQ(fileErrorTextOf(code), nullptr) << code;
  }
}

TEST(DriverErrorTextsTest, SystemErrorsUnderThreeHundredPlusTheirNumber) {
  EXPECT_STREQ(fileErrorTextOf(kSystemErrorBase + 1), "Invalid Function");
  EXPECT_STREQ(fileErrorTextOf(302), "File Not Found");
  EXPECT_STREQ(fileErrorTextOf(305), "Access Denied");
  EXPECT_STREQ(fileErrorTextOf(332), "Sharing Violation");
  EXPECT_STREQ(fileErrorTextOf(333), "Lock Violation");
  EXPECT_STREQ(fileErrorTextOf(339), "Handle Disk Full");
  EXPECT_STREQ(fileErrorTextOf(380), "File Already Exists");
  EXPECT_STREQ(fileErrorTextOf(391), "Unknown Error");
}

}  // namespace
}  // namespace zor::data
