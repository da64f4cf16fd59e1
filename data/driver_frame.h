#pragma once
// The frame every driver entry follows around the operation it carries out:
//
// 1. QUERY_VIEW is answered 0 at once (the runtime's view engine does the
//    work); 108 is answered 0; 107 frees the per-file object and answers 80.
// 2. STARTRAN and ENDTRAN are accepted and do nothing.
// 3. An operation the driver's descriptor does not list is answered 80 and
//    changes nothing.
// 4. Key forms fetch their key block from the argument list; an operation
//    that takes arguments and has none, or a key form without its key
//    block, is answered 78.
// 5. The per-file object is looked up; for a block that is not threaded the
//    lookup, creation and release happen inside one process-wide critical
//    section. Operations other than those that run on a closed file need it
//    (37 "File Not Open" without it).
// 6. The driver carries out the operation; CLOSE and DESTROY then free the
//    per-file object.
// 7. When the file is traced, a line with the operation, file, key, result
//    and (for the operations that return one) the returned value is written.

#include <functional>
#include <memory>
#include <string>

#include "data/driver_arguments.h"
#include "data/file_control_block.h"

namespace zor::data {

struct DriverDescriptor;

// One operation as the frame hands it to the driver.
class DriverCall {
 public:
  DriverCall(int op, FileControlBlock& fcb, void* args, KeyBlock* key, DriverFileObject* object)
      : op_(op), fcb_(fcb), args_(args), key_(key), object_(object) {}

  int op() const { return op_; }
  FileControlBlock& fcb() const { return fcb_; }
  void* rawArguments() const { return args_; }
  // The operation's argument structure; nullptr when the caller gave none.
  template <class Args>
  Args* arguments() const {
    return argumentsAs<Args>(args_);
  }
  KeyBlock* key() const { return key_; }
  // The per-file object as found when the call began (nullptr: none yet).
  DriverFileObject* object() const { return object_; }
  template <class Object>
  Object* objectAs() const {
    return static_cast<Object*>(object_);
  }

  // Installs the per-file object (OPEN, CREATE), under the frame's lock.
  DriverFileObject* attachObject(std::unique_ptr<DriverFileObject> object);
  // Frees the per-file object, under the frame's lock.
  void releaseObject();

 private:
  int op_;
  FileControlBlock& fcb_;
  void* args_;
  KeyBlock* key_;
  DriverFileObject* object_;
};

// A driver that runs inside the frame: its descriptor, and one method that
// carries out an operation its descriptor lists.
class FramedDriver {
 public:
  virtual ~FramedDriver() = default;
  virtual const DriverDescriptor& descriptor() const = 0;
  virtual int perform(DriverCall& call) = 0;
};

// Runs one driver entry call through the frame.
int runDriverFrame(FramedDriver& driver, int op, FileControlBlock* fcb, void* args);

// The returned value of an operation as the trace shows it (for the
// operations that return one), else "".
std::string tracedValue(int op, void* args);

// Where trace lines go; none by default. Returns the previous sink.
using DriverTraceSink = std::function<void(const std::string& line)>;
DriverTraceSink setDriverTraceSink(DriverTraceSink sink);
// "NEXT section.edt SEC:P_DESCRIPTION = 33" and, for a returned value,
// " [value]" with bytes outside printable ASCII shown as \xNN.
std::string traceLine(int op, const FileControlBlock& fcb, const KeyBlock* key, int result,
                      const std::string& value);

}  // namespace zor::data
