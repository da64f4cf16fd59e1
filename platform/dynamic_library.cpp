#include "platform/dynamic_library.h"

#include <dlfcn.h>

namespace zor::platform {

void* findProgramSymbol(const std::string& name) {
  return dlsym(RTLD_DEFAULT, name.c_str());
}

void* loadLibrary(const std::string& path, std::string& error) {
  error.clear();
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* reason = dlerror();
    error = reason ? reason : "cannot load " + path;
  }
  return library;
}

void* findLibrarySymbol(void* library, const std::string& name) {
  return library ? dlsym(library, name.c_str()) : nullptr;
}

void unloadLibrary(void* library) {
  if (library) dlclose(library);
}

}  // namespace zor::platform
