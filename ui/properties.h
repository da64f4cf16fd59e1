#pragma once
// Numbered properties of windows and controls. Values are held as text, as
// the language reads and writes them; numeric properties convert on access.
// Owners intercept the properties that have an effect (the window timer);
// every other number is simply stored.

#include <cstdint>
#include <map>
#include <string>
#include <utility>

namespace zor::ui {

namespace PROP {
inline constexpr int Timer = 0x7C86;  // window timer interval, hundredths of a second
inline constexpr int ListColumnFirst = 0x7E00;
inline constexpr int ListColumnLast = 0x7EBF;
}  // namespace PROP

class PropertyBag {
 public:
  // The stored text, empty when never set.
  std::string get(int number, int index = 0) const;
  int64_t getNumber(int number, int index = 0) const;
  void set(int number, std::string value, int index = 0);
  bool contains(int number, int index = 0) const;

 private:
  std::map<std::pair<int, int>, std::string> values_;
};

}  // namespace zor::ui
