#include "data/tarnwick/tarnwick_driver.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

#include "data/driver_descriptor.h"
#include "data/driver_frame.h"
#include "data/driver_operation.h"
#include "data/driver_registry.h"
#include "data/file_errors.h"
#include "data/logout_faults.h"
#include "data/system_error.h"
#include "data/tarnwick/driver_switches.h"
#include "data/tarnwick/file_copy.h"
#include "data/tarnwick/open_table.h"
#include "data/tarnwick/pack.h"
#include "data/tarnwick/table_name.h"
#include "data/tarnwick/transaction.h"
#include "data/tarnwick/transaction_control_file.h"
#include "platform/ascii_case.h"
#include "platform/file.h"
#include "platform/file_environment.h"

namespace zor::tarnwick {

namespace {

using namespace data;

OpenTable* openTableOf(FileControlBlock* fcb) {
  return fcb == nullptr ? nullptr : dynamic_cast<OpenTable*>(fcb->driverObject.get());
}

int endTransaction(bool commit);

// LOGOUT: each file begins its change (waiting for its writer byte, at most
// `seconds` when that is positive) and joins the calling thread's
// transaction.
int logout(const LogoutArgs& args) {
  Transaction& transaction = Transaction::ofThisThread();
  if (transaction.active()) return kErrLogoutAlreadyActive;
  if (args.files == nullptr || args.fileCount == 0) return kErrInvalidParameterCount;
  for (uint32_t i = 0; i < args.fileCount; ++i) {
    if (openTableOf(args.files[i]) == nullptr) return kErrFileNotOpen;
  }
  transaction.setExplicitControlFile(explicitControlFile());
  // The files' writer bytes are taken in one order whatever the order they
  // are named in, so that two transactions over the same files never each
  // hold a byte the other one waits for.
  std::vector<OpenTable*> tables;
  for (uint32_t i = 0; i < args.fileCount; ++i) tables.push_back(openTableOf(args.files[i]));
  std::stable_sort(tables.begin(), tables.end(), [](OpenTable* a, OpenTable* b) {
    return a->access().fileIdentity() < b->access().fileIdentity();
  });
  for (OpenTable* joining : tables) {
    OpenTable& table = *joining;
    if (table.inTransaction()) continue;  // named twice
    int error = transaction.logout(table) == 0
                    ? kNoError
                    : reportLogoutFault(LogoutFault::LoggedOutOnAnotherThread);
    if (error == kNoError && table.joinTransaction(args.seconds) != kNoError) {
      transaction.forget(table);
      error = reportLogoutFault(LogoutFault::CannotLock);
    }
    if (error != kNoError) {
      if (transaction.active()) endTransaction(false);
      return error;
    }
  }
  return kNoError;
}

// COMMIT or ROLLBACK of the calling thread's transaction; every file of it
// then leaves, giving its writer byte back.
int endTransaction(bool commit) {
  Transaction& transaction = Transaction::ofThisThread();
  if (!transaction.active()) return kErrLogoutNotActive;
  const std::vector<TransactionFile*> files = transaction.files();
  int result = kNoError;
  if (commit) {
    TransactionControlFileOpener opener;
    result = transaction.commit(opener);
  } else {
    transaction.rollback();
  }
  for (TransactionFile* file : files) {
    if (auto* table = dynamic_cast<OpenTable*>(file)) table->leaveTransaction();
  }
  return result;
}

// What the switches bound to a table see of it; nothing while it is closed.
class SwitchTableOf : public SwitchTable {
 public:
  explicit SwitchTableOf(OpenTable* table) : table_(table) {}
  bool isOpen() const override { return table_ != nullptr; }
  bool readFlags(uint32_t& flags) override {
    return table_ != nullptr && table_->readFlags(flags) == kNoError;
  }
  bool storeFlags(uint32_t flags) override {
    return table_ != nullptr && table_->storeFlags(flags) == kNoError;
  }
  // The file's table of that name, as the file spells it.
  std::string tableNameFrom(std::string_view text) override {
    if (table_ == nullptr) return {};
    for (const std::string& name : table_->tableNamesOfFile())
      if (platform::equalsIgnoringCase(name, text)) return name;
    return {};
  }
  // The file's tables counted from 1 in name order.
  std::string tableNameByNumber(uint32_t number) override {
    if (table_ == nullptr || number == 0) return {};
    const std::vector<std::string> names = table_->tableNamesOfFile();
    return number <= names.size() ? names[number - 1] : std::string();
  }

 private:
  OpenTable* table_;
};

int send(DriverCall& call, OpenTable* table) {
  auto* args = call.arguments<TextArgs>();
  if (args->text == nullptr || args->answer == nullptr) return kErrInvalidParameterCount;
  SwitchTableOf target(table);
  *args->answer = handleSend(*args->text, tableSwitchesOf(call.fcb()), target);
  return kNoError;
}

int openTable(DriverCall& call, uint32_t mode) {
  auto table = std::make_unique<OpenTable>(call.fcb());
  const int result = table->open(mode);
  if (result == kNoError) call.attachObject(std::move(table));
  return result;
}

int blobOperation(OpenTable& table, Op op, BlobArgs& args) {
  std::string* memo = table.memo(args.blob);
  const MemoBlock* block = table.memoBlock(args.blob);
  if (memo == nullptr || block == nullptr) return kErrInvalidParameterCount;
  switch (op) {
    case Op::BLOB_SIZE:
      args.length = static_cast<int64_t>(memo->size());
      return kNoError;
    case Op::BLOB_YIELD: {
      if (args.data == nullptr || args.offset < 0) return kErrInvalidParameterCount;
      const auto offset = static_cast<size_t>(args.offset);
      args.data->clear();
      if (offset < memo->size()) {
        const size_t length =
            args.length < 0 ? memo->size() - offset : static_cast<size_t>(args.length);
        args.data->assign(*memo, offset, length);
      }
      return kNoError;
    }
    case Op::BLOB_TAKE: {
      if (args.data == nullptr || args.offset < 0) return kErrInvalidParameterCount;
      const auto offset = static_cast<size_t>(args.offset);
      const size_t end = offset + args.data->size();
      // A MEMO holds at most its declared size: a longer text is refused
      // whole rather than cut.
      if (!block->isBlob() && block->size != 0 && end > block->size)
        return kErrInvalidParameterCount;
      std::string changed = *memo;
      if (offset == 0) changed.clear();
      if (changed.size() < end) changed.resize(end, '\0');
      changed.replace(offset, args.data->size(), *args.data);
      *memo = std::move(changed);
      return kNoError;
    }
    case Op::BLOB_GET_PROP:
      if (args.data != nullptr) args.data->clear();
      return kNoError;
    default:
      return kNoError;
  }
}

// PACK of a closed table packs its file; a table open through this block
// must have it alone (opened to read and write, sharing nothing), and is
// opened again on the packed file.
int pack(DriverCall& call, const std::string& path) {
  OpenTable* open = openTableOf(&call.fcb());
  if (open == nullptr) return packFile(path);
  if (!open->openedAlone() || open->inTransaction()) return kErrExclusiveAccessRequired;
  const uint32_t mode = open->modeWord();
  open->close();
  const int packed = packFile(path);
  const int reopened = open->open(mode);
  if (reopened != kNoError) call.releaseObject();
  return packed != kNoError ? packed : reopened;
}

// Operations that run before OPEN (or without it).
int performOnFile(DriverCall& call) {
  FileControlBlock& fcb = call.fcb();
  const TableLocation location = locateTable(fcb.name);
  switch (static_cast<Op>(call.op())) {
    case Op::OPEN:
      if (call.object() != nullptr) return kErrFileAlreadyOpen;
      return openTable(call, call.arguments<OpenArgs>()->mode);
    case Op::SHARE:
      if (call.object() != nullptr) return kErrFileAlreadyOpen;
      return openTable(call, (call.arguments<OpenArgs>()->mode & ~0x30u) | 0x40u);
    case Op::CREATE:
      if (call.object() != nullptr) return kErrFileAlreadyOpen;
      return createTable(fcb);
    case Op::NAME:
      *call.arguments<TextArgs>()->answer = fcb.name;
      return kNoError;
    case Op::REMOVE:
      if (call.object() != nullptr) return kErrFileAlreadyOpen;
      return driverErrorOf(platform::removeFile(location.filePath));
    case Op::RENAME:
    case Op::COPY: {
      if (call.object() != nullptr) return kErrFileAlreadyOpen;
      const std::string* target = call.arguments<TextArgs>()->text;
      if (target == nullptr) return kErrInvalidParameterCount;
      const std::string to = locateTable(*target).filePath;
      if (call.op() == opNumber(Op::RENAME))
        return driverErrorOf(platform::renameFile(location.filePath, to));
      return copyTarnwickFile(location.filePath, to);
    }
    case Op::BYTES: {
      uint64_t size = 0;
      if (const int error = platform::fileEnvironment().size(location.filePath, size); error != 0)
        return driverErrorOf(error);
      call.arguments<CountArgs>()->count = static_cast<int64_t>(size);
      return kNoError;
    }
    case Op::SEND:
      return send(call, openTableOf(&fcb));
    case Op::GET_PROPERTY:
      call.arguments<PropertyArgs>()->value->clear();
      return kNoError;
    case Op::PACK:
      return pack(call, location.filePath);
    default:
      return kErrUnsupportedFunction;
  }
}

int performOnTable(DriverCall& call, OpenTable& table) {
  KeyBlock* key = call.key();
  switch (static_cast<Op>(call.op())) {
    case Op::CLOSE:
      table.close();
      return kNoError;
    case Op::SETfile:
      table.setRecordOrder();
      return kNoError;
    case Op::SETkey:
      table.setKeyOrder(*key);
      return kNoError;
    case Op::SETkeykey:
      return table.setToKeyValue(*key, nullptr);
    case Op::SETkeykeyptr:
      return table.setToKeyValue(*key, &call.arguments<KeyPointerArgs>()->pointer);
    case Op::SETfileptr:
      return table.setRecordOrderAt(call.arguments<PointerArgs>()->pointer);
    case Op::SETkeyptr:
      return table.setKeyOrderAtRecord(*key, call.arguments<KeyPointerArgs>()->pointer);
    case Op::SETfilekey:
      return table.setRecordOrderAtKeyValue(*key);
    case Op::RESETfile:
      return table.reset(nullptr, *call.arguments<PositionArgs>()->position);
    case Op::RESETkey:
      return table.reset(key, *call.arguments<KeyPositionArgs>()->position);
    case Op::NEXT:
      return table.step(true);
    case Op::PREVIOUS:
      return table.step(false);
    case Op::SKIP:
      return table.skip(call.arguments<CountArgs>()->count);
    case Op::GETfilekey:
      return table.get(*key);
    case Op::GETfileptr:
      return table.getByPointer(call.arguments<PointerArgs>()->pointer);
    case Op::GETkeyptr:
      return table.getByPointer(call.arguments<KeyPointerArgs>()->pointer);
    case Op::REGETfile:
      return table.reget(*call.arguments<PositionArgs>()->position);
    case Op::REGETkey:
      return table.reget(*call.arguments<KeyPositionArgs>()->position);
    case Op::POSITIONfile:
      return table.position(nullptr, *call.arguments<PositionArgs>()->position);
    case Op::POSITIONkey:
      return table.position(key, *call.arguments<KeyPositionArgs>()->position);
    case Op::POINTERfile:
      return table.pointer(call.arguments<PointerArgs>()->pointer);
    case Op::POINTERkey:
      return table.pointer(call.arguments<KeyPointerArgs>()->pointer);
    case Op::DUPLICATE:
    case Op::DUPLICATEkey: {
      bool repeats = false;
      const int result = table.wouldRepeat(key, repeats);
      if (key == nullptr) {
        call.arguments<CountArgs>()->count = repeats ? 1 : 0;
      } else {
        call.arguments<KeyCountArgs>()->count = repeats ? 1 : 0;
      }
      return result;
    }
    case Op::HOLDfile:
      table.holdNextRead();
      return kNoError;
    case Op::HOLDfilesec:
      table.holdNextRead(call.arguments<SecondsArgs>()->seconds);
      return kNoError;
    case Op::RELEASE:
      return table.release();
    case Op::WATCH:
      table.watchNextRead();
      return kNoError;
    case Op::NOMEMO:
      table.skipMemosOnNextRead();
      return kNoError;
    case Op::ADD:
      return table.add(0, true);
    case Op::ADDfilelen:
      return table.add(call.arguments<LengthArgs>()->length, true);
    case Op::APPEND:
      return table.add(0, false);
    case Op::APPENDlen:
      return table.add(call.arguments<LengthArgs>()->length, false);
    case Op::PUT:
      return table.put();
    case Op::DELETE:
      return table.erase();
    case Op::EMPTY:
      return table.removeAll();
    case Op::BUILDfile:
      return table.rebuild(nullptr);
    case Op::BUILDkey:
      return table.rebuild(key);
    case Op::RECORDSfile:
      call.arguments<CountArgs>()->count = table.records(nullptr);
      return kNoError;
    case Op::RECORDSkey:
      call.arguments<KeyCountArgs>()->count = table.records(key);
      return kNoError;
    case Op::STREAM:
      return kNoError;
    case Op::LOGOUT:
      return logout(*call.arguments<LogoutArgs>());
    case Op::COMMIT:
      return endTransaction(true);
    case Op::ROLLBACK:
      return endTransaction(false);
    case Op::FLUSH:
      return table.flush();
    case Op::LOCKfile:
      return table.lockFile();
    case Op::LOCKfilesec:
      return table.lockFile(call.arguments<SecondsArgs>()->seconds);
    case Op::UNLOCK:
      return table.unlockFile();
    case Op::GETSTATE:
      call.arguments<StateArgs>()->handle = table.saveState();
      return kNoError;
    case Op::RESTORESTATE:
      return table.restoreState(call.arguments<StateArgs>()->handle) ? kNoError
                                                                     : kErrInvalidParameterCount;
    case Op::FREESTATE:
      return table.freeState(call.arguments<StateArgs>()->handle) ? kNoError
                                                                  : kErrInvalidParameterCount;
    case Op::BLOB_SIZE:
    case Op::BLOB_YIELD:
    case Op::BLOB_TAKE:
    case Op::BLOB_GET_PROP:
      return blobOperation(table, static_cast<Op>(call.op()), *call.arguments<BlobArgs>());
    case Op::GETPROPERTYkey:
      call.arguments<KeyPropertyArgs>()->value->clear();
      return kNoError;
    default:
      return kErrUnsupportedFunction;
  }
}

class TarnwickDriver : public FramedDriver {
 public:
  const DriverDescriptor& descriptor() const override {
    // Asked on every call. A registered record keeps its address (a new
    // registration overwrites it in place), so it is looked up by name once.
    const DriverDescriptor* registered = registered_.load(std::memory_order_acquire);
    if (registered == nullptr) {
      registered = findDriver("TARNWICK");
      if (registered == nullptr) return tarnwickDescriptor();
      registered_.store(registered, std::memory_order_release);
    }
    return *registered;
  }

  int perform(DriverCall& call) override {
    auto* table = call.objectAs<OpenTable>();
    const Op op = static_cast<Op>(call.op());
    // BUILD and EMPTY of a table that is not open work on it for the time
    // of the operation.
    if (table == nullptr && (op == Op::BUILDfile || op == Op::EMPTY)) {
      OpenTable scratch(call.fcb());
      int result = scratch.open(0x12);
      if (result == kNoError) result = performOnTable(call, scratch);
      return result;
    }
    if (table == nullptr || runsOnClosedFile(call.op())) {
      const int result = performOnFile(call);
      if (result != kErrUnsupportedFunction || table == nullptr) return result;
    }
    return performOnTable(call, *table);
  }

 private:
  mutable std::atomic<const DriverDescriptor*> registered_{nullptr};
};

TarnwickDriver& driver() {
  static TarnwickDriver instance;
  return instance;
}

}  // namespace

int tarnwickDriverEntry(int op, FileControlBlock* fcb, void* args) {
  return runDriverFrame(driver(), op, fcb, args);
}

void registerTarnwickDriver() {
  registerDriver(tarnwickDescriptor(), &tarnwickDriverEntry);
}

}  // namespace zor::tarnwick
