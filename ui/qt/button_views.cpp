#include "ui/qt/button_views.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>

#include "ui/button_control.h"
#include "ui/qt/qt_text.h"

namespace zor::ui::qt {
namespace {

QString caption(const Control& control) {
  return toQt(control.text);
}

// The middle cell: a press anywhere on a button presses it.
Cell middleCell(const Control& control) {
  Rect cells = unitsToCells(control.rect);
  return {cells.width / 2, cells.height / 2};
}

class PushButtonView : public ControlView {
 public:
  explicit PushButtonView(QWidget* client) : button_(new QPushButton(client)) {
    button_->setAutoDefault(false);
  }

  QWidget* widget() const override { return button_; }

  void sync(const Control& control, const ViewContext&) override {
    if (button_->text() != caption(control)) button_->setText(caption(control));
    if (button_->isDefault() != control.isDefault) button_->setDefault(control.isDefault);
  }

  MouseRoute route(const Control& control, const ViewContext&, const MouseAt& mouse) override {
    if (mouse.type == QEvent::MouseButtonPress || mouse.type == QEvent::MouseButtonDblClick) {
      button_->setDown(true);
    } else if (mouse.type == QEvent::MouseButtonRelease) {
      button_->setDown(false);
    }
    return MouseRoute::at(middleCell(control));
  }

 private:
  QPushButton* button_;
};

class ToggleView : public ControlView {
 public:
  ToggleView(bool radio, QWidget* client)
      : button_(radio ? static_cast<QAbstractButton*>(new QRadioButton(client))
                      : static_cast<QAbstractButton*>(new QCheckBox(client))) {
    button_->setCheckable(true);
    // The option group decides which radio is chosen, not the widgets.
    button_->setAutoExclusive(false);
  }

  QWidget* widget() const override { return button_; }

  void sync(const Control& control, const ViewContext&) override {
    if (button_->text() != caption(control)) button_->setText(caption(control));
    bool checked = false;
    if (const auto* toggle = dynamic_cast<const ButtonControl*>(&control)) {
      checked = toggle->checked();
    }
    if (button_->isChecked() != checked) button_->setChecked(checked);
  }

  QRect place(const QRect& declared) const override {
    // A box shorter than its mark grows about its middle.
    int height = button_->sizeHint().height();
    if (declared.height() >= height) return declared;
    return {declared.x(), declared.center().y() - height / 2 + 1, declared.width(), height};
  }

  MouseRoute route(const Control& control, const ViewContext&, const MouseAt&) override {
    return MouseRoute::at(middleCell(control));
  }

 private:
  QAbstractButton* button_;
};

}  // namespace

std::unique_ptr<ControlView> makePushButtonView(QWidget* client) {
  return std::make_unique<PushButtonView>(client);
}

std::unique_ptr<ControlView> makeToggleView(const Control& control, QWidget* client) {
  return std::make_unique<ToggleView>(control.kind() == ControlKind::Radio, client);
}

}  // namespace zor::ui::qt
