#include "ui/canvas.h"

#include <algorithm>

namespace zor::ui {

Canvas::Canvas(int width, int height)
    : width_(std::max(0, width)),
      height_(std::max(0, height)),
      clip_{0, 0, width_, height_},
      cells_(static_cast<size_t>(width_) * static_cast<size_t>(height_)) {}

const CanvasCell& Canvas::at(int x, int y) const {
  static const CanvasCell outside;
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return outside;
  return cells_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
}

void Canvas::setClip(const Rect& clip) {
  int left = std::max(0, clip.x);
  int top = std::max(0, clip.y);
  int right = std::min(width_, clip.x + clip.width);
  int bottom = std::min(height_, clip.y + clip.height);
  clip_ = {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

void Canvas::resetClip() {
  clip_ = {0, 0, width_, height_};
}

bool Canvas::visible(int x, int y) const {
  return clip_.contains(x, y);
}

void Canvas::put(int x, int y, char character, CellStyle style) {
  if (!visible(x, y)) return;
  CanvasCell& cell =
      cells_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
  cell.character = static_cast<unsigned char>(character) < 0x20 ? ' ' : character;
  cell.style = style;
}

void Canvas::write(int x, int y, std::string_view text, CellStyle style, int maxWidth) {
  int limit = maxWidth < 0 ? static_cast<int>(text.size())
                           : std::min<int>(maxWidth, static_cast<int>(text.size()));
  for (int i = 0; i < limit; ++i) put(x + i, y, text[static_cast<size_t>(i)], style);
}

void Canvas::fill(const Rect& area, char character, CellStyle style) {
  for (int y = area.y; y < area.y + area.height; ++y) {
    for (int x = area.x; x < area.x + area.width; ++x) put(x, y, character, style);
  }
}

void Canvas::frame(const Rect& area, CellStyle style) {
  if (area.width <= 0 || area.height <= 0) return;
  int right = area.x + area.width - 1;
  int bottom = area.y + area.height - 1;
  for (int x = area.x; x <= right; ++x) {
    put(x, area.y, '-', style);
    put(x, bottom, '-', style);
  }
  for (int y = area.y; y <= bottom; ++y) {
    put(area.x, y, '|', style);
    put(right, y, '|', style);
  }
  put(area.x, area.y, '+', style);
  put(right, area.y, '+', style);
  put(area.x, bottom, '+', style);
  put(right, bottom, '+', style);
}

std::string Canvas::row(int y) const {
  std::string line;
  for (int x = 0; x < width_; ++x) line += at(x, y).character;
  line.erase(line.find_last_not_of(' ') + 1);
  return line;
}

std::string Canvas::text() const {
  std::vector<std::string> rows;
  for (int y = 0; y < height_; ++y) rows.push_back(row(y));
  while (!rows.empty() && rows.back().empty()) rows.pop_back();
  std::string all;
  for (const std::string& line : rows) all += line + "\n";
  return all;
}

}  // namespace zor::ui
