#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "tools/wincc/commands.h"
#include "tools/wincc/registration_source.h"
#include "ui/definition/definition_writer.h"

namespace zor::tool {
namespace {

// Writes through a temporary file and a rename, so that a failed run never
// leaves a half-written output for the build to pick up.
bool writeFile(const std::string& path, const std::string& content) {
  std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(content.data(), std::streamsize(content.size()));
    out.close();
    if (!out) {
      std::cerr << "wincc: " << temporary << ": cannot be written\n";
      std::remove(temporary.c_str());
      return false;
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) {
    std::cerr << "wincc: " << path << ": cannot be written (" << error.message() << ")\n";
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace

int compileCommand(const std::vector<std::string>& arguments) {
  std::vector<std::string> files;
  RegistrationOptions options;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--module" || argument == "--function") {
      if (i + 1 >= arguments.size()) return usageError(argument + " needs a value");
      (argument == "--module" ? options.module : options.functionName) = arguments[++i];
    } else if (argument.starts_with("--")) {
      return usageError("unknown option " + argument);
    } else {
      files.push_back(argument);
    }
  }
  if (files.size() != 2) return usageError("compile takes an input and an output file");
  const std::string& input = files[0];
  const std::string& output = files[1];
  bool binary = endsWith(output, ".bin");
  if (!binary && !endsWith(output, ".cpp"))
    return usageError("the output must end in .cpp or .bin");
  if (!endsWith(input, ".win")) return usageError("the input must be a .win declaration file");

  auto modules = loadDefinitions(input);
  if (!modules) return 1;
  if (binary) {
    if (modules->size() != 1) {
      std::cerr << "wincc: " << input << ": declares " << modules->size()
                << " definitions; a .bin holds exactly one\n";
      return 1;
    }
    std::vector<uint8_t> bytes = ui::writeDefinitionResource(modules->front());
    return writeFile(output, std::string(bytes.begin(), bytes.end())) ? 0 : 1;
  }
  std::filesystem::path outputPath(output);
  options.inputName = std::filesystem::path(input).filename().string();
  if (options.functionName.empty()) {
    options.functionName =
        "registerWindowDefinitions_" + identifierFrom(outputPath.stem().string());
  }
  return writeFile(output, registrationSource(*modules, options)) ? 0 : 1;
}

}  // namespace zor::tool
