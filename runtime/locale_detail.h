#pragma once
// Pieces of the locale that do not touch its state: the pictures built from
// the system's date and time formats, the system's character order and case
// pairs, and the line syntax of the environment file.

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/locale.h"

namespace zor::locale_detail {

// Time pictures 7 (hours, minutes) and 8 (with seconds).
LocalePicture buildTimePicture(bool withSeconds, bool twelveHour, bool leadingZero, char separator);
// Date picture 17 from a short date format such as "MM/dd/yy".
LocalePicture buildShortDatePicture(std::string_view format);
// Date picture 18 from a long date format such as "dddd', 'MMMM' 'dd', 'yyyy".
LocalePicture buildLongDatePicture(std::string_view format);

// The system's order of the character codes 2..254 as weights (codes 0, 1
// and 255 keep their own), Windows-1252 letters sorted with their base letter.
void systemCollationWeights(uint8_t weights[256]);
// The system's lower-case partner of an upper-case letter of Windows-1252; 0 if none.
uint8_t systemLowerPartner(uint8_t upper);

// One line of an environment file: the key (blanks skipped, at most 31
// characters, ended by a control character or "=") and the raw value.
// False for a line without "=".
bool splitEnvironmentLine(std::string_view line, std::string& key, std::string_view& value);

}  // namespace zor::locale_detail
