// zor format, zor deformat: a value through a picture and typed text back.

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <limits>
#include <system_error>

#include "runtime/locale.h"
#include "runtime/picture.h"
#include "tools/zor/command.h"

namespace zor::tool {

namespace {

// Pictures 17, 18, 7 and 8 follow the locale of the environment file beside
// the program, as in any program of the runtime.
void useProgramLocale() {
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) setProgramPath(self.string());
}

// A number as the console accepts it: sign, digits, one ".", an exponent.
bool isNumberText(const std::string& text) {
  size_t i = 0, digits = 0;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) ++digits;
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) ++digits;
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    size_t exponentStart = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    if (i == exponentStart) return false;
  }
  return i == text.size();
}

bool compileArgument(const std::string& command, const std::string& text, CompiledPicture& picture,
                     int& exitCode) {
  compilePicture(text, picture);
  if (picture.valid()) return true;
  exitCode = usageError(command, "invalid picture: \"" + text + "\"");
  return false;
}

int runFormat(const Arguments& arguments) {
  if (arguments.size() != 2) return usageError("format", "expected a picture and a value");
  useProgramLocale();
  CompiledPicture picture;
  int exitCode = kExitOk;
  if (!compileArgument("format", arguments[0], picture, exitCode)) return exitCode;
  const std::string& text = arguments[1];
  PictureValue value = PictureValue::ofText(text);
  switch (picture.pictureClass) {
    case PictureClass::Date:
    case PictureClass::Time: {
      int64_t number = 0;
      if (!parseInteger(text, std::numeric_limits<int32_t>::min(),
                        std::numeric_limits<int32_t>::max(), number)) {
        const char* what = picture.pictureClass == PictureClass::Date ? "date" : "time";
        return usageError("format", std::string("not a standard ") + what + ": \"" + text + "\"");
      }
      value = picture.pictureClass == PictureClass::Date
                  ? PictureValue::ofDate(static_cast<int32_t>(number))
                  : PictureValue::ofTime(static_cast<int32_t>(number));
      break;
    }
    case PictureClass::Numeric:
    case PictureClass::Scientific:
    case PictureClass::Pattern:
      if (!isNumberText(text)) return usageError("format", "not a number: \"" + text + "\"");
      break;
    default:
      break;
  }
  std::cout << formatPicture(picture, value) << '\n';
  return kExitOk;
}

int runDeformat(const Arguments& arguments) {
  if (arguments.size() != 2) return usageError("deformat", "expected a picture and a text");
  useProgramLocale();
  CompiledPicture picture;
  int exitCode = kExitOk;
  if (!compileArgument("deformat", arguments[0], picture, exitCode)) return exitCode;
  std::cout << deformatPicture(std::string_view(arguments[0]), arguments[1]) << '\n';
  return kExitOk;
}

CommandRegistrar formatCommand{
    "format", "PICTURE VALUE", "VALUE shown through PICTURE", runFormat,
    "PICTURE is a display picture such as @n10.2, @d6 or @s20. A date or time\n"
    "picture takes a standard date or time number.\n"};
CommandRegistrar deformatCommand{"deformat", "PICTURE TEXT", "typed TEXT read back through PICTURE",
                                 runDeformat};

}  // namespace

}  // namespace zor::tool
