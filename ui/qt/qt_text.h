#pragma once
// The runtime's texts are single bytes of Latin-1; Qt's are Unicode.

#include <QString>
#include <string>
#include <string_view>

namespace zor::ui::qt {

inline QString toQt(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace zor::ui::qt
