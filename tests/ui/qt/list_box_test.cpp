// The list box draws the icons its icon list names ("~NAME" icons linked
// into the program) in their column, on the rows whose icon field asks for
// them.

#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QBuffer>
#include <QImage>
#include <cstring>

#include "platform/resources.h"
#include "runtime/type_codes.h"
#include "tests/runtime/queue_test_records.h"
#include "tests/ui/qt/desktop_test_support.h"
#include "ui/row_control.h"
#include "ui/window_builder.h"

namespace zor::ui::qt {
namespace {

constexpr const char* kList = R"(
definition list_box_test$list_box_test001

window ICONS "Icons" at 40 40 size 160 96 {
  list ?ROWS at 4 4 size 152 88 format "60L(2)|MJ~Name~@s10@"
}
)";

void registerRedIcon() {
  QImage red(16, 16, QImage::Format_ARGB32);
  red.fill(Qt::red);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  red.save(&buffer, "PNG");
  platform::registerResource("ui_qt_tests", "red.ico", "ICON", bytes.constData(),
                             static_cast<size_t>(bytes.size()));
}

TEST(ListBox, IconsOfTheIconListAreDrawnOnTheRowsThatAskForThem) {
  test::desktopApplication();
  registerRedIcon();
  // Field 1 the name, field 2 the icon number.
  Queue queue({makeField("NAME", kCString, 0, 12), makeField("ICON", kLong, 12, 4)}, 16);
  for (int32_t icon : {1, 0, 7}) {
    uint8_t record[16] = {};
    std::memcpy(record, "name", 4);
    std::memcpy(record + 12, &icon, 4);
    queue.add(record);
  }
  QtFrontEnd front(QtFrontEnd::Options{1.0, "ui_qt_tests"});
  test::DesktopScript script(front);
  int redTop = -1, redBottom = -1, firstRowBottom = 0;
  script.then([&](Window& window, WindowFrame& frame) {
    auto& box = dynamic_cast<QAbstractScrollArea&>(*frame.controlWidget(1));
    QImage shown = box.grab().toImage();
    for (int y = 0; y < shown.height(); ++y) {
      for (int x = 0; x < shown.width(); ++x) {
        if (shown.pixelColor(x, y) != QColor(Qt::red)) continue;
        if (redTop < 0) redTop = y;
        redBottom = y;
      }
    }
    int rows = dynamic_cast<ListControl&>(*window.control(1)).view().visibleRows();
    firstRowBottom = box.viewport()->y() + box.viewport()->height() / rows;
  });
  std::unique_ptr<Window> window = buildWindow(test::declaredWindow(kList));
  auto& list = dynamic_cast<ListControl&>(*window->control(1));
  list.setQueue(&queue);
  // Icon 7 names nothing: its row shows no icon, and nothing breaks.
  list.setProperty(PROP::IconList, "~red.ico", 1);
  window->open();
  while (accept()) {
  }
  EXPECT_GE(redTop, 0) << "the icon is drawn";
  EXPECT_LT(redBottom, firstRowBottom) << "on the first row only";
}

}  // namespace
}  // namespace zor::ui::qt
