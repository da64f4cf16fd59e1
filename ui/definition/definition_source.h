#pragma once
// Window declarations: the text format from which window definitions are
// compiled (tools/wincc). docs/window-declarations.md describes it; in
// short:
//
//   # The main window.
//   definition QV_GUI_SetupiniAdmin$QV_GUI_SetupiniAdmin001
//   window P1$WINDOW "Pellmoor Setup.Ini GUI" at default default size 400 260
//       font "MS Sans Serif" 8 system max resize {
//     sheet ?SHEET1 at 4 4 size 392 210 {
//       tab ?TAB1 "Setup.ini Values" {
//         list ?LIST at 12 24 size 150 120 format "196L(2)|M~Description~@s49@"
//             tip "Browsing Records" vscroll
//       }
//     }
//     button ?CLOSE "Close" at 340 236 size 50 14 default
//   }
//
// A "definition" line names the owning "program$module" of the windows that
// follow it. Each window and each control is one entry: its kind, its label
// or use label, its text, then properties in any order; "{ ... }" holds the
// controls inside a window, sheet, tab, option or group. Controls are
// numbered 1, 2, 3 ... in the order written, each parent before its
// children.

#include <string>
#include <string_view>
#include <vector>

#include "ui/definition/definition_block.h"
#include "ui/definition/definition_model.h"

namespace zor::ui {

// Every module the declarations name, in the order first named, with the
// field equates numbered. A malformed declaration gives no value and an
// error "FILE:LINE:COLUMN: message".
DefinitionResult<std::vector<DefinitionModule>> parseDeclarations(std::string_view source,
                                                                  const std::string& fileName);

}  // namespace zor::ui
