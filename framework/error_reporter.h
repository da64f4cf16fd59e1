#pragma once
// The framework's single road for reporting errors to the user. This is the
// start-up shell of the reporter: the program creates and initialises it
// first and releases it last; its error table and message boxes come with
// the reporter itself.

namespace zor::fw {

class ErrorReporter {
 public:
  virtual ~ErrorReporter() = default;
  virtual void Init();
  virtual void Kill();
  bool initialized() const { return initialized_; }

 private:
  bool initialized_ = false;
};

}  // namespace zor::fw
