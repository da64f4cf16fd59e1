#pragma once
// ENTRY and TEXT (and the typed-into kinds COMBO and SPIN): the user edits
// the text the control shows. An entry shows its variable through its
// picture (@N9.2, @D6, @s49 ...); on entering the field the shown text is
// selected, so typing replaces it. When the focus leaves a changed field,
// or Enter is pressed, the text is read back through the picture into the
// variable and the control gets Accepted; text that the picture cannot read
// gets Rejected and stays for the user to correct. The picture's width (or
// the text length limit) bounds what may be typed: a keystroke beyond it is
// refused. TEXT is a multi-line box: Enter starts a new line.

#include <memory>
#include <string>

#include "runtime/picture.h"
#include "ui/control.h"

namespace zor::ui {

class EditControl : public Control {
 public:
  EditControl(uint8_t kind, std::string useLabel);

  const std::string& picture() const { return picture_; }
  void setPicture(std::string picture);
  // The most characters the user may type.
  size_t lengthLimit() const { return limit_; }
  void setLengthLimit(size_t limit);
  bool multiLine() const { return kind() == ControlKind::Text; }

  // The text on screen, and the cursor in it.
  const std::string& editText() const { return editText_; }
  size_t cursor() const { return cursor_; }
  // The whole text is selected: typing replaces it.
  bool wholeTextSelected() const { return replaceOnType_; }
  // A value as the picture shows it.
  std::string formatted(const std::string& value) const;
  // What the control shows: while it has the focus or holds changes, the
  // text being edited, else its value through the picture.
  std::string shownText(bool focused) const;

  void display() override;
  // UPDATE takes what is typed so far, when it reads as a value of the
  // picture; the entry still completes (and is accepted) as usual.
  void update() override;
  bool completeEntry() override;
  bool modified() const override { return modified_; }
  bool takesFocus() const override { return true; }
  void focusGained(Window& window) override;
  void focusLost(Window& window) override;
  bool key(Window& window, uint32_t code, char character) override;
  void mouse(Window& window, MouseAction action, Cell cell, int wheel) override;
  std::string property(int number, int index = 0) const override;
  void setProperty(int number, std::string value, int index = 0) override;

 private:
  // The value the text stands for; false when the picture cannot read it.
  bool readBack(const std::string& typedText, std::string& value) const;
  void show(const std::string& value);
  // The text to edit when the field is entered, selected whole.
  void selectAll();
  // Typing or erasing replaces selected text: clears it, true when there was.
  bool dropSelection();
  void insert(char character);
  void erase(bool before);
  void moveVertically(int lines);

  std::string picture_;
  std::unique_ptr<CompiledPicture> compiled_;  // null: no picture
  size_t limit_ = 0;
  std::string editText_;
  size_t cursor_ = 0;
  bool modified_ = false;
  bool replaceOnType_ = false;  // the whole text is selected
  bool focused_ = false;
};

}  // namespace zor::ui
