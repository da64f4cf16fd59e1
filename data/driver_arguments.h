#pragma once
// The argument structures behind a driver call's argument word, one per
// family of operations. Every key form's structure starts with the key block,
// so a driver can fetch the key before it knows the exact family
// (keyBlockOf). Results other than the error number are written back into
// the structure (counts, pointers) or through its text pointers (positions,
// answers, property values).

#include <cstdint>
#include <string>
#include <type_traits>

namespace zor::data {

struct FileControlBlock;
struct KeyBlock;

// OPEN: the access/share mode word (access in the low nibble, sharing in the
// high nibble: 0x22 read/write deny write, 0x42 read/write deny none).
struct OpenArgs {
  uint32_t mode = 0x22;
};

// SETkey, SETkeykey, GETfilekey, SETfilekey, BUILDkey, DUPLICATEkey,
// BUILDdyn, BUILDdynfilter.
struct KeyArgs {
  KeyBlock* key = nullptr;
};

// GETfileptr, SETfileptr, PUTfileptr; POINTERfile answers into `pointer`.
struct PointerArgs {
  uint32_t pointer = 0;
  uint32_t length = 0;  // the "len" forms only
};

// GETkeyptr, SETkeyptr, SETkeykeyptr; POINTERkey answers into `pointer`.
struct KeyPointerArgs {
  KeyBlock* key = nullptr;
  uint32_t pointer = 0;
};

// ADDfilelen, APPENDlen: how many bytes of the record buffer to write.
struct LengthArgs {
  uint32_t length = 0;
};

// SKIP takes `count`; RECORDSfile and BYTES answer into it.
struct CountArgs {
  int64_t count = 0;
};

// RECORDSkey answers the number of entries of the key.
struct KeyCountArgs {
  KeyBlock* key = nullptr;
  int64_t count = 0;
};

// POSITIONfile answers into *position; RESETfile and REGETfile read it.
struct PositionArgs {
  std::string* position = nullptr;
};

struct KeyPositionArgs {
  KeyBlock* key = nullptr;
  std::string* position = nullptr;
};

// HOLDfilesec, LOCKfilesec.
struct SecondsArgs {
  int32_t seconds = 0;
};

// LOGOUT: a time-out and the files of the transaction (all of one driver).
struct LogoutArgs {
  int32_t seconds = 0;
  FileControlBlock* const* files = nullptr;
  uint32_t fileCount = 0;
};

// SEND (text in, answer out), NAME and GETNULLS (answer), SETNULLS (text),
// COPY and RENAME (text: the target name).
struct TextArgs {
  const std::string* text = nullptr;
  std::string* answer = nullptr;
};

// GET_PROPERTY, SET_PROPERTY, DO_PROPERTY: a property number with an index;
// SET reads *value, GET writes it.
struct PropertyArgs {
  int32_t property = 0;
  int32_t index = 0;
  std::string* value = nullptr;
};

struct KeyPropertyArgs {
  KeyBlock* key = nullptr;
  int32_t property = 0;
  int32_t index = 0;
  std::string* value = nullptr;
};

// GETSTATE answers a state handle; RESTORESTATE and FREESTATE take it.
struct StateArgs {
  uint32_t handle = 0;
};

// The BLOB_ operations: which memo/blob of the record (1-based), a byte
// range, and the bytes or property value.
struct BlobArgs {
  uint32_t blob = 0;
  int64_t offset = 0;
  int64_t length = 0;
  std::string* data = nullptr;
  int32_t property = 0;
};

// WATCH, NOMEMO, HOLDfile and the rest take nothing: their argument word is
// null.

// The key block of a key form's argument word; nullptr without arguments.
// Valid because every key family's structure is standard-layout with the key
// block first, so a pointer to it is a pointer to its first member.
inline KeyBlock* keyBlockOf(void* args) {
  return args == nullptr ? nullptr : *static_cast<KeyBlock**>(args);
}

static_assert(std::is_standard_layout_v<KeyArgs> && std::is_standard_layout_v<KeyPointerArgs> &&
              std::is_standard_layout_v<KeyCountArgs> &&
              std::is_standard_layout_v<KeyPositionArgs> &&
              std::is_standard_layout_v<KeyPropertyArgs>);

// The typed view of an argument word.
template <class Args>
Args* argumentsAs(void* args) {
  return static_cast<Args*>(args);
}

}  // namespace zor::data
