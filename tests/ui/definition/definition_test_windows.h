#pragma once
// Window definitions shared by the definition tests: a form that uses
// every kind of record part and most texts.

#include "ui/definition/definition_kinds.h"
#include "ui/definition/definition_model.h"

namespace zor::ui::test {

inline ControlDefinition control(uint8_t kind, std::string use, DefinitionRect rect = {}) {
  ControlDefinition made;
  made.kind = kind;
  made.use = std::move(use);
  made.rect = rect;
  return made;
}

// A settings form: sheet, tab, prompt, entry, text box, option group with
// two radios, a list, a check box and two buttons.
inline DefinitionModule sampleForm() {
  namespace K = ControlKind;
  WindowDefinition window;
  window.label = "P1$QUICKWINDOW";
  window.title = "Update Information";
  window.attributes = WindowAttr::System | WindowAttr::Modal;
  window.rect = {DefaultPosition, DefaultPosition, 260, 180};
  window.font = FontDefinition{"Arial", 8, FontDefinition::DefaultColour, 400};
  window.icon = "form.ico";

  ControlDefinition sheet = control(K::Sheet, "?CURRENTTAB", {4, 4, 252, 150});
  ControlDefinition tab = control(K::Tab, "?TAB:1");
  tab.text = "&1) General";
  ControlDefinition prompt = control(K::Prompt, "?SIN:VALUES:PROMPT", {8, 20, 60, 10});
  prompt.text = "Values: (Comma Seperated)";
  ControlDefinition entry = control(K::Entry, "?SIN:VALUES", {72, 20, 120, 10});
  entry.picture = "@s49";
  entry.variable = "SIN:VALUES";
  entry.attributes = ControlAttr::ReadOnly | ControlAttr::Required;
  ControlDefinition text = control(K::Text, "?SIN:HELPDESCRIPTION", {72, 36, 170, 40});
  text.variable = "SIN:HELPDESCRIPTION";
  text.attributes = ControlAttr::VScroll;
  ControlDefinition option = control(K::Option, "?SIN:STATUS", {72, 80, 120, 30});
  option.text = "Status";
  option.variable = "SIN:STATUS";
  ControlDefinition active = control(K::Radio, "?SIN:STATUS:RADIO1", {80, 90, 40, 10});
  active.text = "active";
  active.value = "1";
  ControlDefinition obsolete = control(K::Radio, "?SIN:STATUS:RADIO2", {130, 90, 40, 10});
  obsolete.text = "obsolute";
  obsolete.value = "0";
  option.children = {active, obsolete};
  ControlDefinition list = control(K::List, "?LIST", {8, 112, 230, 30});
  list.format = "196L(2)|M~Description~@s49@";
  list.tip = "Browsing Records";
  list.font = FontDefinition{"Courier New", 10, 0x0000FF, 700};
  ControlDefinition check = control(K::Check, "?MARK", {8, 144, 60, 10});
  check.text = "Marked";
  tab.children = {prompt, entry, text, option, list, check};
  sheet.children = {tab};

  ControlDefinition ok = control(K::Button, "?OK", {150, 160, 50, 14});
  ok.text = "&Save";
  ok.tip = "Save Data to Database and Close Window";
  ok.cursor = "hand.cur";
  ok.attributes = ControlAttr::Default;
  ControlDefinition cancel = control(K::Button, "?CANCEL", {204, 160, 50, 14});
  cancel.text = "&Cancel";
  cancel.tip = "Cancel operation without Saving";
  cancel.cursor = "hand.cur";
  window.controls = {sheet, ok, cancel};
  numberControls(window);

  WindowDefinition second;
  second.label = "P1$WINDOW";
  second.title = "Sections";
  second.rect = {10, 20, 200, 100};
  second.controls = {control(K::Button, "?CLOSE", {150, 80, 40, 14})};
  second.controls[0].text = "Close";
  numberControls(second);
  return {"QV_GUI_SetupiniAdmin$QV_GUI_SetupiniAdmin006", {window, second}};
}

}  // namespace zor::ui::test
