#include "data/file_statements.h"

#include "data/driver_arguments.h"
#include "data/driver_call.h"
#include "data/driver_entry.h"
#include "data/file_control_block.h"
#include "data/file_errors.h"
#include "data/logout_faults.h"
#include "runtime/error_state.h"

namespace zor::data::statement {

namespace {

// The driver carrying out the calling thread's LOGOUT, from a LOGOUT it
// accepted until COMMIT or ROLLBACK reaches it; null while none is active.
// Kept here rather than left to the drivers so that a second LOGOUT is
// refused whichever driver it names, before any driver is called.
thread_local DriverEntry tLogoutDriver = nullptr;

// An answer the statement gives itself becomes the error state as a
// driver's would.
int ownAnswer(int error) {
  clearError();
  if (error != kNoError) setErrorCode(error);
  return error;
}

int call(FileControlBlock& fcb, Op op, void* args = nullptr) {
  return callDriver(fcb, op, args);
}

template <class Args>
int callWith(FileControlBlock& fcb, Op op, Args args) {
  return callDriver(fcb, op, &args);
}

// Calls with the arguments and reads one answered member back.
template <class Args, class Member, class Out>
int callAndRead(FileControlBlock& fcb, Op op, Args args, Member Args::*answer, Out& out) {
  const int result = callDriver(fcb, op, &args);
  out = static_cast<Out>(args.*answer);
  return result;
}

int callKey(FileControlBlock& fcb, Op op, KeyBlock& key) {
  return callWith(fcb, op, KeyArgs{&key});
}

int callText(FileControlBlock& fcb, Op op, const std::string& text, std::string* answer) {
  return callWith(fcb, op, TextArgs{&text, answer});
}

// RESET and REGET take a position; the driver reads it through a pointer
// that is not const, so it gets a copy.
int callPosition(FileControlBlock& fcb, Op op, const std::string& position) {
  std::string copy = position;
  return callWith(fcb, op, PositionArgs{&copy});
}

int callKeyPosition(FileControlBlock& fcb, Op op, KeyBlock& key, const std::string& position) {
  std::string copy = position;
  return callWith(fcb, op, KeyPositionArgs{&key, &copy});
}

}  // namespace

int open(FileControlBlock& fcb, uint32_t mode) {
  return callWith(fcb, Op::OPEN, OpenArgs{mode});
}
int share(FileControlBlock& fcb, uint32_t mode) {
  return callWith(fcb, Op::SHARE, OpenArgs{mode});
}
int create(FileControlBlock& fcb) {
  return call(fcb, Op::CREATE);
}
int close(FileControlBlock& fcb) {
  return call(fcb, Op::CLOSE);
}
int empty(FileControlBlock& fcb) {
  return call(fcb, Op::EMPTY);
}
int remove(FileControlBlock& fcb) {
  return call(fcb, Op::REMOVE);
}
int rename(FileControlBlock& fcb, const std::string& newName) {
  return callText(fcb, Op::RENAME, newName, nullptr);
}
int copy(FileControlBlock& fcb, const std::string& newName) {
  return callText(fcb, Op::COPY, newName, nullptr);
}
int pack(FileControlBlock& fcb) {
  return call(fcb, Op::PACK);
}
int build(FileControlBlock& fcb) {
  return call(fcb, Op::BUILDfile);
}
int build(FileControlBlock& fcb, KeyBlock& key) {
  return callKey(fcb, Op::BUILDkey, key);
}

int name(FileControlBlock& fcb, std::string& answer) {
  answer.clear();
  return callWith(fcb, Op::NAME, TextArgs{nullptr, &answer});
}

int bytes(FileControlBlock& fcb, int64_t& count) {
  return callAndRead(fcb, Op::BYTES, CountArgs{}, &CountArgs::count, count);
}

int records(FileControlBlock& fcb, int64_t& count) {
  return callAndRead(fcb, Op::RECORDSfile, CountArgs{}, &CountArgs::count, count);
}

int records(FileControlBlock& fcb, KeyBlock& key, int64_t& count) {
  return callAndRead(fcb, Op::RECORDSkey, KeyCountArgs{&key, 0}, &KeyCountArgs::count, count);
}

int lock(FileControlBlock& fcb) {
  return call(fcb, Op::LOCKfile);
}
int lock(FileControlBlock& fcb, int32_t seconds) {
  return callWith(fcb, Op::LOCKfilesec, SecondsArgs{seconds});
}
int unlock(FileControlBlock& fcb) {
  return call(fcb, Op::UNLOCK);
}
int stream(FileControlBlock& fcb) {
  return call(fcb, Op::STREAM);
}
int flush(FileControlBlock& fcb) {
  return call(fcb, Op::FLUSH);
}

int send(FileControlBlock& fcb, const std::string& text, std::string& answer) {
  answer.clear();
  return callText(fcb, Op::SEND, text, &answer);
}

int set(FileControlBlock& fcb) {
  return call(fcb, Op::SETfile);
}
int set(FileControlBlock& fcb, KeyBlock& key) {
  return callKey(fcb, Op::SETkey, key);
}
int setToKeyValue(FileControlBlock& fcb, KeyBlock& key) {
  return callKey(fcb, Op::SETkeykey, key);
}
int setToPointer(FileControlBlock& fcb, uint32_t pointer) {
  return callWith(fcb, Op::SETfileptr, PointerArgs{pointer, 0});
}
int setToPointer(FileControlBlock& fcb, KeyBlock& key, uint32_t pointer) {
  return callWith(fcb, Op::SETkeyptr, KeyPointerArgs{&key, pointer});
}
int setToKeyValue(FileControlBlock& fcb, KeyBlock& key, uint32_t pointer) {
  return callWith(fcb, Op::SETkeykeyptr, KeyPointerArgs{&key, pointer});
}
int setInRecordOrder(FileControlBlock& fcb, KeyBlock& key) {
  return callKey(fcb, Op::SETfilekey, key);
}
int reset(FileControlBlock& fcb, const std::string& position) {
  return callPosition(fcb, Op::RESETfile, position);
}
int reset(FileControlBlock& fcb, KeyBlock& key, const std::string& position) {
  return callKeyPosition(fcb, Op::RESETkey, key, position);
}

int next(FileControlBlock& fcb) {
  return call(fcb, Op::NEXT);
}
int previous(FileControlBlock& fcb) {
  return call(fcb, Op::PREVIOUS);
}
int skip(FileControlBlock& fcb, int64_t count) {
  return callWith(fcb, Op::SKIP, CountArgs{count});
}
int get(FileControlBlock& fcb, KeyBlock& key) {
  return callKey(fcb, Op::GETfilekey, key);
}
int get(FileControlBlock& fcb, uint32_t pointer) {
  return callWith(fcb, Op::GETfileptr, PointerArgs{pointer, 0});
}
int get(FileControlBlock& fcb, KeyBlock& key, uint32_t pointer) {
  return callWith(fcb, Op::GETkeyptr, KeyPointerArgs{&key, pointer});
}
int reget(FileControlBlock& fcb, const std::string& position) {
  return callPosition(fcb, Op::REGETfile, position);
}
int reget(FileControlBlock& fcb, KeyBlock& key, const std::string& position) {
  return callKeyPosition(fcb, Op::REGETkey, key, position);
}

int position(FileControlBlock& fcb, std::string& position) {
  position.clear();
  return callWith(fcb, Op::POSITIONfile, PositionArgs{&position});
}

int position(FileControlBlock& fcb, KeyBlock& key, std::string& position) {
  position.clear();
  return callWith(fcb, Op::POSITIONkey, KeyPositionArgs{&key, &position});
}

int pointer(FileControlBlock& fcb, uint32_t& pointer) {
  return callAndRead(fcb, Op::POINTERfile, PointerArgs{}, &PointerArgs::pointer, pointer);
}

int pointer(FileControlBlock& fcb, KeyBlock& key, uint32_t& pointer) {
  return callAndRead(fcb, Op::POINTERkey, KeyPointerArgs{&key, 0}, &KeyPointerArgs::pointer,
                     pointer);
}

int duplicate(FileControlBlock& fcb, bool& wouldRepeat) {
  const int result = callAndRead(fcb, Op::DUPLICATE, CountArgs{}, &CountArgs::count, wouldRepeat);
  wouldRepeat = wouldRepeat && result == kNoError;
  return result;
}

int duplicate(FileControlBlock& fcb, KeyBlock& key, bool& wouldRepeat) {
  const int result =
      callAndRead(fcb, Op::DUPLICATEkey, KeyCountArgs{&key, 0}, &KeyCountArgs::count, wouldRepeat);
  wouldRepeat = wouldRepeat && result == kNoError;
  return result;
}

int hold(FileControlBlock& fcb) {
  return call(fcb, Op::HOLDfile);
}
int hold(FileControlBlock& fcb, int32_t seconds) {
  return callWith(fcb, Op::HOLDfilesec, SecondsArgs{seconds});
}
int release(FileControlBlock& fcb) {
  return call(fcb, Op::RELEASE);
}
int watch(FileControlBlock& fcb) {
  return call(fcb, Op::WATCH);
}
int noMemo(FileControlBlock& fcb) {
  return call(fcb, Op::NOMEMO);
}

int add(FileControlBlock& fcb) {
  return call(fcb, Op::ADD);
}
int add(FileControlBlock& fcb, uint32_t length) {
  return callWith(fcb, Op::ADDfilelen, LengthArgs{length});
}
int append(FileControlBlock& fcb) {
  return call(fcb, Op::APPEND);
}
int append(FileControlBlock& fcb, uint32_t length) {
  return callWith(fcb, Op::APPENDlen, LengthArgs{length});
}
int put(FileControlBlock& fcb) {
  return call(fcb, Op::PUT);
}
int put(FileControlBlock& fcb, uint32_t pointer) {
  return callWith(fcb, Op::PUTfileptr, PointerArgs{pointer, 0});
}
int erase(FileControlBlock& fcb) {
  return call(fcb, Op::DELETE);
}

int logout(int32_t seconds, std::span<FileControlBlock* const> files) {
  if (files.empty()) return ownAnswer(kErrInvalidParameterCount);
  for (FileControlBlock* file : files) {
    if (file == nullptr) return ownAnswer(kErrInvalidParameterCount);
  }
  if (tLogoutDriver != nullptr) return ownAnswer(kErrLogoutAlreadyActive);
  clearError();
  // One driver carries out the whole transaction, so every file must be of
  // the driver of the first.
  for (FileControlBlock* file : files) {
    if (int error = resolveDriverEntry(*file); error != kNoError) return error;
    if (file->driver != files.front()->driver)
      return reportLogoutFault(LogoutFault::DifferentDrivers);
  }
  const int result =
      callWith(*files.front(), Op::LOGOUT,
               LogoutArgs{seconds, files.data(), static_cast<uint32_t>(files.size())});
  if (result == kNoError) tLogoutDriver = files.front()->driver;
  return result;
}

namespace {

// COMMIT and ROLLBACK end the thread's LOGOUT once they reach its driver,
// whatever that driver answers: a driver ends its transaction either way.
int endLogout(FileControlBlock& fcb, Op op) {
  const int result = call(fcb, op);
  if (fcb.driver != nullptr && fcb.driver == tLogoutDriver) tLogoutDriver = nullptr;
  return result;
}

}  // namespace

int commit(FileControlBlock& fcb) {
  return endLogout(fcb, Op::COMMIT);
}
int rollback(FileControlBlock& fcb) {
  return endLogout(fcb, Op::ROLLBACK);
}

int getState(FileControlBlock& fcb, uint32_t& handle) {
  return callAndRead(fcb, Op::GETSTATE, StateArgs{}, &StateArgs::handle, handle);
}
int restoreState(FileControlBlock& fcb, uint32_t handle) {
  return callWith(fcb, Op::RESTORESTATE, StateArgs{handle});
}
int freeState(FileControlBlock& fcb, uint32_t handle) {
  return callWith(fcb, Op::FREESTATE, StateArgs{handle});
}

int getNulls(FileControlBlock& fcb, std::string& state) {
  std::string answer;
  const int result = callWith(fcb, Op::GETNULLS, TextArgs{nullptr, &answer});
  if (result == kErrUnsupportedFunction) {
    clearError();
    state.assign(fcb.fields.size(), '\0');
    return kNoError;
  }
  if (result == kNoError) state = std::move(answer);
  return result;
}

int setNulls(FileControlBlock& fcb, const std::string& state) {
  const int result = callText(fcb, Op::SETNULLS, state, nullptr);
  const bool noneNull = state.find_first_not_of('\0') == std::string::npos;
  if (result == kErrUnsupportedFunction && noneNull) {
    clearError();
    return kNoError;
  }
  return result;
}

int getProperty(FileControlBlock& fcb, int32_t property, std::string& value, int32_t index) {
  value.clear();
  return callWith(fcb, Op::GET_PROPERTY, PropertyArgs{property, index, &value});
}

int setProperty(FileControlBlock& fcb, int32_t property, const std::string& value, int32_t index) {
  std::string copy = value;
  return callWith(fcb, Op::SET_PROPERTY, PropertyArgs{property, index, &copy});
}

int getProperty(FileControlBlock& fcb, KeyBlock& key, int32_t property, std::string& value,
                int32_t index) {
  value.clear();
  return callWith(fcb, Op::GETPROPERTYkey, KeyPropertyArgs{&key, property, index, &value});
}

int setProperty(FileControlBlock& fcb, KeyBlock& key, int32_t property, const std::string& value,
                int32_t index) {
  std::string copy = value;
  return callWith(fcb, Op::SETPROPERTYkey, KeyPropertyArgs{&key, property, index, &copy});
}

}  // namespace zor::data::statement
