#include "ui/qt/list_box_view.h"

#include <QAbstractScrollArea>
#include <QHelpEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>
#include <cmath>

#include "ui/list_box/list_layout.h"
#include "ui/list_box/list_view.h"
#include "ui/properties.h"
#include "ui/qt/icons.h"
#include "ui/qt/list_painter.h"
#include "ui/qt/qt_text.h"
#include "ui/row_control.h"
#include "ui/window.h"

namespace zor::ui::qt {
namespace {

int scrollAction(int sliderAction) {
  switch (sliderAction) {
    case QAbstractSlider::SliderSingleStepSub:
      return SB::LineUp;
    case QAbstractSlider::SliderSingleStepAdd:
      return SB::LineDown;
    case QAbstractSlider::SliderPageStepSub:
      return SB::PageUp;
    case QAbstractSlider::SliderPageStepAdd:
      return SB::PageDown;
    case QAbstractSlider::SliderToMinimum:
      return SB::Top;
    case QAbstractSlider::SliderToMaximum:
      return SB::Bottom;
    case QAbstractSlider::SliderMove:
      return SB::ThumbTrack;
    default:
      return -1;
  }
}

bool inside(const QWidget* widget, const QWidget* ancestor) {
  for (; widget; widget = widget->parentWidget()) {
    if (widget == ancestor) return true;
  }
  return false;
}

class ListBox;

// The header sections above the rows.
class HeaderStrip : public QWidget {
 public:
  HeaderStrip(ListBox& box, QWidget* parent) : QWidget(parent), box_(box) {
    setObjectName(QStringLiteral("listHeader"));
    setMouseTracking(true);
  }

 protected:
  void paintEvent(QPaintEvent*) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  ListBox& box_;
};

class ListBox : public QAbstractScrollArea {
 public:
  ListBox(QWidget* parent, PostInput post) : QAbstractScrollArea(parent), post_(std::move(post)) {
    header_ = new HeaderStrip(*this, this);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this](int action) { scrolled(true, action); });
    connect(horizontalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this](int action) { scrolled(false, action); });
  }

  void sync(const ListControl& list, const ViewContext& context) {
    list_ = &list;
    field_ = list.field();
    metrics_ = context.metrics;
    focused_ = context.focused;
    const ListView& view = list.view();
    layout_ = view.format();
    layoutListFormat(layout_, metrics_);
    syncBars(list, view);
    placeHeader();
    measureRows();
    viewport()->update();
    header_->update();
  }

  ListPicture picture() const {
    ListPicture picture;
    if (!list_) return picture;
    picture.view = &list_->view();
    picture.layout = &layout_;
    picture.metrics = metrics_;
    picture.rowHeight = rowHeight_;
    picture.rows = rows_;
    picture.offset = picture.view->horizontalOffset() * metrics_.charWidth;
    picture.focused = focused_ && isActiveWindow();
    const ListControl* list = list_;
    picture.icon = [list](int32_t number) {
      return iconNamed(list->property(PROP::IconList, static_cast<int>(number)));
    };
    return picture;
  }

  MouseRoute route(const MouseAt& mouse) {
    if (!list_) return MouseRoute::drop();
    if (inside(mouse.target, verticalScrollBar()) || inside(mouse.target, horizontalScrollBar())) {
      if (mouse.type == QEvent::Wheel) return rowRoute(QPoint(0, 0));
      return MouseRoute::toolkit();
    }
    if (mouse.target == header_) return headerRoute(mouse);
    if (mouse.target == viewport()) {
      return rowRoute(mouse.pos,
                      mouse.type != QEvent::MouseMove && mouse.type != QEvent::MouseButtonRelease);
    }
    return MouseRoute::drop();
  }

  // Whether x of the header strip lies on a resizable column's edge.
  bool onBorder(int x) const {
    bool border = false;
    return list_ && listHeaderColumnAt(picture(), x, &border) != 0 && border;
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(viewport());
    painter.setFont(font());
    paintListRows(painter, palette(), viewport()->rect(), picture());
  }

  void resizeEvent(QResizeEvent* event) override {
    QAbstractScrollArea::resizeEvent(event);
    placeHeader();
    measureRows();
  }

  void scrollContentsBy(int, int) override { viewport()->update(); }

  bool viewportEvent(QEvent* event) override {
    if (event->type() == QEvent::ToolTip && list_) {
      auto* help = static_cast<QHelpEvent*>(event);
      QString tip = rowTip(help->pos());
      if (tip.isEmpty()) tip = toolTip();
      if (tip.isEmpty()) {
        QToolTip::hideText();
      } else {
        QToolTip::showText(help->globalPos(), tip, viewport());
      }
      return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
  }

 private:
  void syncBars(const ListControl& list, const ListView& view) {
    QScrollBar* vertical = verticalScrollBar();
    setVerticalScrollBarPolicy(list.verticalScrollBar() ? Qt::ScrollBarAlwaysOn
                                                        : Qt::ScrollBarAlwaysOff);
    if (view.immediate()) {
      // A browse holds a page of rows: the bar stands for the whole file
      // and tells the browse where the user wants to be.
      vertical->setRange(0, view.rowCount() > 0 ? 100 : 0);
      vertical->setPageStep(10);
      vertical->setValue(view.thumbPosition());
    } else {
      int rows = static_cast<int>(std::min<size_t>(view.rowCount(), INT32_MAX));
      vertical->setRange(0, std::max(rows - view.visibleRows(), 0));
      vertical->setPageStep(std::max(view.visibleRows(), 1));
      vertical->setValue(static_cast<int>(std::min<size_t>(view.top(), INT32_MAX)) - 1);
    }
    QScrollBar* horizontal = horizontalScrollBar();
    setHorizontalScrollBarPolicy(list.horizontalScrollBar() ? Qt::ScrollBarAlwaysOn
                                                            : Qt::ScrollBarAlwaysOff);
    horizontal->setRange(0, std::max(view.format().totalWidth - view.width(), 0));
    horizontal->setPageStep(std::max(view.width(), 1));
    horizontal->setValue(view.horizontalOffset());
  }

  // The rows the list shows fill the box; a box too small for them shows
  // the first ones.
  void measureRows() {
    if (!list_) return;
    const ListView& view = list_->view();
    int body = std::max(viewport()->height(), 1);
    int modelRows = std::max(view.visibleRows(), 1);
    int least = metrics_.lineHeight * std::max(layout_.rowLines, 1);
    rowHeight_ = std::max(least, body / modelRows);
    rows_ = std::min(modelRows, (body + rowHeight_ - 1) / rowHeight_);
  }

  void placeHeader() {
    int height = list_ ? listHeaderHeight(layout_, metrics_) : 0;
    setViewportMargins(0, height, 0, 0);
    QRect body = viewport()->geometry();
    header_->setGeometry(body.left(), body.top() - height, body.width(), height);
    header_->setVisible(height > 0);
  }

  void scrolled(bool vertical, int sliderAction) {
    int action = scrollAction(sliderAction);
    if (action < 0 || !list_) return;
    QScrollBar* bar = vertical ? verticalScrollBar() : horizontalScrollBar();
    int position = bar->sliderPosition();
    if (vertical && !list_->view().immediate()) {
      // The list takes the thumb as a share of the way.
      int most = std::max(bar->maximum(), 1);
      position = (position * 100 + most / 2) / most;
    }
    post_(vertical ? WM_VSCROLL : WM_HSCROLL, packScroll(action, position), field_);
  }

  // A row of the list: cell row 1 + its first line below the headers.
  MouseRoute rowRoute(QPoint pos, bool mustHit = true) const {
    const ListView& view = list_->view();
    int index = std::max(pos.y(), 0) / std::max(rowHeight_, 1);
    if (mustHit && index >= view.visibleRows()) return MouseRoute::drop();
    index = std::min(index, std::max(view.visibleRows() - 1, 0));
    int line = view.headerLines() + index * std::max(view.format().rowLines, 1);
    int x = std::clamp(pos.x() / std::max(metrics_.charWidth, 1), 0, std::max(view.width() - 1, 0));
    return MouseRoute::at({1 + x, 1 + line});
  }

  MouseRoute headerRoute(const MouseAt& mouse) {
    const ListView& view = list_->view();
    int line = 1 + view.format().groupHeaderLines;
    int charWidth = std::max(metrics_.charWidth, 1);
    if (mouse.type == QEvent::MouseMove || mouse.type == QEvent::MouseButtonRelease) {
      if (resizing_.column == 0)
        return mouse.type == QEvent::MouseButtonRelease ? press_ : MouseRoute::drop();
      int moved = static_cast<int>(
          std::lround(static_cast<double>(mouse.pos.x() - resizing_.pressX) / charWidth));
      MouseRoute to = MouseRoute::at({resizing_.borderCell + moved, line});
      if (mouse.type == QEvent::MouseButtonRelease) resizing_ = {};
      return to;
    }
    if (mouse.type != QEvent::MouseButtonPress && mouse.type != QEvent::MouseButtonDblClick) {
      return mouse.type == QEvent::Wheel ? rowRoute(QPoint(0, 0)) : MouseRoute::drop();
    }
    resizing_ = {};
    bool border = false;
    int number = listHeaderColumnAt(picture(), mouse.pos.x(), &border);
    const ListColumn* column = view.format().column(number);
    if (!column) return press_ = MouseRoute::drop();
    int shift = column->has(ColumnFlag::Fixed) ? 0 : view.horizontalOffset();
    if (border) {
      // The list resizes a column dragged by the last cell of its header.
      resizing_ = {number, mouse.pos.x(),
                   1 + column->left + std::max(column->width, 1) - 1 - shift};
      return press_ = MouseRoute::at({resizing_.borderCell, line});
    }
    int middle =
        std::clamp(column->left + column->width / 2 - shift, 0, std::max(view.width() - 1, 0));
    return press_ = MouseRoute::at({1 + middle, line});
  }

  QString rowTip(QPoint pos) const {
    if (!layout_.hasTips) return {};
    const ListView& view = list_->view();
    int index = pos.y() / std::max(rowHeight_, 1);
    size_t row = view.top() + static_cast<size_t>(index);
    if (index >= rows_ || row > view.rowCount()) return {};
    ListPicture shown = picture();
    int column = listHeaderColumnAt(shown, pos.x(), nullptr);
    return column == 0 ? QString() : toQt(view.tipAt(row, column));
  }

  struct Resizing {
    int column = 0;  // from 1; 0: no resize under way
    int pressX = 0;
    int borderCell = 0;
  };

  PostInput post_;
  HeaderStrip* header_;
  const ListControl* list_ = nullptr;
  int field_ = 0;
  ListFont metrics_;
  ListFormat layout_;
  bool focused_ = false;
  int rowHeight_ = 1;
  int rows_ = 0;
  Resizing resizing_;
  MouseRoute press_;
};

void HeaderStrip::paintEvent(QPaintEvent*) {
  ListPicture picture = box_.picture();
  if (!picture.layout) return;
  QPainter painter(this);
  paintListHeader(painter, *this, rect(), picture);
}

void HeaderStrip::mouseMoveEvent(QMouseEvent* event) {
  // The pointer shows where a column can be resized.
  if (box_.onBorder(event->position().toPoint().x())) {
    setCursor(Qt::SplitHCursor);
  } else {
    unsetCursor();
  }
}

class ListBoxView : public ControlView {
 public:
  ListBoxView(QWidget* client, PostInput post) : box_(new ListBox(client, std::move(post))) {}

  QWidget* widget() const override { return box_; }

  void sync(const Control& control, const ViewContext& context) override {
    if (const auto* list = dynamic_cast<const ListControl*>(&control)) box_->sync(*list, context);
  }

  MouseRoute route(const Control&, const ViewContext&, const MouseAt& mouse) override {
    return box_->route(mouse);
  }

 private:
  ListBox* box_;
};

}  // namespace

std::unique_ptr<ControlView> makeListBoxView(QWidget* client, PostInput post) {
  return std::make_unique<ListBoxView>(client, std::move(post));
}

}  // namespace zor::ui::qt
