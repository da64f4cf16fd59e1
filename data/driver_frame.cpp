#include "data/driver_frame.h"

#include <cstdio>
#include <mutex>
#include <utility>

#include "data/driver_descriptor.h"
#include "data/driver_operation.h"
#include "data/file_errors.h"
#include "platform/sync.h"

namespace zor::data {

namespace {

// Guards the per-file objects of every block that is not threaded.
platform::CriticalSection& fileObjectSection() {
  static platform::CriticalSection section;
  return section;
}

// Locks the process-wide section only for a shared (non-threaded) block.
class FileObjectGuard {
 public:
  explicit FileObjectGuard(const FileControlBlock& fcb) : locked_(!fcb.isThreaded()) {
    if (locked_) fileObjectSection().enter();
  }
  ~FileObjectGuard() {
    if (locked_) fileObjectSection().leave();
  }
  FileObjectGuard(const FileObjectGuard&) = delete;
  FileObjectGuard& operator=(const FileObjectGuard&) = delete;

 private:
  bool locked_;
};

std::mutex gTraceMutex;
DriverTraceSink gTraceSink;

void freeObject(FileControlBlock& fcb) {
  FileObjectGuard guard(fcb);
  fcb.driverObject.reset();
}

const std::string* returnedText(int op, void* args) {
  if (args == nullptr) return nullptr;
  switch (static_cast<Op>(op)) {
    case Op::GET_PROPERTY:
      return argumentsAs<PropertyArgs>(args)->value;
    case Op::GETPROPERTYkey:
      return argumentsAs<KeyPropertyArgs>(args)->value;
    case Op::BLOB_GET_PROP:
      return argumentsAs<BlobArgs>(args)->data;
    case Op::POSITIONfile:
      return argumentsAs<PositionArgs>(args)->position;
    case Op::POSITIONkey:
      return argumentsAs<KeyPositionArgs>(args)->position;
    case Op::NAME:
    case Op::GETNULLS:
    case Op::SEND:
      return argumentsAs<TextArgs>(args)->answer;
    default:
      return nullptr;
  }
}

void writeTrace(const std::string& line) {
  std::lock_guard lock(gTraceMutex);
  if (gTraceSink) gTraceSink(line);
}

}  // namespace

DriverFileObject* DriverCall::attachObject(std::unique_ptr<DriverFileObject> object) {
  FileObjectGuard guard(fcb_);
  fcb_.driverObject = std::move(object);
  object_ = fcb_.driverObject.get();
  return object_;
}

void DriverCall::releaseObject() {
  freeObject(fcb_);
  object_ = nullptr;
}

std::string tracedValue(int op, void* args) {
  if (!tracesReturnedValue(op)) return {};
  const std::string* text = returnedText(op, args);
  return text == nullptr ? std::string() : *text;
}

DriverTraceSink setDriverTraceSink(DriverTraceSink sink) {
  std::lock_guard lock(gTraceMutex);
  return std::exchange(gTraceSink, std::move(sink));
}

std::string traceLine(int op, const FileControlBlock& fcb, const KeyBlock* key, int result,
                      const std::string& value) {
  std::string line = traceName(op);
  if (line.empty()) line = "(" + std::to_string(op) + ")";
  line += ' ';
  line += fcb.name;
  if (key != nullptr) {
    line += ' ';
    line += key->label;
  }
  line += " = " + std::to_string(result);
  if (!value.empty()) {
    line += " [";
    for (unsigned char c : value) {
      if (c >= 0x20 && c < 0x7F) {
        line += static_cast<char>(c);
      } else {
        char escaped[5];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
        line += escaped;
      }
    }
    line += ']';
  }
  return line;
}

namespace {

// Rules 1 to 6 of the frame; `key` receives the key form's key block.
int dispatch(FramedDriver& driver, int op, FileControlBlock& fcb, void* args, KeyBlock*& key) {
  if (op == opNumber(Op::Acknowledge)) return kNoError;
  if (op == opNumber(Op::ReleaseFileObject)) {
    freeObject(fcb);
    return kErrUnsupportedFunction;
  }
  if (op == opNumber(Op::STARTRAN) || op == opNumber(Op::ENDTRAN)) return kNoError;
  if (!driver.descriptor().carriesOut(op)) return kErrUnsupportedFunction;
  if (takesArguments(op) && args == nullptr) return kErrInvalidParameterCount;
  if (isKeyForm(op)) {
    key = keyBlockOf(args);
    if (key == nullptr) return kErrInvalidParameterCount;
  }
  DriverFileObject* object = nullptr;
  {
    FileObjectGuard guard(fcb);
    object = fcb.driverObject.get();
  }
  if (object == nullptr && !runsOnClosedFile(op)) return kErrFileNotOpen;
  DriverCall call(op, fcb, args, key, object);
  const int result = driver.perform(call);
  if (op == opNumber(Op::CLOSE) || op == opNumber(Op::DESTROY)) call.releaseObject();
  return result;
}

}  // namespace

int runDriverFrame(FramedDriver& driver, int op, FileControlBlock* fcb, void* args) {
  if (op == opNumber(Op::QUERY_VIEW)) return kNoError;
  if (fcb == nullptr) return kErrInvalidParameterCount;
  KeyBlock* key = nullptr;
  const int result = dispatch(driver, op, *fcb, args, key);
  if (fcb->isTraced()) writeTrace(traceLine(op, *fcb, key, result, tracedValue(op, args)));
  return result;
}

}  // namespace zor::data
