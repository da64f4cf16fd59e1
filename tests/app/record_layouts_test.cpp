#include "app/record_layouts.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace qv {
namespace {

// Builds expected descriptor bytes: numbers as bytes, names NUL-terminated.
class Bytes {
 public:
  Bytes& operator()(std::initializer_list<int> values) {
    for (int value : values) bytes_.push_back(static_cast<uint8_t>(value));
    return *this;
  }
  Bytes& operator()(const std::string& name) {
    bytes_.insert(bytes_.end(), name.begin(), name.end());
    bytes_.push_back(0);
    return *this;
  }
  // Fills in the total length at bytes 10..13.
  std::vector<uint8_t> done() {
    uint32_t length = static_cast<uint32_t>(bytes_.size());
    for (int i = 0; i < 4; ++i) bytes_[10 + i] = static_cast<uint8_t>(length >> (8 * i));
    return bytes_;
  }

 private:
  std::vector<uint8_t> bytes_;
};

// Header of a record descriptor: GROUP, flags 0, size, field count, length.
Bytes header(uint32_t size, uint32_t count) {
  Bytes bytes;
  bytes({22, 0});
  bytes({int(size & 0xFF), int(size >> 8 & 0xFF), int(size >> 16 & 0xFF), 0});
  bytes({int(count), 0, 0, 0, 0, 0, 0, 0});
  return bytes;
}

void expectContiguous(const zor::RecordLayout& layout, uint32_t recordSize) {
  uint32_t offset = 0;
  for (const zor::FieldDescriptor& field : layout) {
    EXPECT_EQ(field.offset, offset) << field.name;
    offset += field.size;
  }
  EXPECT_EQ(offset, recordSize);
}

TEST(RecordLayouts, TablesWithoutGaps) {
  expectContiguous(sectionsLayout(), 50);
  expectContiguous(setupIniLayout(), 6255);
  std::vector<uint32_t> offsets;
  for (const zor::FieldDescriptor& field : setupIniLayout()) offsets.push_back(field.offset);
  EXPECT_EQ(offsets, (std::vector<uint32_t>{0, 4, 54, 154, 204, 6204, 6254}));
  EXPECT_EQ(zor::describeField(sectionsLayout(), 0), "SEC:DESCRIPTION CSTRING(50)");
  EXPECT_EQ(zor::describeField(setupIniLayout(), 6), "SIN:STATUS BYTE");
}

TEST(RecordLayouts, BrowseQueuesWithoutGaps) {
  expectContiguous(sectionsQueueLayout(), 1075);
  expectContiguous(settingsQueueLayout(), 7284);
  EXPECT_EQ(settingsQueueLayout()[1].offset, settings_queue::kStatusIcon);
  EXPECT_EQ(settingsQueueLayout()[9].offset, settings_queue::kViewPosition);
}

TEST(RecordLayouts, TableTypeDescriptorsByteForByte) {
  EXPECT_EQ(sectionsTypeDescriptor(),
            header(50, 1)({0x13, 0x02, 0x20, 0x32})("SEC:DESCRIPTION").done());
  EXPECT_EQ(setupIniTypeDescriptor(),
            header(6255, 7)({0x06, 0x02})("SIN:ID")  //
            ({0x13, 0x02, 0x20, 0x32})("SIN:INISECTION")({0x13, 0x02, 0x20, 0x64})(
                "SIN:SECTIONDESCRIPTION")({0x13, 0x02, 0x20, 0x32})("SIN:DEFAULTVALUE")(
                {0x13, 0x02, 0x37, 0x70})("SIN:HELPDESCRIPTION")({0x13, 0x02, 0x20, 0x32})(
                "SIN:VALUES")({0x01, 0x02})("SIN:STATUS")
                .done());
  EXPECT_EQ(sectionsTypeDescriptor().size(), 34u);
}

TEST(RecordLayouts, QueueTypeDescriptorsByteForByte) {
  EXPECT_EQ(sectionsQueueTypeDescriptor(),
            header(1075, 3)({0x13, 0x02, 0x20, 0x32})("SEC:DESCRIPTION")({0x01, 0x02})("MARK")(
                {0x12, 0x02, 0x24, 0x00})("VIEWPOSITION")
                .done());
  EXPECT_EQ(
      settingsQueueTypeDescriptor(),
      header(7284, 10)({0x01, 0x02})("SIN:STATUS")({0x06, 0x02})("SIN:STATUS_ICON")(
          {0x13, 0x02, 0x20, 0x64})("SIN:SECTIONDESCRIPTION")({0x13, 0x02, 0x20, 0x32})(
          "SIN:DEFAULTVALUE")({0x13, 0x02, 0x20, 0x32})("SIN:VALUES")({0x13, 0x02, 0x37, 0x70})(
          "SIN:HELPDESCRIPTION")({0x06, 0x02})("SIN:ID")({0x13, 0x02, 0x20, 0x32})(
          "SIN:INISECTION")({0x01, 0x02})("MARK")({0x12, 0x02, 0x24, 0x00})("VIEWPOSITION")
          .done());
}

}  // namespace
}  // namespace qv
