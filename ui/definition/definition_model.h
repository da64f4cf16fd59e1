#pragma once
// The parsed, owned form of compiled window definitions: a module (owning
// name) holds windows, a window holds its control tree. Positions and sizes
// are dialog units; DefaultPosition (0x80000000) leaves the value to the
// runtime. Texts that are absent are empty.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zor::ui {

inline constexpr int32_t DefaultPosition = INT32_MIN;  // stored as 0x80000000

struct FontDefinition {
  static constexpr uint32_t DefaultColour = 0xFFFFFFFF;
  static constexpr uint32_t NormalWeight = 400;
  static constexpr uint32_t BoldWeight = 700;

  std::string typeface;
  uint32_t pointSize = 0;
  uint32_t colour = DefaultColour;
  uint32_t weight = NormalWeight;
  bool operator==(const FontDefinition&) const = default;
};

// Positions and sizes lie in the 16-bit range of dialog templates, so that
// geometry computed from them never overflows and no window outgrows what
// can be drawn.
inline constexpr int32_t kLeastPosition = -32768;
inline constexpr int32_t kMostPosition = 32767;
inline constexpr int32_t kMostSize = 32767;

struct DefinitionRect {
  int32_t x = DefaultPosition;
  int32_t y = DefaultPosition;
  int32_t width = DefaultPosition;
  int32_t height = DefaultPosition;
  bool operator==(const DefinitionRect&) const = default;
};

// The first value outside those limits ("x", "y", "width", "height"), or
// nullptr when every one is within them or left to the runtime.
const char* rectOutOfRange(const DefinitionRect& rect);

// Control attribute bits, as stored in the control records.
namespace ControlAttr {
inline constexpr uint32_t Default = 0x0001;  // the button pressed by Enter
inline constexpr uint32_t Hidden = 0x0002;
inline constexpr uint32_t Disabled = 0x0004;
inline constexpr uint32_t ReadOnly = 0x0008;
inline constexpr uint32_t Skip = 0x0010;  // left out of the Tab order
inline constexpr uint32_t VScroll = 0x0020;
inline constexpr uint32_t HScroll = 0x0040;
inline constexpr uint32_t Boxed = 0x0080;
inline constexpr uint32_t Immediate = 0x0100;
inline constexpr uint32_t Required = 0x0200;
inline constexpr uint32_t Transparent = 0x0400;
inline constexpr uint32_t Flat = 0x0800;
}  // namespace ControlAttr

// Window attribute bits, as stored in the window records.
namespace WindowAttr {
inline constexpr uint32_t System = 0x0001;  // system menu
inline constexpr uint32_t Maximize = 0x0002;
inline constexpr uint32_t Minimize = 0x0004;
inline constexpr uint32_t Resize = 0x0008;
inline constexpr uint32_t Modal = 0x0010;
inline constexpr uint32_t Center = 0x0020;
inline constexpr uint32_t Gray = 0x0040;
inline constexpr uint32_t Double = 0x0080;  // double frame
}  // namespace WindowAttr

struct ControlDefinition {
  uint8_t kind = 0;
  uint32_t attributes = 0;
  uint32_t equate = 0;  // field equate number
  std::string use;      // "?" and the label, e.g. "?LIST:2"; may be empty
  DefinitionRect rect;
  std::string text;      // caption, prompt or tab text
  std::string tip;       // tooltip
  std::string picture;   // display picture, e.g. "@s49"
  std::string variable;  // the variable the control shows, e.g. "SIN:VALUES"
  std::string format;    // list format string
  std::string cursor;
  std::string icon;
  std::string value;  // the value a radio gives its option group
  std::optional<FontDefinition> font;
  std::vector<ControlDefinition> children;

  bool has(uint32_t attribute) const { return (attributes & attribute) != 0; }
  bool operator==(const ControlDefinition&) const = default;
};

struct WindowDefinition {
  std::string label;  // e.g. "P1$WINDOW"
  std::string title;
  uint32_t attributes = 0;
  DefinitionRect rect;
  std::optional<FontDefinition> font;
  std::string icon;
  std::vector<ControlDefinition> controls;

  bool operator==(const WindowDefinition&) const = default;
};

// One compiled resource: the owning name ("program$module") and its windows.
struct DefinitionModule {
  std::string owningName;
  std::vector<WindowDefinition> windows;

  bool operator==(const DefinitionModule&) const = default;
};

// Numbers the controls 1, 2, 3 ... in record order, each parent before its
// children; returns the number of controls.
uint32_t numberControls(WindowDefinition& window);

// Visits every control in record order (parents before children) with its
// nesting depth (0 for the window's own controls).
void forEachControl(const WindowDefinition& window,
                    const std::function<void(const ControlDefinition&, int depth)>& visit);

// The control with that field equate number, or null.
const ControlDefinition* findControl(const WindowDefinition& window, uint32_t equate);

// "QV_GUI_SetupiniAdmin$QV_GUI_SetupiniAdmin001" -> "QV_GUI_SetupiniAdmin001_RSC".
std::string definitionResourceName(const std::string& owningName);
// The program-module part before "$" (the whole name when there is none).
std::string definitionProgramModule(const std::string& owningName);

inline constexpr const char* DefinitionResourceType = "DABDUMP";

}  // namespace zor::ui
