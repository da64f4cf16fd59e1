#include "data/dynamic_file_support.h"

#include <mutex>

#include "data/declaration_check.h"
#include "data/declaration_error.h"
#include "data/file_control_block.h"
#include "data/file_errors.h"
#include "platform/dynamic_library.h"

namespace zor::data {

namespace {

DynamicFileEntry asEntry(void* symbol) {
  return reinterpret_cast<DynamicFileEntry>(symbol);
}

int reportNotFound() {
  return reportDeclarationFault(
      {static_cast<int>(DeclarationCategory::System), 0, "Driver", FaultKind::Declaration, 2, {}});
}

}  // namespace

DynamicSymbolSource platformSymbolSource() {
  return DynamicSymbolSource{
      [](const std::string& name) { return platform::findProgramSymbol(name); },
      [](const std::string& path) {
        std::string error;
        return platform::loadLibrary(path, error);
      },
      [](void* library, const std::string& name) {
        return platform::findLibrarySymbol(library, name);
      },
      [](void* library) { platform::unloadLibrary(library); },
  };
}

DynamicFileSupport::DynamicFileSupport(DynamicSymbolSource source) : source_(std::move(source)) {}

DynamicFileSupport::~DynamicFileSupport() {
  if (library_ != nullptr && source_.unloadLibrary) source_.unloadLibrary(library_);
}

bool DynamicFileSupport::isLoaded() const {
  std::lock_guard lock(section_);
  return changeFile_ != nullptr;
}

int DynamicFileSupport::load() {
  std::lock_guard lock(section_);
  if (changeFile_ != nullptr) return kNoError;

  DynamicFileEntry file = asEntry(source_.findInProgram(kChangeFileEntryName));
  DynamicFileEntry driver = asEntry(source_.findInProgram(kChangeDriverEntryName));
  if (file == nullptr || driver == nullptr) {
    file = driver = nullptr;
    void* library = source_.loadLibrary(kDynamicFileLibraryName);
    if (library != nullptr) {
      file = asEntry(source_.findInLibrary(library, kChangeFileEntryName));
      driver = asEntry(source_.findInLibrary(library, kChangeDriverEntryName));
      if (file != nullptr && driver != nullptr) {
        library_ = library;
      } else {
        source_.unloadLibrary(library);
      }
    }
  }
  if (file == nullptr || driver == nullptr) return reportNotFound();
  changeFile_ = file;
  changeDriver_ = driver;
  return kNoError;
}

int DynamicFileSupport::callEntry(DynamicFileEntry DynamicFileSupport::*entry,
                                  FileControlBlock& fcb) {
  if (const int result = load(); result != kNoError) return result;
  DynamicFileEntry target = nullptr;
  {
    std::lock_guard lock(section_);
    target = this->*entry;
  }
  return target(&fcb);
}

int DynamicFileSupport::changeFile(FileControlBlock& fcb) {
  return callEntry(&DynamicFileSupport::changeFile_, fcb);
}

int DynamicFileSupport::changeDriver(FileControlBlock& fcb) {
  return callEntry(&DynamicFileSupport::changeDriver_, fcb);
}

DynamicFileSupport& dynamicFileSupport() {
  static DynamicFileSupport support;
  return support;
}

int prepareDynamicDeclaration(FileControlBlock& fcb, DynamicFileSupport& support) {
  if (const int result = support.load(); result != kNoError) return result;
  return checkDeclaration(fcb);
}

}  // namespace zor::data
