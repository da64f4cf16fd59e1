#pragma once
// Runs one of the built command-line utilities with its arguments quoted
// for the shell, and keeps what it printed on stdout and on stderr apart,
// with its exit code.

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zor::testing {

struct ToolOutput {
  std::string out, err;
  int exitCode = -1;
};

inline std::string shellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// `tool` is the program's name in the utilities' build folder.
inline ToolOutput runTool(const std::string& tool, const std::vector<std::string>& arguments) {
  const std::string errFile = ::testing::TempDir() + tool + "_err_" + std::to_string(::getpid());
  std::string command = std::string(ZOR_TOOL_DIR) + "/" + tool;
  for (const std::string& argument : arguments) command += " " + shellQuoted(argument);
  command += " 2>" + errFile;
  ToolOutput run;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    size_t count = 0;
    while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, count);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::stringstream err;
  err << std::ifstream(errFile).rdbuf();
  run.err = err.str();
  std::remove(errFile.c_str());
  return run;
}

}  // namespace zor::testing
