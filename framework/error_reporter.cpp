#include "framework/error_reporter.h"

#include <algorithm>
#include <ctime>
#include <deque>
#include <mutex>
#include <utility>

#include "framework/error_log.h"
#include "framework/error_substitution.h"
#include "framework/error_table.h"
#include "framework/error_windows.h"
#include "platform/threads.h"
#include "runtime/error_state.h"
#include "ui/statements.h"

namespace zor::fw {
namespace {

// The status record's texts are CSTRING(255): 254 characters and the NUL.
constexpr size_t kStatusTextLength = 254;
constexpr size_t kHistoryTextLength = 1024;
constexpr const char* kEndOfProgram = "  Press OK to end this application";

// A program error counts as fatal wherever levels are compared.
int32_t comparableLevel(uint8_t level) {
  return level == Level::Program ? Level::Fatal : level;
}

std::string cut(std::string_view text, size_t length) {
  return std::string(text.substr(0, length));
}

static_assert(Button::Ok == ui::BUTTON::Ok && Button::Yes == ui::BUTTON::Yes &&
                  Button::No == ui::BUTTON::No && Button::Cancel == ui::BUTTON::Cancel,
              "the reporter's buttons are MESSAGE's");

}  // namespace

struct ErrorReporter::State {
  mutable platform::CriticalSection critSect;  // CRITSECT
  std::string defaultCategory = "OBX";
  std::vector<ErrorEntry> errors;
  ErrorLog* errorLog = nullptr;
  std::deque<ErrorHistoryEntry> history;
  // The procedure names of every thread, each with its thread's number.
  std::vector<std::pair<int, std::string>> procNames;
  std::unique_ptr<FileErrorLog> stdErrorLog;
  bool silent = false;
  bool logErrors = false;
  int32_t historyThreshold = 0;
  int32_t historyViewLevel = 3;
  bool historyResetOnView = false;
  ErrorStatus status;

  const ErrorEntry* find(int id) const {
    auto found = std::find_if(errors.begin(), errors.end(),
                              [id](const ErrorEntry& entry) { return entry.id == id; });
    return found == errors.end() ? nullptr : &*found;
  }
};

ErrorReporter::ErrorReporter() : state_(std::make_unique<State>()) {}
ErrorReporter::~ErrorReporter() = default;

void ErrorReporter::Init() {
  FileErrorLog* builtIn = nullptr;
  {
    std::lock_guard guard(state_->critSect);
    if (state_->stdErrorLog) return;
    state_->stdErrorLog = std::make_unique<FileErrorLog>();
    builtIn = state_->stdErrorLog.get();
    state_->errors.clear();
    state_->history.clear();
    state_->procNames.clear();
    state_->historyThreshold = 0;
    state_->historyViewLevel = 3;
    state_->historyResetOnView = false;
  }
  SetCategory(-1, "OBX");
  Init(*builtIn);
}

void ErrorReporter::Init(ErrorLog& log) {
  std::lock_guard guard(state_->critSect);
  state_->errorLog = &log;
  if (state_->errors.empty()) AddErrors(BuiltInTable());
}

void ErrorReporter::Kill() {
  std::lock_guard guard(state_->critSect);
  if (state_->errorLog == state_->stdErrorLog.get()) state_->errorLog = nullptr;
  state_->stdErrorLog.reset();
  state_->errors.clear();
  state_->history.clear();
  state_->procNames.clear();
}

bool ErrorReporter::AddErrors(std::span<const uint8_t> table) {
  std::optional<std::vector<ErrorEntry>> entries = readErrorTable(table);
  if (!entries) return false;
  std::lock_guard guard(state_->critSect);
  for (ErrorEntry& entry : *entries) {
    entry.category = state_->defaultCategory;
    auto known = std::find_if(state_->errors.begin(), state_->errors.end(),
                              [&](const ErrorEntry& e) { return e.id == entry.id; });
    if (known != state_->errors.end()) {
      *known = std::move(entry);
    } else {
      state_->errors.push_back(std::move(entry));
    }
  }
  return true;
}

std::span<const uint8_t> ErrorReporter::BuiltInTable() {
  return builtInErrorTable();
}

std::optional<ErrorEntry> ErrorReporter::Entry(int id) const {
  std::lock_guard guard(state_->critSect);
  const ErrorEntry* entry = state_->find(id);
  return entry ? std::optional(*entry) : std::nullopt;
}

void ErrorReporter::SetField(std::string_view name) {
  std::lock_guard guard(state_->critSect);
  state_->status.fieldName = cut(name, kStatusTextLength);
}

void ErrorReporter::SetFile(std::string_view name) {
  std::lock_guard guard(state_->critSect);
  state_->status.fileName = cut(name, kStatusTextLength);
}

void ErrorReporter::SetKey(std::string_view name) {
  std::lock_guard guard(state_->critSect);
  state_->status.keyName = cut(name, kStatusTextLength);
}

void ErrorReporter::SetMessage(std::string_view text) {
  std::lock_guard guard(state_->critSect);
  state_->status.messageText = cut(text, kStatusTextLength);
}

void ErrorReporter::SetErrors() {
  SetErrors(errorCode(), errorText(), fileErrorCode(), fileErrorText());
}

void ErrorReporter::SetErrors(int code, std::string_view text, std::string_view fileErrorCode,
                              std::string_view fileError) {
  std::lock_guard guard(state_->critSect);
  state_->status.saveErrorCode = code;
  state_->status.saveError = cut(text, kStatusTextLength);
  state_->status.saveFileErrorCode = cut(fileErrorCode, kStatusTextLength);
  state_->status.saveFileError = cut(fileError, kStatusTextLength);
}

ErrorStatus ErrorReporter::Status() const {
  std::lock_guard guard(state_->critSect);
  return state_->status;
}

bool ErrorReporter::Record(int id) {
  std::lock_guard guard(state_->critSect);
  ErrorStatus& status = state_->status;
  if (status.errorBuffer.id != 0) status.prevErrorId = status.errorBuffer.id;
  if (const ErrorEntry* entry = state_->find(id)) {
    status.errorBuffer = *entry;
    return true;
  }
  status.errorBuffer = ErrorEntry{id, "Error " + std::to_string(id) + " is not in the error table.",
                                  "Unknown Error", Level::Program, state_->defaultCategory};
  return false;
}

uint8_t ErrorReporter::Show() {
  uint8_t level;
  {
    std::lock_guard guard(state_->critSect);
    level = state_->status.errorBuffer.fatality;
  }
  switch (level) {
    case Level::Benign:
      return TakeBenign();
    case Level::User:
    case Level::Cancel:
      return TakeUser();
    case Level::Program:
      return TakeProgram();
    case Level::Fatal:
      return TakeFatal();
    case Level::Notify:
      return TakeNotify();
    default:
      return TakeOther();
  }
}

uint8_t ErrorReporter::ThrowFile(int id, std::string_view file) {
  SetFile(file);
  return Throw(id);
}

uint8_t ErrorReporter::ThrowMessage(int id, std::string_view message) {
  SetMessage(message);
  return Throw(id);
}

unsigned ErrorReporter::Message(int id, unsigned buttons, unsigned defaultButton) {
  Record(id);
  const std::string title = Status().errorBuffer.title;
  const unsigned icon =
      buttons & (Button::Yes | Button::No) ? ui::ICON::Exclamation : ui::ICON::Asterisk;
  return Msg(SubsString(), title, icon, buttons, defaultButton, MSGSTYLE);
}

std::string ErrorReporter::SubsString() const {
  const std::string procedure = ProcedureName();
  std::lock_guard guard(state_->critSect);
  const ErrorStatus& status = state_->status;
  std::optional<std::string> previous;
  if (status.errorBuffer.message.find("%Previous") != std::string::npos) {
    if (const ErrorEntry* entry = state_->find(status.prevErrorId)) previous = entry->message;
  }
  return substituteMarkers(
      status.errorBuffer.message,
      markerValues(status, procedure, status.errorBuffer.category, std::move(previous)));
}

void ErrorReporter::SetProcedureName(std::string_view name) {
  std::lock_guard guard(state_->critSect);
  state_->procNames.emplace_back(platform::threadNumber(), std::string(name));
}

void ErrorReporter::PopProcedureName() {
  const int thread = platform::threadNumber();
  std::lock_guard guard(state_->critSect);
  auto& names = state_->procNames;
  auto last = std::find_if(names.rbegin(), names.rend(),
                           [thread](const auto& entry) { return entry.first == thread; });
  if (last != names.rend()) names.erase(std::next(last).base());
}

std::string ErrorReporter::ProcedureName() const {
  const int thread = platform::threadNumber();
  std::lock_guard guard(state_->critSect);
  const auto& names = state_->procNames;
  auto last = std::find_if(names.rbegin(), names.rend(),
                           [thread](const auto& entry) { return entry.first == thread; });
  return last == names.rend() ? std::string() : last->second;
}

void ErrorReporter::SetCategory(int id, std::string_view category) {
  std::lock_guard guard(state_->critSect);
  if (id == -1) state_->defaultCategory = category;
  for (ErrorEntry& entry : state_->errors) {
    if (id == -1 || entry.id == id) entry.category = category;
  }
}

void ErrorReporter::SetSilent(bool silent) {
  std::lock_guard guard(state_->critSect);
  state_->silent = silent;
}

bool ErrorReporter::Silent() const {
  std::lock_guard guard(state_->critSect);
  return state_->silent;
}

void ErrorReporter::SetLogErrors(bool log) {
  std::lock_guard guard(state_->critSect);
  state_->logErrors = log;
}

bool ErrorReporter::LogErrors() const {
  std::lock_guard guard(state_->critSect);
  return state_->logErrors;
}

void ErrorReporter::SetHistoryThreshold(int32_t threshold) {
  std::lock_guard guard(state_->critSect);
  state_->historyThreshold = threshold;
  if (threshold <= 0) state_->history.clear();
}

int32_t ErrorReporter::HistoryThreshold() const {
  std::lock_guard guard(state_->critSect);
  return state_->historyThreshold;
}

void ErrorReporter::SetHistoryViewLevel(int32_t level) {
  std::lock_guard guard(state_->critSect);
  state_->historyViewLevel = level;
}

int32_t ErrorReporter::HistoryViewLevel() const {
  std::lock_guard guard(state_->critSect);
  return state_->historyViewLevel;
}

void ErrorReporter::SetHistoryResetOnView(bool reset) {
  std::lock_guard guard(state_->critSect);
  state_->historyResetOnView = reset;
}

bool ErrorReporter::HistoryResetOnView() const {
  std::lock_guard guard(state_->critSect);
  return state_->historyResetOnView;
}

void ErrorReporter::SetLog(ErrorLog& log) {
  std::lock_guard guard(state_->critSect);
  state_->errorLog = &log;
}

std::vector<ErrorHistoryEntry> ErrorReporter::History() const {
  std::lock_guard guard(state_->critSect);
  return {state_->history.begin(), state_->history.end()};
}

void ErrorReporter::ShowHistory() {
  if (!runErrorHistory(History())) return;
  std::lock_guard guard(state_->critSect);
  if (state_->historyResetOnView) state_->history.clear();
}

ErrorReporter& ErrorReporter::Global() {
  // Ready at its first use, so that no error can meet an empty table; the
  // program's own initialise then finds it done. Never released.
  static ErrorReporter* reporter = [] {
    auto* made = new ErrorReporter;
    made->Init();
    return made;
  }();
  return *reporter;
}

ErrorReporter::HaltHook ErrorReporter::SetHaltHook(HaltHook hook) {
  return setHaltHook(std::move(hook));
}

void ErrorReporter::LogMessage(const std::string& text, const std::string& title) {
  std::string failure;
  {
    std::lock_guard guard(state_->critSect);
    ErrorLog* log = state_->errorLog;
    if (!log) return;
    if (log->open() != 0) {
      failure = "Unable to Open error log; " + log->errorText();
    } else {
      if (log->write(errorLogLine(text, std::time(nullptr))) != 0) {
        failure = "Unable to update error log; " + log->errorText();
      }
      if (log->close() != 0 && failure.empty()) {
        failure = "Unable to close error log; " + log->errorText();
      }
    }
  }
  // Shown outside the critical section: a box waits for the user, and other
  // threads must be able to report meanwhile.
  if (!failure.empty() && !Silent()) {
    ShowMessageBox(failure, title, ui::ICON::Exclamation, Button::Ok, Button::Ok, MSGSTYLE);
  }
}

void ErrorReporter::AddToHistory(const std::string& text) {
  std::lock_guard guard(state_->critSect);
  auto& history = state_->history;
  while (!history.empty() && static_cast<int64_t>(history.size()) >= state_->historyThreshold) {
    history.pop_front();
  }
  const ErrorEntry& current = state_->status.errorBuffer;
  history.push_back({cut(text, kHistoryTextLength), current.fatality, current.id});
}

std::optional<unsigned> ErrorReporter::ShowWithHistory(const std::string& text,
                                                       const std::string& title, unsigned icon,
                                                       unsigned buttons, unsigned defaultButton) {
  bool offer;
  {
    std::lock_guard guard(state_->critSect);
    offer = comparableLevel(state_->status.errorBuffer.fatality) >= state_->historyViewLevel;
  }
  return runErrorBox({text, title, icon, buttons, defaultButton, offer}, [this] { ShowHistory(); });
}

unsigned ErrorReporter::Msg(const std::string& text, const std::string& title, unsigned icon,
                            unsigned buttons, unsigned defaultButton, int16_t style) {
  if (LogErrors()) LogMessage(text, title);
  const bool collecting = HistoryThreshold() > 0;
  if (collecting) AddToHistory(text);
  if (Silent()) return declineButton(buttons);
  if (collecting) {
    if (auto answer = ShowWithHistory(text, title, icon, buttons, defaultButton)) return *answer;
  }
  return ShowMessageBox(text, title, icon, buttons, defaultButton, style);
}

unsigned ErrorReporter::ShowMessageBox(const std::string& text, const std::string& title,
                                       unsigned icon, unsigned buttons, unsigned defaultButton,
                                       int16_t style) {
  return ui::message(text, title, icon, buttons, defaultButton, static_cast<uint16_t>(style));
}

uint8_t ErrorReporter::TakeBenign() {
  return Level::Benign;
}

uint8_t ErrorReporter::TakeFatal() {
  const std::string title = Status().errorBuffer.title;
  Msg(SubsString() + kEndOfProgram, title, ui::ICON::Asterisk, Button::Ok, Button::Ok, MSGSTYLE);
  halt(kHaltExitCode);
  return Level::Fatal;
}

uint8_t ErrorReporter::TakeNotify() {
  const std::string title = Status().errorBuffer.title;
  Msg(SubsString(), title, ui::ICON::Asterisk, Button::Ok, Button::Ok, MSGSTYLE);
  return Level::Notify;
}

uint8_t ErrorReporter::TakeOther() {
  return TakeProgram();
}

uint8_t ErrorReporter::TakeProgram() {
  return TakeFatal();
}

uint8_t ErrorReporter::TakeUser() {
  const std::string title = Status().errorBuffer.title;
  const unsigned answer =
      Msg(SubsString(), title, ui::ICON::Exclamation, Button::YesNo, Button::Yes, MSGSTYLE);
  return answer == Button::Yes ? Level::Benign : Level::Cancel;
}

}  // namespace zor::fw
