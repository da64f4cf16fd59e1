#include "data/ascii_driver.h"

#include "data/file_errors.h"

namespace zor::data {

int asciiDriverEntry(int /*op*/, FileControlBlock* /*fcb*/, void* /*args*/) {
  return kErrUnsupportedFunction;
}

}  // namespace zor::data
