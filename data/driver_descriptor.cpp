#include "data/driver_descriptor.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "data/ascii_driver.h"
#include "data/driver_operation.h"
#include "runtime/type_codes.h"

namespace zor::data {

namespace {

// A count byte followed by the given numbers.
template <size_t N>
constexpr std::array<uint8_t, N + 1> countedList(const std::array<uint8_t, N>& items) {
  std::array<uint8_t, N + 1> list{};
  list[0] = static_cast<uint8_t>(N);
  for (size_t i = 0; i < N; ++i) list[i + 1] = items[i];
  return list;
}

template <class... Ops>
constexpr auto operationList(Ops... ops) {
  return countedList(std::array<uint8_t, sizeof...(Ops)>{static_cast<uint8_t>(opNumber(ops))...});
}

template <class... Codes>
constexpr auto typeList(Codes... codes) {
  return countedList(std::array<uint8_t, sizeof...(Codes)>{static_cast<uint8_t>(codes)...});
}

constexpr auto kTarnwickOperations = operationList(
    Op::ADD, Op::APPEND, Op::BOF, Op::BUILDdyn, Op::BUILDfile, Op::BUILDkey, Op::BYTES, Op::EOF_,
    Op::CLOSE, Op::COMMIT, Op::COPY, Op::CREATE, Op::DELETE, Op::DUPLICATE, Op::DUPLICATEkey,
    Op::EMPTY, Op::FLUSH, Op::GETfilekey, Op::GETfileptr, Op::GETkeyptr, Op::GET_PROPERTY,
    Op::GETPROPERTYkey, Op::HOLDfile, Op::HOLDfilesec, Op::LOCKfile, Op::LOCKfilesec, Op::LOGOUT,
    Op::NAME, Op::NEXT, Op::NOMEMO, Op::OPEN, Op::PACK, Op::POINTERfile, Op::POINTERkey,
    Op::POSITIONfile, Op::POSITIONkey, Op::PREVIOUS, Op::PUT, Op::PUTfileptr, Op::RECORDSfile,
    Op::RECORDSkey, Op::REGETfile, Op::REGETkey, Op::RELEASE, Op::REMOVE, Op::RENAME, Op::RESETfile,
    Op::RESETkey, Op::ROLLBACK, Op::SEND, Op::SETfile, Op::SETfilekey, Op::SETfileptr, Op::SETkey,
    Op::SETkeykeyptr, Op::SETkeykey, Op::SETkeyptr, Op::SHARE, Op::SKIP, Op::STREAM, Op::UNLOCK,
    Op::WATCH, Op::BUILDdynfilter, Op::BLOB_YIELD, Op::BLOB_TAKE, Op::BLOB_SIZE, Op::BLOB_GET_PROP,
    Op::GETSTATE, Op::RESTORESTATE, Op::FREESTATE);
// The driver knows no property it could set: SET_PROPERTY, SETPROPERTYkey
// and BLOB_SET_PROP are not listed, so that they answer 80 instead of a
// success that changed nothing.
static_assert(kTarnwickOperations[0] == 70);

constexpr auto kTarnwickTypes =
    typeList(kByte, kShort, kUShort, kDate, kTime, kLong, kULong, kSReal, kReal, kDecimal, kString,
             kCString, kPString, kMemo, kBlob, kGroup, kArray);
static_assert(kTarnwickTypes[0] == 17);

// The text driver is known by its name and types but carries out nothing in
// this program (its entry answers 80 to every operation), so it lists no
// operation.
constexpr std::array<uint8_t, 1> kAsciiOperations = {0};

constexpr auto kAsciiTypes = typeList(kString, kGroup);

const DriverDescriptor kTarnwick = {
    kTarnwickOperations.data(),
    kTarnwickTypes.data(),
    "TARNWICK",
    "Z60TWKX.DLL",
    "",
    "Tarnwick (TWK)",
    nullptr,  // filled in when the native driver registers
    kCanMemo | kCanBlob | kCanBinaryMemo | kCanDescendingKeys | kCanMixedKeyOrder |
        kCanTransactions | kCanThreadedFiles | kCanMultipleTables,
    DriverLimits{.maxRecordSize = 15000,
                 .maxFieldSize = 15000,
                 .maxMemoSize = 65535,
                 .maxKeySize = 7526,
                 .maxKeys = 240,
                 .maxKeyComponents = 255,
                 .maxMemos = 255,
                 .maxDimensions = 4},
    "Z60TWKSX.DLL",
    nullptr,
    "BLOB",
    "MEMO",
    "INDEX",
    "KEY",
};

const DriverDescriptor kAscii = {
    kAsciiOperations.data(),
    kAsciiTypes.data(),
    "ASCII",
    "Z60ASCX.DLL",
    "",
    "ASCII (Text)",
    &asciiDriverEntry,
    kCanThreadedFiles,
    DriverLimits{.maxRecordSize = 65520,
                 .maxFieldSize = 65520,
                 .maxMemoSize = 0,
                 .maxKeySize = 0,
                 .maxKeys = 0,
                 .maxKeyComponents = 0,
                 .maxMemos = 0,
                 .maxDimensions = 0},
    "Z60ASCSX.DLL",
    nullptr,
    "BLOB",
    "MEMO",
    "INDEX",
    "KEY",
};

}  // namespace

bool DriverDescriptor::carriesOut(int op) const {
  const auto list = operationList();
  return op >= 0 && op <= 255 &&
         std::find(list.begin(), list.end(), static_cast<uint8_t>(op)) != list.end();
}

bool DriverDescriptor::supportsType(uint8_t typeCode) const {
  const auto list = fieldTypeList();
  return std::find(list.begin(), list.end(), typeCode) != list.end();
}

std::string_view DriverDescriptor::driverName() const {
  return {name, strnlen(name, sizeof name)};
}

const DriverDescriptor& tarnwickDescriptor() {
  return kTarnwick;
}
const DriverDescriptor& asciiDescriptor() {
  return kAscii;
}

}  // namespace zor::data
