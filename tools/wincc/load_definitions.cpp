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

namespace {

const char* const kUsage =
    "usage: wincc compile IN.win OUT.cpp [--module NAME] [--function NAME]\n"
    "       wincc compile IN.win OUT.bin\n"
    "       wincc dump FILE.win|FILE.bin\n"
    "       wincc render FILE.win|FILE.bin [LABEL]\n"
    "       wincc preview [--ui=gui|term] FILE.win|FILE.bin [LABEL]\n"
    "       wincc help\n";

}  // namespace

void writeUsage(std::ostream& out) {
  out << kUsage;
}

int usageError(const std::string& message) {
  std::cerr << "wincc: " << message << "\n";
  writeUsage(std::cerr);
  return 2;
}

int printUsage() {
  std::cout << kUsage << "\n"
            << "compile  compiles window declarations into a C++ source that registers them,\n"
            << "         or into one binary definition block (.bin)\n"
            << "dump     prints declarations, or a compiled block, as declaration text\n"
            << "render   draws a window as the headless front end shows it\n"
            << "preview  opens a window in the terminal\n\n"
            << "The declaration format is described in docs/window-declarations.md.\n";
  return 0;
}

std::optional<std::vector<ui::DefinitionModule>> loadDefinitions(const std::string& path) {
  std::string bytes;
  std::string problem;
  if (!readInputFile(path, bytes, problem)) {
    std::cerr << path << ": " << problem << "\n";
    return std::nullopt;
  }
  if (endsWith(path, ".win")) {
    auto parsed = ui::parseDeclarations(bytes, path);
    if (!parsed.ok()) {
      std::cerr << parsed.error << "\n";
      return std::nullopt;
    }
    return std::move(*parsed.value);
  }
  std::span<const uint8_t> raw(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  auto read = ui::readDefinitionResource(raw);
  if (!read.ok()) {
    std::cerr << path << ": " << read.error << "\n";
    return std::nullopt;
  }
  return std::vector<ui::DefinitionModule>{std::move(*read.value)};
}

}  // namespace zor::tool
