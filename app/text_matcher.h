#pragma once
// The class library's small text matcher: initialised and released by the
// program, with two options; nothing in this program reads it.

namespace qv {

class TextMatcher {
 public:
  void Init() { initialized_ = true; }
  void Kill() { initialized_ = false; }
  // Setting option 1 also clears the cached state.
  void SetOption1(bool value) {
    option1_ = value;
    cached_ = false;
  }
  void SetOption2(bool value) { option2_ = value; }
  bool option1() const { return option1_; }
  bool option2() const { return option2_; }
  bool initialized() const { return initialized_; }

  // The class-level reference to the instance in use.
  static TextMatcher* Self;

 private:
  bool initialized_ = false;
  bool option1_ = false;
  bool option2_ = false;
  bool cached_ = false;
};

}  // namespace qv
