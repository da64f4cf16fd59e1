#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "data/declaration_check.h"
#include "data/declaration_error.h"
#include "data/driver_descriptor.h"
#include "data/driver_registry.h"
#include "data/file_control_block.h"
#include "data/file_errors.h"
#include "platform/resources.h"
#include "runtime/error_state.h"
#include "runtime/record_builder.h"
#include "runtime/type_codes.h"

namespace zor::data {
namespace {

FieldDescriptor field(uint8_t type, uint32_t offset, uint32_t size) {
  FieldDescriptor descriptor;
  descriptor.type = type;
  descriptor.offset = offset;
  descriptor.size = size;
  return descriptor;
}

// The application's section table: a CSTRING(50) with a primary,
// case-insensitive key.
void declareSections(FileControlBlock& fcb) {
  fcb.driverName = "TARNWICK";
  fcb.name = "section.edt";
  fcb.record.resize(50);
  fcb.addField(field(kCString, 0, 50), "SEC:DESCRIPTION");
  KeyBlock key;
  key.label = "SEC:P_DESCRIPTION";
  key.attributes = kKeyPrimary | kKeyNoCase | kKeyOpt;
  key.components = {{1, ComponentOrder::Ascending}};
  fcb.addKey(key);
}

std::string identifyOnly(const FileControlBlock& fcb, const DriverDescriptor* driver) {
  auto found = findDeclarationFault(fcb, driver);
  return found ? identifyingText(*found) + " " + declarationMessage(*found) : "";
}

TEST(DeclarationErrorTest, IdentifyingTextFormat) {
  DeclarationFault version{
      1,
      0,
      "VERSION",
      FaultKind::Driver,
      102,
      "You are attempting to open a newer Tarnwick file format than the driver supports"};
  EXPECT_EQ(identifyingText(version), "FILE : 0 : VERSION : D00102");
  EXPECT_EQ(declarationMessage(version), version.message);

  DeclarationFault unknown{9, 3, "X", FaultKind::Declaration, 1, {}};
  EXPECT_EQ(identifyingText(unknown), "SYSTEM : 3 : X : S00001");
  EXPECT_EQ(declarationMessage(unknown), "Unknown Error");
}

TEST(DeclarationErrorTest, BuiltInMessagesAndTheirEnds) {
  EXPECT_STREQ(builtInDeclarationMessage(0, FaultKind::Declaration, 2),
               "Dynamic File Support Not Found");
  EXPECT_STREQ(builtInDeclarationMessage(0, FaultKind::Driver, 1),
               "Internal Error:  Property cannot be set");
  EXPECT_STREQ(builtInDeclarationMessage(1, FaultKind::Declaration, 5),
               "The record structure is greater than 4,194,304 bytes in size");
  EXPECT_STREQ(builtInDeclarationMessage(1, FaultKind::Driver, 102), "Unknown Error");
  EXPECT_STREQ(builtInDeclarationMessage(2, FaultKind::Declaration, 14),
               "Field cannot be over a field inside another GROUP");
  EXPECT_STREQ(builtInDeclarationMessage(2, FaultKind::Declaration, 15), "Unknown Error");
  EXPECT_STREQ(builtInDeclarationMessage(3, FaultKind::Driver, 7),
               "Driver does not support BINARY memos or blobs");
  EXPECT_STREQ(builtInDeclarationMessage(4, FaultKind::Declaration, 4),
               "Key is defined as PRIMARY and DUP");
  EXPECT_STREQ(builtInDeclarationMessage(5, FaultKind::Declaration, 2),
               "Component is a dimmensioned field");
  EXPECT_STREQ(builtInDeclarationMessage(5, FaultKind::Driver, 0), "Unknown Error");
  EXPECT_STREQ(builtInDeclarationMessage(6, FaultKind::Driver, 1), "Unknown Error");
  EXPECT_STREQ(categoryName(3), "MEMO/BLOB");
  EXPECT_STREQ(categoryName(-2), "SYSTEM");
}

TEST(DeclarationErrorTest, ItemNamesForMissingLabels) {
  EXPECT_STREQ(keyItemName(KeyAttributeAtFault::Key), "KEY");
  EXPECT_STREQ(memoItemName(MemoAttributeAtFault::MemoBlob), "MEMO/BLOB");
  EXPECT_STREQ(memoItemName(MemoAttributeAtFault::BlobType), "TYPE");
  EXPECT_STREQ(memoItemName(MemoAttributeAtFault::Binary), "BINARY");
  EXPECT_STREQ(fieldItemName(FieldAttributeAtFault::Dim), "DIM");
  EXPECT_STREQ(fieldItemName(FieldAttributeAtFault::Places), "SIZE");
  EXPECT_STREQ(componentItemName(true), "ASCENDING");
  EXPECT_STREQ(componentItemName(false), "UNKNOWN");
}

TEST(DeclarationErrorTest, MessageResourceReplacesTheBuiltInText) {
  EXPECT_EQ(declarationMessageNumber(4, FaultKind::Declaration, 4), 140004);
  EXPECT_EQ(declarationMessageNumber(1, FaultKind::Driver, 102), 210102);
  const std::string text = "Schluessel ist PRIMARY und DUP";
  platform::registerResource("driver_declaration_test", "140004", "MESSAGE", text.data(),
                             text.size());
  EXPECT_EQ(declarationMessage({4, 1, "K", FaultKind::Declaration, 4, {}}), text);
  platform::registerResource("driver_declaration_test", "140004", "MESSAGE", "", 0);
  EXPECT_EQ(declarationMessage({4, 1, "K", FaultKind::Declaration, 4, {}}),
            "Key is defined as PRIMARY and DUP");
}

TEST(DeclarationCheckTest, TheApplicationsDeclarationPasses) {
  FileControlBlock fcb;
  declareSections(fcb);
  EXPECT_EQ(identifyOnly(fcb, &tarnwickDescriptor()), "");
}

TEST(DeclarationCheckTest, PrimaryKeyWithDuplicatesIsRefusedWithFortySeven) {
  DriverDescriptor checked = tarnwickDescriptor();
  std::snprintf(checked.name, sizeof checked.name, "TWKCHECK");
  registerDriver(checked);
  FileControlBlock fcb;
  declareSections(fcb);
  fcb.driverName = "TWKCHECK";
  fcb.keys[0].attributes |= kKeyDup;
  EXPECT_EQ(checkDeclaration(fcb), kErrInvalidRecordDeclaration);
  EXPECT_EQ(errorCode(), kErrInvalidRecordDeclaration);
  EXPECT_EQ(fileErrorCode(), "KEY : 1 : SEC:P_DESCRIPTION : S00004");
  EXPECT_EQ(fileErrorText(), "Key is defined as PRIMARY and DUP");
}

TEST(DeclarationCheckTest, FieldFaults) {
  FileControlBlock fcb;
  declareSections(fcb);
  fcb.addField(field(kLong, 0, 4), "sec:description");
  EXPECT_EQ(identifyOnly(fcb, nullptr), "FIELD : 2 : sec:description : S00002 Duplicate Label");

  FileControlBlock bad;
  declareSections(bad);
  bad.addField(field(kLong, 0, 4), "9LIVES");
  EXPECT_EQ(identifyOnly(bad, nullptr), "FIELD : 2 : 9LIVES : S00001 Not a Valid Zorvane Label");

  FileControlBlock unnamed;
  declareSections(unnamed);
  unnamed.addField(field(kLong, 0, 4), "");
  EXPECT_EQ(identifyOnly(unnamed, nullptr),
            "FIELD : 2 : LABEL : D00002 No Name or Label Specified");

  FileControlBlock sizeless;
  declareSections(sizeless);
  sizeless.addField(field(kString, 0, 0), "SEC:NOTE");
  EXPECT_EQ(identifyOnly(sizeless, nullptr),
            "FIELD : 2 : SEC:NOTE : S00004 Type requires a size and no size specified");

  FileControlBlock places;
  declareSections(places);
  FieldDescriptor amount = field(kDecimal, 0, 3);  // 5 digits
  amount.places = 6;
  places.addField(amount, "SEC:AMOUNT");
  EXPECT_EQ(identifyOnly(places, nullptr),
            "FIELD : 2 : SEC:AMOUNT : S00006 More Decimal Places than specified size");

  FileControlBlock outside;
  declareSections(outside);
  outside.addField(field(kLong, 48, 4), "SEC:PAST");
  EXPECT_EQ(identifyOnly(outside, nullptr), "FIELD : 2 : SEC:PAST : S00007 Size is too big");

  FileControlBlock group;
  declareSections(group);
  FieldDescriptor g = field(kGroup, 0, 50);
  g.groupCount = 3;
  group.addField(g, "SEC:G");
  EXPECT_EQ(identifyOnly(group, nullptr),
            "FIELD : 2 : SEC:G : S00005 The Group has more fields than has been defined");
}

TEST(DeclarationCheckTest, FieldFaultsAgainstTheDriver) {
  FileControlBlock fcb;
  declareSections(fcb);
  fcb.addField(field(kPDecimal, 0, 3), "SEC:PD");
  EXPECT_EQ(identifyOnly(fcb, nullptr), "");
  EXPECT_EQ(identifyOnly(fcb, &tarnwickDescriptor()),
            "FIELD : 2 : SEC:PD : D00003 Data type not supported");
  EXPECT_EQ(identifyOnly(fcb, &asciiDescriptor()),
            "FIELD : 1 : SEC:DESCRIPTION : D00003 Data type not supported");
}

TEST(DeclarationCheckTest, MemoAndKeyFaults) {
  FileControlBlock memo;
  declareSections(memo);
  memo.memos.push_back({"SEC:NOTES", "", 0, 0});
  EXPECT_EQ(identifyOnly(memo, nullptr),
            "MEMO/BLOB : 1 : SEC:NOTES : S00003 No Size Specified for a MEMO");
  memo.memos[0].size = 1000;
  DriverDescriptor withoutMemos = tarnwickDescriptor();
  withoutMemos.capabilities &= ~uint32_t{kCanMemo};
  EXPECT_EQ(identifyOnly(memo, &tarnwickDescriptor()), "");
  EXPECT_EQ(identifyOnly(memo, &withoutMemos),
            "MEMO/BLOB : 1 : SEC:NOTES : D00006 Driver does not support MEMOs");

  FileControlBlock keyless;
  declareSections(keyless);
  keyless.keys[0].components.clear();
  EXPECT_EQ(identifyOnly(keyless, nullptr),
            "KEY : 1 : SEC:P_DESCRIPTION : S00003 Type set to \xE2\x80\x98KEY\xE2\x80\x99, but no "
            "fields specified");

  FileControlBlock component;
  declareSections(component);
  component.keys[0].components.push_back({7, ComponentOrder::Descending});
  EXPECT_EQ(identifyOnly(component, nullptr),
            "COMPONENT : 2 : ASCENDING : S00001 Component number is greater than the number of "
            "fields in the file "
            "structure");
}

TEST(DeclarationCheckTest, FileFaults) {
  FileControlBlock fcb;
  declareSections(fcb);
  fcb.driverName.clear();
  EXPECT_EQ(checkDeclaration(fcb), kErrInvalidRecordDeclaration);
  EXPECT_EQ(fileErrorCode(), "FILE : 0 : DRIVER : S00001");
  EXPECT_EQ(fileErrorText(), "No File Driver Specified");

  fcb.driverName = "NOSUCHDRIVER";
  EXPECT_EQ(checkDeclaration(fcb), kErrInvalidRecordDeclaration);
  EXPECT_EQ(fileErrorCode(), "FILE : 0 : NOSUCHDRIVER : S00004");
  EXPECT_EQ(fileErrorText(), "File Driver not defined");
}

TEST(DeclarationCheckTest, BuilderFaultsBecomeFieldFaults) {
  std::vector<FieldDeclaration> fields(2);
  fields[0].label = "SEC:A";
  fields[0].type = kLong;
  fields[1].label = "SEC:B";
  fields[1].type = kString;
  BuiltRecord record;
  RecordBuildError error;
  ASSERT_FALSE(RecordBuilder::build(fields, record, error));
  const DeclarationFault found = declarationFaultOf(error, fields);
  EXPECT_EQ(identifyingText(found), "FIELD : 2 : SEC:B : S00004");
  EXPECT_EQ(declarationMessage(found), "Type requires a size and no size specified");

  // The builder names its fault by category and index, not by its text.
  const int file = static_cast<int>(DeclarationCategory::File);
  EXPECT_EQ(identifyingText(declarationFaultOf({"", 1, file, 5}, fields)),
            "FILE : 0 : SIZE : S00005");
  const DeclarationFault odd = declarationFaultOf({"Something else", 0}, fields);
  EXPECT_EQ(declarationMessage(odd), "Something else");
}

}  // namespace
}  // namespace zor::data
