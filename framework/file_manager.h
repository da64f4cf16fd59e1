#pragma once
// Owns one table at run time: opening it with a usage count per thread and
// procedure, numbering new records, translating driver errors. Start-up
// shell: initialisation and release; the table operations come with the
// driver's table statements.

#include <string>

namespace zor::fw {

class ErrorReporter;

class FileManager {
 public:
  virtual ~FileManager() = default;
  // The construction-time initialisation a table's subclass overrides.
  virtual void Init();
  virtual void Kill();

  bool Initialized = false;
  std::string FileNameValue;
  ErrorReporter* Errors = nullptr;
};

}  // namespace zor::fw
