#include "ui/icon_glyphs.h"

#include <map>
#include <mutex>

#include "platform/ascii_case.h"

namespace zor::ui {

namespace {

struct Glyphs {
  std::mutex mutex;
  std::map<std::string, char> byName;  // names in lower case
};

Glyphs& glyphs() {
  static Glyphs* shared = new Glyphs;  // read by every thread's lists
  return *shared;
}

}  // namespace

void setIconGlyph(const std::string& icon, char glyph) {
  std::lock_guard guard(glyphs().mutex);
  glyphs().byName[platform::asciiLowerCased(icon)] = glyph;
}

char iconGlyph(const std::string& icon) {
  std::lock_guard guard(glyphs().mutex);
  auto found = glyphs().byName.find(platform::asciiLowerCased(icon));
  return found == glyphs().byName.end() ? kDefaultIconGlyph : found->second;
}

}  // namespace zor::ui
