#include "ui/qt/sheet_view.h"

#include <QTabBar>
#include <QTabWidget>

#include "ui/qt/qt_text.h"
#include "ui/sheet_control.h"

namespace zor::ui::qt {
namespace {

class SheetView : public ControlView {
 public:
  explicit SheetView(QWidget* client) : tabs_(new QTabWidget(client)) {
    tabs_->setUsesScrollButtons(false);
  }

  QWidget* widget() const override { return tabs_; }

  void sync(const Control& control, const ViewContext&) override {
    const auto* sheet = dynamic_cast<const SheetControl*>(&control);
    if (!sheet) return;
    const std::vector<Control*>& tabs = sheet->tabs();
    while (tabs_->count() < static_cast<int>(tabs.size())) tabs_->addTab(new QWidget, QString());
    while (tabs_->count() > static_cast<int>(tabs.size())) {
      QWidget* page = tabs_->widget(tabs_->count() - 1);
      tabs_->removeTab(tabs_->count() - 1);
      delete page;
    }
    for (int i = 0; i < static_cast<int>(tabs.size()); ++i) {
      const Control& tab = *tabs[static_cast<size_t>(i)];
      if (tabs_->tabText(i) != toQt(tab.text)) tabs_->setTabText(i, toQt(tab.text));
      if (tabs_->isTabEnabled(i) != tab.enabled) tabs_->setTabEnabled(i, tab.enabled);
      if (tabs_->isTabVisible(i) == tab.hidden) tabs_->setTabVisible(i, !tab.hidden);
      QString tip = toQt(tab.tip);
      if (tabs_->tabToolTip(i) != tip) tabs_->setTabToolTip(i, tip);
    }
    int selected = sheet->selectedIndex() - 1;
    if (selected >= 0 && selected < tabs_->count() && tabs_->currentIndex() != selected) {
      tabs_->setCurrentIndex(selected);
    }
  }

  MouseRoute route(const Control& control, const ViewContext&, const MouseAt& mouse) override {
    const auto* sheet = dynamic_cast<const SheetControl*>(&control);
    QTabBar* bar = tabs_->tabBar();
    if (!sheet || mouse.type == QEvent::Wheel) return MouseRoute::drop();
    int index = bar->tabAt(mapBetween(mouse.target, bar, mouse.pos));
    if (index < 0 || index >= static_cast<int>(sheet->tabs().size())) return MouseRoute::drop();
    // The sheet finds its tabs by the cells of the header row.
    const Control* tab = sheet->tabs()[static_cast<size_t>(index)];
    for (const SheetControl::Header& header : sheet->headers()) {
      if (header.tab == tab) return MouseRoute::at({header.x + 1, 0});
    }
    return MouseRoute::drop();
  }

 private:
  QTabWidget* tabs_;
};

}  // namespace

std::unique_ptr<ControlView> makeSheetView(QWidget* client) {
  return std::make_unique<SheetView>(client);
}

}  // namespace zor::ui::qt
