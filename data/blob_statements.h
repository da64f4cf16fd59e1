#pragma once
// The statements on a FILE's memos and blobs (numbered from 1 in declaration
// order): their size, their bytes, and new contents for the record buffer,
// which ADD and PUT then store with the record. Each returns the driver's
// error number, which also becomes ERRORCODE().

#include <cstdint>
#include <string>

namespace zor::data {

struct FileControlBlock;

namespace statement {

int blobSize(FileControlBlock& fcb, uint32_t blob, int64_t& size);      // BLOB_SIZE
int blobRead(FileControlBlock& fcb, uint32_t blob, std::string& bytes,  // BLOB_YIELD
             int64_t offset = 0, int64_t length = -1);
int blobWrite(FileControlBlock& fcb, uint32_t blob, const std::string& bytes,  // BLOB_TAKE
              int64_t offset = 0);

}  // namespace statement

}  // namespace zor::data
