#include <iostream>

#include "tools/common/input_file.h"
#include "tools/wincc/commands.h"
#include "ui/definition/definition_block.h"
#include "ui/definition/definition_source.h"

namespace zor::tool {

bool endsWith(const std::string& text, const std::string& ending) {
  return text.size() >= ending.size() &&
         text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

std::optional<std::vector<ui::DefinitionModule>> loadDefinitions(const std::string& path) {
  std::string bytes;
  std::string problem;
  if (!readInputFile(path, bytes, problem)) {
    std::cerr << "wincc: " << path << ": " << problem << "\n";
    return std::nullopt;
  }
  std::vector<ui::DefinitionModule> modules;
  if (endsWith(path, ".win")) {
    auto parsed = ui::parseDeclarations(bytes, path);
    if (!parsed.ok()) {
      std::cerr << parsed.error << "\n";
      return std::nullopt;
    }
    modules = std::move(*parsed.value);
  } else {
    std::span<const uint8_t> raw(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    auto read = ui::readDefinitionResource(raw);
    if (!read.ok()) {
      std::cerr << "wincc: " << path << ": " << read.error << "\n";
      return std::nullopt;
    }
    modules.push_back(std::move(*read.value));
  }
  // Every command works on windows: a file without one (an empty or
  // comment-only declaration file) is refused rather than answered with
  // nothing.
  for (const ui::DefinitionModule& module : modules) {
    if (!module.windows.empty()) return modules;
  }
  std::cerr << "wincc: " << path << ": declares no window\n";
  return std::nullopt;
}

}  // namespace zor::tool
