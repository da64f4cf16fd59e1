#include "data/blob_statements.h"

#include "data/driver_arguments.h"
#include "data/driver_call.h"

namespace zor::data::statement {

int blobSize(FileControlBlock& fcb, uint32_t blob, int64_t& size) {
  BlobArgs args{blob, 0, 0, nullptr, 0};
  const int result = callDriver(fcb, Op::BLOB_SIZE, &args);
  size = args.length;
  return result;
}

int blobRead(FileControlBlock& fcb, uint32_t blob, std::string& bytes, int64_t offset,
             int64_t length) {
  bytes.clear();
  BlobArgs args{blob, offset, length, &bytes, 0};
  return callDriver(fcb, Op::BLOB_YIELD, &args);
}

int blobWrite(FileControlBlock& fcb, uint32_t blob, const std::string& bytes, int64_t offset) {
  std::string copy = bytes;
  BlobArgs args{blob, offset, static_cast<int64_t>(bytes.size()), &copy, 0};
  return callDriver(fcb, Op::BLOB_TAKE, &args);
}

}  // namespace zor::data::statement
