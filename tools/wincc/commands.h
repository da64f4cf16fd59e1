#pragma once
// The wincc commands. Each returns the exit code: 0 done, 1 bad input (a
// malformed declaration or block, an unreadable file), 2 bad arguments.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "ui/definition/definition_model.h"

namespace zor::tool {

int compileCommand(const std::vector<std::string>& arguments);
int dumpCommand(const std::vector<std::string>& arguments);
int renderCommand(const std::vector<std::string>& arguments);
int previewCommand(const std::vector<std::string>& arguments);

// Shared by the commands: reading inputs and reporting.
bool endsWith(const std::string& text, const std::string& ending);
// The list of commands, as "wincc help" and a usage error print it.
void writeUsage(std::ostream& out);
// "wincc: MESSAGE" and the list on stderr; answers 2.
int usageError(const std::string& message);
// The definitions in FILE: declarations for a .win file, otherwise a raw
// resource. Prints the error and gives none on bad input.
std::optional<std::vector<ui::DefinitionModule>> loadDefinitions(const std::string& path);
// The window of `arguments` (FILE [LABEL]: the labelled window, or the first
// one) among the modules; prints why and gives null when there is none.
// Also makes a definition the window system cannot build (a list format
// that does not read, say) end the program as bad input, not as a crash.
const ui::WindowDefinition* chooseWindow(const std::vector<ui::DefinitionModule>& modules,
                                         const std::vector<std::string>& arguments);

}  // namespace zor::tool
