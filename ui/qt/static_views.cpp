#include "ui/qt/static_views.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QWidget>

#include "ui/control.h"
#include "ui/definition/definition_kinds.h"
#include "ui/properties.h"
#include "ui/qt/hot_key_label.h"
#include "ui/qt/icons.h"
#include "ui/qt/qt_text.h"

namespace zor::ui::qt {
namespace {

class LabelView : public ControlView {
 public:
  explicit LabelView(QWidget* client) : label_(new QLabel(client)) {
    label_->setTextFormat(Qt::RichText);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  }

  QWidget* widget() const override { return label_; }

  void sync(const Control& control, const ViewContext&) override {
    QString text = control.kind() == ControlKind::Prompt ? hotKeyRichText(control.text)
                                                         : toQt(control.text).toHtmlEscaped();
    if (label_->text() != text) label_->setText(text);
  }

 private:
  QLabel* label_;
};

// A group's frame runs through the middle of its caption, as on the
// desktops the declarations were drawn for.
class GroupFrame : public QWidget {
 public:
  explicit GroupFrame(QWidget* parent) : QWidget(parent) {}

  void setTitle(const QString& title) {
    if (title_ == title) return;
    title_ = title;
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    QFontMetrics metrics(font());
    // An etched line: a dark one with a light one inside it.
    QRect line = rect().adjusted(0, metrics.height() / 2, -2, -2);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(line);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(line.translated(1, 1));
    if (title_.isEmpty()) return;
    QString shown = title_;
    shown.remove(QLatin1Char('&'));
    QRect text(6, 0, metrics.horizontalAdvance(shown) + 6, metrics.height());
    painter.fillRect(text, palette().brush(QPalette::Window));
    style()->drawItemText(&painter, text.adjusted(3, 0, 0, 0),
                          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, palette(),
                          isEnabled(), title_, QPalette::WindowText);
  }

 private:
  QString title_;
};

class GroupBoxView : public ControlView {
 public:
  explicit GroupBoxView(QWidget* client) : box_(new GroupFrame(client)) {}

  QWidget* widget() const override { return box_; }

  void sync(const Control& control, const ViewContext&) override {
    box_->setTitle(toQt(control.text));
  }

 private:
  GroupFrame* box_;
};

class ImageView : public ControlView {
 public:
  explicit ImageView(QWidget* client) : label_(new QLabel(client)) {
    label_->setAlignment(Qt::AlignCenter);
  }

  QWidget* widget() const override { return label_; }

  void sync(const Control& control, const ViewContext&) override {
    std::string name = control.property(PROP::Icon);
    if (name.empty()) name = control.text;
    if (name == shown_ && label_->size() == shownSize_) return;
    shown_ = name;
    shownSize_ = label_->size();
    QIcon icon = iconNamed(name);
    label_->setPixmap(icon.isNull() ? QPixmap() : icon.pixmap(label_->size()));
  }

 private:
  QLabel* label_;
  std::string shown_ = "\n";  // nothing shown yet
  QSize shownSize_;
};

// A graphic shape, drawn the way the desktop draws frames and lines.
class ShapeWidget : public QWidget {
 public:
  ShapeWidget(uint8_t kind, QWidget* parent) : QWidget(parent), kind_(kind) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    QRect area = rect().adjusted(0, 0, -1, -1);
    painter.setPen(palette().color(QPalette::WindowText));
    switch (kind_) {
      case ControlKind::Panel: {
        QStyleOptionFrame frame;
        frame.initFrom(this);
        frame.lineWidth = 1;
        frame.state |= QStyle::State_Sunken;
        style()->drawPrimitive(QStyle::PE_Frame, &frame, &painter, this);
        return;
      }
      case ControlKind::Ellipse:
        painter.setRenderHint(QPainter::Antialiasing);
        painter.drawEllipse(area);
        return;
      case ControlKind::Line:
        if (height() <= 2) {
          painter.drawLine(0, height() / 2, width(), height() / 2);
        } else if (width() <= 2) {
          painter.drawLine(width() / 2, 0, width() / 2, height());
        } else {
          painter.drawLine(area.topLeft(), area.bottomRight());
        }
        return;
      default:
        painter.drawRect(area);
        return;
    }
  }

 private:
  uint8_t kind_;
};

class ShapeView : public ControlView {
 public:
  ShapeView(uint8_t kind, QWidget* client) : shape_(new ShapeWidget(kind, client)) {}
  QWidget* widget() const override { return shape_; }
  void sync(const Control&, const ViewContext&) override { shape_->update(); }

 private:
  ShapeWidget* shape_;
};

class HiddenView : public ControlView {
 public:
  QWidget* widget() const override { return nullptr; }
  void sync(const Control&, const ViewContext&) override {}
};

}  // namespace

std::unique_ptr<ControlView> makeLabelView(QWidget* client) {
  return std::make_unique<LabelView>(client);
}

std::unique_ptr<ControlView> makeGroupBoxView(QWidget* client) {
  return std::make_unique<GroupBoxView>(client);
}

std::unique_ptr<ControlView> makeImageView(QWidget* client) {
  return std::make_unique<ImageView>(client);
}

std::unique_ptr<ControlView> makeShapeView(const Control& control, QWidget* client) {
  return std::make_unique<ShapeView>(control.kind(), client);
}

std::unique_ptr<ControlView> makeHiddenView() {
  return std::make_unique<HiddenView>();
}

}  // namespace zor::ui::qt
