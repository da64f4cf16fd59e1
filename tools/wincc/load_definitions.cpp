#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>

#include "tools/wincc/commands.h"
#include "ui/definition_block.h"
#include "ui/definition_source.h"

namespace zor::tool {

bool endsWith(const std::string& text, const std::string& ending) {
  return text.size() >= ending.size() &&
         text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

int usageError(const std::string& message) {
  std::cerr << "wincc: " << message << "\n"
            << "usage: wincc compile IN.win OUT.cpp [--module NAME] [--function NAME]\n"
            << "       wincc compile IN.win OUT.bin\n"
            << "       wincc dump FILE.win|FILE.bin\n"
            << "       wincc render FILE.win|FILE.bin [LABEL]\n"
            << "       wincc preview [--ui=gui|term] FILE.win|FILE.bin [LABEL]\n";
  return 2;
}

std::optional<std::vector<ui::DefinitionModule>> loadDefinitions(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in.is_open()) {
    std::cerr << path << ": cannot be opened\n";
    return std::nullopt;
  }
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    std::cerr << path << ": cannot be read\n";
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
