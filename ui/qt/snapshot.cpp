#include "ui/qt/snapshot.h"

#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QWidget>

namespace zor::ui::qt {

QImage snapshotWindow(QWidget& window) {
  QPixmap client = window.grab();
  QStyle* style = window.style();
  QStyleOptionTitleBar title;
  title.initFrom(&window);
  title.text = window.windowTitle();
  title.icon = window.windowIcon();
  title.titleBarState = Qt::WindowActive;
  title.titleBarFlags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                        Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint;
  title.state |= QStyle::State_Active | QStyle::State_Enabled;
  title.subControls = QStyle::SC_All;
  int border = 1;
  int titleHeight = style->pixelMetric(QStyle::PM_TitleBarHeight, &title, &window);
  int width = client.width() / std::max<int>(client.devicePixelRatio(), 1) + 2 * border;
  int height =
      client.height() / std::max<int>(client.devicePixelRatio(), 1) + titleHeight + 2 * border;
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(window.palette().color(QPalette::Dark));
  QPainter painter(&image);
  title.rect = QRect(border, border, width - 2 * border, titleHeight);
  title.palette.setCurrentColorGroup(QPalette::Active);
  style->drawComplexControl(QStyle::CC_TitleBar, &title, &painter, &window);
  painter.drawPixmap(border, border + titleHeight, client);
  painter.end();
  return image;
}

}  // namespace zor::ui::qt
