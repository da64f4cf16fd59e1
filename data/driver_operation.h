#pragma once
// The numbered driver operations. The same number identifies an operation in
// the driver call and in the trace, whose name for each number is the
// enumerator's own spelling (EOF and NULL carry a trailing underscore only
// because the plain names are standard macros).
//
// Suffixes: "file" forms work in record order or on a record pointer, "key"
// forms on the key given as the first argument, "ptr" forms on a record
// pointer, "len" forms take an explicit length, "sec" forms a time-out in
// seconds.

#include <cstdint>

namespace zor::data {

enum class Op : int {
  NoOperation = 0,  // traced as "(0)"
  ADD = 1,
  BOF = 2,
  BUILDfile = 3,
  APPEND = 4,
  BUILDdyn = 5,
  BUILDkey = 6,
  CLOSE = 7,
  COMMIT = 8,
  COPY = 9,
  CREATE = 10,
  DELETE = 11,
  DUPLICATE = 12,
  EMPTY = 13,
  EOF_ = 14,
  GETfilekey = 15,
  GETfileptr = 16,
  GETkeyptr = 17,
  HOLDfile = 18,
  HOLDfilesec = 19,
  LOCKfile = 20,
  LOCKfilesec = 21,
  LOGOUT = 22,
  NAME = 23,
  NEXT = 24,
  OPEN = 25,
  PACK = 26,
  POINTERfile = 27,
  POINTERkey = 28,
  FLUSH = 29,
  PUT = 30,
  PREVIOUS = 31,
  RECORDSfile = 32,
  RECORDSkey = 33,
  BUILDdynfilter = 34,
  STARTRAN = 35,
  RELEASE = 36,
  REMOVE = 37,
  RENAME = 38,
  ENDTRAN = 39,
  ROLLBACK = 40,
  SETfile = 41,
  SETfilekey = 42,
  SETfileptr = 43,
  SETkey = 44,
  SETkeykey = 45,
  SETkeyptr = 46,
  SETkeykeyptr = 47,
  SHARE = 48,
  SKIP = 49,
  UNLOCK = 50,
  ADDfilelen = 51,
  BYTES = 52,
  GETfileptrlen = 53,
  PUTfileptr = 54,
  PUTfileptrlen = 55,
  STREAM = 56,
  DUPLICATEkey = 57,
  WATCH = 58,
  APPENDlen = 59,
  SEND = 60,
  POSITIONfile = 61,
  POSITIONkey = 62,
  RESETfile = 63,
  RESETkey = 64,
  NOMEMO = 65,
  REGETfile = 66,
  REGETkey = 67,
  NULL_ = 68,
  SETNULL = 69,
  SETNONULL = 70,
  SET_PROPERTY = 71,
  GET_PROPERTY = 72,
  QUERY_KEY = 73,
  QUERY_VIEW = 74,
  BLOB_YIELD = 75,
  BLOB_TAKE = 76,
  BLOB_SIZE = 77,
  BLOB_SET_PROP = 78,
  BLOB_GET_PROP = 79,
  BUFFER = 80,
  SETview = 81,
  CLEAR = 82,
  RESETviewfile = 83,
  BUILDevent = 84,
  SETPROPERTYkey = 85,
  GETPROPERTYkey = 86,
  Internal87 = 87,
  DO_PROPERTY = 88,
  DOPROPERTYkey = 89,
  DOPROPERTYblob = 90,
  Internal91 = 91,
  INVIEW = 92,
  ENDVIEW = 93,
  Internal94 = 94,
  COUNTRECORDS = 95,
  GETNULLS = 96,
  SETNULLS = 97,
  GETSTATE = 98,
  RESTORESTATE = 99,
  Internal100 = 100,
  Op101 = 101,  // traced as "(101)"
  FREESTATE = 102,
  SQLCALLBACK = 103,
  DESTROY = 104,

  // Beyond the traced table; answered by the native driver only.
  ReleaseFileObject = 107,  // frees the per-file object, answers 80
  Acknowledge = 108,        // does nothing, answers 0
};

inline constexpr int kLastTracedOp = 104;

constexpr int opNumber(Op op) {
  return static_cast<int>(op);
}

// The trace name of an operation number; "" outside 0..104.
const char* traceName(int op);
inline const char* traceName(Op op) {
  return traceName(opNumber(op));
}

// Operations whose first argument is the key block.
bool isKeyForm(int op);
// Operations a driver can carry out before OPEN or CREATE set up its
// per-file object.
bool runsOnClosedFile(int op);
// Operations that cannot run without their argument structure: the key
// forms and those that take or return a value.
bool takesArguments(int op);
// Operations whose returned value the trace shows beside the result.
bool tracesReturnedValue(int op);

}  // namespace zor::data
