#pragma once
// The framework's single road for reporting errors to the user. Every class
// raises errors by number; the reporter looks the number up in its error
// table, substitutes the current context (file, key, field, driver error,
// procedure) into the text and acts on the entry's level: nothing, a Yes/No
// question, an information box, or a box followed by the end of the
// program. It can also log every error and keep a history of recent ones.
//
// Raising has two steps, so that a quiet operation can record an error
// without showing it:
//
//   errors.SetFile("SetupINI");
//   errors.SetErrors();            // ERRORCODE(), ERROR(), FILEERROR...()
//   errors.Record(26);             // the error being reported
//   return errors.Show();          // its level, after the box
//
// Throw(id) does Record and Show at once; Message(id, buttons, default)
// shows an error with buttons of the caller's choosing and answers the one
// pressed (the window controller's "Save Record" question). One
// reporter serves every thread; its settable fields, status, history and log
// are guarded by CRITSECT.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sync.h"
#include "runtime/halt.h"

namespace zor::fw {

// Severity levels: the result of every framework operation that can fail
// and the level of each error table entry.
namespace Level {
inline constexpr uint8_t Benign = 0;   // success; nothing shown
inline constexpr uint8_t User = 1;     // a Yes/No question
inline constexpr uint8_t Program = 2;  // treated as fatal
inline constexpr uint8_t Fatal = 3;    // box, then the program ends
inline constexpr uint8_t Cancel = 4;   // the user declined
inline constexpr uint8_t Notify = 5;   // the operation did not happen; carry on
}  // namespace Level

// Message box buttons as the reporter's callers see them.
namespace Button {
inline constexpr unsigned Ok = 1;
inline constexpr unsigned Yes = 2;
inline constexpr unsigned No = 4;
inline constexpr unsigned Cancel = 64;
inline constexpr unsigned YesNo = Yes | No;
inline constexpr unsigned YesNoCancel = Yes | No | Cancel;
}  // namespace Button

// One entry of the error table.
struct ErrorEntry {
  int id = 0;
  std::string message;
  std::string title;
  uint8_t fatality = Level::Notify;
  std::string category;
};

// The context of the error being reported.
struct ErrorStatus {
  std::string fieldName;
  std::string fileName;
  std::string keyName;
  std::string messageText;
  std::string saveError;      // the runtime's error text
  int saveErrorCode = 0;      // the runtime's error code
  std::string saveFileError;  // the driver's file-system error text
  std::string saveFileErrorCode;
  ErrorEntry errorBuffer;  // the entry being reported
  int prevErrorId = 0;
};

// One collected error of the history.
struct ErrorHistoryEntry {
  std::string text;
  uint8_t level = 0;
  int id = 0;
};

// Where logged errors go. The built-in log appends to "OBXError.Log" in
// the current directory.
class ErrorLog {
 public:
  virtual ~ErrorLog() = default;
  // Each answers 0 on success, else an error number whose text
  // errorText() describes.
  virtual int open() = 0;
  virtual int write(const std::string& line) = 0;
  virtual int close() = 0;
  virtual std::string errorText() const = 0;
};

class ErrorReporter {
 public:
  ErrorReporter();
  virtual ~ErrorReporter();
  ErrorReporter(const ErrorReporter&) = delete;
  ErrorReporter& operator=(const ErrorReporter&) = delete;

  // Initialise once: the built-in log and error table, default category
  // "OBX", no history (SILENT and LOGERRORS start off). A second call
  // changes nothing.
  void Init();
  // Initialise with a log: makes it the log in use and loads the built-in
  // table when the queue is still empty.
  virtual void Init(ErrorLog& log);
  // Forgets the table, history, procedure names and built-in log; Init
  // starts afresh.
  void Kill();

  // Adds every entry of a table in the stored layout (a u16 count, then per
  // entry u16 id, u8 level, and two length-prefixed texts: title, message).
  // A table that does not read exactly to its end adds nothing and answers
  // false. An entry whose id is known already replaces the known one, so a
  // program can reword a framework message.
  virtual bool AddErrors(std::span<const uint8_t> table);
  // The built-in table in its stored layout.
  static std::span<const uint8_t> BuiltInTable();
  // The entry of an id, as it stands in the table.
  std::optional<ErrorEntry> Entry(int id) const;

  // Context of the next error. SetErrors copies the runtime's current error
  // code and text and the driver's file-system error code and text.
  void SetField(std::string_view name);
  void SetFile(std::string_view name);
  void SetKey(std::string_view name);
  void SetMessage(std::string_view text);
  void SetErrors();
  void SetErrors(int code, std::string_view text, std::string_view fileErrorCode = {},
                 std::string_view fileError = {});
  ErrorStatus Status() const;

  // Record: selects the entry as the error being reported; false for an
  // unknown id (the entry is then a program error naming the number). The
  // id recorded before becomes the status's prevErrorId (%Previous).
  bool Record(int id);
  // Show: the level dispatch on the recorded entry; returns its level.
  uint8_t Show();
  uint8_t Throw(int id) {
    Record(id);
    return Show();
  }
  // Shortcuts that set one part of the context first.
  uint8_t ThrowFile(int id, std::string_view file);
  uint8_t ThrowMessage(int id, std::string_view message);
  // Records the error and shows it with the given buttons and default (the
  // exclamation icon when it asks a question, else the information icon);
  // returns the button pressed, whatever the entry's level.
  unsigned Message(int id, unsigned buttons, unsigned defaultButton);

  // The recorded entry's message with every marker substituted, in this
  // order, so that a longer marker is never taken for a shorter one:
  // %FileErrorCode %FileError %File %Key %ErrorCode %ErrorText %Error
  // %Message %Field %Procedure %Category %Previous. %ErrorText is the
  // runtime's text and code, or, for error codes 90 and 100, the driver's
  // file-system text and code. %Previous is the stored (unsubstituted)
  // message of prevErrorId, or nothing. Only the entry's own text is
  // searched: a value that contains marker text is shown as it is.
  std::string SubsString() const;

  // The calling thread's procedure names: the top one is %Procedure.
  void SetProcedureName(std::string_view name);
  void PopProcedureName();
  std::string ProcedureName() const;

  // id -1 sets every entry's category, and that of entries added later.
  void SetCategory(int id, std::string_view category);

  void SetSilent(bool silent);
  bool Silent() const;
  void SetLogErrors(bool log);
  bool LogErrors() const;
  // Above 0, the history keeps the last `threshold` errors shown, and the
  // message box offers them through its "View History" button.
  void SetHistoryThreshold(int32_t threshold);
  int32_t HistoryThreshold() const;
  // The least level whose boxes offer the history (a program error counts
  // as fatal, 3).
  void SetHistoryViewLevel(int32_t level);
  int32_t HistoryViewLevel() const;
  // Whether viewing the history empties it.
  void SetHistoryResetOnView(bool reset);
  bool HistoryResetOnView() const;
  // The log errors go to while LOGERRORS is set; the caller keeps it alive.
  void SetLog(ErrorLog& log);
  std::vector<ErrorHistoryEntry> History() const;
  // Opens the "Errors History" window (on a thread with a front end).
  void ShowHistory();

  // Style of every box (ui MSGMODE bits).
  int16_t MSGSTYLE = 0;

  // The process-wide reporter, initialised at its first use and never
  // released.
  static ErrorReporter& Global();

  // What ends the program after a fatal box: the runtime's halt, whose
  // default ends the process with kHaltExitCode after flushing what it must.
  // Tests replace it (a hook that returns lets the caller go on with level 3).
  using HaltHook = zor::HaltHook;
  static HaltHook SetHaltHook(HaltHook hook);
  static constexpr int kHaltExitCode = 3;

 protected:
  // Shows a message with the log and history bookkeeping; returns the
  // button pressed. While SILENT no box is shown and the answer is the one
  // that changes nothing: Cancel, else No, else Ok.
  virtual unsigned Msg(const std::string& text, const std::string& title, unsigned icon,
                       unsigned buttons, unsigned defaultButton, int16_t style);
  // The message box itself (ui MESSAGE through the thread's front end).
  virtual unsigned ShowMessageBox(const std::string& text, const std::string& title, unsigned icon,
                                  unsigned buttons, unsigned defaultButton, int16_t style);
  virtual uint8_t TakeBenign();
  virtual uint8_t TakeFatal();
  virtual uint8_t TakeNotify();
  virtual uint8_t TakeOther();
  virtual uint8_t TakeProgram();
  virtual uint8_t TakeUser();

 private:
  struct State;
  void LogMessage(const std::string& text, const std::string& title);
  void AddToHistory(const std::string& text);
  // The box with the "View History" button; nullopt when this thread
  // cannot show windows.
  std::optional<unsigned> ShowWithHistory(const std::string& text, const std::string& title,
                                          unsigned icon, unsigned buttons, unsigned defaultButton);
  std::unique_ptr<State> state_;
};

}  // namespace zor::fw
