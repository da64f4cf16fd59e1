#include "app/record_layouts.h"

#include "runtime/type_codes.h"

namespace qv {

namespace {

zor::FieldDescriptor cstring(const char* name, uint32_t offset, uint32_t size) {
  return zor::makeField(name, zor::kCString, offset, size);
}

}  // namespace

const zor::RecordLayout& sectionsLayout() {
  using namespace sections;
  static const zor::RecordLayout layout = {
      cstring("SEC:DESCRIPTION", kDescription, kDescriptionSize),
  };
  return layout;
}

const zor::RecordLayout& setupIniLayout() {
  using namespace setup_ini;
  static const zor::RecordLayout layout = {
      zor::makeField("SIN:ID", zor::kLong, kId, 4),
      cstring("SIN:INISECTION", kIniSection, kIniSectionSize),
      cstring("SIN:SECTIONDESCRIPTION", kSectionDescription, kSectionDescriptionSize),
      cstring("SIN:DEFAULTVALUE", kDefaultValue, kDefaultValueSize),
      cstring("SIN:HELPDESCRIPTION", kHelpDescription, kHelpDescriptionSize),
      cstring("SIN:VALUES", kValues, kValuesSize),
      zor::makeField("SIN:STATUS", zor::kByte, kStatus, 1),
  };
  return layout;
}

const zor::RecordLayout& sectionsQueueLayout() {
  using namespace sections_queue;
  static const zor::RecordLayout layout = {
      cstring("SEC:DESCRIPTION", kDescription, sections::kDescriptionSize),
      zor::makeField("MARK", zor::kByte, kMark, 1),
      zor::makeField("VIEWPOSITION", zor::kString, kViewPosition, kViewPositionSize),
  };
  return layout;
}

const zor::RecordLayout& settingsQueueLayout() {
  using namespace settings_queue;
  static const zor::RecordLayout layout = {
      zor::makeField("SIN:STATUS", zor::kByte, kStatus, 1),
      zor::makeField("SIN:STATUS_ICON", zor::kLong, kStatusIcon, 4),
      cstring("SIN:SECTIONDESCRIPTION", kSectionDescription, setup_ini::kSectionDescriptionSize),
      cstring("SIN:DEFAULTVALUE", kDefaultValue, setup_ini::kDefaultValueSize),
      cstring("SIN:VALUES", kValues, setup_ini::kValuesSize),
      cstring("SIN:HELPDESCRIPTION", kHelpDescription, setup_ini::kHelpDescriptionSize),
      zor::makeField("SIN:ID", zor::kLong, kId, 4),
      cstring("SIN:INISECTION", kIniSection, setup_ini::kIniSectionSize),
      zor::makeField("MARK", zor::kByte, kMark, 1),
      zor::makeField("VIEWPOSITION", zor::kString, kViewPosition, kViewPositionSize),
  };
  return layout;
}

const std::vector<uint8_t>& sectionsTypeDescriptor() {
  static const std::vector<uint8_t> bytes =
      zor::compileTypeDescriptor(sectionsLayout(), sections::kRecordSize);
  return bytes;
}

const std::vector<uint8_t>& setupIniTypeDescriptor() {
  static const std::vector<uint8_t> bytes =
      zor::compileTypeDescriptor(setupIniLayout(), setup_ini::kRecordSize);
  return bytes;
}

const std::vector<uint8_t>& sectionsQueueTypeDescriptor() {
  static const std::vector<uint8_t> bytes =
      zor::compileTypeDescriptor(sectionsQueueLayout(), sections_queue::kRowSize);
  return bytes;
}

const std::vector<uint8_t>& settingsQueueTypeDescriptor() {
  static const std::vector<uint8_t> bytes =
      zor::compileTypeDescriptor(settingsQueueLayout(), settings_queue::kRowSize);
  return bytes;
}

}  // namespace qv
