#pragma once
// SHEET and TAB: a sheet shows the body of one of its tabs at a time, with a
// row of tab headers along its top. The user changes the tab by clicking a
// header, by a tab's hot key or with Ctrl+Tab / Ctrl+PgDn (Ctrl+Shift+Tab /
// Ctrl+PgUp back); the sheet then gets TabChanging, the body changes, the
// sheet gets NewSelection and the focus moves to the new tab's first
// control. Moving or sizing the sheet through its properties moves its
// tabs' bodies with it.

#include <vector>

#include "ui/control.h"

namespace zor::ui {

// The body of a tab: its sheet less the row of tab headers.
Rect tabBody(const Rect& sheet);

class SheetControl : public Control {
 public:
  using Control::Control;

  const std::vector<Control*>& tabs() const { return tabs_; }
  // The selected tab, from 1; 0 when the sheet has no tabs.
  int selectedIndex() const { return selected_; }
  Control* selectedTab() const;

  // A tab header on the sheet's first row: cells from the sheet's left edge.
  struct Header {
    const Control* tab;
    int x;
    int width;
  };
  std::vector<Header> headers() const;

  // Selects the tab at `index` (from 1) as the user does.
  void choose(Window& window, int index);
  // Selects the next (delta 1) or previous (-1) tab that is shown and enabled.
  void step(Window& window, int delta);

  void display() override;
  void update() override;
  void childAdded(Control& child) override;
  bool childShown(const Control& child) const override;
  bool stepTab(Window& window, int delta) override;
  void mouse(Window& window, MouseAction action, Cell cell, int wheel) override;
  std::string property(int number, int index = 0) const override;
  void setProperty(int number, std::string value, int index = 0) override;

 private:
  void select(int index);

  std::vector<Control*> tabs_;
  int selected_ = 0;
};

class TabControl : public Control {
 public:
  using Control::Control;
  void activate(Window& window) override;
};

}  // namespace zor::ui
