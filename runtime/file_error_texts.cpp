// The texts of the file error numbers (ERROR() after a driver call): the
// driver's own numbers 2..97 and the operating system's errors, kept under
// 300 + the system error number.

#include <algorithm>
#include <iterator>

#include "runtime/error_state.h"

namespace zor {

namespace {

struct NumberedText {
  int code;
  const char* text;
};

// Sorted by number.
constexpr NumberedText kFileErrorTexts[] = {
    {2, "File Not Found"},
    {3, "Path Not Found"},
    {4, "Too Many Open Files"},
    {5, "Access Denied"},
    {7, "Memory Corrupted"},
    {8, "Insufficient Memory"},
    {15, "Bad drive"},
    {30, "Entry Not Found"},
    {32, "File Is Already Locked"},
    {33, "Record Not Available"},
    {35, "Record Not Found"},
    {36, "Invalid Data File"},
    {37, "File Not Open"},
    {38, "Invalid Key File"},
    {40, "Creates Duplicate Key"},
    {43, "Record Is Already Held"},
    {45, "Invalid Filename"},
    {46, "Key File Must Be Rebuilt"},
    {47, "Invalid Record Declaration"},
    {48, "Unable To Log Transaction"},
    {52, "File Already Open"},
    {53, "Invalid Zorvane File"},
    {54, "No Create Attribute"},
    {55, "File Must Be Shared"},
    {56, "LOGOUT Already Active"},
    {57, "Invalid Memo File"},
    {63, "Exclusive Access Required"},
    {64, "Sharing Violation"},
    {65, "Unable To ROLLBACK Transaction"},
    {73, "Memo File Missing"},
    {75, "Invalid Field Type Descriptor"},
    {76, "Invalid Index String"},
    {77, "Unable To Access Index"},
    {78, "Invalid Number Of Parameters"},
    {79, "Unsupported Data Type In File"},
    {80, "Unsupported File Driver Function"},
    {81, "Unknown Error Posted"},
    {88, "Invalid Key Length"},
    {89, "Record Changed By Another Station"},
    {90, "File System Error"},
    {91, "LOGOUT Not Active"},
    {92, "BUILD In Progress"},
    {93, "BUILD Cancelled"},
    {95, "Server Not Found"},
    {96, "Remote Object Not Found"},
    {97, "Stream Error"},

    // Operating-system errors, 300 + the system error number.
    {301, "Invalid Function"},
    {302, "File Not Found"},
    {303, "Path Not Found"},
    {304, "Too Many Open Files"},
    {305, "Access Denied"},
    {306, "Invalid Handle"},
    {307, "Memory Control Blocks Destroyed"},
    {308, "Insufficient Memory"},
    {309, "Invalid Memory Block Address"},
    {310, "Invalid Environment"},
    {311, "Invalid Format"},
    {312, "Invalid Access Code"},
    {313, "Invalid Data"},
    {314, "Out Of Memory"},
    {315, "Invalid Drive"},
    {316, "Cannot Remove Current Directory"},
    {317, "Not Same Device"},
    {318, "No More Files"},
    {319, "Write Protected Disk"},
    {320, "Unknown Unit"},
    {321, "Drive Not Ready"},
    {322, "Unknown Command"},
    {323, "Data Error (CRC)"},
    {324, "Bad Request Structure Length"},
    {325, "Seek Error"},
    {326, "Unknown Media Type"},
    {327, "Sector Not Found"},
    {328, "Printer Out Of Paper"},
    {329, "Write Fault"},
    {330, "Read Fault"},
    {331, "General Failure"},
    {332, "Sharing Violation"},
    {333, "Lock Violation"},
    {334, "Wrong Disk"},
    {336, "Sharing Buffer Exceeded"},
    {338, "Handle End Of File"},
    {339, "Handle Disk Full"},
    {350, "Request Not Supported"},
    {351, "Remote Computer Not Listening"},
    {352, "Duplicate Name On Network"},
    {353, "Network Path Not Found"},
    {354, "Network Busy"},
    {355, "Network Device No Longer Available"},
    {356, "Network BIOS Command Limit Reached"},
    {357, "Network Adapter Hardware Error"},
    {358, "Incorrect Response From Network"},
    {359, "Unexpected Network Error"},
    {360, "Incompatible Remote Adapter"},
    {361, "Printer Queue Full"},
    {362, "No Space For Print File"},
    {363, "Print File Deleted"},
    {364, "Network Name Deleted"},
    {365, "Network Access Denied"},
    {366, "Network Device Type Incorrect"},
    {367, "Network Name Not Found"},
    {368, "Network Name Limit Exceeded"},
    {369, "Network BIOS Session Limit Exceeded"},
    {370, "Sharing Paused"},
    {371, "Network Request Not Accepted"},
    {372, "Redirection Paused"},
    {380, "File Already Exists"},
    {382, "Cannot Make Directory Entry"},
    {383, "Fail On Critical Error"},
    {384, "Too Many Redirections"},
    {385, "Duplicate Redirection"},
    {386, "Invalid Password"},
    {387, "Invalid Parameter"},
    {388, "Network Write Fault"},
    {389, "No Process Slots"},
    {391, "Unknown Error"},
};

static_assert(std::is_sorted(std::begin(kFileErrorTexts), std::end(kFileErrorTexts),
                             [](const NumberedText& a, const NumberedText& b) {
                               return a.code < b.code;
                             }));

}  // namespace

const char* fileErrorTextOf(int code) {
  const auto* end = std::end(kFileErrorTexts);
  const auto* found =
      std::lower_bound(std::begin(kFileErrorTexts), end, code,
                       [](const NumberedText& entry, int wanted) { return entry.code < wanted; });
  return (found != end && found->code == code) ? found->text : nullptr;
}

}  // namespace zor
