// Placeholder bodies of the reporter's interface: the error table, the
// substitutions, the level dispatch, the log and the history replace them.
#include "framework/error_reporter.h"

#include <cstdlib>
#include <mutex>

#include "runtime/error_state.h"

namespace zor::fw {

struct ErrorReporter::State {
  ErrorStatus status;
  bool silent = false;
  bool logErrors = false;
  int32_t historyThreshold = 0;
  int32_t historyViewLevel = 3;
  bool historyResetOnView = false;
};

ErrorReporter::ErrorReporter() : state_(std::make_unique<State>()) {}
ErrorReporter::~ErrorReporter() = default;

void ErrorReporter::Init() {}
void ErrorReporter::Init(ErrorLog&) {}
void ErrorReporter::Kill() {}
bool ErrorReporter::AddErrors(std::span<const uint8_t>) {
  return false;
}
std::span<const uint8_t> ErrorReporter::BuiltInTable() {
  return {};
}
void ErrorReporter::SetField(std::string_view name) {
  state_->status.fieldName = name;
}
void ErrorReporter::SetFile(std::string_view name) {
  state_->status.fileName = name;
}
void ErrorReporter::SetKey(std::string_view name) {
  state_->status.keyName = name;
}
void ErrorReporter::SetMessage(std::string_view text) {
  state_->status.messageText = text;
}
void ErrorReporter::SetErrors() {
  SetErrors(errorCode(), errorText(), fileErrorCode(), fileErrorText());
}
void ErrorReporter::SetErrors(int code, std::string_view text, std::string_view fileErrorCode,
                              std::string_view fileError) {
  state_->status.saveErrorCode = code;
  state_->status.saveError = text;
  state_->status.saveFileErrorCode = fileErrorCode;
  state_->status.saveFileError = fileError;
}
ErrorStatus ErrorReporter::Status() const {
  return state_->status;
}
bool ErrorReporter::Record(int id) {
  state_->status.errorBuffer = ErrorEntry{id, "", "", Level::Notify, "OBX"};
  return false;
}
uint8_t ErrorReporter::Show() {
  return state_->status.errorBuffer.fatality;
}
unsigned ErrorReporter::Message(int id, unsigned, unsigned defaultButton) {
  Record(id);
  return defaultButton;
}
uint8_t ErrorReporter::ThrowFile(int id, std::string_view file) {
  SetFile(file);
  return Throw(id);
}
uint8_t ErrorReporter::ThrowMessage(int id, std::string_view message) {
  SetMessage(message);
  return Throw(id);
}
std::string ErrorReporter::SubsString() const {
  return state_->status.errorBuffer.message;
}
namespace {
thread_local std::vector<std::string> procedureNames;
}
void ErrorReporter::SetProcedureName(std::string_view name) {
  procedureNames.emplace_back(name);
}
void ErrorReporter::PopProcedureName() {
  if (!procedureNames.empty()) procedureNames.pop_back();
}
std::string ErrorReporter::ProcedureName() const {
  return procedureNames.empty() ? std::string() : procedureNames.back();
}
void ErrorReporter::SetCategory(int, std::string_view) {}
void ErrorReporter::SetSilent(bool silent) {
  state_->silent = silent;
}
bool ErrorReporter::Silent() const {
  return state_->silent;
}
void ErrorReporter::SetLogErrors(bool log) {
  state_->logErrors = log;
}
bool ErrorReporter::LogErrors() const {
  return state_->logErrors;
}
void ErrorReporter::SetHistoryThreshold(int32_t threshold) {
  state_->historyThreshold = threshold;
}
int32_t ErrorReporter::HistoryThreshold() const {
  return state_->historyThreshold;
}
void ErrorReporter::SetHistoryViewLevel(int32_t level) {
  state_->historyViewLevel = level;
}
int32_t ErrorReporter::HistoryViewLevel() const {
  return state_->historyViewLevel;
}
void ErrorReporter::SetHistoryResetOnView(bool reset) {
  state_->historyResetOnView = reset;
}
bool ErrorReporter::HistoryResetOnView() const {
  return state_->historyResetOnView;
}
void ErrorReporter::SetLog(ErrorLog&) {}
std::vector<ErrorHistoryEntry> ErrorReporter::History() const {
  return {};
}
void ErrorReporter::ShowHistory() {}
ErrorReporter& ErrorReporter::Global() {
  static ErrorReporter* reporter = new ErrorReporter;  // never released
  return *reporter;
}
ErrorReporter::HaltHook ErrorReporter::SetHaltHook(HaltHook hook) {
  return hook;
}
unsigned ErrorReporter::Msg(const std::string&, const std::string&, unsigned, unsigned,
                            unsigned defaultButton, int16_t) {
  return defaultButton;
}
unsigned ErrorReporter::ShowMessageBox(const std::string&, const std::string&, unsigned, unsigned,
                                       unsigned defaultButton, int16_t) {
  return defaultButton;
}
uint8_t ErrorReporter::TakeBenign() {
  return Level::Benign;
}
uint8_t ErrorReporter::TakeFatal() {
  return Level::Fatal;
}
uint8_t ErrorReporter::TakeNotify() {
  return Level::Notify;
}
uint8_t ErrorReporter::TakeOther() {
  return TakeProgram();
}
uint8_t ErrorReporter::TakeProgram() {
  return TakeFatal();
}
uint8_t ErrorReporter::TakeUser() {
  return Level::User;
}

}  // namespace zor::fw
