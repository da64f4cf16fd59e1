#pragma once
// The record layouts of the application's two tables and of the rows of the
// main window's two browse queues: field descriptors, offsets and the
// compiled type descriptors through which generic code walks them by name.

#include <cstdint>
#include <vector>

#include "runtime/field_descriptor.h"

namespace qv {

// Table Sections (prefix SEC), file "section.edt".
namespace sections {
inline constexpr uint32_t kRecordSize = 50;
inline constexpr uint32_t kDescription = 0;  // CSTRING(50)
inline constexpr uint32_t kDescriptionSize = 50;
}  // namespace sections

// Table SetupINI (prefix SIN), file "Setup.edt".
namespace setup_ini {
inline constexpr uint32_t kRecordSize = 6255;
inline constexpr uint32_t kId = 0;                   // LONG
inline constexpr uint32_t kIniSection = 4;           // CSTRING(50)
inline constexpr uint32_t kSectionDescription = 54;  // CSTRING(100)
inline constexpr uint32_t kDefaultValue = 154;       // CSTRING(50)
inline constexpr uint32_t kHelpDescription = 204;    // CSTRING(6000)
inline constexpr uint32_t kValues = 6204;            // CSTRING(50)
inline constexpr uint32_t kStatus = 6254;            // BYTE: 1 active, 0 obsolete
inline constexpr uint32_t kIniSectionSize = 50;
inline constexpr uint32_t kSectionDescriptionSize = 100;
inline constexpr uint32_t kDefaultValueSize = 50;
inline constexpr uint32_t kHelpDescriptionSize = 6000;
inline constexpr uint32_t kValuesSize = 50;
}  // namespace setup_ini

// A row of the sections list's queue.
namespace sections_queue {
inline constexpr uint32_t kRowSize = 1075;
inline constexpr uint32_t kDescription = 0;    // CSTRING(50)
inline constexpr uint32_t kMark = 50;          // BYTE
inline constexpr uint32_t kViewPosition = 51;  // STRING(1024)
inline constexpr uint32_t kViewPositionSize = 1024;
}  // namespace sections_queue

// A row of the settings list's queue.
namespace settings_queue {
inline constexpr uint32_t kRowSize = 7284;
inline constexpr uint32_t kStatus = 0;              // BYTE
inline constexpr uint32_t kStatusIcon = 1;          // LONG: 1 active, 2 otherwise
inline constexpr uint32_t kSectionDescription = 5;  // CSTRING(100)
inline constexpr uint32_t kDefaultValue = 105;      // CSTRING(50)
inline constexpr uint32_t kValues = 155;            // CSTRING(50)
inline constexpr uint32_t kHelpDescription = 205;   // CSTRING(6000)
inline constexpr uint32_t kId = 6205;               // LONG
inline constexpr uint32_t kIniSection = 6209;       // CSTRING(50)
inline constexpr uint32_t kMark = 6259;             // BYTE
inline constexpr uint32_t kViewPosition = 6260;     // STRING(1024)
inline constexpr uint32_t kViewPositionSize = 1024;
}  // namespace settings_queue

const zor::RecordLayout& sectionsLayout();
const zor::RecordLayout& setupIniLayout();
const zor::RecordLayout& sectionsQueueLayout();
const zor::RecordLayout& settingsQueueLayout();

// Compiled type descriptors (GROUP, flags 0, size, field count, length, then
// the field entries).
const std::vector<uint8_t>& sectionsTypeDescriptor();
const std::vector<uint8_t>& setupIniTypeDescriptor();
const std::vector<uint8_t>& sectionsQueueTypeDescriptor();
const std::vector<uint8_t>& settingsQueueTypeDescriptor();

}  // namespace qv
