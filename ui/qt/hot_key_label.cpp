#include "ui/qt/hot_key_label.h"

namespace zor::ui::qt {

QString hotKeyRichText(std::string_view text) {
  QString html;
  bool marked = false;
  for (size_t i = 0; i < text.size(); ++i) {
    QString one = QString(QChar(static_cast<unsigned char>(text[i]))).toHtmlEscaped();
    if (text[i] == '&' && i + 1 < text.size()) {
      ++i;
      one = QString(QChar(static_cast<unsigned char>(text[i]))).toHtmlEscaped();
      if (text[i] != '&' && !marked) {
        marked = true;
        html += QStringLiteral("<u>") + one + QStringLiteral("</u>");
        continue;
      }
    }
    html += one == QStringLiteral(" ") ? QStringLiteral("&nbsp;") : one;
  }
  return html;
}

}  // namespace zor::ui::qt
