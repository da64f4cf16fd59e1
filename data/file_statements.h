#pragma once
// The table statements of the runtime language on a declared FILE, each
// carried out as one numbered driver operation with its typed arguments.
// Every statement returns the driver's error number, which also becomes the
// current ERRORCODE() (0 clears it).

#include <cstdint>
#include <span>
#include <string>

namespace zor::data {

struct FileControlBlock;
struct KeyBlock;

namespace statement {

// Access/share mode words for OPEN.
inline constexpr uint32_t kReadOnlyDenyNone = 0x40;
inline constexpr uint32_t kReadWriteDenyWrite = 0x22;
inline constexpr uint32_t kReadWriteDenyNone = 0x42;
inline constexpr uint32_t kReadWriteExclusive = 0x12;

// Whole file.
int open(FileControlBlock& fcb, uint32_t mode = kReadWriteDenyWrite);           // OPEN
int share(FileControlBlock& fcb, uint32_t mode = kReadWriteDenyNone);           // SHARE
int create(FileControlBlock& fcb);                                              // CREATE
int close(FileControlBlock& fcb);                                               // CLOSE
int empty(FileControlBlock& fcb);                                               // EMPTY
int remove(FileControlBlock& fcb);                                              // REMOVE
int rename(FileControlBlock& fcb, const std::string& newName);                  // RENAME
int copy(FileControlBlock& fcb, const std::string& newName);                    // COPY
int pack(FileControlBlock& fcb);                                                // PACK
int build(FileControlBlock& fcb);                                               // BUILDfile
int build(FileControlBlock& fcb, KeyBlock& key);                                // BUILDkey
int name(FileControlBlock& fcb, std::string& answer);                           // NAME
int bytes(FileControlBlock& fcb, int64_t& count);                               // BYTES
int records(FileControlBlock& fcb, int64_t& count);                             // RECORDSfile
int records(FileControlBlock& fcb, KeyBlock& key, int64_t& count);              // RECORDSkey
int lock(FileControlBlock& fcb);                                                // LOCKfile
int lock(FileControlBlock& fcb, int32_t seconds);                               // LOCKfilesec
int unlock(FileControlBlock& fcb);                                              // UNLOCK
int stream(FileControlBlock& fcb);                                              // STREAM
int flush(FileControlBlock& fcb);                                               // FLUSH
int send(FileControlBlock& fcb, const std::string& text, std::string& answer);  // SEND

// Positioning; no record is read.
int set(FileControlBlock& fcb);                                                // SETfile
int set(FileControlBlock& fcb, KeyBlock& key);                                 // SETkey
int setToKeyValue(FileControlBlock& fcb, KeyBlock& key);                       // SETkeykey
int setToPointer(FileControlBlock& fcb, uint32_t pointer);                     // SETfileptr
int setToPointer(FileControlBlock& fcb, KeyBlock& key, uint32_t pointer);      // SETkeyptr
int setToKeyValue(FileControlBlock& fcb, KeyBlock& key, uint32_t pointer);     // SETkeykeyptr
int setInRecordOrder(FileControlBlock& fcb, KeyBlock& key);                    // SETfilekey
int reset(FileControlBlock& fcb, const std::string& position);                 // RESETfile
int reset(FileControlBlock& fcb, KeyBlock& key, const std::string& position);  // RESETkey

// Reading.
int next(FileControlBlock& fcb);                                               // NEXT
int previous(FileControlBlock& fcb);                                           // PREVIOUS
int skip(FileControlBlock& fcb, int64_t count);                                // SKIP
int get(FileControlBlock& fcb, KeyBlock& key);                                 // GETfilekey
int get(FileControlBlock& fcb, uint32_t pointer);                              // GETfileptr
int get(FileControlBlock& fcb, KeyBlock& key, uint32_t pointer);               // GETkeyptr
int reget(FileControlBlock& fcb, const std::string& position);                 // REGETfile
int reget(FileControlBlock& fcb, KeyBlock& key, const std::string& position);  // REGETkey
int position(FileControlBlock& fcb, std::string& position);                    // POSITIONfile
int position(FileControlBlock& fcb, KeyBlock& key, std::string& position);     // POSITIONkey
int pointer(FileControlBlock& fcb, uint32_t& pointer);                         // POINTERfile
int pointer(FileControlBlock& fcb, KeyBlock& key, uint32_t& pointer);          // POINTERkey
int duplicate(FileControlBlock& fcb, bool& wouldRepeat);                       // DUPLICATE
int duplicate(FileControlBlock& fcb, KeyBlock& key, bool& wouldRepeat);        // DUPLICATEkey
int hold(FileControlBlock& fcb);                                               // HOLDfile
int hold(FileControlBlock& fcb, int32_t seconds);                              // HOLDfilesec
int release(FileControlBlock& fcb);                                            // RELEASE
int watch(FileControlBlock& fcb);                                              // WATCH
int noMemo(FileControlBlock& fcb);                                             // NOMEMO

// Writing.
int add(FileControlBlock& fcb);                      // ADD
int add(FileControlBlock& fcb, uint32_t length);     // ADDfilelen
int append(FileControlBlock& fcb);                   // APPEND
int append(FileControlBlock& fcb, uint32_t length);  // APPENDlen
int put(FileControlBlock& fcb);                      // PUT
int put(FileControlBlock& fcb, uint32_t pointer);    // PUTfileptr
int erase(FileControlBlock& fcb);                    // DELETE

// Transactions over files of one driver; COMMIT and ROLLBACK go to the
// driver of any file of the transaction and end the thread's LOGOUT.
// LOGOUT itself answers, before any driver is called: 78 without files or
// with a null one, 56 while the thread's LOGOUT is active (until COMMIT or
// ROLLBACK reaches its driver), and 48 with message 5 for files of
// different drivers (logout_faults.h).
int logout(int32_t seconds, std::span<FileControlBlock* const> files);  // LOGOUT
int commit(FileControlBlock& fcb);                                      // COMMIT
int rollback(FileControlBlock& fcb);                                    // ROLLBACK

// Saved positions and buffers.
int getState(FileControlBlock& fcb, uint32_t& handle);     // GETSTATE
int restoreState(FileControlBlock& fcb, uint32_t handle);  // RESTORESTATE
int freeState(FileControlBlock& fcb, uint32_t handle);     // FREESTATE
// The null flags of the record buffer, saved and restored with it. A driver
// whose fields have no null state does not carry these out (80); its files
// then answer 0 with a state of one zero byte per field ("not null"), and
// restoring a state without a null flag changes nothing. Restoring a null
// flag there stays 80.
int getNulls(FileControlBlock& fcb, std::string& state);        // GETNULLS
int setNulls(FileControlBlock& fcb, const std::string& state);  // SETNULLS

// Driver properties.
int getProperty(FileControlBlock& fcb, int32_t property, std::string& value, int32_t index = 0);
int setProperty(FileControlBlock& fcb, int32_t property, const std::string& value,
                int32_t index = 0);
int getProperty(FileControlBlock& fcb, KeyBlock& key, int32_t property, std::string& value,
                int32_t index = 0);
int setProperty(FileControlBlock& fcb, KeyBlock& key, int32_t property, const std::string& value,
                int32_t index = 0);

}  // namespace statement

}  // namespace zor::data
