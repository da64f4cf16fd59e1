#pragma once
// A fault in the engine's own structures or I/O (a page that does not decode,
// a length that is not a multiple of 64, ...) is not an error number: it
// shows "Possible data corruption in file (N)" as a fatal runtime error and
// ends the program. N names the place that found the fault.

#include <cstddef>

namespace zor::tarnwick {

// The places that can find an internal failure; each has its own number.
enum class FailurePlace : int {
  ReadLength = 1,           // a read that is not a whole multiple of 64 bytes
  WriteLength = 2,          // a write that is not a whole multiple of 64 bytes
  UnitInNoZone = 3,         // a page number that no zone contains
  PageLength = 4,           // a page whose rounded length does not match its zone
  PageDecode = 5,           // items that do not decode to the unpacked length
  RunLength = 6,            // a run length that would overflow the page
  PageHome = 7,             // a page that names another unit as its home
  ItemTooLong = 8,          // an item of the maximum length or more
  IdentifierExhausted = 9,  // the identifier counter reached 254 in its top byte
  SplitSingleItem = 10,     // a page that must split but holds one item
  ParentNotFound = 11,      // a moved page whose parent does not lead to it
  TreeLevel = 12,           // a child page whose level is not one below its parent
  PageRead = 13,            // a page that cannot be read whole
  ZoneFull = 14,            // no room can be made for a page
  PageTooLarge = 15,        // an encoded page larger than the largest page
  EmptyPage = 16,           // a page other than the root holding no items
  TreeOrder = 17,           // stepping met a key not beyond the last: a page reached twice
  PageAway = 18,            // a changed page whose stored form cannot be had back
};

inline constexpr int kInternalFailureRuntimeError = 501;
inline constexpr const char* kInternalFailureMessage = "Possible data corruption in file";
// A program may give the message in its message resource of this number
// (at most kInternalFailureMessageLimit characters are used).
inline constexpr int kInternalFailureMessageResource = 4101;
inline constexpr size_t kInternalFailureMessageLimit = 219;
inline constexpr const char* kInternalFailureCaption = "Tarnwick File Driver Error";

// Before the fatal error, a message box titled kInternalFailureCaption
// shows the number (or the program's message); a program without a user,
// such as a command-line utility, switches it off.
void showInternalFailureBox(bool shown);

[[noreturn]] void internalFailure(FailurePlace place);
// The number of the thread's last internal failure (0 when none).
int lastDriverFault();

}  // namespace zor::tarnwick
