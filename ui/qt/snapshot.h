#pragma once
// A desktop window as a picture with its frame and title bar drawn the way
// the desktop style draws them, so that screenshots taken where no window
// manager draws frames (the offscreen platform) still look like windows.

#include <QImage>

class QWidget;

namespace zor::ui::qt {

QImage snapshotWindow(QWidget& window);

}  // namespace zor::ui::qt
