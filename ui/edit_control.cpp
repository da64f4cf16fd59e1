#include "ui/edit_control.h"

#include <algorithm>
#include <vector>

#include "ui/key_codes.h"
#include "ui/window.h"

namespace zor::ui {
namespace {

constexpr size_t kEntryLimit = 255;
constexpr size_t kTextLimit = 65535;

std::string trimmed(const std::string& text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string rightTrimmed(const std::string& text) {
  size_t last = text.find_last_not_of(' ');
  return last == std::string::npos ? std::string() : text.substr(0, last + 1);
}

size_t startOfLine(const std::string& text, size_t at) {
  while (at > 0 && text[at - 1] != '\n') --at;
  return at;
}

size_t endOfLine(const std::string& text, size_t at) {
  while (at < text.size() && text[at] != '\n') ++at;
  return at;
}

// The runs of digits in a text, as numbers.
std::vector<long> numbersIn(const std::string& text) {
  std::vector<long> numbers;
  for (size_t i = 0; i < text.size();) {
    if (text[i] < '0' || text[i] > '9') {
      ++i;
      continue;
    }
    long number = 0;
    for (int digits = 0; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
      if (digits < 9) number = number * 10 + (text[i] - '0');
    }
    numbers.push_back(number);
  }
  return numbers;
}

// Whether a date or time read back shows the numbers that were typed: the
// reader rolls impossible dates over (45/13 becomes a day in the next
// year), which would silently store another date than the user meant. A
// two-digit year matches its four-digit form.
bool sameNumbers(const std::string& typed, const std::string& shown) {
  std::vector<long> a = numbersIn(typed);
  std::vector<long> b = numbersIn(shown);
  if (a.size() != b.size()) return true;  // typed in another form: trust the reader
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && !(a[i] < 100 && b[i] % 100 == a[i])) return false;
  }
  return true;
}

bool isTextPicture(const CompiledPicture& picture) {
  return picture.valueKind == PictureValueKind::Text;
}

// Characters a number may be typed with: digits, signs, blanks, the
// picture's separators and the literal characters it shows itself.
bool typedAsNumber(const CompiledPicture& picture, const std::string& text) {
  for (char c : text) {
    if ((c >= '0' && c <= '9') || c == ' ' || c == '-' || c == '+' || c == '(' || c == ')' ||
        c == '.' || c == ',' || c == picture.decimalChar || c == picture.groupingChar) {
      continue;
    }
    bool shown = false;
    for (size_t i = 0; i < picture.width && !shown; ++i) {
      const PicturePosition& at = picture.positions[i];
      shown = (at.kind == PositionKind::Literal || at.kind == PositionKind::Currency ||
               at.kind == PositionKind::Sign) &&
              at.fill == c;
    }
    if (!shown) return false;
  }
  return true;
}

}  // namespace

EditControl::EditControl(uint8_t kind, std::string useLabel) : Control(kind, std::move(useLabel)) {
  limit_ = multiLine() ? kTextLimit : kEntryLimit;
}

void EditControl::setPicture(std::string picture) {
  picture_ = std::move(picture);
  compiled_.reset();
  if (!picture_.empty()) {
    compiled_ = std::make_unique<CompiledPicture>(compilePicture(picture_));
    if (!compiled_->valid()) compiled_.reset();
  }
  if (compiled_) limit_ = compiled_->width;
  show(contents);
}

void EditControl::setLengthLimit(size_t limit) {
  limit_ = compiled_ ? std::min<size_t>(limit, compiled_->width) : limit;
}

std::string EditControl::formatted(const std::string& value) const {
  if (!compiled_) return value;
  const CompiledPicture& picture = *compiled_;
  switch (picture.pictureClass) {
    case PictureClass::Date:
      return formatPicture(picture, PictureValue::ofDate(static_cast<int32_t>(numberValue(value))));
    case PictureClass::Time:
      return formatPicture(picture, PictureValue::ofTime(static_cast<int32_t>(numberValue(value))));
    default: {
      std::string shown = formatPicture(picture, PictureValue::ofText(value));
      return isTextPicture(picture) ? rightTrimmed(shown) : shown;
    }
  }
}

std::string EditControl::shownText(bool focused) const {
  return focused || modified_ ? editText_ : formatted(contents);
}

bool EditControl::readBack(const std::string& typedText, std::string& value) const {
  if (!compiled_) {
    value = multiLine() ? typedText : rightTrimmed(typedText);
    return true;
  }
  const CompiledPicture& picture = *compiled_;
  if (isTextPicture(picture)) {
    value = rightTrimmed(typedText);
    return true;
  }
  std::string typed = trimmed(typedText);
  bool dateOrTime = picture.valueKind == PictureValueKind::DateTime;
  if (typed.empty()) {
    value = "0";
    return true;
  }
  if (!dateOrTime && !typedAsNumber(picture, typed)) return false;
  value = deformatPicture(picture, typed);
  if (dateOrTime) {
    return value != "0" && value != "-1" && !value.empty() && sameNumbers(typed, formatted(value));
  }
  // A number too large for the picture shows as "#" marks.
  return formatted(value).find('#') == std::string::npos || typed.find('#') != std::string::npos;
}

void EditControl::show(const std::string& value) {
  modified_ = false;
  if (focused_) {
    selectAll();
    return;
  }
  editText_ = formatted(value);
  cursor_ = editText_.size();
  replaceOnType_ = false;
}

void EditControl::display() {
  Control::display();
  show(contents);
}

void EditControl::update() {
  std::string value;
  if (modified_ && readBack(editText_, value)) contents = value;
  Control::update();
}

bool EditControl::completeEntry() {
  if (!modified_) return true;
  std::string value;
  if (!readBack(editText_, value)) return false;
  contents = value;
  writeVariable(contents);
  show(contents);
  return true;
}

void EditControl::focusGained(Window&) {
  focused_ = true;
  if (!modified_) selectAll();
}

void EditControl::focusLost(Window&) {
  focused_ = false;
  replaceOnType_ = false;
}

void EditControl::selectAll() {
  editText_ =
      compiled_ && !isTextPicture(*compiled_) ? trimmed(formatted(contents)) : formatted(contents);
  cursor_ = editText_.size();
  replaceOnType_ = true;
}

bool EditControl::dropSelection() {
  if (!replaceOnType_) return false;
  editText_.clear();
  cursor_ = 0;
  replaceOnType_ = false;
  return true;
}

void EditControl::insert(char character) {
  if (readOnly) return;
  dropSelection();
  if (editText_.size() >= limit_) return;  // the field is full: the keystroke is refused
  editText_.insert(cursor_, 1, character);
  ++cursor_;
  modified_ = true;
}

void EditControl::erase(bool before) {
  if (readOnly) return;
  if (dropSelection()) {
    modified_ = true;
    return;
  }
  if (before) {
    if (cursor_ == 0) return;
    --cursor_;
  } else if (cursor_ >= editText_.size()) {
    return;
  }
  editText_.erase(cursor_, 1);
  modified_ = true;
}

void EditControl::moveVertically(int lines) {
  size_t start = startOfLine(editText_, cursor_);
  size_t column = cursor_ - start;
  size_t target = 0;
  if (lines < 0) {
    if (start == 0) return;
    target = startOfLine(editText_, start - 1);
  } else {
    size_t end = endOfLine(editText_, cursor_);
    if (end == editText_.size()) return;
    target = end + 1;
  }
  cursor_ = std::min(target + column, endOfLine(editText_, target));
}

bool EditControl::key(Window&, uint32_t code, char character) {
  uint32_t mods = KEY::modifiers(code);
  if (static_cast<unsigned char>(character) >= 0x20 && character != 0x7F &&
      (mods & (KEY::Ctrl | KEY::Alt)) == 0) {
    insert(character);
    return true;
  }
  if (mods & (KEY::Ctrl | KEY::Alt)) return false;
  switch (KEY::base(code)) {
    case KEY::Backspace:
      erase(true);
      return true;
    case KEY::Delete:
      erase(false);
      return true;
    case KEY::Left:
      if (cursor_ > 0 && !replaceOnType_) --cursor_;
      break;
    case KEY::Right:
      if (cursor_ < editText_.size()) ++cursor_;
      break;
    case KEY::Home:
      cursor_ = startOfLine(editText_, cursor_);
      break;
    case KEY::End:
      cursor_ = endOfLine(editText_, cursor_);
      break;
    case KEY::Enter:
      if (!multiLine()) return false;
      insert('\n');
      return true;
    case KEY::Up:
    case KEY::Down:
      if (!multiLine()) return false;
      moveVertically(KEY::base(code) == KEY::Up ? -1 : 1);
      break;
    default:
      return false;
  }
  replaceOnType_ = false;
  return true;
}

void EditControl::mouse(Window&, MouseAction action, Cell cell, int) {
  if (action != MouseAction::Press) return;
  replaceOnType_ = false;
  if (multiLine()) {
    cursor_ = editText_.size();
    return;
  }
  // Cell 0 holds the opening bracket.
  cursor_ = std::min<size_t>(cell.x > 0 ? static_cast<size_t>(cell.x - 1) : 0, editText_.size());
}

std::string EditControl::property(int number, int index) const {
  if (number == PROP::Text) return editText_;
  if (number == PROP::Picture) return picture_;
  return Control::property(number, index);
}

void EditControl::setProperty(int number, std::string value, int index) {
  if (number == PROP::Picture) {
    setPicture(std::move(value));
    return;
  }
  if (number == PROP::Text) {
    // Text longer than the field is refused whole rather than cut short.
    if (value.size() > limit_) return;
    editText_ = std::move(value);
    cursor_ = editText_.size();
    modified_ = true;
    replaceOnType_ = false;
    return;
  }
  Control::setProperty(number, std::move(value), index);
}

}  // namespace zor::ui
