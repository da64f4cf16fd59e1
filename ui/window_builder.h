#pragma once
// Windows made from their compiled definitions: the window with its
// geometry, title and attributes, and one control per control record,
// numbered 1, 2, 3 ... in record order with children directly after their
// parent.

#include <memory>
#include <string>

#include "ui/definition/definition_model.h"
#include "ui/window.h"

namespace zor::ui {

// The window and its controls, not yet open. Runtime error 529 when the
// definition is malformed (a control whose stored equate number differs
// from its place, or a control nested where it cannot stand).
std::unique_ptr<Window> buildWindow(const WindowDefinition& definition);

// Builds and opens the window, which queues OpenWindow.
std::unique_ptr<Window> openWindow(const WindowDefinition& definition);
// Finds the definition among the program's resources, builds and opens it.
// Runtime error 529 when there is no such definition or it is malformed.
std::unique_ptr<Window> openWindow(const std::string& owningName, const std::string& label);

}  // namespace zor::ui
