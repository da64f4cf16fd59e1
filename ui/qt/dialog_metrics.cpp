#include "ui/qt/dialog_metrics.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QStringList>
#include <algorithm>
#include <cctype>
#include <map>
#include <tuple>

#include "platform/ascii_case.h"
#include "ui/control.h"
#include "ui/properties.h"
#include "ui/window.h"

namespace zor::ui::qt {
namespace {

bool fixedPitchName(const std::string& typeface) {
  const std::string lower = platform::asciiLowerCased(typeface);
  for (const char* word : {"courier", "fixedsys", "terminal", "mono", "consol", "lucida console"}) {
    if (lower.find(word) != std::string::npos) return true;
  }
  return false;
}

QFont::Weight qtWeight(int weight) {
  if (weight <= 0) return QFont::Normal;
  if (weight >= 700) return QFont::Bold;
  if (weight >= 600) return QFont::DemiBold;
  if (weight >= 500) return QFont::Medium;
  if (weight <= 300) return QFont::Light;
  return QFont::Normal;
}

// A fixed-pitch family the desktop has. The system's "monospace" is not
// always one (fontconfig may answer with a face it does not call fixed), so
// the system's fixed font and then the font database are asked in turn.
QString fixedPitchFamily() {
  static const QString family = [] {
    QFont probe(QStringLiteral("monospace"));
    probe.setStyleHint(QFont::TypeWriter);
    const QFontInfo chosen(probe);
    if (chosen.fixedPitch()) return chosen.family();
    const QFontInfo system(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    if (system.fixedPitch()) return system.family();
    for (const QString& candidate : QFontDatabase::families()) {
      if (QFontDatabase::isFixedPitch(candidate) && QFontInfo(QFont(candidate)).fixedPitch()) {
        return candidate;
      }
    }
    return chosen.family();
  }();
  return family;
}

QFont substitutedFont(const std::string& typeface, int pointSize, int weight) {
  QFont font;
  if (!typeface.empty()) {
    font.setFamily(QString::fromStdString(typeface));
    font.setStyleHint(fixedPitchName(typeface) ? QFont::TypeWriter : QFont::SansSerif);
    // The desktop rarely has the declared face: take one of the same kind.
    if (!QFontInfo(font).exactMatch()) {
      font = QFont();
      if (fixedPitchName(typeface)) font.setFamily(fixedPitchFamily());
      font.setStyleHint(fixedPitchName(typeface) ? QFont::TypeWriter : QFont::SansSerif);
      font.setFixedPitch(fixedPitchName(typeface));
    }
  }
  if (pointSize > 0 && pointSize < 200) font.setPointSize(pointSize);
  font.setWeight(qtWeight(weight));
  return font;
}

}  // namespace

QFont declaredFont(const std::string& typeface, int pointSize, int weight) {
  // Windows are brought up to date at every turn of their loops: the font
  // database is asked once per declared font.
  using Key = std::tuple<std::string, int, int>;
  static auto* known = new std::map<Key, QFont>;
  Key key{typeface, pointSize, weight};
  if (auto found = known->find(key); found != known->end()) return found->second;
  QFont font = substitutedFont(typeface, pointSize, weight);
  known->emplace(key, font);
  return font;
}

QFont windowFont(const Window& window) {
  return declaredFont(window.property(PROP::FontName),
                      static_cast<int>(numberValue(window.property(PROP::FontSize))),
                      static_cast<int>(numberValue(window.property(PROP::FontStyle))));
}

QFont controlFont(const Window& window, const Control& control) {
  std::string typeface = control.property(PROP::FontName);
  if (typeface.empty()) return windowFont(window);
  return declaredFont(typeface, static_cast<int>(numberValue(control.property(PROP::FontSize))),
                      static_cast<int>(numberValue(control.property(PROP::FontStyle))));
}

ListFont metricsOf(const QFont& font) {
  QFontMetrics metrics(font);
  static const QString letters =
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  int average = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
  return {std::max(average, 1), std::max(metrics.height(), 1)};
}

QRect toPixels(const Rect& units, const ListFont& metrics) {
  int left = metrics.toPixelsX(units.x);
  int top = metrics.toPixelsY(units.y);
  // Edges are converted, not sizes, so neighbours meet as declared.
  int right = metrics.toPixelsX(units.x + units.width);
  int bottom = metrics.toPixelsY(units.y + units.height);
  return {left, top, std::max(right - left, 0), std::max(bottom - top, 0)};
}

Rect toUnits(const QRect& pixels, const ListFont& metrics) {
  return {metrics.toUnitsX(pixels.x()), metrics.toUnitsY(pixels.y()),
          metrics.toUnitsX(pixels.width()), metrics.toUnitsY(pixels.height())};
}

}  // namespace zor::ui::qt
