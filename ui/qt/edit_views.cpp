#include "ui/qt/edit_views.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <algorithm>

#include "ui/edit_control.h"
#include "ui/qt/qt_text.h"
#include "ui/window.h"

namespace zor::ui::qt {
namespace {

// A read-only field shows on the window's colour, as the desktop shows
// fields that take no typing.
void showReadOnly(QWidget& edit, bool readOnly) {
  QPalette palette = edit.parentWidget() ? edit.parentWidget()->palette() : edit.palette();
  if (readOnly) palette.setColor(QPalette::Base, palette.color(QPalette::Window));
  if (edit.palette() != palette) edit.setPalette(palette);
}

class EntryView : public ControlView {
 public:
  explicit EntryView(QWidget* client) : edit_(new QLineEdit(client)) {}

  QWidget* widget() const override { return edit_; }

  void sync(const Control& control, const ViewContext& context) override {
    const auto* entry = dynamic_cast<const EditControl*>(&control);
    if (!entry) return;
    QString text = toQt(entry->shownText(context.focused));
    if (edit_->text() != text) edit_->setText(text);
    if (edit_->isReadOnly() != control.readOnly) edit_->setReadOnly(control.readOnly);
    showReadOnly(*edit_, control.readOnly);
    if (!context.focused) {
      edit_->deselect();
      edit_->setCursorPosition(0);
      return;
    }
    if (entry->wholeTextSelected() && !text.isEmpty()) {
      edit_->setSelection(0, static_cast<int>(text.size()));
    } else {
      edit_->deselect();
      edit_->setCursorPosition(static_cast<int>(std::min<size_t>(entry->cursor(), text.size())));
    }
  }

  QRect place(const QRect& declared) const override {
    // An entry one line high grows about its middle to take its frame.
    int height = edit_->minimumSizeHint().height();
    if (declared.height() >= height) return declared;
    return {declared.x(), declared.center().y() - height / 2 + 1, declared.width(), height};
  }

  MouseRoute route(const Control& control, const ViewContext&, const MouseAt& mouse) override {
    // The control puts its cursor after the cell's character; cell 0 is
    // where the terminal draws the bracket.
    Rect cells = unitsToCells(control.rect);
    int at = edit_->cursorPositionAt(mapBetween(mouse.target, edit_, mouse.pos));
    return MouseRoute::at({std::clamp(at + 1, 0, std::max(cells.width - 1, 0)), 0});
  }

 private:
  QLineEdit* edit_;
};

class TextBoxView : public ControlView {
 public:
  explicit TextBoxView(QWidget* client) : edit_(new QPlainTextEdit(client)) {
    edit_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  }

  QWidget* widget() const override { return edit_; }

  void sync(const Control& control, const ViewContext& context) override {
    const auto* box = dynamic_cast<const EditControl*>(&control);
    if (!box) return;
    QString text = toQt(box->shownText(context.focused));
    if (shown_ != text) {
      shown_ = text;
      edit_->setPlainText(text);
    }
    if (edit_->isReadOnly() != control.readOnly) edit_->setReadOnly(control.readOnly);
    showReadOnly(*edit_, control.readOnly);
    if (!context.focused) return;
    QTextCursor cursor = edit_->textCursor();
    int position = static_cast<int>(std::min<size_t>(box->cursor(), text.size()));
    if (box->wholeTextSelected()) {
      cursor.setPosition(0);
      cursor.setPosition(static_cast<int>(text.size()), QTextCursor::KeepAnchor);
    } else {
      cursor.setPosition(position);
    }
    edit_->setTextCursor(cursor);
    edit_->ensureCursorVisible();
  }

  MouseRoute route(const Control& control, const ViewContext& context,
                   const MouseAt& mouse) override {
    // Its scroll bar and the wheel scroll the text the way the desktop
    // does; the control only sees the press that enters it.
    if (mouse.type == QEvent::Wheel) return MouseRoute::toolkit();
    if (mouse.target != edit_->viewport() && mouse.target != edit_) return MouseRoute::toolkit();
    return ControlView::route(control, context, mouse);
  }

 private:
  QPlainTextEdit* edit_;
  QString shown_;
};

}  // namespace

std::unique_ptr<ControlView> makeEntryView(QWidget* client) {
  return std::make_unique<EntryView>(client);
}

std::unique_ptr<ControlView> makeTextBoxView(QWidget* client) {
  return std::make_unique<TextBoxView>(client);
}

}  // namespace zor::ui::qt
