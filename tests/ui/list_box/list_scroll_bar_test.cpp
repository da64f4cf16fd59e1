// The list's scroll bar: where its thumb stands and what its cells do.
#include "ui/list_box/list_scroll_bar.h"

#include <gtest/gtest.h>

#include "tests/ui/list_box/list_test_rows.h"
#include "ui/list_box/list_view.h"

namespace zor::ui {
namespace {

TEST(ListScrollBar, DraggingTheThumbToACellLeavesItThere) {
  for (int rows : {7, 20, 100}) {
    test::TwoColumns queue(rows);
    for (int length : {3, 4, 6, 11}) {
      ListView view;
      ASSERT_EQ(view.setFormat("40L~Name~@s15@60L~More~@s15@"), 0u);
      view.setQueue(&queue.queue);
      view.setSize(25, length);  // a header line and length - 1 rows
      size_t visible = static_cast<size_t>(view.visibleRows());
      size_t span = static_cast<size_t>(rows) > visible ? rows - visible : 0;
      ListScrollBar bar = listScrollBar(length, view.top(), view.rowCount(), view.visibleRows());
      EXPECT_EQ(bar.thumb, 1) << "at the first row";
      for (int cell = 1; cell <= bar.track(); ++cell) {
        view.scrollBar(ScrollBarAction::Thumb, thumbPositionAt(bar, cell));
        ListScrollBar after =
            listScrollBar(length, view.top(), view.rowCount(), view.visibleRows());
        // With fewer top rows than track cells some cells share a top row.
        if (span + 1 >= static_cast<size_t>(bar.track())) {
          EXPECT_EQ(after.thumb, cell) << rows << " rows, " << length << " cells";
        }
        EXPECT_EQ(scrollBarActionAt(after, after.thumb), ScrollBarAction::Thumb);
      }
      // A thumb filling its track does not move; a list whose rows fit shows no bar.
      if (bar.track() < 2 || span == 0) continue;
      EXPECT_EQ(view.top(), span + 1) << "the track's last cell shows the last rows";
      EXPECT_EQ(listScrollBar(length, view.top(), view.rowCount(), view.visibleRows()).thumb,
                bar.track());
    }
  }
}

TEST(ListScrollBar, ABarTooShortForATrackHasOnlyItsArrows) {
  ListScrollBar bar = listScrollBar(2, 5, 40, 1);
  EXPECT_EQ(bar.thumb, -1);
  EXPECT_EQ(bar.track(), 0);
  EXPECT_EQ(scrollBarActionAt(bar, 0), ScrollBarAction::LineUp);
  EXPECT_EQ(scrollBarActionAt(bar, 1), ScrollBarAction::LineDown);
  EXPECT_EQ(thumbPositionAt(bar, 1), 0);
  ListScrollBar one = listScrollBar(3, 40, 40, 1);
  EXPECT_EQ(one.thumb, 1) << "a track of one cell is all thumb";
  EXPECT_EQ(scrollBarActionAt(one, 1), ScrollBarAction::Thumb);
}

}  // namespace
}  // namespace zor::ui
