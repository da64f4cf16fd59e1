#pragma once
// Window definitions for the window, control and headless tests.

#include <string>

#include "ui/definition/definition_kinds.h"
#include "ui/definition/definition_model.h"

namespace zor::ui::test {

inline ControlDefinition made(uint8_t kind, std::string use, std::string text,
                              DefinitionRect rect) {
  ControlDefinition control;
  control.kind = kind;
  control.use = std::move(use);
  control.text = std::move(text);
  control.rect = rect;
  return control;
}

// A customer form: three prompted entries (@s10, @n9.2, @d6), an option
// group of two radios, a check box, a hidden entry and three buttons, the
// first the default, the last disabled.
//
//   field  1 ?NAME:PROMPT  2 ?NAME  3 ?AMOUNT:PROMPT  4 ?AMOUNT  5 ?BORN:PROMPT
//          6 ?BORN  7 ?STATUS  8 ?ACTIVE  9 ?OBSOLETE  10 ?VIP  11 ?SECRET
//          12 ?SAVE  13 ?CANCEL  14 ?NEVER
inline WindowDefinition customerForm() {
  namespace K = ControlKind;
  WindowDefinition window;
  window.label = "CUSTOMER$WINDOW";
  window.title = "Customer";
  window.rect = {0, 0, 200, 88};
  ControlDefinition name = made(K::Entry, "?NAME", "", {32, 8, 48, 8});
  name.picture = "@s10";
  name.variable = "CUS:NAME";
  ControlDefinition amount = made(K::Entry, "?AMOUNT", "", {32, 24, 44, 8});
  amount.picture = "@n9.2";
  ControlDefinition born = made(K::Entry, "?BORN", "", {32, 40, 40, 8});
  born.picture = "@d6";
  ControlDefinition status = made(K::Option, "?STATUS", "Status", {100, 0, 96, 32});
  ControlDefinition active = made(K::Radio, "?ACTIVE", "A&ctive", {104, 8, 40, 8});
  active.value = "A";
  ControlDefinition obsolete = made(K::Radio, "?OBSOLETE", "&Obsolete", {148, 8, 44, 8});
  obsolete.value = "O";
  status.children = {active, obsolete};
  ControlDefinition secret = made(K::Entry, "?SECRET", "", {100, 56, 40, 8});
  secret.attributes = ControlAttr::Hidden;
  ControlDefinition save = made(K::Button, "?SAVE", "&Save", {100, 72, 40, 8});
  save.attributes = ControlAttr::Default;
  ControlDefinition never = made(K::Button, "?NEVER", "Never", {4, 72, 40, 8});
  never.attributes = ControlAttr::Disabled;
  window.controls = {made(K::Prompt, "?NAME:PROMPT", "&Name:", {4, 8, 24, 8}),
                     name,
                     made(K::Prompt, "?AMOUNT:PROMPT", "&Amount:", {4, 24, 28, 8}),
                     amount,
                     made(K::Prompt, "?BORN:PROMPT", "&Born:", {4, 40, 24, 8}),
                     born,
                     status,
                     made(K::Check, "?VIP", "&VIP", {104, 40, 32, 8}),
                     secret,
                     save,
                     made(K::Button, "?CANCEL", "Cancel", {148, 72, 44, 8}),
                     never};
  numberControls(window);
  return window;
}

// A sheet of two tabs with an entry on each, a list, and a button after
// the sheet.
//
//   field  1 ?SHEET  2 ?TAB1  3 ?FIRST  4 ?LIST  5 ?TAB2  6 ?SECOND  7 ?CLOSE
inline WindowDefinition sheetForm() {
  namespace K = ControlKind;
  WindowDefinition window;
  window.label = "SHEET$WINDOW";
  window.title = "Sheet";
  window.rect = {0, 0, 160, 80};
  ControlDefinition sheet = made(K::Sheet, "?SHEET", "", {0, 0, 160, 64});
  ControlDefinition first = made(K::Tab, "?TAB1", "&General", {});
  ControlDefinition list = made(K::List, "?LIST", "", {4, 32, 100, 32});
  first.children = {made(K::Entry, "?FIRST", "", {4, 16, 40, 8}), list};
  ControlDefinition second = made(K::Tab, "?TAB2", "&More", {});
  second.children = {made(K::Entry, "?SECOND", "", {4, 16, 40, 8})};
  sheet.children = {first, second};
  window.controls = {sheet, made(K::Button, "?CLOSE", "&Close", {112, 68, 40, 8})};
  numberControls(window);
  return window;
}

// A list with a scroll bar (vscroll) and an entry. The list's cells are
// columns 1-25, rows 0-7 of the client area: a header line and five rows
// inside the frame, the bar in column 24. Its first column is resizable.
//
//   field  1 ?LIST  2 ?ENTRY
inline WindowDefinition scrollingListForm() {
  namespace K = ControlKind;
  WindowDefinition window;
  window.label = "BROWSE$WINDOW";
  window.title = "Browse";
  window.rect = {0, 0, 160, 96};
  ControlDefinition list = made(K::List, "?LIST", "", {4, 0, 100, 64});
  list.attributes = ControlAttr::VScroll;
  list.format = "40L|M~Name~@s15@60L~More~@s15@";
  window.controls = {list, made(K::Entry, "?ENTRY", "", {4, 80, 80, 8})};
  numberControls(window);
  return window;
}

}  // namespace zor::ui::test
