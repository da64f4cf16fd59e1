#include "ui/qt/icons.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QStyle>
#include <map>

#include "platform/ascii_case.h"
#include "platform/resources.h"
#include "ui/statements.h"

namespace zor::ui::qt {
namespace {

constexpr const char* kIconResourceType = "ICON";

std::optional<unsigned> standardNumber(const std::string& name) {
  std::string lower = platform::asciiLowerCased(name);
  static const std::pair<const char*, unsigned> kNames[] = {
      {"icon:hand", ICON::Hand},
      {"icon:question", ICON::Question},
      {"icon:exclamation", ICON::Exclamation},
      {"icon:asterisk", ICON::Asterisk},
  };
  for (const auto& [word, number] : kNames) {
    if (lower == word) return number;
  }
  if (lower.empty()) return std::nullopt;
  bool hex = lower.size() > 2 && lower.compare(0, 2, "0x") == 0;
  try {
    size_t used = 0;
    unsigned long number = std::stoul(lower, &used, hex ? 16 : 10);
    if (used == lower.size() && number >= ICON::Hand && number <= ICON::Asterisk) {
      return static_cast<unsigned>(number);
    }
  } catch (const std::exception&) {
  }
  return std::nullopt;
}

QIcon loadIcon(const std::string& name) {
  if (std::optional<unsigned> number = standardNumber(name)) return standardIcon(*number);
  if (!name.empty() && name[0] == '~') {
    platform::ResourceHandle found = platform::findResource("", name.substr(1), kIconResourceType);
    if (!found) return {};
    QImage image;
    if (!image.loadFromData(platform::lockResource(found),
                            static_cast<int>(platform::sizeofResource(found)))) {
      return {};
    }
    return QIcon(QPixmap::fromImage(image));
  }
  QString path = QString::fromStdString(name);
  if (!QFile::exists(path)) return {};
  QPixmap pixmap(path);
  return pixmap.isNull() ? QIcon() : QIcon(pixmap);
}

}  // namespace

QIcon standardIcon(unsigned iconNumber) {
  QStyle::StandardPixmap pixmap;
  switch (iconNumber) {
    case ICON::Hand:
      pixmap = QStyle::SP_MessageBoxCritical;
      break;
    case ICON::Question:
      pixmap = QStyle::SP_MessageBoxQuestion;
      break;
    case ICON::Exclamation:
      pixmap = QStyle::SP_MessageBoxWarning;
      break;
    case ICON::Asterisk:
      pixmap = QStyle::SP_MessageBoxInformation;
      break;
    default:
      return {};
  }
  return QApplication::style()->standardIcon(pixmap);
}

QIcon iconNamed(const std::string& name) {
  // Icons are read once: lists ask for them on every row they paint. Kept
  // to the end of the process, past the application object.
  static auto* loaded = new std::map<std::string, QIcon>;
  auto found = loaded->find(name);
  if (found != loaded->end()) return found->second;
  QIcon icon = loadIcon(name);
  loaded->emplace(name, icon);
  return icon;
}

std::optional<Qt::CursorShape> cursorNamed(const std::string& name) {
  std::string lower = platform::asciiLowerCased(name);
  if (lower == "hand.cur" || lower == "~hand.cur") return Qt::PointingHandCursor;
  if (lower == "cursor:ibeam") return Qt::IBeamCursor;
  if (lower == "cursor:wait") return Qt::WaitCursor;
  if (lower == "cursor:cross") return Qt::CrossCursor;
  if (lower == "cursor:size") return Qt::SizeAllCursor;
  return std::nullopt;
}

}  // namespace zor::ui::qt
