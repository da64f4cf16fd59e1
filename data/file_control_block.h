#pragma once
// The FILE control block: one per FILE declaration (one per thread for a
// threaded file), shared by the runtime and the driver. It carries the
// declaration (name, record layout, memos, keys), the record buffer and the
// one pointer that belongs to the driver, its per-file object.

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "data/driver_entry.h"
#include "runtime/field_descriptor.h"
#include "runtime/record_builder.h"

namespace zor::data {

// Attribute flags of a FILE declaration.
enum FileAttribute : uint32_t {
  kFileCreate = 0x0001,    // CREATE: OPEN may create a missing file
  kFileReclaim = 0x0002,   // RECLAIM: reuse the space of deleted records
  kFileOem = 0x0004,       // OEM: text is stored in the OEM character set
  kFileEncrypt = 0x0008,   // ENCRYPT
  kFileThread = 0x0010,    // THREAD: the block belongs to one thread
  kFileBindable = 0x0020,  // BINDABLE
  kFileDynamic = 0x0040,   // the declaration was built at run time
  kFileTrace = 0x0100,     // driver tracing is on for this file
};

// Order of one key component.
enum class ComponentOrder : uint16_t { Unknown = 0, Ascending = 1, Descending = 2 };

struct KeyComponent {
  uint16_t field = 0;  // 1-based number of the field in the record layout
  ComponentOrder order = ComponentOrder::Ascending;
};

// Key attribute bits; the low bits are the ones stored in a file's key
// definition (duplicates, case-insensitive, own tree).
enum KeyAttribute : uint16_t {
  kKeyDup = 0x0001,      // DUP: duplicates allowed
  kKeyOpt = 0x0002,      // OPT: records whose key fields are empty are left out
  kKeyNoCase = 0x0004,   // NOCASE
  kKeyPrimary = 0x0008,  // PRIMARY
  kKeyIndex = 0x0010,    // INDEX rather than KEY: not kept up to date
  kKeyOwnTree = 0x0040,  // kept in a tree of its own
};

struct KeyBlock {
  std::string label;         // "SEC:P_DESCRIPTION"
  std::string externalName;  // NAME(...) of the key, empty when none
  uint16_t attributes = 0;   // KeyAttribute bits
  std::vector<KeyComponent> components;
  int number = 0;  // 1-based position among the file's keys

  bool allowsDuplicates() const { return (attributes & kKeyDup) != 0; }
  bool ignoresCase() const { return (attributes & kKeyNoCase) != 0; }
};

// Memo attribute bits.
enum MemoAttribute : uint16_t {
  kMemoBinary = 0x0001,  // BINARY: no text conversion
  kMemoBlob = 0x0004,    // a BLOB rather than a MEMO
};

struct MemoBlock {
  std::string label;
  std::string externalName;
  uint32_t size = 0;  // declared maximum size (MEMO); 0 for a BLOB
  uint16_t attributes = 0;

  bool isBlob() const { return (attributes & kMemoBlob) != 0; }
};

// What the driver keeps per open file. Owned by the control block; the
// driver creates it on first need and clears it at CLOSE and DESTROY.
class DriverFileObject {
 public:
  virtual ~DriverFileObject() = default;
};

struct FileControlBlock {
  FileControlBlock() = default;
  FileControlBlock(const FileControlBlock&) = delete;
  FileControlBlock& operator=(const FileControlBlock&) = delete;

  uint32_t attributes = 0;  // FileAttribute bits
  DriverEntry driver = nullptr;
  std::string driverName;       // as written in the declaration: "TARNWICK"
  std::string driverString;     // the declaration's driver options (driver_string.h)
  std::string name;             // the file's name text; its length is name.size()
  std::string owner;            // OWNER(...) text, for encrypted files
  std::string label;            // the FILE's own label ("Sections")
  std::string prefix;           // its prefix ("SEC")
  std::vector<uint8_t> record;  // record buffer; its length is record.size()
  RecordLayout fields;          // field descriptors, declaration order
  std::vector<MemoBlock> memos;
  std::deque<KeyBlock> keys;  // a deque, so key blocks keep their address as keys are added
  std::unique_ptr<DriverFileObject> driverObject;
  // The driver's settings for this file that outlive OPEN and CLOSE (those
  // a SEND before OPEN changes, for instance); nullptr until it needs them.
  std::unique_ptr<DriverFileObject> driverSettings;

  bool isThreaded() const { return (attributes & kFileThread) != 0; }
  bool isTraced() const { return (attributes & kFileTrace) != 0; }

  // Keeps a text for the lifetime of the block and returns a stable pointer
  // to it, for the name and picture pointers of the field descriptors.
  const char* keepText(std::string text);

  // Adds a field at the given offset and returns its 1-based number.
  uint16_t addField(FieldDescriptor field, const std::string& fieldLabel,
                    const std::string& picture = "");
  // Takes the fields of a record laid out by the run-time declaration
  // builder and sizes the record buffer to it.
  void adoptLayout(const BuiltRecord& built);
  // Adds a key and numbers it; the block keeps its address.
  KeyBlock& addKey(KeyBlock key);
  // The key with this label (without regard to case), or nullptr.
  KeyBlock* findKey(const std::string& keyLabel);

 private:
  std::deque<std::string> texts_;  // element addresses stay put as it grows
};

}  // namespace zor::data
