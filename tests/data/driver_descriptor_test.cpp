#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "data/ascii_driver.h"
#include "data/driver_descriptor.h"
#include "data/driver_operation.h"
#include "data/driver_registry.h"
#include "data/file_errors.h"
#include "runtime/type_codes.h"

namespace zor::data {
namespace {

std::vector<std::string> operationNames(const DriverDescriptor& driver) {
  std::vector<std::string> names;
  for (uint8_t op : driver.operationList()) names.emplace_back(traceName(op));
  return names;
}

TEST(DriverDescriptorTest, TarnwickRecord) {
  const DriverDescriptor& twk = tarnwickDescriptor();
  EXPECT_EQ(twk.operationList().size(), 70u);
  EXPECT_EQ(twk.fieldTypeList().size(), 17u);
  EXPECT_EQ(twk.driverName(), "TARNWICK");
  EXPECT_STREQ(twk.libraryName, "Z60TWKX.DLL");
  EXPECT_STREQ(twk.displayName, "Tarnwick (TWK)");
  EXPECT_STREQ(twk.dialogLibraryName, "Z60TWKSX.DLL");
  EXPECT_STREQ(twk.blobWord, "BLOB");
  EXPECT_STREQ(twk.memoWord, "MEMO");
  EXPECT_STREQ(twk.indexWord, "INDEX");
  EXPECT_STREQ(twk.keyWord, "KEY");
  EXPECT_EQ(twk.entry, nullptr);  // filled in when the native driver registers

  const auto names = operationNames(twk);
  EXPECT_EQ(names.front(), "ADD");
  EXPECT_EQ(names.back(), "FREESTATE");
  for (Op op : {Op::OPEN, Op::SETkeykey, Op::GETfilekey, Op::PUT, Op::SEND, Op::BLOB_GET_PROP,
                Op::GETSTATE}) {
    EXPECT_TRUE(twk.carriesOut(opNumber(op))) << traceName(op);
  }
  // Setting a property does nothing in this driver: not listed, so answered 80.
  for (Op op : {Op::QUERY_VIEW, Op::STARTRAN, Op::ENDTRAN, Op::ADDfilelen, Op::DESTROY, Op::NULL_,
                Op::SET_PROPERTY, Op::SETPROPERTYkey, Op::BLOB_SET_PROP}) {
    EXPECT_FALSE(twk.carriesOut(opNumber(op))) << traceName(op);
  }
  EXPECT_FALSE(twk.carriesOut(300));
  EXPECT_FALSE(twk.carriesOut(-1));
}

TEST(DriverDescriptorTest, TarnwickFieldTypes) {
  const DriverDescriptor& twk = tarnwickDescriptor();
  for (uint8_t code : {kByte, kShort, kUShort, kDate, kTime, kLong, kULong, kSReal, kReal, kDecimal,
                       kString, kCString, kPString, kMemo, kBlob, kGroup, kArray}) {
    EXPECT_TRUE(twk.supportsType(code)) << typeName(code);
  }
  for (uint8_t code : {kPDecimal, kBFloat4, kBFloat8, kEnd, kAny}) {
    EXPECT_FALSE(twk.supportsType(code)) << typeName(code);
  }
}

TEST(DriverDescriptorTest, AsciiRecord) {
  const DriverDescriptor& ascii = asciiDescriptor();
  EXPECT_EQ(ascii.operationList().size(), 0u);  // its entry carries out nothing
  EXPECT_EQ(ascii.driverName(), "ASCII");
  EXPECT_STREQ(ascii.libraryName, "Z60ASCX.DLL");
  EXPECT_STREQ(ascii.displayName, "ASCII (Text)");
  EXPECT_STREQ(ascii.dialogLibraryName, "Z60ASCSX.DLL");
  ASSERT_EQ(ascii.fieldTypeList().size(), 2u);
  EXPECT_TRUE(ascii.supportsType(kString));
  EXPECT_TRUE(ascii.supportsType(kGroup));
  EXPECT_FALSE(ascii.supportsType(kLong));
  EXPECT_FALSE(ascii.carriesOut(opNumber(Op::SETkey)));
}

TEST(DriverDescriptorTest, AsciiEntryAnswersUnsupportedForEverything) {
  for (int op : {0, 1, 25, 74, 107, 108}) {
    EXPECT_EQ(asciiDriverEntry(op, nullptr, nullptr), kErrUnsupportedFunction);
  }
}

TEST(DriverRegistryTest, TextDriverIsBuiltInAndNamesIgnoreCase) {
  const DriverDescriptor* ascii = findDriver("ascii");
  ASSERT_NE(ascii, nullptr);
  EXPECT_EQ(ascii->entry, &asciiDriverEntry);
  EXPECT_EQ(findDriver("NOSUCH"), nullptr);
}

int fakeEntry(int, FileControlBlock*, void*) {
  return 0;
}

TEST(DriverRegistryTest, RegistrationSuppliesTheEntryAndReplacesByName) {
  DriverDescriptor test = asciiDescriptor();
  std::snprintf(test.name, sizeof test.name, "REGTEST");
  const DriverDescriptor& first = registerDriver(test, &fakeEntry);
  EXPECT_EQ(first.entry, &fakeEntry);
  EXPECT_EQ(findDriver("RegTest"), &first);

  const DriverDescriptor& again = registerDriver(test, &asciiDriverEntry);
  EXPECT_EQ(&again, &first);
  EXPECT_EQ(findDriver("REGTEST")->entry, &asciiDriverEntry);
}

}  // namespace
}  // namespace zor::data
