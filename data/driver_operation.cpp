#include "data/driver_operation.h"

#include <array>
#include <cstddef>
#include <initializer_list>

namespace zor::data {

namespace {

constexpr std::array<const char*, kLastTracedOp + 1> kTraceNames = {
    "(0)",
    "ADD",
    "BOF",
    "BUILDfile",
    "APPEND",
    "BUILDdyn",
    "BUILDkey",
    "CLOSE",
    "COMMIT",
    "COPY",
    "CREATE",
    "DELETE",
    "DUPLICATE",
    "EMPTY",
    "EOF",
    "GETfilekey",
    "GETfileptr",
    "GETkeyptr",
    "HOLDfile",
    "HOLDfilesec",
    "LOCKfile",
    "LOCKfilesec",
    "LOGOUT",
    "NAME",
    "NEXT",
    "OPEN",
    "PACK",
    "POINTERfile",
    "POINTERkey",
    "FLUSH",
    "PUT",
    "PREVIOUS",
    "RECORDSfile",
    "RECORDSkey",
    "BUILDdynfilter",
    "STARTRAN",
    "RELEASE",
    "REMOVE",
    "RENAME",
    "ENDTRAN",
    "ROLLBACK",
    "SETfile",
    "SETfilekey",
    "SETfileptr",
    "SETkey",
    "SETkeykey",
    "SETkeyptr",
    "SETkeykeyptr",
    "SHARE",
    "SKIP",
    "UNLOCK",
    "ADDfilelen",
    "BYTES",
    "GETfileptrlen",
    "PUTfileptr",
    "PUTfileptrlen",
    "STREAM",
    "DUPLICATEkey",
    "WATCH",
    "APPENDlen",
    "SEND",
    "POSITIONfile",
    "POSITIONkey",
    "RESETfile",
    "RESETkey",
    "NOMEMO",
    "REGETfile",
    "REGETkey",
    "NULL",
    "SETNULL",
    "SETNONULL",
    "SET_PROPERTY",
    "GET_PROPERTY",
    "QUERY_KEY",
    "QUERY_VIEW",
    "BLOB_YIELD",
    "BLOB_TAKE",
    "BLOB_SIZE",
    "BLOB_SET_PROP",
    "BLOB_GET_PROP",
    "BUFFER",
    "SETview",
    "CLEAR",
    "RESETviewfile",
    "BUILDevent",
    "SETPROPERTYkey",
    "GETPROPERTYkey",
    "Internal87",
    "DO_PROPERTY",
    "DOPROPERTYkey",
    "DOPROPERTYblob",
    "Internal91",
    "INVIEW",
    "ENDVIEW",
    "Internal94",
    "COUNTRECORDS",
    "GETNULLS",
    "SETNULLS",
    "GETSTATE",
    "RESTORESTATE",
    "Internal100",
    "(101)",
    "FREESTATE",
    "SQLCALLBACK",
    "DESTROY",
};

// The operations of one group, looked up by number: the driver frame asks
// for every statement.
class OpSet {
 public:
  OpSet(std::initializer_list<Op> ops) {
    for (Op op : ops) members_[static_cast<size_t>(opNumber(op))] = true;
  }
  bool has(int op) const { return op >= 0 && op < 256 && members_[static_cast<size_t>(op)]; }

 private:
  std::array<bool, 256> members_{};
};

bool isOneOf(int op, std::initializer_list<Op> ops) {
  for (Op candidate : ops) {
    if (opNumber(candidate) == op) return true;
  }
  return false;
}

}  // namespace

const char* traceName(int op) {
  if (op < 0 || op > kLastTracedOp) return "";
  return kTraceNames[static_cast<std::size_t>(op)];
}

bool isKeyForm(int op) {
  static const OpSet keyForms{
      Op::BUILDdyn,  Op::BUILDdynfilter, Op::BUILDkey,       Op::DUPLICATEkey, Op::GETfilekey,
      Op::GETkeyptr, Op::POINTERkey,     Op::POSITIONkey,    Op::RECORDSkey,   Op::REGETkey,
      Op::RESETkey,  Op::SETfilekey,     Op::SETkey,         Op::SETkeykeyptr, Op::SETkeykey,
      Op::SETkeyptr, Op::SETPROPERTYkey, Op::GETPROPERTYkey, Op::DOPROPERTYkey};
  return keyForms.has(op);
}

bool runsOnClosedFile(int op) {
  return isOneOf(op, {Op::BUILDfile, Op::COPY, Op::CREATE, Op::EMPTY, Op::NAME, Op::OPEN, Op::PACK,
                      Op::REMOVE, Op::RENAME, Op::SHARE, Op::BYTES, Op::SEND, Op::GET_PROPERTY});
}

bool takesArguments(int op) {
  static const OpSet others{
      Op::COPY,          Op::RENAME,        Op::NAME,          Op::SEND,         Op::POSITIONfile,
      Op::RESETfile,     Op::REGETfile,     Op::GETfileptr,    Op::SETfileptr,   Op::PUTfileptr,
      Op::GETfileptrlen, Op::PUTfileptrlen, Op::ADDfilelen,    Op::APPENDlen,    Op::POINTERfile,
      Op::SKIP,          Op::RECORDSfile,   Op::BYTES,         Op::DUPLICATE,    Op::HOLDfilesec,
      Op::LOCKfilesec,   Op::LOGOUT,        Op::GET_PROPERTY,  Op::SET_PROPERTY, Op::DO_PROPERTY,
      Op::GETSTATE,      Op::RESTORESTATE,  Op::FREESTATE,     Op::BLOB_YIELD,   Op::BLOB_TAKE,
      Op::BLOB_SIZE,     Op::BLOB_SET_PROP, Op::BLOB_GET_PROP, Op::GETNULLS,     Op::SETNULLS};
  return isKeyForm(op) || others.has(op);
}

bool tracesReturnedValue(int op) {
  return isOneOf(op, {Op::GET_PROPERTY, Op::GETPROPERTYkey, Op::BLOB_GET_PROP, Op::NAME,
                      Op::POSITIONfile, Op::POSITIONkey, Op::GETNULLS, Op::SEND});
}

}  // namespace zor::data
