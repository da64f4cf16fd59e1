#pragma once
// A popup menu built from a list of named items: shown at the mouse, it
// reports the chosen item by name. An item can mirror a button of the
// window (it takes the button's text and state, and choosing it presses the
// button), post an event of its own, open a submenu of the items after it
// (through their Depth), and be listed on the toolbox, a small window that
// offers the same choices while it is open.
//
//   Popup popup;
//   popup.Bind();
//   popup.AddButtonItem("Insert", "&Insert", insertButton);
//   popup.AppendSeparator();
//   popup.AppendItem("&Query", "Query");
//   if (popup.ShowMenu() == "Query") ...     // Insert presses its button

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zor::ui {
class Window;
}

namespace zor::fw {

class INIManager;

struct PopupItem {
  int32_t ControlID = 0;  // the button the item mirrors, 0 for none
  int32_t Depth = 0;      // submenu level, 0 at the top
  int32_t Event = 0;      // posted when the item is chosen, 0 for none
  uint8_t MimicMode = 0;  // follows its button's text, enabled and hidden state
  uint8_t Disabled = 0;
  uint8_t Check = 0;
  uint8_t OnToolbox = 0;
  std::string Icon;  // "~name" for an icon among the program's resources
  std::string Name;  // unique; what ShowMenu answers
  std::string Text;  // "&" before the hot key; "-" for a separator
};

class Popup {
 public:
  // The menu string's capacity in characters, its terminator included;
  // items past it are left out whole.
  static constexpr size_t kMenuCapacity = 10000;
  // The toolbox window.
  static constexpr const char* kToolboxOwner = "Zorvane$OBPOPUP";
  static constexpr const char* kToolboxLabel = "P10$W";

  Popup();
  ~Popup();
  Popup(const Popup&) = delete;
  Popup& operator=(const Popup&) = delete;

  // The window active now is the one whose buttons the items press.
  void Bind(void* translator = nullptr, INIManager* iniManager = nullptr);
  void Release();

  // Adds an item (a separator when the text is "-") and answers its name:
  // `name`, or one made from the text, made unique with a number.
  std::string AppendItem(const std::string& text, const std::string& name = {});
  // An item that mirrors the button `control` and is listed on the toolbox.
  std::string AddButtonItem(const std::string& name, const std::string& text, int32_t control);
  // A separator, named "Separator" and a number unless named.
  std::string AppendSeparator(const std::string& name = {});
  // Null when there is no such item.
  PopupItem* Item(const std::string& name);
  void EnableItem(const std::string& name, bool enabled);
  void CheckItem(const std::string& name, bool checked);
  void SetItemText(const std::string& name, const std::string& text);

  // The menu string of the items (mirroring items brought up to date first)
  // and its entries in the order the menu counts them from 1, separators and
  // submenu headers included: the item each shows (an index into
  // PopupItems) and its submenu level.
  struct MenuEntry {
    size_t item = 0;
    int32_t depth = 0;
  };
  struct Menu {
    std::string text;
    std::vector<MenuEntry> entries;
  };
  Menu BuildMenu();
  // Shows the menu and answers the chosen item's name ("" when cancelled);
  // the item then acts (presses its button, posts its event).
  std::string ShowMenu();
  // Opens the toolbox titled `title` with the items marked for it and runs
  // it until the user chooses one (which then acts as from the menu and is
  // answered) or closes it ("").
  std::string ShowToolbox(const std::string& title);

  // Fields, in order.
  uint8_t ClearKeyCode = 0;  // kept; no effect on the texts
  std::string LastSelection;
  int32_t LastNumberSelection = 0;
  std::unique_ptr<std::vector<PopupItem>> PopupItems;
  void* Translator = nullptr;
  INIManager* IniMgr = nullptr;
  uint8_t InToolbox = 0;
  int32_t MyThread = 0;
  ui::Window* ParentWindow = nullptr;
  ui::Window* ThisWindow = nullptr;

 private:
  std::string uniqueName(const std::string& wanted) const;
  void refreshMimics();
  // Records the choice of the item at `position` of the menu and makes it
  // act; false when nothing there can be chosen.
  bool choose(const Menu& menu, int position);
  // The window whose buttons the items press; null once it has closed.
  ui::Window* parent();

  uint32_t parentHandle_ = 0;
  int separators_ = 0;
};

}  // namespace zor::fw
