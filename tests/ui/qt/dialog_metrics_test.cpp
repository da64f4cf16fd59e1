// Dialog units become pixels through the font, so that windows keep their
// proportions whatever font the desktop has.

#include "ui/qt/dialog_metrics.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>

#include "tests/ui/qt/desktop_test_support.h"

namespace zor::ui::qt {
namespace {

TEST(DialogMetrics, UnitsFollowTheFontAndNeighboursMeet) {
  test::desktopApplication();
  QFont small = declaredFont("MS Sans Serif", 8, 400);
  QFont large = declaredFont("MS Sans Serif", 16, 400);
  ListFont a = metricsOf(small);
  ListFont b = metricsOf(large);
  EXPECT_EQ(a.lineHeight, QFontMetrics(small).height());
  EXPECT_GT(b.charWidth, a.charWidth);
  EXPECT_GT(b.lineHeight, a.lineHeight);
  // Controls declared side by side stay side by side: edges convert, not
  // sizes, so rounding never opens a gap or an overlap.
  for (const ListFont& metrics : {a, b, ListFont{7, 13}}) {
    for (int x = 0; x < 200; x += 3) {
      QRect left = toPixels({x, 0, 13, 8}, metrics);
      QRect right = toPixels({x + 13, 8, 9, 8}, metrics);
      EXPECT_EQ(left.x() + left.width(), right.x());
      EXPECT_EQ(left.y() + left.height(), right.y());
    }
    // Sizes come back as they went, which keeps the user's sizing from
    // drifting by a unit each time.
    for (int units : {1, 7, 100, 480}) {
      EXPECT_EQ(toUnits(toPixels({units, units, units, units}, metrics), metrics),
                (Rect{units, units, units, units}));
    }
  }
  EXPECT_EQ(toPixels({4, 8, 4, 8}, ListFont{7, 13}), QRect(7, 13, 7, 13)) << "a character cell";
}

TEST(DialogMetrics, MissingFacesAreReplacedByOnesOfTheSameKind) {
  test::desktopApplication();
  EXPECT_TRUE(QFontInfo(declaredFont("Courier New", 9, 400)).fixedPitch());
  EXPECT_FALSE(QFontInfo(declaredFont("MS Sans Serif", 8, 400)).fixedPitch());
  EXPECT_EQ(declaredFont("Arial", 8, 700).weight(), QFont::Bold);
  EXPECT_EQ(declaredFont("Arial", 0, 400).pointSize(), QFont().pointSize()) << "no size given";
}

}  // namespace
}  // namespace zor::ui::qt
